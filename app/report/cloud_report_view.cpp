#include "report/cloud_report_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "common/prompts.h"

namespace report {

namespace {

// A panel handler runs with the window disabled, after the pending messages, so
// that no second handler starts meanwhile.
class WindowDisabled {
  public:
    WindowDisabled(QWidget* window, const std::function<void()>& letMessagesRun)
        : window_(window) {
        if (window_) window_->setEnabled(false);
        if (letMessagesRun)
            letMessagesRun();
        else
            QCoreApplication::processEvents();
    }
    ~WindowDisabled() {
        if (window_) window_->setEnabled(true);
    }
    WindowDisabled(const WindowDisabled&) = delete;
    WindowDisabled& operator=(const WindowDisabled&) = delete;

  private:
    QWidget* window_;
};

QToolButton* arrowButton(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setAutoRaise(true);
    return b;
}

QWidget* panelHeader(const QString& title, QToolButton* up, QToolButton* dn, QWidget* parent) {
    auto* header = new QWidget(parent);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(new QLabel(title, header), 1);
    row->addWidget(up);
    row->addWidget(dn);
    return header;
}

// Takes `widget` out of `layout` or any layout nested in it.
bool removeFromLayout(QLayout* layout, QWidget* widget) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget) {
            delete layout->takeAt(i);
            return true;
        }
        if (item->layout() && removeFromLayout(item->layout(), widget)) return true;
    }
    return false;
}

int rowOf(QListWidget* list) {
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

}  // namespace

CloudReportView::CloudReportView(CloudReport& report, const CloudPageWidgets& widgets,
                                 Prompts& prompts, QString appPath,
                                 std::function<void(const QString&)> setMsg2, QObject* parent)
    : QObject(parent),
      report_(report),
      w_(widgets),
      prompts_(prompts),
      appPath_(std::move(appPath)),
      setMsg2_(std::move(setMsg2)) {
    QTreeView* view = w_.CcloudReport;
    view->setModel(&report_.proxy());
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSortingEnabled(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->header()->setSectionsMovable(false);
    view->header()->setMinimumSectionSize(0);
    view->header()->setStretchLastSection(false);
    report_.datesForward = [box = w_.CdateSortType] { return box && box->isChecked(); };
    designPixelSize_ = QFontInfo(view->font()).pixelSize();
    view->installEventFilter(this);
    buildFieldPanel();
    buildRulePanel();
    connectHandlers();
}

CloudReportView::~CloudReportView() = default;

void CloudReportView::buildFieldPanel() {
    QFrame* panel = w_.CPfieldSetting;
    auto* box = new QVBoxLayout(panel);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    auto* sortUp = arrowButton("CviewsortListUp", QStringLiteral("▲"), panel);
    auto* sortDn = arrowButton("CviewsortListDn", QStringLiteral("▼"), panel);
    auto* fieldUp = arrowButton("CviewfieldListUp", QStringLiteral("▲"), panel);
    auto* fieldDn = arrowButton("CviewfieldListDn", QStringLiteral("▼"), panel);
    CviewSortList = new QListWidget(panel);
    CviewSortList->setObjectName(QStringLiteral("CviewSortList"));
    CviewfieldList = new QListWidget(panel);
    CviewfieldList->setObjectName(QStringLiteral("CviewfieldList"));
    box->addWidget(panelHeader(QStringLiteral("排序設定"), sortUp, sortDn, panel));
    box->addWidget(CviewSortList, 1);
    box->addWidget(panelHeader(QStringLiteral("欄位設定"), fieldUp, fieldDn, panel));
    box->addWidget(CviewfieldList, 2);
    connect(sortUp, &QToolButton::clicked, this, [this] { CviewsortListUpClick(); });
    connect(sortDn, &QToolButton::clicked, this, [this] { CviewsortListDnClick(); });
    connect(fieldUp, &QToolButton::clicked, this, [this] { CviewfieldListUpClick(); });
    connect(fieldDn, &QToolButton::clicked, this, [this] { CviewfieldListDnClick(); });
    connect(CviewSortList, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { CviewSortListClickCheck(item); });
    connect(CviewfieldList, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { CviewfieldListClickCheck(item); });
}

void CloudReportView::buildRulePanel() {
    QFrame* panel = w_.CPcloudSetting;
    // A floating panel over the report, not a part of the page's layout.
    if (QWidget* parent = panel->parentWidget(); parent && parent->layout())
        removeFromLayout(parent->layout(), panel);
    if (w_.CPcloudChart && panel->parentWidget() != w_.CPcloudChart)
        panel->setParent(w_.CPcloudChart);
    panel->setFixedSize(425, 236);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, Qt::yellow);
    panel->setPalette(pal);
    panel->hide();

    auto* box = new QVBoxLayout(panel);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(2);
    auto memo = [panel](const char* name) {
        auto* m = new QPlainTextEdit(panel);
        m->setObjectName(QString::fromLatin1(name));
        QPalette p = m->palette();
        p.setColor(QPalette::Base, Qt::white);
        m->setPalette(p);
        return m;
    };
    CcloudNameInclude = memo("CcloudNameInclude");
    CcloudICD10Include = memo("CcloudICD10Include");
    CcloudATC3Include = memo("CcloudATC3Include");
    CcloudNameInclude->setFixedHeight(36);
    CcloudATC3Include->setFixedHeight(36);
    box->addWidget(new QLabel(QStringLiteral("名稱含字(如眼科,台大)項目間要加逗號"), panel));
    box->addWidget(CcloudNameInclude);
    box->addWidget(new QLabel(QStringLiteral("診斷範圍(如H243,E133-E233)項目間要加逗號"), panel));
    box->addWidget(CcloudICD10Include, 1);
    box->addWidget(new QLabel(QStringLiteral("ATC3含字(如眼科,癲癇)項目間要加逗號"), panel));
    box->addWidget(CcloudATC3Include);
    // Turns the local duplicate check on (the clinical aids view acts on it and stores it).
    CcloudCheckDup =
        new QCheckBox(QStringLiteral("雲端重複醫令檢查改用本區檢查,而不使用雲端APP"), panel);
    CcloudCheckDup->setObjectName(QStringLiteral("CcloudCheckDup"));
    box->addWidget(CcloudCheckDup);
    CcloudRuleSave = new QPushButton(QStringLiteral("儲存後離開"), panel);
    CcloudRuleSave->setObjectName(QStringLiteral("CcloudRuleSave"));
    box->addWidget(CcloudRuleSave);
}

void CloudReportView::connectHandlers() {
    connect(w_.CputToCC, &QToolButton::clicked, this, [this] { CputToCCClick(); });
    connect(w_.ToolButton1, &QToolButton::clicked, this, [this] { ToolButton1Click(); });
    connect(w_.ToolButton2, &QToolButton::clicked, this, [this] { ToolButton2Click(); });
    connect(w_.CcloudShowAll, &QToolButton::clicked, this, [this] { CcloudShowAllClick(); });
    connect(w_.CcloudShowSelect, &QToolButton::clicked, this, [this] { CcloudShowSelectClick(); });
    connect(w_.CcloudSet, &QToolButton::clicked, this, [this] { CcloudSetClick(); });
    connect(CcloudRuleSave, &QPushButton::clicked, this, [this] { CcloudRuleSaveClick(); });
    connect(w_.CcloudReport, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { CcloudReportContextPopup(pos); });
    connect(w_.CcloudReport->header(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (syncing_) return;
                if (column == 0) width = std::max(0, width - checkBoxExtent());
                // Stored as the design's width, whatever the font in use.
                report_.setColumnWidth(column, int(std::floor(width / widthRatio() + 1e-9)));
            });
}

void CloudReportView::showCloud(const QString& kind, bool toFront) {
    if (aboutToShow) aboutToShow();
    const int count = report_.showCloud(kind);
    syncPanel();
    if (shown) shown();
    if (toFront && w_.CmainPage && w_.CPcloudChart)
        w_.CmainPage->setCurrentWidget(w_.CPcloudChart);
    if (setMsg2_) setMsg2_(report_.countText(count));
}

void CloudReportView::ToolButton1Click() {
    report_.CloudSelectType = csAll;
    showCloud(QStringLiteral("drug"));
}

void CloudReportView::ToolButton2Click() {
    report_.CloudSelectType = csAll;
    showCloud(QStringLiteral("labdata"));
}

void CloudReportView::CcloudShowAllClick() {
    report_.CloudSelectType = csAll;
    showCloud(report_.cloudReportType());
}

void CloudReportView::CcloudShowSelectClick() {
    report_.CloudSelectType = csSelect;
    showCloud(report_.cloudReportType());
}

void CloudReportView::CcloudSetClick() {
    const RuleTexts texts = report_.storedRuleTexts();
    CcloudNameInclude->setPlainText(texts.name);
    CcloudICD10Include->setPlainText(texts.icd10);
    CcloudATC3Include->setPlainText(texts.atc3);
    QWidget* panel = w_.CPcloudSetting;
    panel->move(w_.CcloudReport->mapTo(panel->parentWidget(), QPoint(8, 8)));
    panel->show();
    panel->raise();
}

void CloudReportView::CcloudRuleSaveClick() {
    report_.saveRules({CcloudNameInclude->toPlainText(), CcloudICD10Include->toPlainText(),
                       CcloudATC3Include->toPlainText()});
    w_.CPcloudSetting->hide();
}

void CloudReportView::CputToCCClick() {
    const bool withTags = w_.CcopyWithTagCheck && w_.CcopyWithTagCheck->isChecked();
    QApplication::clipboard()->setText(report_.copyText(withTags));
}

std::unique_ptr<QMenu> CloudReportView::CcloudReportContextMenu(const QPoint& pos) {
    QTreeView* view = w_.CcloudReport;
    // The row under the cursor, else the current one.
    QModelIndex at = view->indexAt(pos);
    if (!at.isValid()) at = view->currentIndex();
    if (!at.isValid()) return nullptr;
    // The header knows the scrolled offset and hidden columns.
    const int column = view->header()->logicalIndexAt(pos.x());
    const ReportMenu menu = report_.contextMenu(at.row(), column, appPath_);
    if (menu.kind == ReportMenu::Error) {
        prompts_.message(menu.error);
        return nullptr;
    }
    if (menu.kind != ReportMenu::Items) return nullptr;
    auto popup = std::make_unique<QMenu>(view);
    for (QString text : menu.items) {
        // The menu only informs: items do nothing, and "&" is shown as written.
        QAction* action = popup->addAction(text.replace(u'&', QStringLiteral("&&")));
        action->setObjectName(QStringLiteral("MenuAccept"));
    }
    return popup;
}

void CloudReportView::CcloudReportContextPopup(const QPoint& pos) {
    if (std::unique_ptr<QMenu> menu = CcloudReportContextMenu(pos)) menu->exec(QCursor::pos());
}

void CloudReportView::fieldSettingShown() {
    report_.loadFieldDef(false);
    syncPanel();
}

void CloudReportView::fieldSettingHidden() { report_.saveFieldDef(); }

void CloudReportView::CviewfieldListClickCheck(QListWidgetItem* item) {
    if (syncing_ || item == nullptr) return;
    WindowDisabled disabled(w_.window, letMessagesRun);
    report_.checkField(CviewfieldList->row(item), item->checkState() == Qt::Checked);
    syncWidths();
}

void CloudReportView::moveField(int delta) {
    const int row = rowOf(CviewfieldList);
    if (row < 0) return;
    WindowDisabled disabled(w_.window, letMessagesRun);
    const std::optional<int> moved = report_.moveField(row, delta);
    if (!moved) return;
    syncPanel();
    CviewfieldList->setCurrentRow(*moved);
}

void CloudReportView::CviewfieldListUpClick() { moveField(-1); }
void CloudReportView::CviewfieldListDnClick() { moveField(+1); }

void CloudReportView::CviewSortListClickCheck(QListWidgetItem* item) {
    if (syncing_ || item == nullptr) return;
    WindowDisabled disabled(w_.window, letMessagesRun);
    report_.checkSortKey(CviewSortList->row(item), item->checkState() == Qt::Checked);
}

void CloudReportView::moveSortKey(int delta) {
    const int row = rowOf(CviewSortList);
    if (row < 0) return;
    WindowDisabled disabled(w_.window, letMessagesRun);
    const std::optional<int> moved = report_.moveSortKey(row, delta);
    if (!moved) return;
    syncPanel();
    CviewSortList->setCurrentRow(*moved);
}

void CloudReportView::CviewsortListUpClick() { moveSortKey(-1); }
void CloudReportView::CviewsortListDnClick() { moveSortKey(+1); }

void CloudReportView::syncPanel() {
    syncing_ = true;
    auto fill = [](QListWidget* list, const auto& items) {
        list->clear();
        for (const auto& i : items) {
            auto* item = new QListWidgetItem(i.caption, list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(i.checked ? Qt::Checked : Qt::Unchecked);
        }
    };
    fill(CviewSortList, report_.sortKeys());
    fill(CviewfieldList, report_.fields());
    syncing_ = false;
    syncWidths();
}

int CloudReportView::checkBoxExtent() const {
    QTreeView* view = w_.CcloudReport;
    return view->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, view) + 6;
}

double CloudReportView::widthRatio() const {
    // The digits of dates, codes and counts are what the narrow columns hold; the
    // design font's average digit is 0.572 em (the patient lists use the same).
    constexpr double kDesignAverageEm = 0.572;
    const QFont font = w_.CcloudReport->font();
    const QString sample = QStringLiteral("0123456789");
    const double inUse = QFontMetricsF(font).horizontalAdvance(sample) / sample.size();
    const int designPx = designPixelSize_ > 0 ? designPixelSize_ : QFontInfo(font).pixelSize();
    const double design = kDesignAverageEm * designPx;
    const double scale = designPx > 0 ? double(QFontInfo(font).pixelSize()) / designPx : 1.0;
    // The design font itself only grows with the scale.
    if (QFontInfo(font).family() == QLatin1String("Segoe UI")) return std::max(1.0, scale);
    return design > 0 && inUse > design ? inUse / design : std::max(1.0, scale);
}

bool CloudReportView::eventFilter(QObject* watched, QEvent* event) {
    // A new "視窗解析度" or font: the columns follow the text.
    if (watched == w_.CcloudReport && event->type() == QEvent::FontChange) syncWidths();
    return QObject::eventFilter(watched, event);
}

void CloudReportView::syncWidths() {
    syncing_ = true;
    QTreeView* view = w_.CcloudReport;
    const QList<FieldItem>& fields = report_.fields();
    const double ratio = widthRatio();
    // A shown date column holds a whole date in the font in use, whatever the
    // design says: "113/12/08", not "113/1…" — beside the row's check box in the
    // first column, and never narrower than the style's own measure of its cells.
    const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    const int dateWidth =
        int(std::ceil(QFontMetricsF(view->font()).horizontalAdvance(QStringLiteral("000/00/00")))) + margins;
    for (int k = 0; k < fields.size() && k < view->header()->count(); ++k) {
        int width =
            fields.at(k).width > 0 ? int(std::ceil(fields.at(k).width * ratio - 1e-9)) : fields.at(k).width;
        // The stored widths are the text's; the first column also carries the
        // row's check box.
        if (width > 0 && k == 0) width += checkBoxExtent();
        if (width > 0 && isDateKey(fields.at(k).caption)) {
            const int cells = static_cast<const QAbstractItemView*>(view)->sizeHintForColumn(k);
            width = std::max({width, dateWidth + (k == 0 ? checkBoxExtent() : 0), cells});
        }
        if (width > 0)
            view->header()->resizeSection(k, width);
        else if (width == 0)
            view->header()->resizeSection(k, 0);
        else
            view->resizeColumnToContents(k);
    }
    syncing_ = false;
}

}  // namespace report
