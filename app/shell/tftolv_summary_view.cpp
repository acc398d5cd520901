// The window's "摘要" button: the patient summary printed or saved as PDF, and
// the query exported as a FHIR Bundle. All three work on the query on screen,
// after a Read, a Direct Read or a reopened archived query alike, dated its day.

#include <QHBoxLayout>
#include <QMenu>
#include <QPointer>
#include <QToolButton>

#include "card/code_tables.h"
#include "card/drug_database.h"
#include "card/patient_pages.h"
#include "common/prompts.h"
#include "common/version.h"
#include "export/export_files.h"
#include "export/export_lookups.h"
#include "export/summary_aside.h"
#include "export/summary_model.h"
#include "export/summary_print_view.h"
#include "report/cloud_report.h"
#include "report/cloud_tables.h"
#include "report/duplicate_check.h"
#include "tftolv_view.h"
#include "ui_tftolv.h"

namespace {

const QString kNoPatient = QStringLiteral("尚無病患資料");

// The names the summary shows come from the same lists the pages use, and the
// diagnoses' from the diagnosis database.
struct SummaryLookups {
    explicit SummaryLookups(const QString& appPath)
        : hospitals(appPath),
          drugs(appPath),
          diagnoses(appPath),
          lookups(hospitals, drugs, diagnoses) {}
    HospitalNames hospitals;
    DrugDatabase drugs;
    DiagnosisDatabase diagnoses;
    CodeTableExportLookups lookups;
};

// The report's duplicate groups as the summary lists them: the reason with the
// shared code, then each drug with its visit date and institution.
QList<summary::DuplicateGroup> summaryDuplicates(const report::DuplicateFindings& findings,
                                                 const report::CloudTable& drugs) {
    const int name = report::columnIndex(report::Kind::Drug, QStringLiteral("藥品名稱"));
    const int source = report::columnIndex(report::Kind::Drug, QStringLiteral("來源"));
    QList<summary::DuplicateGroup> groups;
    for (const report::DuplicateGroup& g : findings.groups) {
        summary::DuplicateGroup group;
        group.reason = report::duplicateReasonText(g.reason) + u' ' + g.code;
        for (const report::DuplicateEntry& e : g.entries) {
            if (e.row < 0 || e.row >= drugs.rows.size()) continue;
            const report::CloudRow& row = drugs.rows.at(e.row);
            group.drugs.append(
                QStringLiteral("%1 (%2 %3)")
                    .arg(row.cell(name).trimmed(), row.caption, row.cell(source).trimmed()));
        }
        groups.append(group);
    }
    return groups;
}

// The patient state the summary and the export read. A query without a card part
// (Direct Read of a patient whose card was not read) still names its patient.
PatientState summaryState(const Query& query) {
    PatientState state = query.patient;
    if (state.ptData.A12ID.trimmed().isEmpty()) state.ptData.A12ID = query.patientId;
    return state;
}

// While a summary's pages are made aside the window keeps answering; its summary
// button waits until they are done.
struct SummaryButtonWait {
    explicit SummaryButtonWait(QWidget* window)
        : button(window->findChild<QToolButton*>(QStringLiteral("Csummary"))) {
        if (button) button->setEnabled(false);
    }
    ~SummaryButtonWait() {
        if (button) button->setEnabled(true);
    }
    QPointer<QToolButton> button;
};

}  // namespace

void TFtolv::setUpSummaryButton() {
    auto* button = new QToolButton(ui->CPtop);
    button->setObjectName(QStringLiteral("Csummary"));
    button->setText(QStringLiteral("摘要"));
    button->setPopupMode(QToolButton::InstantPopup);
    button->setAutoRaise(true);
    auto* menu = new QMenu(button);
    menu->addAction(QStringLiteral("列印"), this, [this] { CsummaryPrintClick(); })
        ->setObjectName(QStringLiteral("CsummaryPrint"));
    menu->addAction(QStringLiteral("存成PDF"), this, [this] { CsummaryPdfClick(); })
        ->setObjectName(QStringLiteral("CsummaryPdf"));
    menu->addAction(QStringLiteral("匯出FHIR"), this, [this] { CsummaryFhirClick(); })
        ->setObjectName(QStringLiteral("CsummaryFhir"));
    button->setMenu(menu);
    // Beside the settings button, left of the query buttons.
    // The form gives the top bar a row layout; should it ever not, the button goes
    // nowhere rather than into a layout of another kind.
    auto* bar = qobject_cast<QHBoxLayout*>(ui->CPtop->layout());
    if (bar == nullptr) return;
    bar->insertWidget(bar->indexOf(ui->Csetting), button);
}

bool TFtolv::hasSummaryPatient() {
    if (!query_.patientId.isEmpty()) return true;
    deps_.prompts->message(kNoPatient);
    return false;
}

QString TFtolv::summaryFileName(const QString& suffix) const {
    return startup_.appPath + summary::defaultExportName(queryDay(), query_.patientId, suffix);
}

summary::SummaryDocument TFtolv::currentSummary(ExportLookups& lookups) const {
    summary::SummaryContext context;
    context.queryTime = query_.time;
    context.programName = QStringLiteral("Tolvane");
    context.programVersion = QStringLiteral(TOLVANE_VERSION);
    // The report's source tables and duplicate groups are the committed query's,
    // judged on its day.
    const report::CloudSourceTables& tables = report_->sourceTables();
    summary::SummaryExtras extras;
    extras.eligibilityText = query_.eligibility;
    extras.duplicateCheckOn = report_->localDuplicateCheck();
    if (extras.duplicateCheckOn)
        extras.duplicates = summaryDuplicates(report_->duplicates(), tables.drug);
    return summary::buildSummary(summaryState(query_), tables, extras, context, lookups);
}

summary::SummaryDocument TFtolv::summaryDocument() const {
    SummaryLookups names(startup_.appPath);
    return currentSummary(names.lookups);
}

void TFtolv::CsummaryPrintClick() {
    if (!hasSummaryPatient()) return;
    SummaryLookups names(startup_.appPath);
    const SummaryButtonWait wait(this);
    if (summary::printSummary(this, currentSummary(names.lookups), [this](int page, int pages) {
            setMsg1(summary::progressText(page, pages));
        }))
        setMsg1(QStringLiteral("已送出列印"));
}

void TFtolv::CsummaryPdfClick() {
    if (!hasSummaryPatient()) return;
    const auto path = deps_.prompts->saveFile(summaryFileName(QStringLiteral(".pdf")),
                                              QStringLiteral("PDF"), QStringLiteral("*.pdf"));
    if (!path) return;
    SummaryLookups names(startup_.appPath);
    const SummaryButtonWait wait(this);
    QString error;
    if (!summary::writeSummaryPdfAside(
            currentSummary(names.lookups), *path, &error,
            [this](int page, int pages) { setMsg1(summary::progressText(page, pages)); }))
        deps_.prompts->message(QStringLiteral("存檔失敗:") + error);
    else
        setMsg1(QStringLiteral("已存成PDF"));
}

void TFtolv::CsummaryFhirClick() {
    if (!hasSummaryPatient()) return;
    const auto path =
        deps_.prompts->saveFile(summaryFileName(QStringLiteral(".json")),
                                QStringLiteral("FHIR JSON"), QStringLiteral("*.json"));
    if (!path) return;
    SummaryLookups names(startup_.appPath);
    QString error;
    if (!summary::writeFhirBundle(*path, summaryState(query_), report_->sourceTables(),
                                  names.lookups, queryDay(), &error))
        deps_.prompts->message(QStringLiteral("存檔失敗:") + error);
    else
        setMsg1(QStringLiteral("已匯出FHIR"));
}
