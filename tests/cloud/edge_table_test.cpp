#include "cloud/edge_table.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cloud/browser_driver.h"
#include "common/codepage.h"
#include "common/record_text.h"
#include "fake_cloud_site.h"
#include "recording_prompts.h"
#include "recording_status_sink.h"

namespace {

const QStringList kCols = {"A", "B"};
const QString kDrugCount = "查詢[西醫用藥]的項目數次異常";

QString pager(int x, int y, const QString& z) {
    return QString("Showing %1 to %2 of %3 entries").arg(x).arg(y).arg(z);
}

struct TableFixture : ::testing::Test {
    VirtualClock clock{0xFFFFFF00u};
    FakeBrowser browser{clock};
    FakeCloudSite site{clock, browser};
    RecordingStatusSink status;
    RecordingPrompts prompts;
    BrowserDriver driver{browser, clock, status};
    QTemporaryDir dir;
    EdgeTableReader reader{driver, prompts, dir.path()};
    QString target;

    void open(QList<QString> pages, QString tableNumber = "0") {
        site.state = FakeCloudSite::State::LoggedIn;
        site.tabs = {FakeTab{"西醫用藥", false, std::move(pages), std::move(tableNumber)}};
        site.openTab = 1;
        site.page = 0;
        site.nextClicks = 0;
        site.clickedNext.clear();
    }
    // Pages of two-column rows r1..rN, ten to a page.
    static QList<QString> pages(int rows, int perPage = 10, const QString& label = "r") {
        QList<QString> out;
        for (int first = 1; first <= rows; first += perPage) {
            QList<QStringList> cells;
            const int last = std::min(rows, first + perPage - 1);
            for (int r = first; r <= last; ++r)
                cells.append({label + QString::number(r), "v" + QString::number(r)});
            out.append(
                FakeCloudSite::tablePage(kCols, cells, pager(first, last, QString::number(rows))));
        }
        return out;
    }
    static QString records(int from, int to, const QString& label = "r") {
        QString t;
        for (int r = from; r <= to; ++r)
            t += QString("<D><A>%1%2</A><B>v%2</B></D>").arg(label).arg(r);
        return t;
    }
};

TEST_F(TableFixture, OnePageGivesItsRowsWithoutAClick) {
    open({"A\tB\nA\tB\n1\t2\n3\t4\nShowing 1 to 2 of 2"});
    reader.readEdgeTable(EdgeTableKind::Drug, target);
    EXPECT_EQ(target, "<D><A>1</A><B>2</B></D><D><A>3</A><B>4</B></D>");
    EXPECT_EQ(site.nextClicks, 0);
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(TableFixture, LineBreaksInsideCells) {
    // Not the last column: the break becomes ">". The last column: it ends the
    // row, and what follows starts a row that the page never finishes.
    open({"A\tB\nA\tB\nx\ny\tz\np\tq\nr\nShowing 1 to 2 of 2"});
    reader.readEdgeTable(EdgeTableKind::Drug, target);
    EXPECT_EQ(target, "<D><A>x>y</A><B>z</B></D><D><A>p</A><B>q</B></D>");
}

TEST(TableCells, ACellHoldingItsOwnMarkersCannotCutItsRow) {
    // What the record text's one element reader makes of the row: the cell stays
    // in its column and the next column keeps its value.
    const struct {
        QString cell, stored;
    } cases[] = {
        {"a</A>b", "a\uFF1C/A>b"},
        {"</a>", "\uFF1C/a>"},  // letters in any case, as the reader matches them
        {"<A>open", "\uFF1CA>open"},
        {"x</A><B>moved</B><A>y", "x\uFF1C/A><B>moved</B>\uFF1CA>y"},
        {"<B>other</B>", "<B>other</B>"},      // reads back as itself: kept
        {"x</D><d>y", "x\uFF1C/D>\uFF1Cd>y"},  // the row's markers never stay
        {"<A>nested</A>", "<A>nested</A>"},
    };
    for (const auto& c : cases) {
        QString rows;
        ASSERT_TRUE(EdgeTableReader::takeRows("A\tB\nA\tB\n" + c.cell + "\tsecond\n", rows));
        QStringList children;
        EXPECT_NE(getXMLitem(rows, 1, "D", children), 0) << c.cell.toStdString();
        EXPECT_EQ(children, QStringList({"A=" + c.stored, "B=second"})) << c.cell.toStdString();
    }
}

TEST(TableCells, ACaptionCannotMakeItsTagsIntoTheRowsMarkers) {
    // Each caption in turn as the first column's: the page's one row still reads
    // back as one record whose second column keeps its value.
    const struct {
        QString caption, element;
    } cases[] = {
        {"/D", "\uFF0FD"},          // its start tag would be the row's end
        {"x</D", "x\uFF1C/D"},      // both its tags would end the row
        {"a<D", "a\uFF1CD"},        // both its tags would open one
        {"<D>", "\uFF1CD\uFF1E"},
        {"x>y", "x\uFF1Ey"},
        {"就醫日期", "就醫日期"},     // the site's own captions stay as they are
    };
    for (const auto& c : cases) {
        QString rows;
        ASSERT_TRUE(EdgeTableReader::takeRows(
            c.caption + "\tB\n" + c.caption + "\tB\nv\tsecond\n", rows));
        EXPECT_EQ(rows.count("<D>"), rows.count("</D>")) << c.caption.toStdString();
        QStringList children;
        EXPECT_NE(getXMLitem(rows, 1, "D", children), 0) << c.caption.toStdString();
        EXPECT_EQ(children, QStringList({c.element + "=v", "B=second"})) << c.caption.toStdString();
    }
}

TEST_F(TableFixture, PagesAreReadInOrderOnceEach) {
    // Repaints at once, within one poll of either pacing, and well past it.
    for (bool fast : {false, true}) {
        for (std::uint32_t repaint : {0u, 300u, 1800u, 4000u}) {
            SCOPED_TRACE(testing::Message() << (fast ? "fast " : "default ") << repaint);
            driver.setFastWaits(fast);
            target.clear();
            site.repaintMs = repaint;
            open(pages(25));
            reader.readEdgeTable(EdgeTableKind::Drug, target);
            EXPECT_EQ(target, records(1, 25));
            EXPECT_EQ(site.clickedNext.last(), "0");
            EXPECT_EQ(site.nextClicks, 2);
            EXPECT_TRUE(prompts.messages().isEmpty());
        }
    }
}

TEST_F(TableFixture, PagerSeparatorsAreDropped) {
    QList<QString> p = pages(20);
    p[0].replace(pager(1, 10, "20"), "Showing 1 to 10 of 1,020 entries");
    p[1].replace(pager(11, 20, "20"), "Showing 1,011 to 1,020 of 1,020 entries");
    open(p);
    reader.readEdgeTable(EdgeTableKind::Drug, target);
    EXPECT_EQ(target, records(1, 20));
    EXPECT_TRUE(prompts.messages().isEmpty());
}

TEST_F(TableFixture, AClickThatLeadsNowhereNewShowsTheCountMessage) {
    struct Case {
        const char* name;
        bool nextDoesNothing;
        QString tableNumber;
        bool secondPageEmpty;
    } const cases[] = {
        {"page does not change", true, "0", false},
        {"next button without a table number", false, "", false},
        {"page after next stays empty", false, "0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        target.clear();
        prompts.clear();
        site.nextDoesNothing = c.nextDoesNothing;
        QList<QString> p = pages(20);
        if (c.secondPageEmpty) p[1] = "";
        open(p, c.tableNumber);
        const std::uint32_t mark = clock.tickCount();
        reader.readEdgeTable(EdgeTableKind::Drug, target);
        EXPECT_EQ(target, records(1, 10));  // page 1 once, never twice
        EXPECT_EQ(prompts.messages(), QStringList{kDrugCount});
        EXPECT_LE(Clock::elapsed(mark, clock.tickCount()), 8000u);
    }
}

TEST_F(TableFixture, FirstPageEdgeCases) {
    struct Case {
        const char* name;
        QString page;
        QString want;
        QStringList messages;
    } const cases[] = {
        {"empty table", FakeCloudSite::tablePage(kCols, {}, pager(0, 0, "0")), "", {}},
        {"shows 0 to 0 of 5",
         FakeCloudSite::tablePage(kCols, {}, pager(0, 0, "5")),
         "",
         {kDrugCount}},
        {"first page may start past 1",
         FakeCloudSite::tablePage(kCols, {{"a", "b"}}, pager(11, 11, "11")),
         "<D><A>a</A><B>b</B></D>",
         {}},
        // Rows that cannot be told from a header are a table not read, never an empty one.
        {"no line feed", "Showing 1 to 1 of 1", "", {"點擊查詢[西醫用藥]的分頁訊息錯誤"}},
        {"header not repeated",
         "A\tB\n1\t2\nShowing 1 to 1 of 1",
         "",
         {"點擊查詢[西醫用藥]的分頁訊息錯誤"}},
        {"no pager", "A\tB\nA\tB\n1\t2\n", "<D><A>1</A><B>2</B></D>", {}},
        {"malformed pager",
         "A\tB\nA\tB\n1\t2\nShowing x to 1 of 1",
         "<D><A>1</A><B>2</B></D>",
         {"點擊查詢[西醫用藥]的分頁訊息錯誤"}},
        {"of missing",
         "A\tB\nA\tB\n1\t2\nShowing 1 to 1 from 1",
         "<D><A>1</A><B>2</B></D>",
         {"點擊查詢[西醫用藥]的分頁訊息錯誤"}},
    };
    for (bool fast : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << (fast ? "fast " : "default ") << c.name);
            driver.setFastWaits(fast);
            target.clear();
            prompts.clear();
            open({c.page});
            reader.readEdgeTable(EdgeTableKind::Drug, target);
            EXPECT_EQ(target, c.want);
            EXPECT_EQ(prompts.messages(), c.messages);
            EXPECT_EQ(site.nextClicks, 0);
        }
    }
}

TEST_F(TableFixture, AnOpenTabWithoutATable) {
    struct Case {
        const char* name;
        bool tableNeverAppears;
        QStringList messages;
        std::uint32_t minMs, maxMs;
    } const cases[] = {
        // The page says the patient has no such records: nothing to wait for.
        {"個案查無資料", false, {}, 0, 1000},
        // No table and no such text: not read, so not passed off as empty.
        {"table never appears", true, {kDrugCount}, 5000, 6000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.clear();
        target.clear();
        open(c.tableNeverAppears ? pages(3) : QList<QString>{});
        site.tableNeverAppears = c.tableNeverAppears;
        const std::uint32_t mark = clock.tickCount();
        reader.readEdgeTable(EdgeTableKind::Drug, target);
        EXPECT_EQ(target, "");
        EXPECT_EQ(prompts.messages(), c.messages);
        EXPECT_GE(Clock::elapsed(mark, clock.tickCount()), c.minMs);
        EXPECT_LE(Clock::elapsed(mark, clock.tickCount()), c.maxMs);
    }
}

TEST_F(TableFixture, AReadStoppedByThePageCapSaysSo) {
    open(pages(EdgeTableReader::kMaxPages + 1, 1));
    site.repaintMs = 0;
    reader.readEdgeTable(EdgeTableKind::Drug, target);
    EXPECT_EQ(target.count("<D>"), EdgeTableReader::kMaxPages);
    EXPECT_EQ(prompts.messages(), QStringList{kDrugCount});
}

TEST_F(TableFixture, LabRowsNeedTheDateColumnAndAPagingErrorLeavesAFile) {
    const QStringList cols = {"檢驗日期", "檢驗結果"};
    const QString bad = FakeCloudSite::tablePage(cols, {{"113/01/02", "2+"}}, "Showing 3 to");
    open({FakeCloudSite::tablePage(kCols, {{"x", "y"}}, pager(1, 1, "3")),
          FakeCloudSite::tablePage(cols, {{"113/01/01", "5.1"}}, pager(2, 2, "3")), bad});
    reader.readEdgeTable(EdgeTableKind::Lab, target);
    EXPECT_EQ(target,
              "<D><檢驗日期>113/01/01</檢驗日期><檢驗結果>5.1</檢驗結果></D>"
              "<D><檢驗日期>113/01/02</檢驗日期><檢驗結果>2+</檢驗結果></D>");
    EXPECT_EQ(
        prompts.messages(),
        QStringList{"點擊查詢[檢查與檢驗]的分頁訊息錯誤,將[檢查與檢驗error.txt]檔回報Tamrix醫師"});
    QFile file(QDir(dir.path()).filePath("檢查與檢驗error.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith(toAnsi("檢驗日期\t檢驗結果\r\n")));
    EXPECT_TRUE(bytes.endsWith("Showing 3 to\r\nPrevious\r\n1\r\n2\r\nNext\r\n"));
}

}  // namespace
