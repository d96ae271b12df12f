#pragma once
// A window's chart as Qt Charts draws it: title lines, axis titles, the background
// gradient and the series, in legend order. Screen, printer and figure files all go
// through here so that they cannot drift apart. No widgets: the caller puts the chart
// in a view or renders it.

#include "chart/drawing/ChartDrawing.h"

class QChart;

namespace calvane::chart {

// A new chart showing the drawing; the caller owns it.
QChart* buildChart(const ChartDrawing& drawing);

// Brings a chart made by buildChart up to date: titles, every series' look and points,
// and the axis ranges. Points are replaced in one call per series, so redrawing a
// long curve many times (a refining fit) stays cheap.
void updateChart(QChart* chart, const ChartDrawing& drawing);

}  // namespace calvane::chart
