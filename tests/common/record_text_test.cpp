#include "common/record_text.h"

#include <gtest/gtest.h>

#include "qstring_printer.h"

namespace {

TEST(FindParePos, FindsTheClosingTag) {
    struct Case {
        const char* name;
        QString tag;
        QString text;
        int begPos;
        int want;
    } const cases[] = {
        {"plain", "a", "<a>xy</a>", 4, 6},
        {"nested of the same name", "a", "<a>x<a>y</a>z</a>", 4, 14},
        {"blanks around the name, small letter", " D\t", "<D>1</d>", 4, 5},
        {"stray brackets in the value", "c", "<c>x<y>z</c>", 4, 9},
        {"no end tag", "a", "<a>xy", 4, 0},
        {"end tag right at begPos", "a", "</a>", 1, 1},
        {"the last character is never examined", "a", "x<", 1, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(findParePos(c.tag, c.text, c.begPos), c.want) << c.name;
}

TEST(GetXMLitem, WalksTheRowsOfARecordText) {
    const QString s = "<D><a>1</a><b /><c>x<y</c></D><D><a>2</a></D>";
    QStringList list;
    int pos = getXMLitem(s, 1, "D", list);
    EXPECT_EQ(list, QStringList({"a=1", "c=x<y"}));
    EXPECT_EQ(pos, s.indexOf("<D><a>2") + 1);
    pos = getXMLitem(s, pos, "D", list);
    EXPECT_EQ(list, QStringList({"a=2"}));
    EXPECT_EQ(pos, s.size() + 1);
    EXPECT_EQ(getXMLitem(s, pos, "D", list), 0);
    EXPECT_TRUE(list.isEmpty());
}

TEST(GetXMLitem, BrokenInputGivesZero) {
    struct Case {
        const char* name;
        QString text;
        QStringList listed;
    } const cases[] = {
        {"child without end tag", "<D><a>1</a><b>2</D>", {"a=1"}},
        {"row without end", "<D><a>1</a>", {"a=1"}},
        {"tag with attributes is never closed", "<D><a x=1>1</a></D>", {}},
        {"empty text", "", {}},
        {"start tag at the very end", "<D>", {}},
        {"name running to the end", "<D><abc", {}},
    };
    for (const auto& c : cases) {
        QStringList list;
        EXPECT_EQ(getXMLitem(c.text, 1, "D", list), 0) << c.name;
        EXPECT_EQ(list, c.listed) << c.name;
    }
}

TEST(GetXMLitem, KeepsEqualsSignsAndNestedRows) {
    QStringList list;
    const QString s = "<R><D><k>a=b</k></D></R>";
    EXPECT_EQ(getXMLitem(s, 1, "R", list), s.size() + 1);
    EXPECT_EQ(list, QStringList({"D=<k>a=b</k>"}));
}

}  // namespace
