#pragma once
// The cloud page's clinical aids: the tool-bar buttons "重複用藥" (the list of
// duplicate-medication groups) and "趨勢" (the chart of the chosen laboratory
// item, also on a double click), and the rule panel's box that turns the local
// duplicate check on and stores it.

#include <QObject>
#include <QPointer>
#include <QString>

#include "report/duplicates_view.h"
#include "report/trend_chart_view.h"

class IniFile;
class QModelIndex;
class QToolButton;
class QTreeView;
class QWidget;

namespace cloud {

class CloudReport;
class CloudReportView;
struct CloudPageWidgets;

class ClinicalAidsView : public QObject {
    Q_OBJECT
  public:
    ClinicalAidsView(CloudReport& report, CloudReportView& reportView,
                     const CloudPageWidgets& widgets, QString iniPath, QObject* parent = nullptr);
    ~ClinicalAidsView() override;

    // Start-up: the stored state of the box.
    void loadSetting(const IniFile& ini);
    // Another patient's records are coming: what the open dialogs show is no
    // longer the patient's on screen.
    void closeDialogs();

    void CcloudDupClick();
    void CcloudTrendClick();
    void CcloudReportDblClick(const QModelIndex& index);
    void CcloudCheckDupClick(bool checked);

    QToolButton* CcloudDup = nullptr;
    QToolButton* CcloudTrend = nullptr;
    // The dialogs last opened, while they are open.
    DuplicatesDialog* duplicatesDialog() const { return duplicates_; }
    TrendChartDialog* trendDialog() const { return trend_; }

  private:
    void showTrend(int shownRow);

    CloudReport& report_;
    CloudReportView& reportView_;
    QWidget* window_;
    QTreeView* list_;
    QString iniPath_;
    QPointer<DuplicatesDialog> duplicates_;
    QPointer<TrendChartDialog> trend_;
};

}  // namespace cloud
