// What the patient pages look like: selected prescription rows stay readable, the
// visit grid scrolls when its rows do not fit, list columns fit the values the design
// fitted whatever font is in use, and a cut status text carries its whole text.

#include <QFontMetricsF>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>
#include <cmath>

#include "shell/font_fit_view.h"
#include "window_fixture.h"

namespace {

int luminance(QRgb c) { return (qRed(c) * 299 + qGreen(c) * 587 + qBlue(c) * 114) / 1000; }

// The colour most pixels of `rect` have, and how many pixels stand out from it by
// more than `minContrast` in luminance (the drawn text).
struct RectColours {
    QRgb background = 0;
    int strongPixels = 0;
};

RectColours coloursIn(const QImage& img, const QRect& rect, int minContrast) {
    QHash<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) ++counts[img.pixel(x, y)];
    RectColours out;
    int best = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > best) best = it.value(), out.background = it.key();
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (std::abs(luminance(it.key()) - luminance(out.background)) > minContrast)
            out.strongPixels += it.value();
    return out;
}

}  // namespace

class WindowPagesLook : public WindowTest {
  protected:
    QTreeWidget* showList(const char* page, const char* list) {
        get<QTabWidget>("CmainPage")->setCurrentWidget(get(page));
        auto* tree = get<QTreeWidget>(list);
        tree->clear();
        QStringList cells;
        for (int c = 0; c < tree->columnCount(); ++c) cells << QStringLiteral("1131205");
        cells[1] = QStringLiteral("Amoxicillin 500mg 健保藥");
        tree->addTopLevelItems({new QTreeWidgetItem(cells), new QTreeWidgetItem(cells)});
        return tree;
    }
};

TEST_F(WindowPagesLook, SelectedPrescriptionRowsKeepReadableTextInActiveAndInactiveWindow) {
    installControlSoftware();
    start();
    window->resize(1000, 700);
    window->show();
    QWidget other;
    other.resize(100, 100);
    for (const char* list : {"CtreatItem", "ClongDrug"}) {
        for (bool active : {true, false}) {
            SCOPED_TRACE(std::string(list) + (active ? " active" : " inactive"));
            const char* page = std::string(list) == "CtreatItem" ? "CPtreatItem" : "CPlongDrug";
            QTreeWidget* tree = showList(page, list);
            tree->setCurrentItem(tree->topLevelItem(0));
            QWidget* front = active ? static_cast<QWidget*>(window.get()) : &other;
            front->show();
            front->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(front));
            ASSERT_EQ(window->isActiveWindow(), active);

            const QImage img = tree->viewport()->grab().toImage();
            // The name column of the selected row and of the row below it.
            const QRect selected = tree->visualItemRect(tree->topLevelItem(0))
                                       .intersected(QRect(tree->columnViewportPosition(1), 0,
                                                          tree->columnWidth(1), img.height()))
                                       .adjusted(1, 1, -2, -2);
            const QRect plain = selected.translated(0, selected.height() + 3);
            const RectColours sel = coloursIn(img, selected, 90);
            const RectColours unsel = coloursIn(img, plain, 90);
            EXPECT_NE(sel.background, unsel.background) << "the selection is not shown";
            EXPECT_GE(sel.strongPixels, 20) << "no readable text on the selected row";
            EXPECT_GE(unsel.strongPixels, 20);
        }
    }
}

TEST_F(WindowPagesLook, VisitGridShowsScrollBarsWhenItsRowsDoNotFit) {
    installControlSoftware();
    start();
    window->resize(800, 500);
    window->show();
    get<QTabWidget>("CmainPage")->setCurrentWidget(get("CPopd"));
    auto* grid = get<QTableWidget>("CtreatmentData");
    QApplication::processEvents();
    ASSERT_LT(grid->viewport()->height(), grid->verticalHeader()->length());
    ASSERT_LT(grid->viewport()->width(), grid->horizontalHeader()->length());
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    EXPECT_TRUE(grid->horizontalScrollBar()->isVisible());
    // The last row (the admission fees) can be brought into view.
    grid->scrollToItem(grid->item(11, 1));
    EXPECT_TRUE(grid->viewport()->rect().contains(grid->visualItemRect(grid->item(11, 1))));

    // A window large enough for the whole grid has no scroll bars.
    window->resize(1400, 1100);
    QApplication::processEvents();
    if (grid->viewport()->height() >= grid->verticalHeader()->length()) {
        EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
    }
}

TEST_F(WindowPagesLook, ListColumnsFitTheValuesTheDesignFits) {
    installControlSoftware();
    start();
    // Values the design widths hold whole: ROC date, insurance code, days, total.
    const struct {
        const char* list;
        int column;
        const char* value;
    } cases[] = {
        {"CtreatItem", 0, "1131205"},   {"CtreatItem", 2, "AC43071100"},
        {"CtreatItem", 6, "28"},        {"ClongDrug", 0, "1131205"},
        {"ClongDrug", 2, "AC43071100"}, {"CimportantMx", 0, "1131205"},
        {"Cprevent", 2, "A3"},          {"CcriticalIllness", 1, "1131205"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.list) + " " + c.value);
        auto* tree = get<QTreeWidget>(c.list);
        const QFontMetricsF fm(tree->font());
        // Text margins of an item on either side, and the grid line.
        const int margins =
            2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1) + 1;
        EXPECT_GE(tree->columnWidth(c.column), std::ceil(fm.horizontalAdvance(c.value)) + margins);
    }
}

TEST_F(WindowPagesLook, ACutStatusTextCarriesItsWholeTextAsToolTip) {
    installControlSoftware();
    start();
    window->show();
    auto* msg1 = get<QLabel>("Cmsg1");
    const QString whole = QStringLiteral("未置入健保IC卡或(虛擬)健保卡，請插卡後再按Read");
    window->setMsg1(whole);
    EXPECT_EQ(msg1->text(), whole);
    EXPECT_EQ(msg1->toolTip(), whole);
    window->setMsg1(QStringLiteral("讀取中"));
    EXPECT_EQ(msg1->toolTip(), QString());

    // The same rule for Cmsg2, and it follows the label's width.
    auto* msg2 = get<QLabel>("Cmsg2");
    const QString counts = QStringLiteral("藥歷123筆 檢驗456筆");
    window->setMsg2(counts);
    const bool fits =
        QFontMetricsF(msg2->font()).horizontalAdvance(counts) <= msg2->contentsRect().width();
    EXPECT_EQ(msg2->toolTip(), fits ? QString() : counts);
    msg2->setFixedWidth(20);
    EXPECT_EQ(msg2->toolTip(), counts);
}
