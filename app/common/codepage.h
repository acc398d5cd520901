#pragma once
// The system's ANSI code page and the program's only text converter.
//
// Card buffers, the settings file and every file the program writes hold text in
// code page 950 (Big5), whatever the platform's own locale says. Nothing else in
// the program calls a converter: bytes become text here and nowhere else.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace codepage {
// The one place the code page is fixed.
inline constexpr unsigned kAnsiCodePage = 950;
// The same code page as the POSIX converter names it.
inline constexpr const char* kAnsiCodePageName = "CP950";

// True for a byte that opens a two-byte character.
constexpr bool isLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
// True for a byte that can close a two-byte character.
constexpr bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
}
}  // namespace codepage

// Text to CP950. A character the code page cannot hold becomes "?", one per
// character, as the Windows conversion gives; those "?" end up in stored files.
QByteArray toAnsi(const QString& text);

// CP950 to text. Decoding never stops at a bad byte, so the rest of the text
// survives: a well-formed pair that the code page leaves unassigned becomes one
// U+FFFD; a byte that starts no character, or a lead byte followed by a byte that
// cannot complete it, becomes U+FFFD and decoding goes on at the next byte (often
// plain ASCII). A lead byte left alone at the very end (a fixed-width field that
// cut a character in half) is dropped.
QString fromAnsi(QByteArrayView bytes);

// toAnsi cut to at most maxBytes bytes, at the end of the last whole character that
// fits, so a two-byte character is never split. maxBytes <= 0 gives an empty result.
QByteArray toAnsiCut(const QString& text, int maxBytes);
