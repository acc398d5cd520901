#pragma once
// ROC dates: the year minus 1911, then month and day, as the card and the archive
// write them ("1130305" for 5 March 2024).

#include <QDate>
#include <QDateTime>
#include <QString>

// The year minus 1911 in at least three digits ("000" for 1911), a year before 1911
// as a minus sign and at least two digits ("-01" for 1910), then the month and the
// day in two digits each. Seven characters for the years 1812 to 2910. An invalid
// date gives an empty text.
QString DateTimeToStr7(const QDate& date);
inline QString DateTimeToStr7(const QDateTime& dateTime) { return DateTimeToStr7(dateTime.date()); }
