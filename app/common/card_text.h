#pragma once
// Text out of card buffers. The control software fills fixed-width fields with
// CP950 text padded with spaces or zeros; these turn a byte range into trimmed text.
// "Trimmed" means every leading and trailing byte or character with a code of 32 or
// less (space, zero, control characters) removed; blank input gives empty text.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The bytes decoded from CP950, then trimmed.
QString GetFromBuffer(QByteArrayView bytes);
inline QString GetFromBuffer(const char* data, qsizetype size) {
    return GetFromBuffer(QByteArrayView(data, size));
}

// The same bytes, trimmed but not decoded: the card's single-byte text as it stands,
// ready to be stored back into a record field or compared with one.
QByteArray GetAnsiFromBuffer(QByteArrayView bytes);
inline QByteArray GetAnsiFromBuffer(const char* data, qsizetype size) {
    return GetAnsiFromBuffer(QByteArrayView(data, size));
}

// `count` bytes from position `start` (from 0), each byte the character with the same
// code (0-255), then trimmed. A range reaching outside the buffer is cut to the part
// that lies inside it; it never reads past the end.
QString BytesToString(QByteArrayView bytes, qsizetype start, qsizetype count);
