#include "report/cloud_report.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QCoreApplication>

#include "report_fixture.h"

namespace report {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

QStringList keysOf(const IniFile::Pairs& pairs) {
    QStringList keys;
    for (const auto& p : pairs) keys << p.first;
    return keys;
}

QStringList captionsOf(const QList<CloudColumn>& columns) {
    QStringList out;
    for (const auto& c : columns) out << c.caption;
    return out;
}

class Report : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.dir.isValid());
        report.ownHospitalCode = [this] { return ownCode; };
        report.datesForward = [this] { return forward; };
    }
    void fill() {
        report.fillCloudData(reportFixture("drug-records.txt"), reportFixture("lab-records.txt"));
    }
    // Column `caption` of the rows as shown.
    QStringList shown(const QString& caption) const {
        const int column = static_cast<int>(report.model().captions().indexOf(caption));
        QStringList out;
        for (int r = 0; r < report.proxy().rowCount(); ++r)
            out << report.proxy().index(r, column).data().toString();
        return out;
    }
    int fieldIndex(const QString& caption) const {
        for (int i = 0; i < report.fields().size(); ++i)
            if (report.fields()[i].caption == caption) return i;
        return -1;
    }
    int sortIndex(const QString& caption) const {
        for (int i = 0; i < report.sortKeys().size(); ++i)
            if (report.sortKeys()[i].caption == caption) return i;
        return -1;
    }

    ReportFolder folder;
    CloudReport report{folder.iniPath()};
    QString ownCode;
    bool forward = false;
};

TEST_F(Report, FillReadsBothRecordTexts) {
    fill();
    const CloudTable& drug = report.sourceTables().drug;
    ASSERT_EQ(drug.rows.size(), 9);  // the blank date is dropped
    EXPECT_EQ(report.sourceTables().lab.rows.size(), 3);
    const CloudRow& first = drug.rows[0];
    EXPECT_EQ(first.cell(columnIndex(Kind::Drug, "連箋領藥日")), "113/12/29");
    EXPECT_EQ(first.cell(columnIndex(Kind::Drug, "餘藥日數")), "0");
    EXPECT_EQ(first.cell(columnIndex(Kind::Drug, "連箋原處方醫事機構")), "3501200000");
    EXPECT_EQ(first.cell(columnIndex(Kind::Drug, "65歲以上病人宜注意用藥品項")), "Y");
    const CloudRow& second = drug.rows[1];
    EXPECT_EQ(second.caption, "113/12/08");             // trimmed
    EXPECT_EQ(second.cell(9), " 可悅您膜衣錠50毫克 ");  // values are not
    EXPECT_EQ(second.cell(23), "");                     // no "ATC7代碼"
    ASSERT_EQ(second.values.size(), 23);

    // The drug rows as the aids read them, read once from these tables.
    const qsizetype readable = report.drugSupplies().rows.size();
    EXPECT_GT(readable, 0);
    EXPECT_EQ(readable, readDrugSupplies(drug).rows.size());

    // A new fill replaces both tables, also with nothing, and what the aids read.
    report.fillCloudData(QString(), QString());
    EXPECT_TRUE(report.sourceTables().drug.rows.isEmpty());
    EXPECT_TRUE(report.sourceTables().lab.rows.isEmpty());
    EXPECT_TRUE(report.drugSupplies().rows.isEmpty()) << "not the previous patient's rows";
}

TEST_F(Report, FirstUseShowsDefaultsAndWritesBothSections) {
    EXPECT_EQ(report.showCloud("drug"), 0);
    fill();
    EXPECT_EQ(report.showCloud("drug"), 9);
    EXPECT_EQ(report.model().captions(), captionsOf(drugColumns()));
    EXPECT_EQ(report.getWidthofColumn("藥品名稱"), 180);
    EXPECT_FALSE(report.fields()[3].checked);  // "ATC5代碼", 0 wide
    const IniFile ini = folder.ini();
    EXPECT_EQ(keysOf(ini.readSection("drugsort")), captionsOf(drugColumns()));
    for (const auto& [key, value] : ini.readSection("drugsort"))
        EXPECT_EQ(value, "N") << key.toStdString();
    EXPECT_EQ(ini.readString("drugfield", "藥品名稱", ""), "180");
    EXPECT_TRUE(ini.readSection("labfield").isEmpty());
    // No active key: the source order.
    EXPECT_EQ(shown("就醫日期").first(3), QStringList({"113/12/01", "113/12/08", "113/11/22"}));

    // Laboratory columns take the configured defaults.
    QList<int> labWidths(23, 40);
    labWidths[0] = -1;
    labWidths[1] = -9;
    labWidths[2] = 5000;
    report.setLabDefaultWidths(labWidths);
    EXPECT_EQ(report.showCloud("labdata"), 3);
    EXPECT_EQ(report.getWidthofColumn("檢驗日期"), -1);
    EXPECT_TRUE(report.fields()[0].checked);
    EXPECT_EQ(report.getWidthofColumn("來源"), 0);
    EXPECT_EQ(report.getWidthofColumn("主診斷"), 4000);
    EXPECT_EQ(folder.ini().readString("labfield", "檢驗類別", ""), "40");

    // Another kind leaves the report as it is.
    EXPECT_EQ(report.showCloud("Drug"), 3);
    EXPECT_EQ(report.cloudReportType(), "labdata");
}

TEST_F(Report, StoredFieldSections) {
    struct Case {
        const char* name;
        const char* ini;
        QStringList firstColumns;
        QList<int> firstWidths;
        QList<bool> firstChecked;
    } const cases[] = {
        {"only one field",
         "[drugfield]\n藥品名稱=200\n",
         {"藥品名稱", "就醫日期", "來源"},
         {200, 0, 0},
         {true, false, false}},
        // A caption twice counts once, with its first width.
        {"a caption twice",
         "[drugfield]\n來源=90\n藥品名稱=200\n來源=10\n",
         {"來源", "藥品名稱", "就醫日期"},
         {90, 200, 0},
         {true, true, false}},
        {"widths out of range",
         "[drugfield]\n來源=-1\n主診斷=-2\n藥品名稱=-7\nATC3名稱=9999\n就醫日期=abc\n",
         {"來源", "主診斷", "藥品名稱", "ATC3名稱", "就醫日期"},
         {-1, -2, 0, 4000, 0},
         {true, true, false, true, false}},
        {"unknown keys skipped",
         "[drugfield]\n舊欄位=80\n給藥日數=70\n",
         {"給藥日數", "就醫日期"},
         {70, 0},
         {true, false}},
        // A section naming no drug column is as good as none: the defaults.
        {"no column of the kind",
         "[drugfield]\n檢驗日期=30\n",
         {"就醫日期", "來源"},
         {54, 150},
         {true, true}},
    };
    for (const auto& c : cases) {
        ReportFolder f;
        f.writeIni(c.ini);
        CloudReport r(f.iniPath());
        r.showCloud("drug");
        ASSERT_EQ(r.fields().size(), 24) << c.name;
        EXPECT_EQ(r.model().columnCount(), 24) << c.name;
        for (int i = 0; i < c.firstColumns.size(); ++i) {
            EXPECT_EQ(r.fields()[i].caption, c.firstColumns[i]) << c.name << " " << i;
            EXPECT_EQ(r.fields()[i].width, c.firstWidths[i]) << c.name << " " << i;
            EXPECT_EQ(r.fields()[i].checked, c.firstChecked[i]) << c.name << " " << i;
        }
        // The sort section was missing: both are written, every caption of the
        // kind in the field section beside what it held.
        const QStringList keys = keysOf(f.ini().readSection("drugfield"));
        for (const QString& caption : captionsOf(drugColumns()))
            EXPECT_TRUE(keys.contains(caption)) << c.name << " " << caption.toStdString();
        EXPECT_EQ(f.ini().readSection("drugsort").size(), 24) << c.name;
    }
}

TEST_F(Report, FirstUseUpdatesAPresentSectionInPlace) {
    // The field section is there, the sort section is not: the field section keeps
    // its lines where they are, a key naming no column and a comment included.
    folder.writeIni("[drugfield]\n;kept\n舊欄位=80\n給藥日數=70\n[other]\nk=v\n");
    CloudReport r(folder.iniPath());
    r.showCloud("drug");
    const IniFile::Pairs field = folder.ini().readSection("drugfield");
    ASSERT_GE(field.size(), 2);
    EXPECT_EQ(field.at(0), qMakePair(QString("舊欄位"), QString("80")));
    EXPECT_EQ(field.at(1), qMakePair(QString("給藥日數"), QString("70")));
    EXPECT_EQ(field.size(), 25);  // and every column of the kind
    QFile file(folder.iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(";kept"));
    EXPECT_EQ(folder.ini().readString("other", "k", ""), "v");
}

TEST_F(Report, StoredSortSectionAndComparison) {
    folder.writeIni("[drugsort]\n舊欄位=Y\n就醫日期=Y\n藥品名稱=Y\n就醫日期=N\n");
    fill();
    report.showCloud("drug");
    ASSERT_EQ(report.sortKeys().size(), 24);
    EXPECT_EQ(report.sortKeys()[0].caption, "就醫日期");
    EXPECT_TRUE(report.sortKeys()[0].checked);
    EXPECT_TRUE(report.sortKeys()[1].checked);
    EXPECT_FALSE(report.sortKeys()[2].checked);
    // Newest first, ROC years of two and three digits by day, the same date by name.
    EXPECT_EQ(shown("就醫日期"),
              QStringList({"113/12/08", "113/12/01", "113/11/22", "113/09/15", "113/09/15",
                           "113/07/01", "113/05/08", "100/01/05", "99/12/31"}));
    EXPECT_EQ(shown("藥品名稱")[3], "歐美拉唑腸溶膠囊20毫克");
    EXPECT_EQ(shown("藥品名稱")[4], "立普妥膜衣錠10毫克");

    forward = true;
    report.sort();
    EXPECT_EQ(shown("就醫日期").first(2), QStringList({"99/12/31", "100/01/05"}));

    // Days as numbers: 3 < 7 < 14 < 28; equal values keep the source order.
    report.checkSortKey(0, false);
    report.checkSortKey(1, false);
    report.checkSortKey(sortIndex("給藥日數"), true);
    EXPECT_EQ(shown("給藥日數"), QStringList({"3", "7", "7", "14", "14", "14", "28", "28", "28"}));
    EXPECT_EQ(shown("就醫日期").mid(1, 2), QStringList({"113/12/01", "113/09/15"}));
    // A sort key moved to the top is written in its new place.
    const int days = sortIndex("給藥日數");
    EXPECT_EQ(report.moveSortKey(days, -1), days - 1);
    EXPECT_EQ(keysOf(folder.ini().readSection("drugsort")).indexOf("給藥日數"), days - 1);
    EXPECT_EQ(report.moveSortKey(0, -1), std::nullopt);
    EXPECT_EQ(report.moveSortKey(23, +1), std::nullopt);
}

TEST_F(Report, FieldHandlersRewriteTheSection) {
    // A hand-edited section shorter than the list.
    folder.writeIni("[drugfield]\n藥品名稱=200\n[drugsort]\n就醫日期=N\n");
    fill();
    report.showCloud("drug");
    const int date = fieldIndex("就醫日期");
    ASSERT_EQ(date, 1);
    EXPECT_EQ(report.moveField(date, -1), 0);
    EXPECT_EQ(report.model().captions().first(2), QStringList({"就醫日期", "藥品名稱"}));
    IniFile::Pairs field = folder.ini().readSection("drugfield");
    ASSERT_EQ(field.size(), 24);
    EXPECT_EQ(field[0], qMakePair(QString("就醫日期"), QString("0")));
    EXPECT_EQ(field[1], qMakePair(QString("藥品名稱"), QString("200")));
    EXPECT_EQ(report.rowCount(), 9);  // rebuilt with its rows
    EXPECT_EQ(report.proxy().index(0, 1).data().toString(), "庫魯化錠500毫克");

    // Ticking a hidden field gives it 50, clearing one 0; the columns stay put.
    const int atc5 = fieldIndex("ATC5代碼");
    report.checkField(atc5, true);
    EXPECT_EQ(report.fields()[atc5].width, 50);
    report.checkField(0, false);
    EXPECT_EQ(report.fields()[0].width, 0);
    EXPECT_EQ(report.fields()[0].caption, "就醫日期");
    EXPECT_EQ(folder.ini().readString("drugfield", "ATC5代碼", ""), "50");
    EXPECT_EQ(folder.ini().readString("drugfield", "就醫日期", ""), "0");

    // Arrows at either end, or without an item, change nothing.
    EXPECT_EQ(report.moveField(0, -1), std::nullopt);
    EXPECT_EQ(report.moveField(23, +1), std::nullopt);
    EXPECT_EQ(report.moveField(-1, +1), std::nullopt);
}

TEST_F(Report, AChangeOfKindKeepsDraggedWidths) {
    fill();
    report.showCloud("drug");
    report.setColumnWidth(0, 77);
    report.showCloud("labdata");
    EXPECT_EQ(folder.ini().readString("drugfield", "就醫日期", ""), "77");
    report.setColumnWidth(1, 12);
    report.storeColumnWidths();  // as at program end
    EXPECT_EQ(folder.ini().readString("labfield", "來源", ""), "12");
    report.showCloud("drug");
    EXPECT_EQ(report.getWidthofColumn("就醫日期"), 77);
}

TEST_F(Report, NothingBeforeTheFirstReport) {
    report.loadFieldDef(true);
    report.saveFieldDef();
    report.storeColumnWidths();
    report.checkField(0, true);
    report.checkSortKey(0, true);
    EXPECT_EQ(report.moveField(0, 1), std::nullopt);
    EXPECT_EQ(report.moveSortKey(0, 1), std::nullopt);
    EXPECT_EQ(report.showCloud(""), 0);
    EXPECT_TRUE(report.fields().isEmpty());
    EXPECT_FALSE(QFile::exists(folder.iniPath()));
}

TEST_F(Report, SelectedRowsAndRules) {
    fill();
    ownCode = "3501209999";
    report.setRules({{"本院", "眼科"}, {}, {}});
    report.CloudSelectType = csSelect;
    EXPECT_EQ(report.showCloud("drug"), 2);     // the eye clinics; the clinic's own row is out
    EXPECT_EQ(report.showCloud("labdata"), 1);  // its own laboratory row is in
    // A new patient keeps the mode.
    fill();
    EXPECT_EQ(report.showCloud("drug"), 2);
    report.setRules({});
    EXPECT_EQ(report.showCloud("drug"), 0);

    ASSERT_TRUE(report.saveRules({" 眼科\r\n,台大", "E13-E15", "\"LIPID\""}));
    EXPECT_THAT(report.rules().NameRuleList, ElementsAre(" 眼科", "台大"));
    const RuleTexts back = report.storedRuleTexts();
    EXPECT_EQ(back.name, " 眼科\n,台大");
    EXPECT_EQ(back.atc3, "\"LIPID\"");
    // " 眼科" only with its space; "E13.3" is read as "3", out of range; LIPID by ATC3.
    EXPECT_EQ(report.showCloud("drug"), 2);
}

TEST_F(Report, ModelAndProxyStayConsistent) {
    QAbstractItemModelTester modelTester(&report.model(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    QAbstractItemModelTester proxyTester(&report.proxy(),
                                         QAbstractItemModelTester::FailureReportingMode::Fatal);
    fill();
    report.showCloud("drug");
    report.checkSortKey(0, true);
    report.moveField(9, -1);
    report.showCloud("labdata");
    report.showCloud("drug");
    EXPECT_TRUE(
        report.proxy().setData(report.proxy().index(2, 0), Qt::Checked, Qt::CheckStateRole));
    report.sort();
    EXPECT_EQ(report.proxy().index(2, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    // A rebuild keeps no ticks.
    report.showCloud("drug");
    for (int r = 0; r < report.rowCount(); ++r) EXPECT_FALSE(report.model().isTicked(r));
}

TEST_F(Report, CopyTakesTickedRowsAsShown) {
    folder.writeIni("[drugfield]\n就醫日期=54\n藥品名稱=180\n[drugsort]\n就醫日期=Y\n");
    fill();
    report.showCloud("drug");
    report.proxy().setData(report.proxy().index(8, 0), Qt::Checked, Qt::CheckStateRole);
    report.proxy().setData(report.proxy().index(0, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_EQ(report.copyText(true),
              "就醫日期:(113/12/08) 藥品名稱:( 可悅您膜衣錠50毫克 )\r\n"
              "就醫日期:(99/12/31) 藥品名稱:(眼藥水)");
    EXPECT_EQ(report.copyText(false), "113/12/08  可悅您膜衣錠50毫克 \r\n99/12/31 眼藥水");
}

}  // namespace
}  // namespace report

namespace report {
namespace {

// Rows equal under every sort key keep their record order, whatever the report
// showed before: the rows of another selection, another kind or another patient.
TEST_F(Report, TiedRowsKeepTheirRecordOrderAfterEveryRebuild) {
    folder.writeIni("[drugsort]\n就醫日期=Y\n");
    QString drugs;
    const QStringList names = {"r1", "r2", "r3", "new", "r4", "r5", "r6", "r7"};
    for (const QString& n : names)
        drugs += "<D><就醫日期>" + QString(n == "new" ? "113/06/01" : "113/05/01") +
                 "</就醫日期><來源>" + QString(n == "r3" || n == "new" ? "眼科診所" : "內科診所") +
                 "</來源><藥品名稱>" + n + "</藥品名稱></D>";
    const QString labs = "<D><檢驗日期>113/05/01</檢驗日期><檢驗項目>A</檢驗項目></D>";
    report.setRules({{"眼科"}, {}, {}});
    const QStringList all = {"new", "r1", "r2", "r3", "r4", "r5", "r6", "r7"};
    // The selection puts a newer row after an older one, so its sort values differ
    // from the full list's at the same rows.
    const QStringList selected = {"new", "r3"};

    report.fillCloudData(drugs, labs);
    const struct {
        const char* step;
        std::function<void()> act;
        QStringList expected;
    } steps[] = {
        {"first report", [&] { report.showCloud("drug"); }, all},
        {"顯示選取",
         [&] {
             report.CloudSelectType = csSelect;
             report.showCloud("drug");
         },
         selected},
        {"顯示全部",
         [&] {
             report.CloudSelectType = csAll;
             report.showCloud("drug");
         },
         all},
        {"檢驗, then 藥品",
         [&] {
             report.showCloud("labdata");
             report.showCloud("drug");
         },
         all},
        {"顯示選取 again", [&] {
             report.CloudSelectType = csSelect;
             report.showCloud("drug");
         },
         selected},
        {"a new Read",
         [&] {
             report.CloudSelectType = csAll;
             report.fillCloudData(drugs, labs);
             report.showCloud("drug");
         },
         all},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        EXPECT_EQ(shown("藥品名稱"), s.expected);
    }
}

}  // namespace
}  // namespace report
