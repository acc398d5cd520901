// Design widths under a wider font, and the tool tip of a cut status text.

#include "shell/font_fit.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(FontFit, WidthsGrowOnlyForAWiderFontAndRoundUp) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double inUse, design;
        int designWidth, grown;
    } cases[] = {
        {7.2, 6.0, 55, 66},  // 20 % wider: 66 exactly, not 67
        {7.0, 6.0, 55, 65},  // 64.17 rounds up: the last digit must not be cut
        {6.0, 6.0, 55, 55},  // the design font itself
        {5.0, 6.0, 55, 55},  // a narrower font never shrinks a column
        {0.0, 6.0, 55, 55},  // nothing measured
        {7.0, 0.0, 55, 55}, {nan, 6.0, 55, 55}, {9.0, 6.0, 0, 0},  // a hidden column stays hidden
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.inUse << " / " << c.design << ", " << c.designWidth);
        const double ratio = fontfit::widthRatio(c.inUse, c.design);
        EXPECT_GE(ratio, 1.0);
        EXPECT_EQ(fontfit::grownWidth(c.designWidth, ratio), c.grown);
    }
}

TEST(FontFit, ACutStatusTextCarriesItsWholeTextAsToolTip) {
    const QString text = QStringLiteral("未置入健保IC卡或(虛擬)健保卡讀取失敗");
    EXPECT_EQ(fontfit::statusToolTip(text, 200.5, 123), text);
    EXPECT_EQ(fontfit::statusToolTip(text, 123.4, 123), text);  // a partly cut last pixel
    EXPECT_EQ(fontfit::statusToolTip(text, 123.0, 123), QString());
    EXPECT_EQ(fontfit::statusToolTip(text, 60.0, 123), QString());
    EXPECT_EQ(fontfit::statusToolTip(QString(), 0.0, 123), QString());
}

}  // namespace
