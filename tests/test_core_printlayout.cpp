#include "core/PrintLayout.h"

#include <gtest/gtest.h>

#include <array>

namespace calvane {
namespace {

std::array<int, 4> margins(int pageW, int pageH, int w, int h, double dpiX = 600, double dpiY = 600)
{
    const ChartMargins m = chartPrintMargins(pageW, pageH, w, h, dpiX, dpiY);
    return {m.left, m.top, m.right, m.bottom};
}

using M = std::array<int, 4>;

TEST(ChartPrintMargins, LongerSideGetsFifteenPercentTheOtherFollowsTheProportions)
{
    EXPECT_EQ(margins(4960, 7016, 497, 281), (M{15, 38, 15, 38}));  // A/Ci chart: nearest(76.02) / 2
    EXPECT_EQ(margins(4960, 7016, 504, 315), (M{15, 36, 15, 36}));  // light response: nearest(73.49) / 2
    EXPECT_EQ(margins(4960, 7016, 100, 400), (M{39, 15, 39, 15}));  // taller than wide: nearest(78.78) / 2
    // Rounded before halving, not cut: 53.5 -> 54 -> 27.
    EXPECT_EQ(margins(1000, 1000, 400, 310)[1], 27);
}

TEST(ChartPrintMargins, DependOnThePaperNotOnThePrinterResolutionAndNeverFail)
{
    // Twice the dots per inch in one direction: twice the pixels, the same paper.
    EXPECT_EQ(margins(4960, 2 * 7016, 497, 281, 600, 1200)[1], 38);
    EXPECT_EQ(margins(2 * 4960, 7016, 100, 400, 1200, 600)[0], 39);
    EXPECT_EQ(margins(4960, 7016, 0, 281), (M{15, 15, 15, 15}));
    EXPECT_EQ(margins(4960, 7016, 497, 281, 0, 600), (M{15, 15, 15, 15}));
    EXPECT_EQ(margins(1000000, 10, 497, 281)[1], 0);  // would be negative: stays on the page
}

}  // namespace
}  // namespace calvane
