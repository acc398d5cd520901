// Handlers of the settings page, the zoom spinner and the gear button.

#include <QDir>
#include <QScreen>
#include <cmath>

#include "cloud/browser.h"
#include "common/clock.h"
#include "common/ini_file.h"
#include "common/prompts.h"
#include "flow/settings_rules.h"
#include "tftolv_view.h"
#include "ui_tftolv.h"

settings::SystemSettings TFtolv::currentSettings() const {
    settings::SystemSettings s;
    s.card.getTreatment = ui->CGetTreatment->isChecked();
    s.card.readPrescription = ui->CReadPrescription->isChecked();
    s.card.registerPrevent = ui->CGetRegisterPrevent->isChecked();
    s.card.registerPregnant = ui->CGetRegisterPregnant->isChecked();
    s.card.cumulativeData = ui->CGetCumulativeData->isChecked();
    s.card.inoculateData = ui->CGetInoculateData->isChecked();
    s.card.organDonate = ui->CGetOrganDonate->isChecked();
    s.cloudLabData = ui->CGetCloudLabData->isChecked();
    s.cloudRefCheck = ui->CcloudRefCheck->isChecked();
    s.com = ui->Ccom->currentText();
    s.cardDrPIN = ui->CcardDrPIN->text();
    s.saveData = ui->CsaveDataCheck->isChecked();
    s.dateSortType = ui->CdateSortType->isChecked();
    s.copyWithTag = ui->CcopyWithTagCheck->isChecked();
    s.virtualCardProgram = ui->CVHCNHIlocation->text();
    s.edgeZoom = ui->CedgeZoom->text();
    s.scale = ui->CscaleforPPI->currentText();
    s.fastCloudRead = ui->CfastCloudRead->isChecked();
    return s;
}

void TFtolv::saveSetting() {
    if (!startup_.complete) return;
    // A zoom the browser cannot use is not stored: the edit goes back to the
    // spinner's zoom.
    if (!settings::isSaneZoomSpinner(settings::zoomSpinnerForText(ui->CedgeZoom->text())))
        ui->CedgeZoom->setText(settings::zoomTextForSpinner(ui->Czoomfactor->value()));
    IniFile ini(startup_.iniPath);
    settings::saveSystemSettings(ini, currentSettings(), currentPpi_);
    ui->Czoomfactor->setValue(settings::zoomSpinnerForText(ui->CedgeZoom->text()));
}

void TFtolv::CscaleforPPIChange() {
    saveSetting();
    rescaleTo(settings::parseScale(ui->CscaleforPPI->currentText()).value_or(currentPpi_));
}

void TFtolv::CscaleforPPIdefaultClick() {
    const QScreen* s = screen();
    const int platformPpi =
        s != nullptr ? static_cast<int>(std::lround(s->logicalDotsPerInchX())) : currentPpi_;
    rescaleTo(platformPpi);
    deps_.clock->pump();
    ui->CscaleforPPI->setEditText(QString::number(currentPpi_));
    IniFile(startup_.iniPath).deleteKey(settings::kSystem, settings::kScaleKey);
}

void TFtolv::CzoomfactorChange(int value) {
    if (browser_ != nullptr) browser_->setZoomFactor(value / 10.0);
    ui->CedgeZoom->setText(settings::zoomTextForSpinner(value));
}

void TFtolv::CVHCNHIsetClick() {
    const QString name = settings::kVirtualCardKey;
    const std::optional<QString> chosen =
        deps_.prompts->openFile(QDir::currentPath(), name, name + QStringLiteral("*.exe"));
    ui->CVHCNHIlocation->setText(chosen.value_or(QString()));
    IniFile(startup_.iniPath)
        .writeString(settings::kSystem, settings::kVirtualCardKey, ui->CVHCNHIlocation->text());
}

void TFtolv::CfastCloudReadClick() {
    IniFile(startup_.iniPath)
        .writeBool(settings::kSystem, settings::kFastCloudReadKey, ui->CfastCloudRead->isChecked());
}

void TFtolv::CsettingClick() {
    if (ui->CmainPage->currentWidget() != ui->CPcloudChart) return;
    const bool show = ui->CPfieldSetting->isHidden();
    ui->CPfieldSetting->setVisible(show);
    if (show)
        emit fieldSettingShown();
    else
        emit fieldSettingHidden();
}
