#include "core/PrintLayout.h"

#include <algorithm>
#include <cmath>

namespace calvane {

namespace {

constexpr int longSideMargin = 15;  // percent, each side
constexpr double shortSideShare = 0.6;

// The nearest integer, halves to the even neighbour.
double nearestEven(double x)
{
    const double below = std::floor(x);
    const double fraction = x - below;
    if (fraction != 0.5)
        return fraction < 0.5 ? below : below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

// The margin on each side: the rounded percentage halved, the remainder dropped.
// Kept within the page, so the chart never lies outside it.
int halfMargin(double percent) { return static_cast<int>(nearestEven(std::clamp(percent, 0.0, 100.0))) / 2; }

}  // namespace

ChartMargins chartPrintMargins(int pageWidth, int pageHeight, int chartWidth, int chartHeight, double dpiX, double dpiY)
{
    const ChartMargins plain{longSideMargin, longSideMargin, longSideMargin, longSideMargin};
    // Without sizes or resolutions there are no proportions to keep.
    if (pageWidth <= 0 || pageHeight <= 0 || chartWidth <= 0 || chartHeight <= 0 || !(dpiX > 0) || !(dpiY > 0) ||
        !std::isfinite(dpiX) || !std::isfinite(dpiY))
        return plain;

    const double pageW = pageWidth, pageH = pageHeight, w = chartWidth, h = chartHeight;
    if (h < w) {
        // Printer pixels across become pixels down in the ratio dpiY / dpiX, so the
        // margins in percent do not depend on the printer's resolution.
        const int m = halfMargin(100.0 * (pageH - shortSideShare * pageW * (h / w) * (dpiY / dpiX)) / pageH);
        return {longSideMargin, m, longSideMargin, m};
    }
    const int m = halfMargin(100.0 * (pageW - shortSideShare * pageH * (w / h) * (dpiX / dpiY)) / pageW);
    return {m, longSideMargin, m, longSideMargin};
}

}  // namespace calvane
