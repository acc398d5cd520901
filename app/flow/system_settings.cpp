#include "system_settings.h"

#include "common/ini_file.h"
#include "settings_rules.h"

namespace settings {

namespace {
const QString kGetTreatment = QStringLiteral("讀取就醫資料");
const QString kReadPrescription = QStringLiteral("讀取處方資料");
const QString kRegisterPrevent = QStringLiteral("讀取預防保健資料");
const QString kRegisterPregnant = QStringLiteral("讀取孕婦產檢資料");
const QString kCumulativeData = QStringLiteral("讀取就醫費用累計資料");
const QString kInoculateData = QStringLiteral("讀取預防接種資料");
const QString kOrganDonate = QStringLiteral("讀取器官捐贈資料");
const QString kCloudLabData = QStringLiteral("讀取雲端藥例檢驗值");
const QString kCloudRefCheck = QStringLiteral("查詢雲端轉診(下轉)");
const QString kCom = QStringLiteral("讀卡機埠");
const QString kCardDrPIN = QStringLiteral("醫事人員PIN碼");
const QString kSaveData = QStringLiteral("儲存資料");
const QString kDateSortType = QStringLiteral("日期順向排序");
const QString kCopyWithTag = QStringLiteral("複製擷取時含標註");
}  // namespace

SystemSettings loadSystemSettings(const IniFile& ini, int currentPpi) {
    SystemSettings s;
    const int ppi = ini.readInteger(kSystem, kScaleKey, currentPpi);
    s.scale = QString::number(parseScale(QString::number(ppi)).value_or(currentPpi));
    s.card.getTreatment = ini.readBool(kSystem, kGetTreatment, s.card.getTreatment);
    s.card.readPrescription = ini.readBool(kSystem, kReadPrescription, s.card.readPrescription);
    s.card.registerPrevent = ini.readBool(kSystem, kRegisterPrevent, s.card.registerPrevent);
    s.card.registerPregnant = ini.readBool(kSystem, kRegisterPregnant, s.card.registerPregnant);
    s.card.cumulativeData = ini.readBool(kSystem, kCumulativeData, s.card.cumulativeData);
    s.card.inoculateData = ini.readBool(kSystem, kInoculateData, s.card.inoculateData);
    s.card.organDonate = ini.readBool(kSystem, kOrganDonate, s.card.organDonate);
    s.cloudLabData = ini.readBool(kSystem, kCloudLabData, s.cloudLabData);
    s.cloudRefCheck = ini.readBool(kSystem, kCloudRefCheck, s.cloudRefCheck);
    s.com = portOrDefault(ini.readString(kSystem, kCom, s.com));
    s.cardDrPIN = ini.readString(kSystem, kCardDrPIN, s.cardDrPIN);
    s.saveData = ini.readBool(kSystem, kSaveData, s.saveData);
    s.dateSortType = ini.readBool(kSystem, kDateSortType, s.dateSortType);
    s.copyWithTag = ini.readBool(kSystem, kCopyWithTag, s.copyWithTag);
    s.virtualCardProgram = ini.readString(kSystem, kVirtualCardKey, s.virtualCardProgram);
    s.edgeZoom = ini.readString(kSystem, kZoomKey, s.edgeZoom);
    s.fastCloudRead = ini.readBool(kSystem, kFastCloudReadKey, s.fastCloudRead);
    return s;
}

const QStringList& savedKeys() {
    static const QStringList keys = {
        kGetTreatment,  kReadPrescription, kRegisterPrevent, kRegisterPregnant, kCumulativeData,
        kInoculateData, kOrganDonate,      kCloudLabData,    kCloudRefCheck,    kCom,
        kCardDrPIN,     kSaveData,         kDateSortType,    kZoomKey,          kCopyWithTag,
        kScaleKey,
    };
    return keys;
}

void saveSystemSettings(IniFile& ini, const SystemSettings& s, int currentPpi) {
    // One write for the whole set, so a crash leaves the old set or the new one. A
    // failed write is not reported: the working values stay in the controls.
    auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    ini.writeStrings(kSystem,
                     {{kGetTreatment, flag(s.card.getTreatment)},
                      {kReadPrescription, flag(s.card.readPrescription)},
                      {kRegisterPrevent, flag(s.card.registerPrevent)},
                      {kRegisterPregnant, flag(s.card.registerPregnant)},
                      {kCumulativeData, flag(s.card.cumulativeData)},
                      {kInoculateData, flag(s.card.inoculateData)},
                      {kOrganDonate, flag(s.card.organDonate)},
                      {kCloudLabData, flag(s.cloudLabData)},
                      {kCloudRefCheck, flag(s.cloudRefCheck)},
                      {kCom, s.com},
                      {kCardDrPIN, s.cardDrPIN},
                      {kSaveData, flag(s.saveData)},
                      {kDateSortType, flag(s.dateSortType)},
                      {kZoomKey, s.edgeZoom},
                      {kCopyWithTag, flag(s.copyWithTag)},
                      {kScaleKey, QString::number(parseScale(s.scale).value_or(currentPpi))}});
}

}  // namespace settings
