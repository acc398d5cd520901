#include "report/report_texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "report_fixture.h"

namespace report {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(MenuTexts, LongValuesWrapUnderTheirCaption) {
    const QString use = QString("每日三次 ") + QString(62, u'x') + " 飯後服用 " + QString(75, u'y');
    const QStringList items = rowValueItems({"就醫日期", "藥品名稱", "用法用量", "ATC7代碼"},
                                            {" 113/12/01 ", " 普拿疼 & 水 ", use, "  "});
    const QString indent(QString("用法用量 : ").size(), u' ');
    EXPECT_THAT(items, ElementsAre("就醫日期 : 113/12/01", "藥品名稱 : 普拿疼 & 水",
                                   "用法用量 : 每日三次 " + QString(62, u'x'), indent + "飯後服用",
                                   indent + QString(75, u'y')));  // a long word stands alone
    EXPECT_THAT(wrapAtSpaces(QString(71, u'z')), ElementsAre(QString(71, u'z')));
}

TEST(MenuTexts, InstitutionByItsCodeField) {
    ReportFolder folder;
    folder.copyHospitalList();
    const QString app = folder.appPath();
    const ReportMenu found = institutionItems(" 北辰聯合醫院>1101010012 ", app);
    ASSERT_EQ(found.kind, ReportMenu::Items);
    EXPECT_EQ(found.items.value(1), "醫事機構代碼 : 1101010012");
    EXPECT_EQ(found.items.value(2), "醫事機構名稱 : 北辰聯合醫院");
    EXPECT_EQ(found.items.size(), 8);
    // A line with an empty field is not the entry of an empty code: no code, no menu.
    EXPECT_EQ(institutionItems("本院>", app).kind, ReportMenu::None);
    EXPECT_EQ(institutionItems("   ", app).kind, ReportMenu::None);
    // A code the list lacks.
    EXPECT_EQ(institutionItems("X>9999999999", app).kind, ReportMenu::None);
    // A code that is only part of a field matches nothing.
    EXPECT_EQ(institutionItems("01010012", app).kind, ReportMenu::None);
}

TEST(MenuTexts, CodeInTheFirstOrLastFieldAndDamagedLists) {
    ReportFolder folder;
    auto write = [&](const QStringList& lines) {
        QFile f(folder.dir.filePath("hospbsc.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF" + lines.join("\r\n").toUtf8());
    };
    QStringList first = {"\"醫事機構代碼\",\"醫事機構名稱\""};
    QStringList last = {"\"醫事機構名稱\",\"醫事機構代碼\""};
    for (int i = 0; i < 10; ++i) {
        first << QString("\"%1\",\"院%2\"").arg(1000000000 + i).arg(i);
        last << QString("\"院%2\",\"%1\"").arg(1000000000 + i).arg(i);
    }
    write(first);
    EXPECT_THAT(institutionItems("院>1000000003", folder.appPath()).items,
                ElementsAre("醫事機構代碼 : 1000000003", "醫事機構名稱 : 院3"));
    write(last);
    EXPECT_THAT(institutionItems("院>1000000009", folder.appPath()).items,
                ElementsAre("醫事機構名稱 : 院9", "醫事機構代碼 : 1000000009"));

    const QString damaged = "檔案缺損 " + folder.appPath() + "hospbsc.txt";
    write(first.mid(0, 9));  // nine lines
    EXPECT_EQ(institutionItems("院>1000000003", folder.appPath()).error, damaged);
    write(QStringList{"\"代碼\""} + first.mid(1));
    EXPECT_EQ(institutionItems("院>1000000003", folder.appPath()).kind, ReportMenu::Error);
    // A title that only contains the code's title (a stray space) is no code field.
    write(QStringList{"\"醫事機構代碼 \",\"醫事機構名稱\""} + first.mid(1));
    EXPECT_EQ(institutionItems("院>1000000003", folder.appPath()).error, damaged);
    QFile::remove(folder.dir.filePath("hospbsc.txt"));
    EXPECT_EQ(institutionItems("院>1000000003", folder.appPath()).error, damaged);
}

TEST(MenuTexts, WhichMenuForWhichColumn) {
    ReportFolder folder;
    folder.copyHospitalList();
    const QStringList captions = {"就醫日期", "藥品名稱", "來源", "主診斷"};
    const QStringList cells = {"113/12/01", "庫魯化錠", "北辰聯合醫院>1101010012", "I10"};
    const QString app = folder.appPath();
    for (int column : {0, 1, 2})
        EXPECT_EQ(contextMenuFor(captions, cells, column, app).items.value(2),
                  "醫事機構名稱 : 北辰聯合醫院")
            << column;
    for (int column : {3, -1})
        EXPECT_EQ(contextMenuFor(captions, cells, column, app).items.value(0),
                  "就醫日期 : 113/12/01")
            << column;
    // "來源" as the last column is found.
    EXPECT_EQ(contextMenuFor({"就醫日期", "來源"}, {"1", "北辰>1101010012"}, 1, app).kind,
              ReportMenu::Items);
    // As the row caption, or missing: no menu.
    EXPECT_EQ(contextMenuFor({"來源", "就醫日期"}, {"北辰>1101010012", "1"}, 1, app).kind,
              ReportMenu::None);
    EXPECT_EQ(contextMenuFor({"就醫日期", "主診斷"}, {"1", "2"}, 1, app).kind, ReportMenu::None);
}

TEST(CopyTexts, LabelsHiddenColumnsAndLines) {
    const QStringList captions = {"就醫日期", "藥品名稱", "用法用量", "給藥日數"};
    const QList<QStringList> rows = {{"113/12/01", " 普拿疼 ", "BID", "  "},
                                     {"113/11/22", "", "", ""},
                                     {"113/10/01", "咳停錠", "", "7"}};
    EXPECT_EQ(copyText(rows, captions, {true, true, false, true}, true),
              "就醫日期:(113/12/01) 藥品名稱:( 普拿疼 )\r\n"
              "就醫日期:(113/11/22)\r\n"
              "就醫日期:(113/10/01) 藥品名稱:(咳停錠) 給藥日數:(7)");
    // Without the first column the line starts with the first value; an empty
    // line is left out.
    EXPECT_EQ(copyText(rows, captions, {false, true, false, true}, false), " 普拿疼 \r\n咳停錠 7");
    EXPECT_EQ(copyText({}, captions, {true, true, true, true}, true), "");
}

}  // namespace
}  // namespace report
