#include "card_text.h"

#include <algorithm>

#include "codepage.h"

namespace {

constexpr bool isPad(unsigned code) { return code <= 32; }

QString trimmed(QString text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isPad(text[begin].unicode())) ++begin;
    while (end > begin && isPad(text[end - 1].unicode())) --end;
    return text.mid(begin, end - begin);
}

}  // namespace

QString GetFromBuffer(QByteArrayView bytes) { return trimmed(fromAnsi(bytes)); }

QByteArray GetAnsiFromBuffer(QByteArrayView bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isPad(static_cast<unsigned char>(bytes[begin]))) ++begin;
    while (end > begin && isPad(static_cast<unsigned char>(bytes[end - 1]))) --end;
    return bytes.sliced(begin, end - begin).toByteArray();
}

QString BytesToString(QByteArrayView bytes, qsizetype start, qsizetype count) {
    if (start < 0 || count <= 0 || start >= bytes.size()) return {};
    count = std::min(count, bytes.size() - start);
    return trimmed(QString::fromLatin1(bytes.sliced(start, count)));
}
