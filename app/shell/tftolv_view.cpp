#include "tftolv_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "card/control_software.h"
#include "cloud/browser.h"
#include "common/clock.h"
#include "common/ini_file.h"
#include "common/prompts.h"
#include "common/roc_date.h"
#include "export/query_records.h"
#include "font_fit_view.h"
#include "flow/list_columns.h"
#include "report/clinical_aids_view.h"
#include "report/cloud_report.h"
#include "report/cloud_report_view.h"
#include "flow/settings_rules.h"
#include "flow/startup_rules.h"
#include "ui_tftolv.h"
#include "widget_scale_view.h"

namespace {

// `grow`: the list is shown, so its widths follow a font wider than the design font.
void setColumns(QTreeWidget* list, const QList<ListColumn>& cols, bool grow) {
    QStringList captions;
    for (const ListColumn& c : cols) captions.append(c.caption);
    list->setColumnCount(static_cast<int>(cols.size()));
    list->setHeaderLabels(captions);
    list->header()->setMinimumSectionSize(0);
    list->header()->setStretchLastSection(false);
    for (int i = 0; i < cols.size(); ++i) {
        if (grow)
            fontfit::setGrownColumnWidth(list, i, cols[i].width);
        else
            list->setColumnWidth(i, cols[i].width);
        if (cols[i].rightAligned)
            list->headerItem()->setTextAlignment(i, Qt::AlignRight | Qt::AlignVCenter);
    }
}

// A plain gear, so the button needs no picture file.
QIcon gearIcon() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x55, 0x55, 0x55));
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-3, -15, 6, 8));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 10.5, 10.5);
    p.setBrush(QColor(0xf0, 0xf0, 0xf0));
    p.drawEllipse(QPointF(0, 0), 4.5, 4.5);
    return QIcon(pm);
}

}  // namespace

TFtolv::TFtolv(Deps deps, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::TFtolv), deps_(std::move(deps)) {
    ui->setupUi(this);
    setUpWidgets();
    connectHandlers();
    setUpSummaryButton();

    // The endpoints decide where the browser may go; it exists before start-up so
    // that the page "edge" holds it whatever start-up finds.
    startup_ = StartupFlow::locate(deps_.appPath);
    if (deps_.browserFactory) browser_ = deps_.browserFactory(ui->Cedge, startup_.endpoints);
    StartupFlow(*deps_.controlSoftware, *deps_.pinger, *deps_.prompts).run(startup_, currentPpi_);
    setUpReadParts();
    setUpCloudReport();
    applyStartup();
}

TFtolv::~TFtolv() {
    if (!closed_) onClose();
    read_.reset();
    IniFile ini(startup_.iniPath);
    ini.writeInteger(settings::kSystem, settings::kWidthKey, width());
    ini.writeInteger(settings::kSystem, settings::kHeightKey, height());
    report_->storeColumnWidths();
    clinicalView_.reset();
    reportView_.reset();
    ui->CcloudReport->setModel(nullptr);
    if (busy_) QApplication::restoreOverrideCursor();
    delete ui;
}

void TFtolv::setUpWidgets() {
    QFont font = this->font();
    // The captions are Traditional Chinese; fall back to a CJK font where the
    // design font is missing.
    font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Microsoft JhengHei"),
                      QStringLiteral("WenQuanYi Zen Hei")});
    setFont(font);
    currentPpi_ = static_cast<int>(std::lround(logicalDpiX()));
    if (currentPpi_ <= 0) currentPpi_ = 96;

    ui->Csetting->setIcon(gearIcon());
    ui->Cmsg3->setToolTip(QString());

    setColumns(ui->CtreatItem, columns::treatItem(), true);
    setColumns(ui->ClongDrug, columns::longDrug(), true);
    setColumns(ui->CcriticalIllness, columns::criticalIllness(), true);
    setColumns(ui->CimportantMx, columns::importantMx(), true);
    setColumns(ui->Cprevent, columns::prevent(), true);
    setColumns(ui->Cpregnant, columns::pregnant(), true);
    setColumns(ui->CcloudDrug, columns::cloudRecords(report::Kind::Drug), false);
    setColumns(ui->CcloudLabData, columns::cloudRecords(report::Kind::Lab), false);
    // Grid lines between the cells of every record list. A rule for the items takes
    // their drawing from the style, selection included: selected rows are given the
    // highlight colours explicitly, and keep them when the window is not active.
    const QString gridLines = QStringLiteral(
        "QTreeView::item { border-right: 1px solid #d8d8d8; border-bottom: 1px solid #d8d8d8; }"
        "QTreeView::item:selected, QTreeView::item:selected:!active {"
        " background: palette(highlight); color: palette(highlighted-text); }");
    for (QTreeView* list : std::initializer_list<QTreeView*>{
             ui->CtreatItem, ui->ClongDrug, ui->CcriticalIllness, ui->CimportantMx, ui->Cprevent,
             ui->Cpregnant, ui->CcloudReport})
        list->setStyleSheet(list->styleSheet() + gridLines);

    // The visit grid: the first row and column are fixed cells, drawn like headers.
    QTableWidget* grid = ui->CtreatmentData;
    QFont gridFont;
    gridFont.setFamilies({QStringLiteral("PMingLiU"), QStringLiteral("新細明體"),
                          QStringLiteral("WenQuanYi Zen Hei")});
    gridFont.setPixelSize(11);
    grid->setFont(gridFont);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    for (int r = 0; r < grid->rowCount(); ++r)
        for (int c = 0; c < grid->columnCount(); ++c) {
            auto* cell = new QTableWidgetItem;
            if (r == 0 || c == 0) {
                cell->setFlags(Qt::ItemIsEnabled);
                cell->setBackground(palette().button());
            } else {
                cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            cell->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
            grid->setItem(r, c, cell);
        }

    auto* edgeLayout = new QVBoxLayout(ui->Cedge);
    edgeLayout->setContentsMargins(0, 0, 0, 0);
    ui->CloginType->setCurrentIndex(0);
}

void TFtolv::connectHandlers() {
    // Only user actions store: clicked, activated and editingFinished are not
    // emitted when start-up fills the controls.
    for (QCheckBox* box :
         {ui->CGetTreatment, ui->CReadPrescription, ui->CGetRegisterPrevent,
          ui->CGetRegisterPregnant, ui->CGetCumulativeData, ui->CGetInoculateData,
          ui->CGetOrganDonate, ui->CGetCloudLabData, ui->CcloudRefCheck, ui->CsaveDataCheck,
          ui->CdateSortType, ui->CcopyWithTagCheck, ui->CReinitializeWebCheck})
        connect(box, &QCheckBox::clicked, this, [this] { saveSetting(); });
    connect(ui->Ccom, &QComboBox::activated, this, [this] { saveSetting(); });
    connect(ui->CcardDrPIN, &QLineEdit::editingFinished, this, [this] { saveSetting(); });
    connect(ui->CedgeZoom, &QLineEdit::editingFinished, this, [this] { saveSetting(); });

    // A chosen item applies at once; a typed value applies when complete.
    connect(ui->CscaleforPPI, &QComboBox::textActivated, this, [this] {
        scaleTyped_ = false;
        CscaleforPPIChange();
    });
    connect(ui->CscaleforPPI->lineEdit(), &QLineEdit::textEdited, this,
            [this] { scaleTyped_ = true; });
    connect(ui->CscaleforPPI->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (!scaleTyped_) return;
        scaleTyped_ = false;
        CscaleforPPIChange();
    });
    connect(ui->CscaleforPPIdefault, &QPushButton::clicked, this,
            [this] { CscaleforPPIdefaultClick(); });
    connect(ui->Czoomfactor, &QSpinBox::valueChanged, this,
            [this](int v) { CzoomfactorChange(v); });
    connect(ui->CVHCNHIset, &QPushButton::clicked, this, [this] { CVHCNHIsetClick(); });
    connect(ui->CfastCloudRead, &QCheckBox::clicked, this, [this] { CfastCloudReadClick(); });
    connect(ui->Csetting, &QToolButton::clicked, this, [this] { CsettingClick(); });
    connect(ui->Cread, &QPushButton::clicked, this, [this] { CreadClick(); });
    connect(ui->CsaveHtml, &QPushButton::clicked, this, [this] { CsaveHtmlClick(); });
    ui->CsrID->installEventFilter(this);  // CsrIDKeyUp
    connect(ui->CdateList, &QComboBox::currentTextChanged, this, [this] { CdateListChange(); });
}

void TFtolv::applyStartup() {
    const StartupResult& r = startup_;
    if (!r.complete) return;
    setWindowTitle(r.caption);
    if (!r.vpnStatus.isEmpty()) setMsg1(r.vpnStatus);
    if (r.endpoints.vpnTestAddress.isEmpty())
        ui->Cmsg1->setToolTip(QStringLiteral("tolvane.ini [endpoints] vpnTestAddress"));
    layoutVisitGrid();
    report_->setRules(r.rules);
    applySettings();
    ui->CmainPage->setCurrentWidget(ui->CTedge);
    if (r.vpn && browser_ != nullptr) browser_->navigate(r.cloudStartAddress);
    setReadButtonsEnabled(true);
}

void TFtolv::layoutVisitGrid() {
    QTableWidget* grid = ui->CtreatmentData;
    grid->setColumnWidth(0, startup::kGridFirstColumnWidth);
    const int w = startup::visitGridColumnWidth(startup::kGridDesignWidth);
    for (int c = 1; c < grid->columnCount(); ++c) grid->setColumnWidth(c, w);
    const QStringList& titles = startup::visitGridRowTitles();
    for (int r = 0; r < titles.size() && r < grid->rowCount(); ++r)
        grid->item(r, 0)->setText(titles[r]);
    for (const auto& [row, height] : startup::visitGridRowHeights())
        grid->setRowHeight(row, height);
}

void TFtolv::applySettings() {
    const settings::SystemSettings& s = startup_.settings;
    ui->CscaleforPPI->setEditText(s.scale);
    ui->CGetTreatment->setChecked(s.card.getTreatment);
    ui->CReadPrescription->setChecked(s.card.readPrescription);
    ui->CGetRegisterPrevent->setChecked(s.card.registerPrevent);
    ui->CGetRegisterPregnant->setChecked(s.card.registerPregnant);
    ui->CGetCumulativeData->setChecked(s.card.cumulativeData);
    ui->CGetInoculateData->setChecked(s.card.inoculateData);
    ui->CGetOrganDonate->setChecked(s.card.organDonate);
    ui->CGetCloudLabData->setChecked(s.cloudLabData);
    ui->CcloudRefCheck->setChecked(s.cloudRefCheck);
    ui->Ccom->setCurrentIndex(std::max(0, ui->Ccom->findText(s.com)));
    ui->CcardDrPIN->setText(s.cardDrPIN);
    ui->CsaveDataCheck->setChecked(s.saveData);
    ui->CdateSortType->setChecked(s.dateSortType);
    ui->CcopyWithTagCheck->setChecked(s.copyWithTag);
    ui->CfastCloudRead->setChecked(s.fastCloudRead);
    ui->CVHCNHIlocation->setText(s.virtualCardProgram);
    const settings::StartupZoom zoom = settings::startupZoom(s.edgeZoom, ui->Czoomfactor->value());
    ui->CedgeZoom->setText(zoom.text);
    ui->Czoomfactor->setValue(zoom.spinner);

    // The duplicate check keeps its own switch in the settings file.
    clinicalView_->loadSetting(IniFile(startup_.iniPath));
    QTreeWidget* lab = ui->CcloudLabData;
    if (const auto& widths = startup_.cloudLabDataWidths) {
        report_->setLabDefaultWidths(*widths);
        for (int i = 0; i < widths->size() && i < lab->columnCount(); ++i) {
            const int w = (*widths)[i];
            // -1 and -2 ask for the width of the contents or the caption; anything
            // below is no width at all and keeps the default.
            if (w >= 0)
                lab->setColumnWidth(i, w);
            else if (w >= -2)
                lab->resizeColumnToContents(i);
        }
    }
}

void TFtolv::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (event->spontaneous()) return;  // restored from the task bar, not shown anew
    if (ui->CscaleforPPI->currentText() != QString::number(currentPpi_))
        rescaleTo(settings::parseScale(ui->CscaleforPPI->currentText()).value_or(currentPpi_));
    const IniFile ini(startup_.iniPath);
    const int w = ini.readInteger(settings::kSystem, settings::kWidthKey, width());
    const int h = ini.readInteger(settings::kSystem, settings::kHeightKey, height());
    resize(settings::windowExtentOr(w, width()), settings::windowExtentOr(h, height()));
    placeToolGroup();
}

void TFtolv::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeToolGroup();
}

void TFtolv::placeToolGroup() {
    // The group is the last item of the top bar, which spans the window: the
    // layout keeps it at the top right corner; make it take effect now.
    if (QLayout* l = ui->CPtop->layout()) l->activate();
    if (QLayout* l = ui->centralwidget->layout()) l->activate();
}

void TFtolv::closeEvent(QCloseEvent* event) {
    if (queryRunning_) {
        // The query's waits run inside this event: closing now would pull the
        // control software and the window from under it.
        event->ignore();
        closePending_ = true;
        fontfit::setStatusText(ui->Cmsg1, kCloseWhileReading);
        return;
    }
    if (!closed_) onClose();
    QMainWindow::closeEvent(event);
}

void TFtolv::onClose() {
    closed_ = true;
    if (deps_.controlSoftware->isLoaded()) deps_.controlSoftware->unload();
    report_->setRules({});
    // Before start-up read the settings the edit holds the design zoom, which
    // must not replace the stored one.
    if (startup_.complete)
        IniFile(startup_.iniPath)
            .writeString(settings::kSystem, settings::kZoomKey, ui->CedgeZoom->text());
}

void TFtolv::setUpCloudReport() {
    report_ = std::make_unique<report::CloudReport>(startup_.iniPath);
    report_->ownHospitalCode = [this] { return query_.patient.sHospitalCode; };
    // The day the clinical aids judge the records on: the query's day (a reopened
    // query's stored day), by the program's clock.
    report_->today = [this] { return queryDay(); };
    report::CloudPageWidgets w;
    w.window = this;
    w.CmainPage = ui->CmainPage;
    w.CPcloudChart = ui->CPcloudChart;
    w.CcloudBar = ui->CcloudBar;
    w.CputToCC = ui->CputToCC;
    w.ToolButton1 = ui->ToolButton1;
    w.ToolButton2 = ui->ToolButton2;
    w.CcloudShowAll = ui->CcloudShowAll;
    w.CcloudShowSelect = ui->CcloudShowSelect;
    w.CcloudSet = ui->CcloudSet;
    w.CcloudReport = ui->CcloudReport;
    w.CPfieldSetting = ui->CPfieldSetting;
    w.CPcloudSetting = ui->CPcloudSetting;
    w.CdateSortType = ui->CdateSortType;
    w.CcopyWithTagCheck = ui->CcopyWithTagCheck;
    reportView_ =
        std::make_unique<report::CloudReportView>(*report_, w, *deps_.prompts, startup_.appPath,
                                                 [this](const QString& text) { setMsg2(text); });
    reportView_->letMessagesRun = [this] { deps_.clock->pump(); };
    clinicalView_ =
        std::make_unique<report::ClinicalAidsView>(*report_, *reportView_, w, startup_.iniPath);
    clinicalView_->patient = [this] {
        const PatientState& p = query_.patient;
        return report::AidsPatient{p.ptData.sex, rocDateFromText(p.ptData.A13birthday),
                                  summary::cardAllergies(p.ICcardInfo)};
    };
    connect(this, &TFtolv::fieldSettingShown, reportView_.get(),
            &report::CloudReportView::fieldSettingShown);
    connect(this, &TFtolv::fieldSettingHidden, reportView_.get(),
            &report::CloudReportView::fieldSettingHidden);
}

QDate TFtolv::queryDay() const {
    return query_.day().isValid() ? query_.day() : deps_.clock->today();
}

void TFtolv::setMsg1(const QString& text) {
    // Until the window closes, its notice stays in front of the query's progress.
    if (closePending_) return;
    fontfit::setStatusText(ui->Cmsg1, text);
}
void TFtolv::setMsg2(const QString& text) { fontfit::setStatusText(ui->Cmsg2, text); }
void TFtolv::setMsg3(const QString& text) {
    ui->Cmsg3->setText(text);
    ui->Cmsg3->setToolTip(text);
}

void TFtolv::setBusyCursor(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFtolv::rescaleTo(int ppi) {
    if (ppi == currentPpi_ || ppi <= 0) return;
    scaleWidgetTree(this, static_cast<double>(ppi) / currentPpi_);
    currentPpi_ = ppi;
}
