#pragma once
// What a window's chart shows, as plain data: title lines, axis titles, the background
// gradient and the series in legend order. The screen, the printer and figure files are
// all drawn from one of these (chart/qt/ChartBuilder.h), so that they cannot drift apart.
// No Qt here: calvane-batch builds drawings on its worker threads.

#include "core/Colour.h"
#include "core/PointSeries.h"

#include <string>
#include <vector>

namespace calvane::chart {

struct ChartDrawing {
    std::vector<std::string> titleLines;
    // Rich text, as Qt Charts lays axis titles out. An empty right title: no right axis.
    std::string bottomAxisTitle, leftAxisTitle, rightAxisTitle;
    Colour gradientEnd = rgb(255, 255, 255);  // the background gradient ends in this colour
    std::vector<const PointSeries*> series;   // drawn and listed in the legend in this order
    bool legendVisible = true;                // the light-response chart hides it
};

// A chart's content held by value, so that it can be drawn after its window has gone or
// on another thread: calvane-batch's windows run on worker threads, while charts are
// drawn on the main thread.
class ChartCopy {
public:
    ChartCopy() = default;
    // Copies the titles, the settings and every series' title, look and points.
    explicit ChartCopy(const ChartDrawing& drawing);

    // The drawing of the copy; its series point into this object.
    ChartDrawing drawing() const;

private:
    ChartDrawing settings_;  // everything but the series
    std::vector<PointSeries> series_;
};

}  // namespace calvane::chart
