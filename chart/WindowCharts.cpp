#include "chart/WindowCharts.h"

#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"

namespace calvane::chart {

ChartSpec aciChartSpec(const TfrmACi_Curve& w)
{
    ChartSpec spec;
    spec.titleLines = w.aciChart_LightResponseCurve.lines();
    spec.leftAxisTitle = w.aciChart_LeftAxisTitle;
    spec.rightAxisTitle = w.aciChart_RightAxisTitle;
    spec.gradientEnd = w.aciChart_GradientEnd;
    spec.series = {&w.Series_LightAssim, &w.Series_Wc, &w.Series_Wj, &w.Series_Wp};
    // Left out while hidden or before a fit, so the legend lists no empty curve.
    if (w.aciCheckBox_StdShowCurve.checked() && !w.Series_StandardFit.empty())
        spec.series.push_back(&w.Series_StandardFit);
    return spec;
}

ChartSpec aqChartSpec(const TfrmAQ_C3_Curve& w)
{
    ChartSpec spec;
    spec.titleLines = w.aqChart_LightResponseCurve.lines();
    spec.bottomAxisTitle = w.aqChart_BottomAxisTitle;
    spec.leftAxisTitle = w.aqChart_LeftAxisTitle;
    spec.rightAxisTitle = w.aqChart_RightAxisTitle;
    spec.gradientEnd = w.aqChart_GradientEnd;
    spec.series = {&w.Series_LightAssim, &w.Series_ComputedA};
    // The standard fits' curves, left out while hidden or before a fit; a legend tells
    // them apart only while one of them is drawn.
    if (w.aqCheckBox_StdShowOptimum.checked() && !w.Series_StdOptimum.empty())
        spec.series.push_back(&w.Series_StdOptimum);
    if (w.aqCheckBox_StdShowHyperbola.checked() && !w.Series_StdHyperbola.empty())
        spec.series.push_back(&w.Series_StdHyperbola);
    spec.legendVisible = spec.series.size() > 2;
    return spec;
}

}  // namespace calvane::chart
