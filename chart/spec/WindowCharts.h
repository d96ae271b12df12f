#pragma once
// Each analysis window's chart as a drawing: which series it shows, in which order, under
// which titles. The desktop windows draw it on screen and print it, calvane-batch writes
// it to figure files: one definition, so a figure always looks like the window's chart.
// The drawings point into the window; they are valid while it lives and unchanged.

#include "chart/spec/ChartSpec.h"

namespace calvane {
class TfrmACi_Curve;
class TfrmAQ_C3_Curve;
}  // namespace calvane

namespace calvane::chart {

ChartSpec aciChartSpec(const TfrmACi_Curve& window);
ChartSpec aqChartSpec(const TfrmAQ_C3_Curve& window);

}  // namespace calvane::chart
