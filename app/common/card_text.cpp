#include "card_text.h"

#include <algorithm>

#include "ascii_text.h"
#include "codepage.h"

QString GetFromBuffer(QByteArrayView bytes) { return trimControls(fromAnsi(bytes)); }

QByteArray GetAnsiFromBuffer(QByteArrayView bytes) {
    qsizetype begin = 0;
    qsizetype end = bytes.size();
    while (begin < end && isBlankOrControl(QLatin1Char(bytes[begin]))) ++begin;
    while (end > begin && isBlankOrControl(QLatin1Char(bytes[end - 1]))) --end;
    return bytes.sliced(begin, end - begin).toByteArray();
}

QString BytesToString(QByteArrayView bytes, qsizetype start, qsizetype count) {
    if (start < 0 || count <= 0 || start >= bytes.size()) return {};
    count = std::min(count, bytes.size() - start);
    return trimControls(QString::fromLatin1(bytes.sliced(start, count)));
}
