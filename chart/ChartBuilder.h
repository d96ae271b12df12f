#pragma once
// A window's chart as Qt Charts draws it: title lines, axis titles, the background
// gradient and the series, in legend order. Screen, printer and figure files all go
// through here so that they cannot drift apart. No widgets: the caller puts the chart
// in a view or renders it.

#include "core/Colour.h"
#include "core/PointSeries.h"

#include <string>
#include <vector>

class QChart;

namespace calvane::chart {

struct ChartSpec {
    std::vector<std::string> titleLines;
    std::string bottomAxisTitle, leftAxisTitle, rightAxisTitle;  // an empty right title: no right axis
    Colour gradientEnd = rgb(255, 255, 255);                     // the background gradient ends in this colour
    std::vector<const PointSeries*> series;                      // drawn and listed in the legend in this order
    bool legendVisible = true;                                   // the light-response chart hides it
};

// A new chart showing the spec; the caller owns it.
QChart* buildChart(const ChartSpec& spec);

// Brings a chart made by buildChart up to date: titles, every series' look and points,
// and the axis ranges. Points are replaced in one call per series, so redrawing a
// long curve many times (a refining fit) stays cheap.
void updateChart(QChart* chart, const ChartSpec& spec);

}  // namespace calvane::chart
