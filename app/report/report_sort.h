#pragma once
// The order of the cloud report's rows (CcloudReportCompare). Each active sort
// key's cell is read once into a SortValue; rows then compare key by key.
//
// Dates and numbers are not compared as text: the site writes ROC dates without
// padding the year ("99/12/31" before "100/01/05") and day counts as bare numbers
// ("9" before "10"). Every value falls in one class, dates before numbers before
// text, so the order stays a strict weak ordering whatever a column holds.

#include <QList>
#include <QString>

namespace report {

struct SortValue {
    enum Class { Date, Number, Text };
    Class cls = Text;
    double number = 0;  // the day number of a date, or the number
    QString text;       // the text with A to Z folded to upper case
};

// A caption containing "日期" is a date key.
bool isDateKey(const QString& caption);

// The day number of a date written as ROC y/m/d, yyyy/mm/dd or seven ROC digits.
bool parseReportDate(const QString& value, double* day);

// A cell read under a key: under a date key a value that parses as a date is a
// date (seven digits there are a date, not a number); else a decimal number is
// a number, anything else text.
SortValue sortValueOf(const QString& cell, bool dateKey);

// Negative, zero or positive. `newestFirst` reverses the order among dates only:
// a value that is no date follows every date in both directions.
int compareSortValues(const SortValue& a, const SortValue& b, bool newestFirst);

// One active sort key: the report column it reads and its direction.
struct ActiveSortKey {
    int column;
    bool dateKey;
};

}  // namespace report
