#pragma once
// Section "system" of tolvane.ini: the values of the settings page, how start-up
// reads them and the set that every change stores.

#include <QString>
#include <QStringList>

#include "card/read_ic_card_data.h"

class IniFile;

namespace settings {

inline const QString kSystem = QStringLiteral("system");
inline const QString kScaleKey = QStringLiteral("視窗解析度");
inline const QString kZoomKey = QStringLiteral("雲端藥歷字體大小");
inline const QString kVirtualCardKey = QStringLiteral("虛擬健保卡控制軟體");
inline const QString kWidthKey = QStringLiteral("視窗寬度");
inline const QString kHeightKey = QStringLiteral("視窗長度");
// Not part of the stored set: its box stores it alone when clicked.
inline const QString kFastCloudReadKey = QStringLiteral("快速讀取雲端資料");

// The working values, as the controls of the settings page show them. The one
// settings value of the program: start-up reads it, every change stores it, and
// the queries take what they need from it.
struct SystemSettings {
    CardReadSettings card;  // the card categories to read
    bool cloudLabData = true;
    bool cloudRefCheck = true;
    QString com = QStringLiteral("1");
    QString cardDrPIN;
    bool saveData = true;
    bool dateSortType = false;
    bool copyWithTag = false;
    QString virtualCardProgram;
    QString edgeZoom = QStringLiteral("0.8");
    QString scale;               // the scale box's text
    bool fastCloudRead = false;  // the cloud read waits for the pages, not fixed times
};

// Reads the section the way start-up does. A stored port outside "1".."8" gives
// "1"; a stored scale outside the sane range gives currentPpi. The zoom text is
// returned as stored (start-up checks it when it sets the spinner).
SystemSettings loadSystemSettings(const IniFile& ini, int currentPpi);

// The keys of the stored set, in the order they are written.
const QStringList& savedKeys();

// Writes the sixteen values of the set in savedKeys() order. The scale is the
// box's text as an integer, or currentPpi when it is not a sane one. The
// virtual-card path and the window size are not part of the set.
void saveSystemSettings(IniFile& ini, const SystemSettings& s, int currentPpi);

}  // namespace settings
