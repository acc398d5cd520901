#include "settings_rules.h"

#include <QLocale>
#include <cmath>
#include <limits>

#include "report/filter_rules.h"

namespace settings {

std::optional<double> parseDecimal(const QString& text) {
    bool ok = false;
    const double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

int zoomSpinnerForText(const QString& text) {
    const double tenths = parseDecimal(text).value_or(1.0) * 10.0;
    // Far outside any spinner value; keep clear of int overflow.
    if (!(std::fabs(tenths) < 1e6)) return tenths < 0 ? -1000000 : 1000000;
    const double lower = std::floor(tenths);
    const double fraction = tenths - lower;
    // The text is decimal: 0.95 * 10 comes out as 9.4999999... in binary but is
    // meant as the half 9.5.
    if (std::fabs(fraction - 0.5) < 1e-9) {
        const long long l = static_cast<long long>(lower);
        return static_cast<int>(l % 2 == 0 ? l : l + 1);
    }
    return static_cast<int>(std::llround(tenths));
}

bool isSaneZoomSpinner(int spinner) {
    return spinner >= kZoomSpinnerMin && spinner <= kZoomSpinnerMax;
}

QString zoomTextForSpinner(int spinner) {
    return QString::number(spinner / 10.0, 'g', QLocale::FloatingPointShortest);
}

StartupZoom startupZoom(const QString& storedText, int currentSpinner) {
    const int spinner = zoomSpinnerForText(storedText);
    if (!isSaneZoomSpinner(spinner)) return {kDesignZoomSpinner, kDesignZoomText};
    if (spinner == currentSpinner) return {spinner, storedText};
    return {spinner, zoomTextForSpinner(spinner)};
}

QString portOrDefault(const QString& stored) {
    return kPorts.contains(stored) ? stored : kPorts.first();
}

std::optional<int> parseScale(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < kMinPpi || v > kMaxPpi) return std::nullopt;
    return v;
}

int windowExtentOr(int stored, int current) {
    return stored >= 100 && stored <= 8192 ? stored : current;
}

std::optional<QList<int>> cloudLabDataWidths(const QString& value, int columnCount) {
    if (value.isEmpty()) return std::nullopt;
    const QStringList entries = value.split(QLatin1Char(','));
    if (entries.size() != columnCount + 1) return std::nullopt;
    QList<int> widths;
    widths.reserve(columnCount);
    for (int i = 1; i < entries.size(); ++i) {
        bool ok = false;
        const int w = entries[i].trimmed().toInt(&ok);
        widths.append(ok ? w : 0);
    }
    return widths;
}

QStringList ruleListFromValue(const QString& value) { return report::ruleListFromStored(value); }

}  // namespace settings
