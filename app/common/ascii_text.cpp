#include "ascii_text.h"

namespace {

QChar foldAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c; }

}  // namespace

QString trimControls(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankOrControl(text[begin])) ++begin;
    while (end > begin && isBlankOrControl(text[end - 1])) --end;
    return text.mid(begin, end - begin);
}

bool sameAsciiNoCaseAt(const QString& text, qsizetype at, const QString& what) {
    if (at < 0 || at > text.size() - what.size()) return false;
    for (qsizetype i = 0; i < what.size(); ++i)
        if (foldAsciiLetter(text.at(at + i)) != foldAsciiLetter(what.at(i))) return false;
    return true;
}
