#pragma once
// Each analysis window's chart as a drawing: which series it shows, in which order, under
// which titles. The desktop windows draw it on screen and print it, calvane-batch writes
// it to figure files: one definition, so a figure always looks like the window's chart.
// The drawings point into the window; they are valid while it lives and unchanged.

#include "chart/drawing/ChartDrawing.h"

#include <string>

namespace calvane {
class TfrmACi_Curve;
class TfrmAQ_C3_Curve;
}  // namespace calvane

namespace calvane::chart {

ChartDrawing aciChartDrawing(const TfrmACi_Curve& window);
ChartDrawing aqChartDrawing(const TfrmAQ_C3_Curve& window);

// The window's chart as a figure for a paper (figure files, Save Chart As), held by
// value: axis titles with their units on both axes and no second A axis, the curve's
// name as the title (its identifier, else `fileName`), legend names a reader knows,
// the model curves over the measured x range and 5 % beyond only, on white. The
// window's own chart keeps its look.
ChartCopy aciFigure(const TfrmACi_Curve& window, const std::string& fileName);
ChartCopy aqFigure(const TfrmAQ_C3_Curve& window, const std::string& fileName);

// A curve file's name for a figure's title: the path's last part without its extension.
std::string figureFileName(const std::string& path);

}  // namespace calvane::chart
