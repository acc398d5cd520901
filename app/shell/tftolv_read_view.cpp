// The window's side of "Read" and "Direct Read": the parts the queries use,
// the settings they read from the page, and the pages they fill.

#include <QApplication>
#include <QRegularExpression>
#include <QUrl>

#include "card/adult_prevent.h"
#include "card/card_decoding.h"
#include "card/control_software.h"
#include "card/patient_pages.h"
#include "card/patient_pages_view.h"
#include "card/reader_connection.h"
#include "cloud/browser.h"
#include "cloud/browser_driver.h"
#include "cloud/edge_chart.h"
#include "cloud/qt_http_transport.h"
#include "cloud/referral_query.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "report/clinical_aids_view.h"
#include "report/cloud_report.h"
#include "report/cloud_report_view.h"
#include "tftolv_view.h"
#include "ui_tftolv.h"

namespace {

// Stands in for the embedded browser when the window was made without one:
// every request is dropped, as for a page that does not exist yet.
class NoBrowser : public Browser {
  public:
    using Browser::Browser;
    void navigate(const QUrl&) override {}
    void runScript(const QString&, quint64) override {}
    void setZoomFactor(double) override {}
    void reinitialize() override {}
    QString currentAddress() const override { return {}; }
};

}  // namespace

struct TFtolv::ReadParts {
    ReadParts(TFtolv& w, Browser& browser, const Deps& d)
        : diagnoses(w.startup_.appPath),
          names(w.startup_.hospitalSet, diagnoses),
          hospitalNames(w.startup_.appPath),
          reader(*d.controlSoftware, *d.clock, *d.prompts, w),
          driver(browser, *d.clock, w),
          loader(driver, *d.clock, *d.prompts, w, cloudSettings),
          archive(QueryArchiveContext{w.startup_.appPath, *d.clock, *d.prompts, w, w}),
          flow(ReadFlowContext{*d.controlSoftware, reader, loader, names, *d.clock, *d.prompts, w,
                               w, w.startup_},
               serviceSteps(w, d)) {}

    // The archive, and the eligibility and referral steps; without their helper a
    // service step answers nothing.
    ReadFlowSteps serviceSteps(TFtolv& w, const Deps& d) {
        http.setTimeoutMs(w.startup_.endpoints.serviceTimeoutSeconds * 1000);
        http.setTrustedCertificateFingerprint(w.startup_.endpoints.testCertSha256);
        ReadFlowSteps steps;
        steps.writeArchive = [this](const Query& query) { return archive.write(query); };
        if (d.healthPromotion) {
            prevent = std::make_unique<AdultPreventQuery>(*d.healthPromotion, http, *d.prompts);
            prevent->setHost(w.startup_.endpoints.preventApiHost);
        }
        steps.getAdultPrevent = [this](const PatientState& patient) {
            if (!prevent) return QString();
            // The card is read again into a record of its own: a failed read, or
            // another patient's card put in meanwhile, leaves the query's patient whole.
            return prevent->getAdultPrevent([this, &patient] {
                treadCard ptData = patient.ptData;
                BasicInfo PtBuffer{};
                return reader.getRegisterBasic(ptData, PtBuffer) &&
                       ptData.A12ID.trimmed().toUpper() == patient.ptData.A12ID.trimmed().toUpper();
            });
        };
        if (d.vpnAddOn) {
            referral = std::make_unique<ReferralQuery>(*d.vpnAddOn, http, *d.prompts, w, *d.clock);
            referral->setHost(w.startup_.endpoints.referralHost);
        }
        steps.GetRefDataJSON = [this](const PatientState& patient) -> std::optional<QString> {
            if (!referral) return std::nullopt;
            return referral->GetRefDataJSON(patient.sHospitalCode, patient.ptData);
        };
        return steps;
    }

    DiagnosisDatabase diagnoses;
    CodeTableLookups names;
    HospitalNames hospitalNames;
    ReaderConnection reader;
    BrowserDriver driver;
    EdgeChartSettings cloudSettings;
    EdgeChartLoader loader;
    QtHttpTransport http;
    std::unique_ptr<AdultPreventQuery> prevent;
    std::unique_ptr<ReferralQuery> referral;
    QueryArchive archive;
    ReadFlow flow;
};

void TFtolv::ReadPartsDeleter::operator()(ReadParts* parts) const { delete parts; }

QueryArchive& TFtolv::archive() { return read_->archive; }

void TFtolv::setUpReadParts() {
    // Neither query may start before start-up has finished.
    ui->Cread->setEnabled(false);
    ui->CsaveHtml->setEnabled(false);
    if (browser_ == nullptr) browser_ = new NoBrowser(this);
    read_.reset(new ReadParts(*this, *browser_, deps_));
    // The driver connects the browser's events itself.
    read_->loader.closeReaderPort = [this] { deps_.controlSoftware->csCloseCom(); };
    EdgeChartSettings& s = read_->cloudSettings;
    s.URLaddr = startup_.cloudStartAddress;
    s.appPath = startup_.appPath;
    s.errorFileFolder = startup_.appPath;
    read_->reader.setHisVersion(startup_.hisVersion);
}

void TFtolv::prepareRead() {
    EdgeChartSettings& s = read_->cloudSettings;
    s.reinitializeWeb = ui->CReinitializeWebCheck->isChecked();
    s.fastRead = ui->CfastCloudRead->isChecked();
    s.zoomTenths = ui->Czoomfactor->value();
    s.loginCaption = ui->CloginType->currentText();
    read_->reader.setPortText(ui->Ccom->currentText());
}

void TFtolv::CreadClick() {
    runQuery([this] {
        prepareRead();
        read_->flow.Read();
    });
}

void TFtolv::CsaveHtmlClick() {
    runQuery([this] {
        prepareRead();
        read_->flow.DirectRead();
    });
}

void TFtolv::runQuery(const std::function<void()>& query) {
    if (queryRunning_) return;
    {
        queryRunning_ = true;
        struct Running {
            bool& flag;
            ~Running() { flag = false; }
        } running{queryRunning_};
        query();
    }
    // A close asked for during the query happens now that it has unwound.
    if (closePending_) {
        closePending_ = false;
        close();
    }
}

ReadMode TFtolv::mode() const {
    if (ui->CICcheck->isChecked()) return ReadMode::IcCard;
    if (ui->CICcloudcheck->isChecked()) return ReadMode::All;
    return ReadMode::Cloud;
}

void TFtolv::setWindowEnabled(bool enabled) { setEnabled(enabled); }

void TFtolv::setReadButtonsEnabled(bool enabled) {
    const bool on = enabled && startup_.complete;
    ui->Cread->setEnabled(on);
    ui->CsaveHtml->setEnabled(on);
}

void TFtolv::showEdgePage() { ui->CmainPage->setCurrentWidget(ui->CTedge); }

void TFtolv::commitQuery(const Query& query, bool showReport) {
    query_ = query;
    // Whatever was open on the last query's records closes with it.
    clinicalView_->closeDialogs();
    fillPTdata();
    ui->CrefMemo->setPlainText(query_.patient.sRef);
    // A reopened query leaves Cmsg3's tooltip as the last Read left it.
    if (query_.origin == QueryOrigin::Reopen)
        ui->Cmsg3->setText(query_.patientLine());
    else
        setMsg3(query_.patientLine());
    ui->CcloudDrug->clear();
    ui->CcloudLabData->clear();
    report_->fillCloudData(query_.patient.sDrug, query_.patient.sLab);
    showCloudReport(showReport);
}

void TFtolv::fillPTdata() {
    const PatientPages pages =
        buildPatientPages(query_.patient, read_->hospitalNames, startup_.appPath);
    PatientPageWidgets w;
    w.CptName = ui->CptName;
    w.CptID = ui->CptID;
    w.Cbirthday = ui->Cbirthday;
    w.Csex = ui->Csex;
    w.CtreatmentData = ui->CtreatmentData;
    w.CtreatItem = ui->CtreatItem;
    w.ClongDrug = ui->ClongDrug;
    w.CimportantMx = ui->CimportantMx;
    w.CcriticalIllness = ui->CcriticalIllness;
    w.Cprevent = ui->Cprevent;
    w.Cpregnant = ui->Cpregnant;
    w.CrefMemo = ui->CrefMemo;
    showPatientPages(pages, w, *deps_.prompts);
}

void TFtolv::showCloudReport(bool toFront) {
    // Every query starts on its drug report.
    reportView_->showCloud(QStringLiteral("drug"), toFront);
}
