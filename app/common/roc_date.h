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

// A ROC date as the card and the cloud site write it: seven digits ("1130305", also
// the start of a card date-time such as "1130305093000") or year, month and day
// separated by "/" ("113/03/05", "99/12/31"). Surrounding spaces are ignored. Any
// other form, or a day that does not exist, gives an invalid date.
QDate rocDateFromText(const QString& text);

// A card date-time "YYYMMDDhhmmss" (13 digits): the date and the time of day. Seven
// digits give the date at midnight with no time (`hasTime` false); anything else
// gives an invalid date-time.
struct RocDateTime {
    QDate date;
    QTime time;
    bool hasTime = false;
    bool isValid() const { return date.isValid(); }
};
RocDateTime rocDateTimeFromText(const QString& text);
