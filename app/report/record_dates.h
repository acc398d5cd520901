#pragma once
// Dates as the cloud record tables write them, read into calendar dates so that
// supply periods and trends can be computed from them.

#include <QDate>
#include <QStringView>

namespace cloud {

// Accepts, with surrounding blanks:
// - ROC year/month/day with a year of one to three digits ("113/12/01", "99/1/5");
// - a four-digit year/month/day ("2024/12/01");
// - seven digits, the ROC date as the card writes it ("1131201").
// Anything else, and a day the calendar does not have, gives an invalid date.
QDate parseRecordDate(QStringView text);

}  // namespace cloud
