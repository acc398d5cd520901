#pragma once
// The cloud page's widgets around the report: the tool bar, the report list, the
// rule panel CPcloudSetting and the column panel CPfieldSetting (their contents
// are made here), the right-click menu and the clipboard. Handlers gather what
// the widgets hold, call the report and show what it returns.

#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <memory>

#include "report/cloud_report.h"

class Prompts;
class QCheckBox;
class QFrame;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;
class QTreeView;
class QWidget;

namespace report {

// The widgets of the window's form this view drives; it does not own them.
struct CloudPageWidgets {
    QWidget* window = nullptr;
    QTabWidget* CmainPage = nullptr;
    QWidget* CPcloudChart = nullptr;
    QWidget* CcloudBar = nullptr;
    QToolButton* CputToCC = nullptr;
    QToolButton* ToolButton1 = nullptr;
    QToolButton* ToolButton2 = nullptr;
    QToolButton* CcloudShowAll = nullptr;
    QToolButton* CcloudShowSelect = nullptr;
    QToolButton* CcloudSet = nullptr;
    QTreeView* CcloudReport = nullptr;
    QFrame* CPfieldSetting = nullptr;
    QFrame* CPcloudSetting = nullptr;
    // Settings page boxes read when they matter.
    QCheckBox* CdateSortType = nullptr;
    QCheckBox* CcopyWithTagCheck = nullptr;
};

class CloudReportView : public QObject {
    Q_OBJECT
  public:
    CloudReportView(CloudReport& report, const CloudPageWidgets& widgets, Prompts& prompts,
                    QString appPath, std::function<void(const QString&)> setMsg2,
                    QObject* parent = nullptr);
    ~CloudReportView() override;

    // The report of `kind` and the row count in Cmsg2; toFront: the cloud page
    // comes to the front.
    void showCloud(const QString& kind, bool toFront = true);
    // Called around every show: the clinical aids compute their warnings before
    // and show their counts after.
    std::function<void()> aboutToShow;
    std::function<void()> shown;
    // Lets pending messages run once (the program's clock); unset: the event loop's.
    std::function<void()> letMessagesRun;
    // How much wider than the design the report's columns are drawn: the font in
    // use against the design font at the design size (a wider fallback font, a
    // larger "視窗解析度"); never below 1.
    double widthRatio() const;

    void ToolButton1Click();
    void ToolButton2Click();
    void CcloudShowAllClick();
    void CcloudShowSelectClick();
    void CcloudSetClick();
    void CcloudRuleSaveClick();
    void CputToCCClick();
    // The menu a right-click at `pos` (report viewport coordinates) shows, or none.
    std::unique_ptr<QMenu> CcloudReportContextMenu(const QPoint& pos);
    void CcloudReportContextPopup(const QPoint& pos);

    // The gear showed or hid the column panel.
    void fieldSettingShown();
    void fieldSettingHidden();
    void CviewfieldListClickCheck(QListWidgetItem* item);
    void CviewfieldListUpClick();
    void CviewfieldListDnClick();
    void CviewSortListClickCheck(QListWidgetItem* item);
    void CviewsortListUpClick();
    void CviewsortListDnClick();

    QListWidget* CviewSortList = nullptr;
    QListWidget* CviewfieldList = nullptr;
    QPlainTextEdit* CcloudNameInclude = nullptr;
    QPlainTextEdit* CcloudICD10Include = nullptr;
    QPlainTextEdit* CcloudATC3Include = nullptr;
    QCheckBox* CcloudCheckDup = nullptr;
    QPushButton* CcloudRuleSave = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildFieldPanel();
    void buildRulePanel();
    void connectHandlers();
    // The lists and the column widths as the report holds them now.
    void syncPanel();
    void syncWidths();
    // What the check box adds to the first column's width.
    int checkBoxExtent() const;
    void moveField(int delta);
    void moveSortKey(int delta);

    CloudReport& report_;
    CloudPageWidgets w_;
    Prompts& prompts_;
    QString appPath_;
    std::function<void(const QString&)> setMsg2_;
    // Widths set from the report are not handed back as dragged ones; list
    // items filled from it are no user's ticks.
    bool syncing_ = false;
    // The report font's size in pixels when the window was made (the design scale).
    int designPixelSize_ = 0;
};

}  // namespace report
