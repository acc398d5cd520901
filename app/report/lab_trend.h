#pragma once
// One laboratory item over time, taken from the laboratory source table: the
// numeric results as points with their reference range and out-of-range marks,
// and the results that cannot be plotted.

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

#include "report/cloud_tables.h"

namespace report {

// A reference range with one or two bounds. "3.5-5.0" and "[3.5][5.0]" include
// both ends; "<200" excludes 200, ">=40" includes 40.
struct ReferenceRange {
    std::optional<double> low;
    std::optional<double> high;
    bool lowInclusive = true;
    bool highInclusive = true;

    bool contains(double value) const;
};

// The forms the laboratories write: "3.5-5.0" (also with "~" or blanks),
// "[3.5][5.0]" (either bracket may be empty, not both), "<200", "<=200", ">40",
// ">=40". Anything else (text, units, a low bound above the high one) gives none.
std::optional<ReferenceRange> parseReferenceRange(const QString& text);

// A result such as "7.2", "<0.5" or ">=1000": the number and the comparison in
// front of it, if any. Text results ("2+", "Negative") give none.
struct LabValue {
    double value = 0;
    QString marker;  // "", "<", "<=", ">" or ">="
};
std::optional<LabValue> parseLabValue(const QString& text);

struct TrendPoint {
    int row = -1;
    QDate date;
    LabValue value;
    QString resultText;  // the result as the table shows it, trimmed
    bool outOfRange = false;
};

struct UnplottedResult {
    int row = -1;
    QString dateText;
    QString resultText;
};

struct TrendSeries {
    QString code;                         // "醫令代碼"
    QString item;                         // "檢驗項目", or "醫令名稱" when that is empty
    QString unit;                         // of the newest point that has one
    std::optional<ReferenceRange> range;  // of the newest point whose range parses
    QList<TrendPoint> points;             // oldest first
    QList<UnplottedResult> unplotted;     // in table order
    QStringList conversions;              // "113/07/12 97 µmol/L → 1.10 mg/dL", per converted result

    // "最新值" with date and, when there is a previous point, "較前次" and the change.
    QString headline() const;
};

// The series of the item in row `row` of the laboratory table: every row with the
// same code and item. The x value is "檢驗日期", or "報告日期" when that is not a
// date. A point is out of range by its own row's reference range, or by the
// series' range when its own does not parse.
TrendSeries extractTrendSeries(const CloudTable& lab, int row);

// Every series of the test in row `row`, one per unit: the test is its order code
// ("醫令代碼") whatever the institution or the item's text, unless the code names
// a panel (several items on one day, as a blood count does), then the code and the
// item. Results in another unit are converted to the newest result's unit where
// the factor is known (creatinine µmol/L, glucose mmol/L, mass concentrations),
// their text saying so; the rest form a series of their own unit. The first
// series is the newest result's.
QList<TrendSeries> extractTrendSet(const CloudTable& lab, int row);

}  // namespace report
