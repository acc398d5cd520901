#include "report/clinical_aids_view.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QSet>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>

#include "common/ini_file.h"
#include "report/cloud_report.h"
#include "report/cloud_report_view.h"
#include "report/duplicate_check_setting.h"

namespace report {

namespace {

const QColor kDuplicateRow(255, 200, 150);
const QColor kNoticeRow(255, 242, 200);

// Rows with a warning get a warm background, and the drug's name (the column
// a doctor reads) carries the warning itself as a badge, so that colour is not
// all that tells it. Painted under the item, since the report's style sheet
// draws the items' own backgrounds.
class WarningRowDelegate : public QStyledItemDelegate {
  public:
    WarningRowDelegate(QTreeView* view) : QStyledItemDelegate(view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool duplicate = index.data(CloudReportModel::DuplicateRole).toBool();
        const QString warning = index.data(CloudReportModel::WarningRole).toString();
        if (duplicate)
            painter->fillRect(option.rect, kDuplicateRow);
        else if (!warning.isEmpty())
            painter->fillRect(option.rect, kNoticeRow);
        if (warning.isEmpty() || index.column() != badgeColumn(index)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QFont bold = option.font;
        bold.setBold(true);
        const QFontMetrics fm(bold);
        const QString badge = QStringLiteral("※") + warning;
        const QRect r = option.rect;
        const QRect badgeRect(r.left() + 2, r.top() + 1,
                              std::min(fm.horizontalAdvance(badge) + 8, std::max(0, r.width() - 4)),
                              r.height() - 2);
        painter->save();
        painter->fillRect(badgeRect, duplicate ? QColor(190, 30, 30) : QColor(150, 100, 0));
        painter->setPen(Qt::white);
        painter->setFont(bold);
        painter->drawText(badgeRect, Qt::AlignCenter, badge);
        painter->restore();
        QStyleOptionViewItem rest(option);
        rest.rect.setLeft(badgeRect.right() + 3);
        if (rest.rect.width() > 0) QStyledItemDelegate::paint(painter, rest, index);
    }

  private:
    // "藥品名稱" when it is shown, else the first column.
    int badgeColumn(const QModelIndex& index) const {
        const QAbstractItemModel* m = index.model();
        for (int c = 0; c < m->columnCount(); ++c)
            if (m->headerData(c, Qt::Horizontal).toString() == QStringLiteral("藥品名稱"))
                return view_->header()->sectionSize(c) > 0 ? c : 0;
        return 0;
    }

    QTreeView* view_;
};

QToolButton* barButton(const char* name, const QString& text, QWidget* bar) {
    auto* b = new QToolButton(bar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setFixedWidth(104);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    // After the report's own buttons, before the bar's closing spacer.
    if (auto* row = qobject_cast<QBoxLayout*>(bar->layout()))
        row->insertWidget(std::max(0, row->count() - 1), b);
    return b;
}

}  // namespace

ClinicalAidsView::ClinicalAidsView(CloudReport& report, CloudReportView& reportView,
                                   const CloudPageWidgets& widgets, QString iniPath,
                                   QObject* parent)
    : QObject(parent),
      report_(report),
      reportView_(reportView),
      window_(widgets.window),
      list_(widgets.CcloudReport),
      iniPath_(std::move(iniPath)) {
    CcloudDup = barButton("CcloudDup", QStringLiteral("重複用藥"), widgets.CcloudBar);
    // One button for both pictures, so the bar keeps its width: on the drug report
    // the supply timeline, on the laboratory report the chosen test's trend.
    CcloudTrend = barButton("CcloudTrend", QStringLiteral("趨勢/時間軸"), widgets.CcloudBar);
    CcloudTrend->setToolTip(QStringLiteral("藥品: 近180天用藥時間軸;檢驗: 所選項目的趨勢圖"));
    // The counts stand in their own line above the report, readable without
    // hovering, and take no width from the tool bar.
    CcloudAidsCount = new QLabel(widgets.CcloudReport->parentWidget());
    CcloudAidsCount->setObjectName(QStringLiteral("CcloudAidsCount"));
    CcloudAidsCount->setTextFormat(Qt::RichText);
    CcloudAidsCount->setWordWrap(true);
    CcloudAidsCount->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    CcloudAidsCount->setContentsMargins(4, 1, 4, 1);
    if (auto* page = qobject_cast<QBoxLayout*>(widgets.CcloudReport->parentWidget()->layout())) {
        // Just above the report, or above the row the report stands in.
        int at = page->indexOf(widgets.CcloudReport);
        for (int i = 0; at < 0 && i < page->count(); ++i)
            if (QLayout* row = page->itemAt(i)->layout(); row && row->indexOf(widgets.CcloudReport) >= 0)
                at = i;
        page->insertWidget(std::max(0, at), CcloudAidsCount);
    }
    widgets.CcloudReport->setItemDelegate(new WarningRowDelegate(widgets.CcloudReport));

    connect(CcloudDup, &QToolButton::clicked, this, [this] { CcloudDupClick(); });
    connect(CcloudTrend, &QToolButton::clicked, this, [this] { CcloudTrendClick(); });
    connect(widgets.CcloudReport, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& i) { CcloudReportDblClick(i); });
    connect(reportView_.CcloudCheckDup, &QCheckBox::clicked, this,
            [this](bool checked) { CcloudCheckDupClick(checked); });
    reportView_.aboutToShow = [this] { refreshAids(); };
    reportView_.shown = [this] { showCounts(); };
}

ClinicalAidsView::~ClinicalAidsView() {
    reportView_.aboutToShow = nullptr;
    reportView_.shown = nullptr;
}

QDate ClinicalAidsView::queryDay() const {
    return report_.today ? report_.today() : QDate::currentDate();
}

void ClinicalAidsView::loadSetting(const IniFile& ini) {
    const bool on = readLocalDuplicateCheck(ini);
    IniFile writable(iniPath_);
    report_.duplicateOptions.earlyRefillDays = readEarlyRefillDays(writable);
    reportView_.CcloudCheckDup->setChecked(on);
    report_.setLocalDuplicateCheck(on);
}

void ClinicalAidsView::closeDialogs() {
    if (duplicates_) duplicates_->close();
    if (timeline_) timeline_->close();
    if (trend_) trend_->close();
}

void ClinicalAidsView::refreshAids() {
    const CloudSourceTables& t = report_.sourceTables();
    aids_ = runClinicalAids(queryDay(), report_.drugSupplies(), t.lab,
                            patient ? patient() : AidsPatient{});
    report_.aidWarnings = aids_.rowWarnings(int(t.drug.rows.size()));
}

void ClinicalAidsView::showCounts() {
    const bool drug = report_.cloudReportType() == kindText(Kind::Drug);
    QStringList parts;
    auto part = [&parts](const QString& name, int n) {
        parts << (n > 0 ? QStringLiteral("<b><font color='#b41e1e'>%1 %2</font></b>").arg(name).arg(n)
                        : QStringLiteral("%1 %2").arg(name).arg(n));
    };
    if (report_.localDuplicateCheck()) part(QStringLiteral("重複用藥"), report_.duplicates().duplicateCount());
    part(QStringLiteral("交互作用"), aids_.interactionCount());
    part(QStringLiteral("腎/過敏/高齡"), aids_.otherCount());
    CcloudAidsCount->setText(parts.join(QStringLiteral(" ・ ")) +
                             QStringLiteral(" (%1)").arg(rocDayText(aids_.day)));
    CcloudAidsCount->setVisible(drug);
}

void ClinicalAidsView::CcloudCheckDupClick(bool checked) {
    IniFile ini(iniPath_);
    writeLocalDuplicateCheck(ini, checked);
    report_.setLocalDuplicateCheck(checked);
    if (duplicates_) duplicates_->close();
    // The marks and the summary follow at once on the drug report; the rows the
    // doctor ticked stay ticked.
    if (report_.cloudReportType() != kindText(Kind::Drug)) return;
    CloudReportModel& model = report_.model();
    QSet<int> ticked;
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.isTicked(r)) ticked.insert(model.sourceRow(r));
    reportView_.showCloud(report_.cloudReportType());
    for (int r = 0; r < model.rowCount(); ++r)
        if (ticked.contains(model.sourceRow(r))) model.setTicked(r, true);
}

void ClinicalAidsView::CcloudDupClick() {
    if (duplicates_) duplicates_->close();
    refreshAids();
    duplicates_ = new DuplicatesDialog(report_.duplicates(), report_.sourceTables().drug, window_,
                                       &aids_, report_.localDuplicateCheck());
    duplicates_->setAttribute(Qt::WA_DeleteOnClose);
    duplicates_->show();
}

void ClinicalAidsView::CcloudTimelineClick() {
    if (timeline_) timeline_->close();
    timeline_ = new SupplyTimelineDialog(
        buildSupplyTimeline(report_.drugSupplies(), report_.sourceTables().drug, queryDay()),
        window_);
    timeline_->setAttribute(Qt::WA_DeleteOnClose);
    timeline_->show();
}

void ClinicalAidsView::CcloudTrendClick() {
    if (report_.cloudReportType() == kindText(Kind::Drug)) {
        CcloudTimelineClick();
        return;
    }
    const QModelIndex current = list_->currentIndex();
    if (current.isValid()) showTrend(current.row());
}

void ClinicalAidsView::CcloudReportDblClick(const QModelIndex& index) {
    if (index.isValid()) showTrend(index.row());
}

void ClinicalAidsView::showTrend(int shownRow) {
    if (report_.cloudReportType() != kindText(Kind::Lab)) return;
    const int row = report_.sourceRowOf(shownRow);
    if (row < 0) return;
    if (trend_) trend_->close();
    trend_ = new TrendChartDialog(extractTrendSet(report_.sourceTables().lab, row), window_);
    trend_->setAttribute(Qt::WA_DeleteOnClose);
    trend_->show();
}

}  // namespace report
