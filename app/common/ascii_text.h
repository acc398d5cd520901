#pragma once
// Text rules that treat ASCII alone specially, shared by the card buffers, the settings
// file, the record texts and the archive's file names.

#include <QString>

// Blanks and control characters: every code of 32 or less (space, zero, tab, line ends).
inline bool isBlankOrControl(QChar c) { return c.unicode() <= 32; }

// `text` without the blanks and control characters at either end.
QString trimControls(const QString& text);

// Whether `what` stands in `text` from index `at` (from 0), the letters A-Z and a-z
// compared without regard to case and every other character exactly. False when `what`
// does not fit there.
bool sameAsciiNoCaseAt(const QString& text, qsizetype at, const QString& what);

// Whether the two are equal with the letters A-Z compared without regard to case: no
// other character may stand in for a letter.
inline bool sameAsciiNoCase(const QString& a, const QString& b) {
    return a.size() == b.size() && sameAsciiNoCaseAt(a, 0, b);
}
