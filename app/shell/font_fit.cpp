#include "font_fit.h"

#include <cmath>

namespace fontfit {

double widthRatio(double inUse, double design) {
    if (!(inUse > 0) || !(design > 0) || inUse <= design) return 1.0;
    return inUse / design;
}

int grownWidth(int designWidth, double ratio) {
    if (designWidth <= 0 || !(ratio > 1.0)) return designWidth;
    // A hair below a whole pixel counts as that pixel: 55 * (66 / 55) stays 66.
    return static_cast<int>(std::ceil(designWidth * ratio - 1e-9));
}

QString statusToolTip(const QString& text, double textWidth, int shownWidth) {
    return textWidth > shownWidth ? text : QString();
}

}  // namespace fontfit
