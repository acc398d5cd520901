// The ASCII-only text rules: only A-Z fold, only codes up to 32 are trimmed. Qt's own
// case-blind comparison and trimmed() go further (other scripts' letters, the ideographic
// space), which a file name or a record text must not.

#include "common/ascii_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiText, TrimControlsTakesCodesUpToSpaceOnly) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral(" \t\r\n") + QChar(0) + QChar(0x1F) + "a b" + QChar(0x20), "a b"},
        {QString(QChar(0x3000)) + "x" + QChar(0x3000),
         QString(QChar(0x3000)) + "x" + QChar(0x3000)},
        {QString(QChar(0x7F)) + "x" + QChar(0xA0), QString(QChar(0x7F)) + "x" + QChar(0xA0)},
        {QStringLiteral(" \t "), QString()},
        {QString(), QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(trimControls(c.in), c.out) << c.in.toStdString();
}

TEST(AsciiText, OnlyLettersAToZCompareWithoutCase) {
    const struct {
        QString text;
        qsizetype at;
        QString what;
        bool same;
    } cases[] = {
        {"<Drug>", 1, "dRUG", true},
        {"x@[`{", 1, "@[`{", true},  // the neighbours of the letters are not letters
        {"x@[`{", 1, "`{@[", false},
        {"ab", 1, "B", true},
        {"ab", 1, "BC", false},  // does not fit
        {"ab", -1, "a", false},
        {"ab", 2, "", true},                                         // nothing fits at the end
        {QString(QChar(0xE4)), 0, QString(QChar(0xC4)), false},      // ä, Ä
        {QString(QChar(0xFF41)), 0, QString(QChar(0xFF21)), false},  // fullwidth a, A
        {QStringLiteral("k"), 0, QString(QChar(0x212A)), false},     // Kelvin sign
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameAsciiNoCaseAt(c.text, c.at, c.what), c.same)
            << c.text.toStdString() << " @" << c.at << " " << c.what.toStdString();
    EXPECT_TRUE(sameAsciiNoCase("B220715631", "b220715631"));
    EXPECT_FALSE(sameAsciiNoCase("B220715631", "b22071563"));
}

}  // namespace
