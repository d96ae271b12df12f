#pragma once
// Where a chart goes on its printed page: a rectangle centred on the printable area,
// given as margins in percent of the page.

namespace calvane {

struct ChartMargins {
    int left, top, right, bottom;
};

// The page is pageWidth x pageHeight printer pixels at dpiX x dpiY; the chart
// measures chartWidth x chartHeight on screen. Its longer side gets 15 percent
// margins; the other margins follow from the chart's proportions.
ChartMargins chartPrintMargins(int pageWidth, int pageHeight, int chartWidth, int chartHeight, double dpiX,
                               double dpiY);

}  // namespace calvane
