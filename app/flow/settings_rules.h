#pragma once
// Rules for the values of the settings page: how texts typed or stored become
// the zoom spinner, the reader port, the window scale and column widths. Plain
// functions so that they are checked without a window.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace settings {

// Browser zoom in tenths, as the top bar's spinner holds it.
inline constexpr int kDesignZoomSpinner = 8;
inline const QString kDesignZoomText = QStringLiteral("0.8");
// A zoom of 0 or below would blank or break the page, and beyond 5x nothing is
// readable; values outside these bounds count as not a zoom at all.
inline constexpr int kZoomSpinnerMin = 1;
inline constexpr int kZoomSpinnerMax = 50;
// Pixels per inch the window may be rescaled to; 0 would divide by zero.
inline constexpr int kMinPpi = 48;
inline constexpr int kMaxPpi = 480;

// A decimal number with a point ("0.8", " 1.25 "); nullopt for anything else,
// including infinities and NaN.
std::optional<double> parseDecimal(const QString& text);

// The spinner value for a zoom text: the number times 10, rounded to the nearest
// integer with halves to the even neighbour (0.95 -> 10, 0.85 -> 8); a text
// that is not a number counts as 1.0. The result may be outside the sane range.
int zoomSpinnerForText(const QString& text);
bool isSaneZoomSpinner(int spinner);
// The zoom factor of a spinner value in its shortest decimal form ("0.8", "1", "1.2").
QString zoomTextForSpinner(int spinner);

// What the start-up puts into the zoom edit and the spinner for a stored text.
struct StartupZoom {
    int spinner;
    // The edit's text when the spinner did not change (the stored text stays as
    // typed); when it changed, the edit is rewritten from the spinner.
    QString text;
};
StartupZoom startupZoom(const QString& storedText, int currentSpinner);

// The reader port text: one of "1" to "8", else "1".
QString portOrDefault(const QString& stored);
inline const QStringList kPorts = {"1", "2", "3", "4", "5", "6", "7", "8"};

// A scale-box text as pixels per inch: an integer within kMinPpi..kMaxPpi.
std::optional<int> parseScale(const QString& text);

// A stored window width or height; one outside 100..8192 pixels (a damaged file)
// would make the window unusable or its picture huge, and keeps the current one.
int windowExtentOr(int stored, int current);

// The value of "CloudLabData": applied only with exactly one entry more than the
// list has columns; the first entry is unused, the rest are widths (0 when not an
// integer). nullopt: the value changes nothing.
std::optional<QList<int>> cloudLabDataWidths(const QString& value, int columnCount);

// A filter-rule value of section "ICcardShow": every "||" removed, then split at
// commas only (spaces belong to the entries; quoted pieces keep their commas), by
// the same parser the rule panel's save uses. Empty text gives an empty list.
QStringList ruleListFromValue(const QString& value);

}  // namespace settings
