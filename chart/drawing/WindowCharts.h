#pragma once
// Each analysis window's chart as a drawing: which series it shows, in which order, under
// which titles. The desktop windows draw it on screen and print it, calvane-batch writes
// it to figure files: one definition, so a figure always looks like the window's chart.
// The drawings point into the window; they are valid while it lives and unchanged.

#include "chart/drawing/ChartDrawing.h"

namespace calvane {
class TfrmACi_Curve;
class TfrmAQ_C3_Curve;
}  // namespace calvane

namespace calvane::chart {

ChartDrawing aciChartDrawing(const TfrmACi_Curve& window);
ChartDrawing aqChartDrawing(const TfrmAQ_C3_Curve& window);

}  // namespace calvane::chart
