#pragma once
// The temperature-response chart as a drawing: the measured values and the fitted curve
// against leaf temperature, for the desktop's window and for calvane-batch tresponse,
// whose figure holds every group of its table. The drawing points into the windows.

#include "chart/drawing/ChartDrawing.h"

#include <vector>

namespace calvane {
class TempResponse;
}

namespace calvane::chart {

ChartDrawing tempResponseChartDrawing(const TempResponse& window);
// Several windows in one chart, under the first one's titles; each window's series keep
// their own titles and colours.
ChartDrawing tempResponseChartDrawing(const std::vector<const TempResponse*>& windows);

}  // namespace calvane::chart
