#include "cloud/edge_scrape.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

namespace {

struct WordCase {
    const char* name;
    QString text;
    int start;
    bool last;
    QString want;
    int wantPos;
};

TEST(GetNextWord, ReadsOneCellAndMovesOn) {
    const WordCase cases[] = {
        {"stops after a tab", "ab\tcd", 1, false, "ab", 4},
        {"line feed inside a cell becomes >", "x\ny\tz", 1, false, "x>y", 5},
        {"leading line feed is dropped", "\nx\tz", 1, false, "x", 4},
        {"last column stops at the line feed", "x\ny\tz", 1, true, "x", 3},
        {"stop on the last character ends the text", "ab\t", 1, false, "ab", 0},
        {"running off the end", "ab", 1, false, "ab", 0},
        {"position zero reads nothing", "ab", 0, false, "", 0},
        {"beyond the end", "ab", 5, false, "", 0},
    };
    for (const auto& c : cases) {
        int pos = c.start;
        EXPECT_EQ(getNextWord(pos, c.text, c.last), c.want) << c.name;
        EXPECT_EQ(pos, c.wantPos) << c.name;
    }
}

TEST(GetNextWord2, ReadsSpaceSeparatedWords) {
    const QString s = "Showing  1 to 5";
    int pos = 8;  // just after "Showing"
    EXPECT_EQ(getNextWord2(pos, s), "1");
    EXPECT_EQ(getNextWord2(pos, s), "to");
    EXPECT_EQ(getNextWord2(pos, s), "5");
    EXPECT_EQ(pos, s.size() + 1);
    EXPECT_EQ(getNextWord2(pos, s), "");
    EXPECT_EQ(pos, 0);

    // Tabs and line feeds belong to words; trailing spaces run out to 0.
    const QString t = "a\tb\nc   ";
    pos = 1;
    EXPECT_EQ(getNextWord2(pos, t), "a\tb\nc");
    EXPECT_EQ(getNextWord2(pos, t), "");
    EXPECT_EQ(pos, 0);
}

}  // namespace
