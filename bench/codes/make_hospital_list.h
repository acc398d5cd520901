#pragma once
// A "hospbsc.txt" of any length for benchmarks, in the form the program reads:
// a header with the code and name titles, then one line per institution with
// every field in double quotes, CR LF line ends, CP950 bytes.
//
// The institutions the simulated cards carry come last, so a look-up that
// scans the file passes every line before it finds them.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "common/codepage.h"

namespace bench {

inline const QStringList& simulatedCardInstitutions() {
    static const QStringList codes{QStringLiteral("3501200000"), QStringLiteral("0401180014"),
                                   QStringLiteral("1101010012"), QStringLiteral("3532011111")};
    return codes;
}

// The list's text: `lines` institution lines after the header, the last of them
// those of simulatedCardInstitutions() (named "模擬院所<code>").
inline QString hospitalListText(int lines = 30000) {
    const QStringList& tail = simulatedCardInstitutions();
    QString text;
    text.reserve(qsizetype(lines) * 110);
    text += QStringLiteral(
        "\"分區別\",\"醫事機構代碼\",\"醫事機構名稱\",\"機構地址\",\"電話區域號碼\","
        "\"電話號碼\",\"特約類別\",\"醫事機構種類\"\r\n");
    const int filler = std::max(0, lines - int(tail.size()));
    for (int i = 0; i < lines; ++i) {
        const QString code = i < filler ? QStringLiteral("12%1").arg(i, 8, 10, QLatin1Char('0'))
                                        : tail.at(i - filler);
        const QString name =
            i < filler ? QStringLiteral("測試診所%1").arg(i) : QStringLiteral("模擬院所") + code;
        text += QStringLiteral(
                    "\"中區業務組\",\"%1\",\"%2\",\"台中市北區測試路%3號\",\"04\","
                    "\"2%4\",\"5\",\"西醫診所\"\r\n")
                    .arg(code, name)
                    .arg(i % 999 + 1)
                    .arg(i % 10000000, 7, 10, QLatin1Char('0'));
    }
    return text;
}

// Writes the list to `path`; false when it could not be written.
inline bool writeHospitalList(const QString& path, int lines = 30000) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = toAnsi(hospitalListText(lines));
    return file.write(bytes) == bytes.size();
}

}  // namespace bench
