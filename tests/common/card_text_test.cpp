#include "common/card_text.h"

#include <gtest/gtest.h>

#include "common/roc_date.h"

namespace {

QByteArray bytes(const char* s, qsizetype n) { return QByteArray(s, n); }

TEST(CardText, GetFromBufferDecodesAndTrims) {
    const struct {
        QByteArray field;
        QString expected;
    } cases[] = {
        // a 20-byte name field: Big5 padded with zeros
        {QByteArray::fromHex("a4fda470a9fa") + QByteArray(14, '\0'), QStringLiteral("王小明")},
        {QByteArray::fromHex("2020a4fd20a47020") + bytes("\t\r\n\x1f", 4), QStringLiteral("王 小")},
        {QByteArray(10, ' '), QString()},
        {QByteArray(10, '\0'), QString()},
        {QByteArray(), QString()},
        // the field cut the last character in half
        {QByteArray::fromHex("a4fda470a9"), QStringLiteral("王小")},
        {bytes("A\0B\0", 4), QString::fromLatin1("A\0B", 3)},  // inner zero stays
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetFromBuffer(c.field), c.expected) << c.field.toHex().toStdString();
}

TEST(CardText, GetAnsiFromBufferKeepsTheBytes) {
    EXPECT_EQ(GetAnsiFromBuffer(bytes(" 1130305\0\0\0\0\0", 13)), QByteArray("1130305"));
    EXPECT_EQ(GetAnsiFromBuffer(QByteArray::fromHex("a4fda4") + QByteArray(3, ' ')),
              QByteArray::fromHex("a4fda4"));  // no decoding, so no byte is lost
    EXPECT_EQ(GetAnsiFromBuffer(QByteArray(8, '\0')), QByteArray());
}

TEST(CardText, BytesToStringTakesTheRangeByteForByte) {
    const QByteArray area = bytes("  AB\xB6\xB3  C\0\0", 11);
    const struct {
        qsizetype start, count;
        QString expected;
    } cases[] = {
        {0, 11, QString::fromLatin1("AB\xB6\xB3  C")},
        {2, 2, QStringLiteral("AB")},
        {4, 1, QString(QChar(0xB6))},
        {9, 2, QString()},
        {10, 5, QString()},  // reaches past the end: cut, never read beyond
        {8, 100, QStringLiteral("C")},
        {11, 1, QString()},
        {-1, 3, QString()},
        {0, 0, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BytesToString(area, c.start, c.count), c.expected) << c.start << "+" << c.count;
}

TEST(RocDate, SevenCharacterDates) {
    const struct {
        QDate date;
        const char* expected;
    } cases[] = {
        {QDate(2024, 3, 5), "1130305"},
        {QDate(1911, 1, 1), "0000101"},
        {QDate(2010, 12, 31), "0991231"},
        {QDate(1912, 2, 29), "0010229"},
        {QDate(1910, 12, 31), "-011231"},
        {QDate(1900, 7, 4), "-110704"},
        {QDate(1812, 1, 1), "-990101"},
        {QDate(2911, 1, 1), "10000101"},
        {QDate(), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateTimeToStr7(c.date), QLatin1String(c.expected)) << c.expected;
    EXPECT_EQ(DateTimeToStr7(QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59))), "1130305");
}

// The dates the archive and the card write read back as the same day, across the
// turn of ROC year 100 where the text grows no digit.
TEST(RocDate, WrittenDatesReadBack) {
    for (const QDate d :
         {QDate(1911, 1, 1), QDate(2010, 12, 31), QDate(2011, 1, 1), QDate(2024, 2, 29)}) {
        EXPECT_EQ(rocDateFromText(DateTimeToStr7(d)), d) << DateTimeToStr7(d).toStdString();
        EXPECT_EQ(rocDateFromText(DateTimeToStr7(d) + QStringLiteral("235959")), d);
    }
    EXPECT_FALSE(rocDateFromText(QStringLiteral("-011231")).isValid());  // before 1911
    EXPECT_FALSE(rocDateTimeFromText(QStringLiteral("11312011030")).isValid());
}

}  // namespace
