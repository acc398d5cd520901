#pragma once
// Keeping the design's column widths and status texts usable when the font in use
// is not the design font (a fallback font is usually wider).
#include <QString>

namespace fontfit {

// The design font of the lists and status texts, and its average character width
// in ems over the characters the narrow columns hold: the digits of dates, codes,
// days and totals (the same sample is measured in the font in use, so the two
// compare at any size). A fallback font's letters may be narrower while its digits
// are wider, and a date cut to "11312" is what the user cannot read.
inline constexpr char kDesignFamily[] = "Segoe UI";
inline constexpr double kDesignAverageEm = 0.572;

// The factor design widths grow by for a font whose average character is `inUse`
// pixels wide where the design font's is `design` pixels: the ratio of the two, and
// 1 when the font in use is not wider (or either width is unknown).
double widthRatio(double inUse, double design);

// A design width grown by `ratio`, rounded up so that what fitted still fits.
int grownWidth(int designWidth, double ratio);

// The tool tip of a status text that needs `textWidth` pixels and is shown in
// `shownWidth`: the whole text when it is cut, none when it shows whole.
QString statusToolTip(const QString& text, double textWidth, int shownWidth);

}  // namespace fontfit
