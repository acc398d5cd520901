#pragma once
// The cloud page's clinical aids: the tool-bar buttons "重複用藥" (the list of
// duplicate-medication groups and the other aids) and "趨勢/時間軸" (the supply
// timeline on the drug report; the chart of the chosen laboratory test on the
// laboratory report, also on a double click), the counts above the report, the
// warning badge on a drug row, and the rule panel's box that turns the local
// duplicate check on and stores it.

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "report/clinical_aids.h"
#include "report/duplicates_view.h"
#include "report/supply_timeline_view.h"
#include "report/trend_chart_view.h"

class IniFile;
class QLabel;
class QModelIndex;
class QToolButton;
class QTreeView;
class QWidget;

namespace report {

class CloudReport;
class CloudReportView;
struct CloudPageWidgets;

class ClinicalAidsView : public QObject {
    Q_OBJECT
  public:
    ClinicalAidsView(CloudReport& report, CloudReportView& reportView,
                     const CloudPageWidgets& widgets, QString iniPath, QObject* parent = nullptr);
    ~ClinicalAidsView() override;

    // The card's sex, birthday and allergies of the patient on screen.
    std::function<AidsPatient()> patient;

    // Start-up: the stored state of the box and the early-refill allowance.
    void loadSetting(const IniFile& ini);
    // Another patient's records are coming: what the open dialogs show is no
    // longer the patient's on screen.
    void closeDialogs();

    void CcloudDupClick();
    void CcloudTimelineClick();
    void CcloudTrendClick();
    void CcloudReportDblClick(const QModelIndex& index);
    void CcloudCheckDupClick(bool checked);

    // The aids of the records on screen, judged on the query's day.
    const ClinicalAids& aids() const { return aids_; }

    QToolButton* CcloudDup = nullptr;
    QToolButton* CcloudTrend = nullptr;
    QLabel* CcloudAidsCount = nullptr;
    // The dialogs last opened, while they are open.
    DuplicatesDialog* duplicatesDialog() const { return duplicates_; }
    SupplyTimelineDialog* timelineDialog() const { return timeline_; }
    TrendChartDialog* trendDialog() const { return trend_; }

  private:
    void showTrend(int shownRow);
    QDate queryDay() const;
    void refreshAids();
    void showCounts();

    CloudReport& report_;
    CloudReportView& reportView_;
    QWidget* window_;
    QTreeView* list_;
    QString iniPath_;
    ClinicalAids aids_;
    QPointer<DuplicatesDialog> duplicates_;
    QPointer<SupplyTimelineDialog> timeline_;
    QPointer<TrendChartDialog> trend_;
};

}  // namespace report
