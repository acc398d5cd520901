#pragma once
// ROC dates: the year minus 1911, then month and day, as the card, the archive and
// the cloud records write them ("1130305" or "113/03/05" for 5 March 2024).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

// The year minus 1911 in at least three digits ("000" for 1911), a year before 1911
// as a minus sign and at least two digits ("-01" for 1910), then the month and the
// day in two digits each. Seven characters for the years 1812 to 2910. An invalid
// date gives an empty text.
QString DateTimeToStr7(const QDate& date);
inline QString DateTimeToStr7(const QDateTime& dateTime) { return DateTimeToStr7(dateTime.date()); }

// A date of the cloud record text (a visit, test, report or refill date). Every
// reader of those dates (report, clinical aids, summary, exchange file) goes through
// this one. Accepts, with surrounding blanks:
// - ROC year/month/day with a year of one to three digits ("113/12/01", "99/1/5");
// - a four-digit year/month/day, the common era's ("2024/12/01");
// - seven digits, the ROC date as the card writes it ("1131201").
// Month and day have one or two digits. Anything else, and a day the calendar does
// not have, gives an invalid date.
QDate recordDateFromText(QStringView text);

// A date as the card and the archive write it: the forms of recordDateFromText, and
// also a card date-time, whose first seven digits are the date ("1130305093000").
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
