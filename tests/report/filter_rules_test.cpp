#include "report/filter_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace report {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(RuleParser, CommasOnlyQuotesAndLineBreaks) {
    struct Case {
        const char* text;
        QStringList items;
    } const cases[] = {
        {"", {}},
        {"台大, 眼科", {"台大", " 眼科"}},         // the space stays part of the item
        {"台大\r\n眼科", {"台大眼科"}},            // two lines without a comma join
        {"台大\n,\r眼科,", {"台大", "眼科", ""}},  // trailing comma: an empty last item
        {"\"E1,E2\",H243", {"E1,E2", "H243"}},     // a quoted piece keeps its comma
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"a,\"unclosed, to the end", {"a", "unclosed, to the end"}},
        {",", {"", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseRuleList(QString::fromUtf8(c.text)), c.items) << c.text;
    // Start-up reads the stored form: "||" stands for a line break and goes.
    EXPECT_THAT(ruleListFromStored("台大||眼科, 內科||"), ElementsAre("台大眼科", " 內科"));
}

TEST(RuleStore, TextsComeBackAsTypedAfterARestart) {
    ReportFolder folder;
    const QString texts[] = {
        " 眼科, 台大 ",              // end blanks the store would trim
        "\"E133-E233\"",             // enclosing quotes the store would drop
        "H243\r\nE133-E233\nJ06\r",  // every kind of line break is one "||"
        "'x'",
    };
    for (const QString& memo : texts) {
        const QString stored = storedFromMemoText(memo);
        EXPECT_FALSE(stored.contains(u'\n')) << memo.toStdString();
        folder.ini().writeString(kRuleSection, kNameRuleKey, stored);
        const QString back = folder.ini().readString(kRuleSection, kNameRuleKey, QString());
        QString expected = memo;
        expected.replace("\r\n", "\n").replace('\r', '\n');
        EXPECT_EQ(memoTextFromStored(back), expected) << memo.toStdString();
    }
    EXPECT_EQ(storedFromMemoText("H243\r\nE11"), "H243||E11");
}

CloudRow drugRow(const QString& source, const QString& diagnosis, const QString& atc3 = {}) {
    CloudRow row{"113/01/01", QStringList(23)};
    row.values[0] = source;
    row.values[1] = diagnosis;
    row.values[3] = atc3;
    return row;
}

TEST(CheckColudSelect, RulesOfEachList) {
    struct Case {
        const char* name;
        Kind kind;
        const char* source;
        const char* diagnosis;
        const char* atc3;
        FilterRules rules;
        bool selected;
    } const cases[] = {
        {"range: below", Kind::Drug, "", "E1165", "", {{}, {"E133-E233"}, {}}, false},
        {"range: inside", Kind::Drug, "", "E1900", "", {{}, {"E133-E233"}, {}}, true},
        {"range: upper bound", Kind::Drug, "", "E2339", "", {{}, {"E133-E233"}, {}}, true},
        {"range: above", Kind::Drug, "", "E2400", "", {{}, {"E133-E233"}, {}}, false},
        {"range: lower-case rule", Kind::Drug, "", "E1900", "", {{}, {"e133-e233"}, {}}, true},
        {"prefix without case", Kind::Drug, "", "h2431", "", {{}, {"H243"}, {}}, true},
        {"after the last dot", Kind::Drug, "", "J06.9", "", {{}, {"9"}, {}}, true},
        {"dotted, upper-cased", Kind::Drug, "", "x.e150", "", {{}, {"E133-E233"}, {}}, true},
        {"j069 stays lower-case", Kind::Drug, "", "j069", "", {{}, {"J06-J07"}, {}}, false},
        {"J069 with j06", Kind::Drug, "", "J069", "", {{}, {"j06"}, {}}, true},
        {"open lower bound", Kind::Drug, "", "A00", "", {{}, {"-E233"}, {}}, true},
        {"blank rule ignored", Kind::Drug, "", "E11", "", {{}, {"  ", ""}, {}}, false},
        {"name: space belongs", Kind::Drug, "台大眼科>1", "", "", {{" 眼科"}, {}, {}}, false},
        {"name: with space", Kind::Drug, "台大 眼科>1", "", "", {{" 眼科"}, {}, {}}, true},
        {"name: joined lines", Kind::Drug, "台大眼科>1", "", "", {{"台大眼科"}, {}, {}}, true},
        {"name without case", Kind::Lab, "abc clinic", "", "", {{"ABC"}, {}, {}}, true},
        {"atc3 for drugs", Kind::Drug, "", "", "Antiepileptics", {{}, {}, {"EPILEP"}}, true},
        {"no atc3 for lab", Kind::Lab, "", "", "Antiepileptics", {{}, {}, {"EPILEP"}}, false},
        {"own code: drug", Kind::Drug, "本院>3501209999", "", "", {{"本院"}, {}, {}}, false},
        {"own code: lab", Kind::Lab, "本院>3501209999", "", "", {{"本院"}, {}, {}}, true},
        {"no rules", Kind::Drug, "台大>1", "E11", "X", {}, false},
    };
    for (const auto& c : cases) {
        const CloudRow row = drugRow(QString::fromUtf8(c.source), QString::fromUtf8(c.diagnosis),
                                     QString::fromUtf8(c.atc3));
        EXPECT_EQ(checkColudSelect(c.kind, row, c.rules, "3501209999"), c.selected) << c.name;
    }
    // Without an own code nothing is excluded.
    EXPECT_TRUE(
        checkColudSelect(Kind::Drug, drugRow("本院>3501209999", ""), {{"本院"}, {}, {}}, ""));
}

}  // namespace
}  // namespace report
