#include "report/lab_units.h"

#include <QRegularExpression>

namespace report {

Analyte analyteOf(const QString& orderCode, const QString& item, const QString& orderName) {
    const QString code = orderCode.trimmed().toUpper();
    const QString names = (item + u' ' + orderName).toUpper();
    static const QRegularExpression notSerum(
        QStringLiteral(R"(尿|URINE|\bU[-_ ]|CCR|CLEARANCE|RATIO|UACR|UPCR|24\s*H|廓清)"));
    if (notSerum.match(names).hasMatch()) return Analyte::Other;
    static const QRegularExpression creatinine(
        QStringLiteral(R"(\bCRE(A|AT|ATININE)?\b|\bCR\b|肌酸酐)"));
    static const QRegularExpression glucose(QStringLiteral(R"(\bGLU|GLUCOSE|血糖)"));
    static const QRegularExpression crp(QStringLiteral(R"(\bCRP\b|HS-?CRP|C反應蛋白)"));
    // The insurer's codes of the serum creatinine, glucose (fasting, random) and CRP.
    if (code == QLatin1String("09015C") || creatinine.match(names).hasMatch())
        return Analyte::Creatinine;
    if (code == QLatin1String("09005C") || code == QLatin1String("09140C") ||
        glucose.match(names).hasMatch())
        return Analyte::Glucose;
    if (code == QLatin1String("12015C") || crp.match(names).hasMatch()) return Analyte::Crp;
    return Analyte::Other;
}

QString canonicalUnit(const QString& unit) {
    QString u = unit.trimmed();
    QString key = u.toLower();
    key.remove(u' ');
    key.replace(QChar(0x00B5), u'u');  // micro sign
    key.replace(QChar(0x03BC), u'u');  // Greek mu
    if (key == QLatin1String("mg/dl")) return QStringLiteral("mg/dL");
    if (key == QLatin1String("umol/l")) return QStringLiteral("µmol/L");
    if (key == QLatin1String("mmol/l")) return QStringLiteral("mmol/L");
    if (key == QLatin1String("mg/l")) return QStringLiteral("mg/L");
    if (key == QLatin1String("g/dl")) return QStringLiteral("g/dL");
    if (key == QLatin1String("g/l")) return QStringLiteral("g/L");
    return u;
}

namespace {

// Milligrams per litre in one unit of a mass concentration.
std::optional<double> mgPerLitre(const QString& unit) {
    if (unit == QLatin1String("mg/dL")) return 10.0;
    if (unit == QLatin1String("mg/L")) return 1.0;
    if (unit == QLatin1String("g/dL")) return 10000.0;
    if (unit == QLatin1String("g/L")) return 1000.0;
    return std::nullopt;
}

// mg/dL in one unit of the molar concentration the analyte is reported in.
std::optional<double> mgPerDlPerMolarUnit(const QString& unit, Analyte analyte) {
    if (analyte == Analyte::Creatinine && unit == QStringLiteral("µmol/L")) return 1.0 / 88.4;
    if (analyte == Analyte::Glucose && unit == QLatin1String("mmol/L")) return 18.016;
    return std::nullopt;
}

}  // namespace

std::optional<double> convertUnit(double value, const QString& from, const QString& to,
                                  Analyte analyte) {
    if (from == to) return value;
    // Into mg/L first, then out of it.
    std::optional<double> mgL;
    if (const auto f = mgPerLitre(from))
        mgL = value * *f;
    else if (const auto m = mgPerDlPerMolarUnit(from, analyte))
        mgL = value * *m * 10.0;
    if (!mgL) return std::nullopt;
    if (const auto f = mgPerLitre(to)) return *mgL / *f;
    if (const auto m = mgPerDlPerMolarUnit(to, analyte)) return *mgL / 10.0 / *m;
    return std::nullopt;
}

}  // namespace report
