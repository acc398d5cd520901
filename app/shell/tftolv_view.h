#pragma once
// The one main window. Creating it runs the start-up flow and applies what it
// decided to the controls; showing it applies the stored scale and size;
// closing it releases the control software and stores the zoom; destroying it
// stores the window size and the report's column widths.

#include <QDateTime>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "query/query.h"
#include "common/status_sink.h"
#include "export/summary_model.h"
#include "query/query_archive.h"
#include "flow/read_flow.h"
#include "flow/startup_flow.h"
#include "flow/system_settings.h"

class Browser;
class Clock;
class HealthPromotionLibrary;
class VpnAddOn;
namespace report {
class ClinicalAidsView;
class CloudReport;
class CloudReportView;
}  // namespace report
class ControlSoftware;
class IniFile;
class ExportLookups;
class Pinger;
class Prompts;
class QCloseEvent;
class QResizeEvent;
class QShowEvent;

namespace Ui {
class TFtolv;
}

class TFtolv : public QMainWindow, public StatusSink, public ReadFlowView, public QueryArchiveView {
    Q_OBJECT
  public:
    // Everything outside the window. The window does not own these.
    struct Deps {
        QString appPath;  // the program's folder
        ControlSoftware* controlSoftware = nullptr;
        Pinger* pinger = nullptr;
        Prompts* prompts = nullptr;
        Clock* clock = nullptr;
        // The two web services' helpers. Without them "Read" asks neither service.
        HealthPromotionLibrary* healthPromotion = nullptr;
        VpnAddOn* vpnAddOn = nullptr;
        // Creates the embedded browser inside `host` (which has an empty layout)
        // and returns it; it must be a child of host. May be empty: no browser.
        std::function<Browser*(QWidget* host, const Endpoints& endpoints)> browserFactory;
    };

    explicit TFtolv(Deps deps, QWidget* parent = nullptr);
    ~TFtolv() override;

    Ui::TFtolv* form() const { return ui; }

    // StatusSink
    void setMsg1(const QString& text) override;
    void setMsg2(const QString& text) override;
    void setMsg3(const QString& text) override;
    void setBusyCursor(bool busy) override;

    // Start-up rejected the control software's version: the program is to end as
    // soon as its message loop runs.
    bool endRequested() const { return startup_.endRequested; }
    // What start-up decided, once.
    const StartupResult& startup() const { return startup_; }
    // The pixels per inch the window is laid out for now.
    int currentPpi() const { return currentPpi_; }
    Browser* browser() const { return browser_; }
    // The cloud report: its kind, lists, rules and rows.
    report::CloudReport& cloudReport() const { return *report_; }
    report::CloudReportView& cloudReportView() const { return *reportView_; }
    report::ClinicalAidsView& clinicalAidsView() const { return *clinicalView_; }

    // ReadFlowView: what the two queries ask of the window.
    ReadMode mode() const override;
    // The working values of the settings page.
    settings::SystemSettings currentSettings() const override;
    void setWindowEnabled(bool enabled) override;
    void setReadButtonsEnabled(bool enabled) override;
    void showEdgePage() override;
    const Query& shownQuery() const override { return query_; }
    // The one way a query reaches the screen (Read, Direct Read, a reopened
    // file): it replaces the one shown, and every view is drawn again from it.
    void commitQuery(const Query& query, bool showReport) override;

    // QueryArchiveView: what the archive asks of the window (and the commit).
    void setDateList(const QStringList& dates) override;
    void setArchiveControlsEnabled(bool enabled) override;

    // The query on screen: what every view shows, prints, exports and copies.
    const Query& query() const { return query_; }
    // The summary of the query on screen, as "摘要" prints it.
    summary::SummaryDocument summaryDocument() const;

    // The two buttons of the top bar.
    void CreadClick();
    void CsaveHtmlClick();
    // The archive's patient ID and date list on the top bar.
    void CsrIDKeyUp(int key);
    void CdateListChange();
    // What the status bar says to a close asked for while a query runs.
    static inline const QString kCloseWhileReading = QStringLiteral("讀取中，請稍候結束後再關閉");
    bool queryRunning() const { return queryRunning_; }
    // The entries of the top bar's "摘要" button.
    void CsummaryPrintClick();
    void CsummaryPdfClick();
    void CsummaryFhirClick();

    // Handlers of the settings page and the top bar.
    void saveSetting();
    void CscaleforPPIChange();
    void CscaleforPPIdefaultClick();
    void CzoomfactorChange(int value);
    void CVHCNHIsetClick();
    // Stores the fast cloud read option alone; the next Read takes it.
    void CfastCloudReadClick();
    void CsettingClick();

  signals:
    // The column panel of the cloud page was just shown or hidden by the gear button.
    void fieldSettingShown();
    void fieldSettingHidden();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct ReadParts;
    struct ReadPartsDeleter {
        void operator()(ReadParts* parts) const;
    };
    void setUpReadParts();
    QueryArchive& archive();
    // Runs one query; a close asked for meanwhile waits for its end.
    void runQuery(const std::function<void()>& query);
    void setUpCloudReport();
    // What the page says now into what the query parts read.
    void prepareRead();
    // The views drawn from the committed query.
    void fillPTdata();
    void showCloudReport(bool toFront);
    void setUpWidgets();
    void connectHandlers();
    void applyStartup();
    void layoutVisitGrid();
    void applySettings();
    void placeToolGroup();
    void rescaleTo(int ppi);
    void onClose();
    void setUpSummaryButton();
    // False, after saying so, when no patient is on screen.
    bool hasSummaryPatient();
    // The program folder and the archive's name for the query, with `suffix`.
    QString summaryFileName(const QString& suffix) const;
    summary::SummaryDocument currentSummary(ExportLookups& lookups) const;
    // The day of the query on screen; today when none is.
    QDate queryDay() const;

    Ui::TFtolv* ui;
    Deps deps_;
    Browser* browser_ = nullptr;
    int currentPpi_ = 96;
    // Until start-up is complete the controls hold design values that must not
    // overwrite stored ones, and neither query may start.
    StartupResult startup_;
    bool closed_ = false;
    bool busy_ = false;
    bool scaleTyped_ = false;
    bool queryRunning_ = false;
    bool closePending_ = false;
    // Read, Direct Read, CsrID and CdateList before a stored query began to open.
    std::array<bool, 4> archiveControlsWere_{true, true, true, true};
    // The card, cloud and flow objects of the two queries.
    std::unique_ptr<ReadParts, ReadPartsDeleter> read_;
    std::unique_ptr<report::CloudReport> report_;
    std::unique_ptr<report::CloudReportView> reportView_;
    std::unique_ptr<report::ClinicalAidsView> clinicalView_;
    // The query on screen; replaced only by commitQuery.
    Query query_;
};
