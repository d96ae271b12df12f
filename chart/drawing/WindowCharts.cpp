#include "chart/drawing/WindowCharts.h"

#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"

namespace calvane::chart {

ChartDrawing aciChartDrawing(const TfrmACi_Curve& w)
{
    ChartDrawing drawing;
    drawing.titleLines = w.aciChart_LightResponseCurve.lines();
    drawing.leftAxisTitle = w.aciChart_LeftAxisTitle;
    drawing.rightAxisTitle = w.aciChart_RightAxisTitle;
    drawing.gradientEnd = w.aciChart_GradientEnd;
    drawing.series = {&w.Series_LightAssim, &w.Series_Wc, &w.Series_Wj, &w.Series_Wp};
    // Left out while hidden or before a fit, so the legend lists no empty curve.
    if (w.aciCheckBox_StdShowCurve.checked() && !w.Series_StandardFit.empty())
        drawing.series.push_back(&w.Series_StandardFit);
    return drawing;
}

ChartDrawing aqChartDrawing(const TfrmAQ_C3_Curve& w)
{
    ChartDrawing drawing;
    drawing.titleLines = w.aqChart_LightResponseCurve.lines();
    drawing.bottomAxisTitle = w.aqChart_BottomAxisTitle;
    drawing.leftAxisTitle = w.aqChart_LeftAxisTitle;
    drawing.rightAxisTitle = w.aqChart_RightAxisTitle;
    drawing.gradientEnd = w.aqChart_GradientEnd;
    drawing.series = {&w.Series_LightAssim, &w.Series_ComputedA};
    // The standard fits' curves, left out while hidden or before a fit; a legend tells
    // them apart only while one of them is drawn.
    if (w.aqCheckBox_StdShowOptimum.checked() && !w.Series_StdOptimum.empty())
        drawing.series.push_back(&w.Series_StdOptimum);
    if (w.aqCheckBox_StdShowHyperbola.checked() && !w.Series_StdHyperbola.empty())
        drawing.series.push_back(&w.Series_StdHyperbola);
    drawing.legendVisible = drawing.series.size() > 2;
    return drawing;
}

}  // namespace calvane::chart
