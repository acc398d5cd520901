#include "report/clinical_aids_view.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>

#include "common/ini_file.h"
#include "report/cloud_report.h"
#include "report/cloud_report_view.h"
#include "report/duplicate_check_setting.h"
#include "report/duplicates_view.h"
#include "report/trend_chart_view.h"

namespace cloud {

namespace {

// Rows that take part in a duplication get a warm background. Painted under the
// item, since the report's style sheet draws the items' own backgrounds.
class DuplicateRowDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (index.data(CloudReportModel::DuplicateRole).toBool())
            painter->fillRect(option.rect, QColor(255, 200, 150));
        QStyledItemDelegate::paint(painter, option, index);
    }
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
    CcloudTrend = barButton("CcloudTrend", QStringLiteral("趨勢"), widgets.CcloudBar);
    widgets.CcloudReport->setItemDelegate(new DuplicateRowDelegate(widgets.CcloudReport));

    connect(CcloudDup, &QToolButton::clicked, this, [this] { CcloudDupClick(); });
    connect(CcloudTrend, &QToolButton::clicked, this, [this] { CcloudTrendClick(); });
    connect(widgets.CcloudReport, &QTreeView::doubleClicked, this,
            [this](const QModelIndex& i) { CcloudReportDblClick(i); });
    connect(reportView_.CcloudCheckDup, &QCheckBox::clicked, this,
            [this](bool checked) { CcloudCheckDupClick(checked); });
}

ClinicalAidsView::~ClinicalAidsView() = default;

void ClinicalAidsView::loadSetting(const IniFile& ini) {
    const bool on = readLocalDuplicateCheck(ini);
    reportView_.CcloudCheckDup->setChecked(on);
    report_.setLocalDuplicateCheck(on);
    CcloudDup->setEnabled(on);
}

void ClinicalAidsView::closeDialogs() {
    if (duplicates_) duplicates_->close();
    if (trend_) trend_->close();
}

void ClinicalAidsView::CcloudCheckDupClick(bool checked) {
    IniFile ini(iniPath_);
    writeLocalDuplicateCheck(ini, checked);
    report_.setLocalDuplicateCheck(checked);
    CcloudDup->setEnabled(checked);
    if (!checked && duplicates_) duplicates_->close();
    // The marks and the summary follow at once on the drug report.
    if (report_.cloudReportType() == kindText(Kind::Drug))
        reportView_.showCloud(report_.cloudReportType());
}

void ClinicalAidsView::CcloudDupClick() {
    if (!report_.localDuplicateCheck()) return;
    if (duplicates_) duplicates_->close();
    duplicates_ = new DuplicatesDialog(report_.duplicates(), report_.sourceTables().drug, window_);
    duplicates_->setAttribute(Qt::WA_DeleteOnClose);
    duplicates_->show();
}

void ClinicalAidsView::CcloudTrendClick() {
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
    trend_ = new TrendChartDialog(extractTrendSeries(report_.sourceTables().lab, row), window_);
    trend_->setAttribute(Qt::WA_DeleteOnClose);
    trend_->show();
}

}  // namespace cloud
