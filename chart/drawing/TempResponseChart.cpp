#include "chart/drawing/TempResponseChart.h"

#include "tresponse/TempResponse.h"

namespace calvane::chart {

ChartDrawing tempResponseChartDrawing(const TempResponse& window)
{
    return tempResponseChartDrawing(std::vector<const TempResponse*>{&window});
}

ChartDrawing tempResponseChartDrawing(const std::vector<const TempResponse*>& windows)
{
    ChartDrawing drawing;
    if (windows.empty())
        return drawing;
    const TempResponse& first = *windows.front();
    drawing.titleLines = first.chartTitle.lines();
    drawing.bottomAxisTitle = first.bottomAxisTitle;
    drawing.leftAxisTitle = first.leftAxisTitle();
    drawing.gradientEnd = rgb(255, 255, 240);
    for (const TempResponse* window : windows) {
        drawing.series.push_back(&window->Series_Measured);
        // Left out before a fit, so the legend lists no empty curve.
        if (!window->Series_Fitted.empty())
            drawing.series.push_back(&window->Series_Fitted);
    }
    return drawing;
}

}  // namespace calvane::chart
