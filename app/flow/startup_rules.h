#pragma once
// Decisions of the start-up sequence that need no window: the control
// software's version check, the caption, the program's file version and the
// visit grid's layout.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace startup {

inline const QString kMsgNoControlSoftware = QStringLiteral("無法動態套用cshis.dll");
inline const QString kMsgBadVersion = QStringLiteral("讀卡機控制軟體錯誤,請重開雲端安全模組主控台");
inline const QString kMsgNoVpn = QStringLiteral("沒有連接健保VPN網路");
// Shown instead when tolvane.ini names no VPN test address at all.
inline const QString kMsgVpnNotConfigured = QStringLiteral("未設定VPN測試位址");
inline const QString kDesignCaption = QStringLiteral("雲端藥歷讀取");

// Versions 3xxx and 5xxx are the ones the program works with.
bool isSupportedVersion(std::int32_t xHISversion);

QString windowCaption(const QString& programVersion, std::int32_t xHISversion);

// Four decimal numbers "a.b.c.d". This platform keeps no version resource in
// program files: the program's own file (an empty path, or the path of the
// running program) has the build version, any other file has none ("").
QString GetFileVersion(const QString& path);
// The four-number form of a version text; "" unless it has four parts of 0..65535.
QString fourPartVersion(const QString& version);

// The visit grid: 8 columns, 12 rows, the first of each fixed.
inline constexpr int kGridColumns = 8;
inline constexpr int kGridRows = 12;
inline constexpr int kGridDefaultColumnWidth = 41;
inline constexpr int kGridDefaultRowHeight = 15;
inline constexpr int kGridFirstColumnWidth = 90;
// The grid's width when the window is created at its design size.
inline constexpr int kGridDesignWidth = 973;
// Width of columns 1 to 7 for a grid of this width: (width - 80) div 7 - 1.
int visitGridColumnWidth(int gridWidth);
const QStringList& visitGridRowTitles();
// Rows whose height differs from the default: (row, height).
const QList<QPair<int, int>>& visitGridRowHeights();

}  // namespace startup
