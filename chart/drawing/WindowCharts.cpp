#include "chart/drawing/WindowCharts.h"

#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

namespace calvane::chart {

namespace {

// Axis titles are rich text: real micro signs, superscript minus signs and subscripts.
constexpr const char* ciTitle = "C<sub>i</sub> (µmol mol⁻¹)";
constexpr const char* absorbedLightTitle = "Q<sub>a</sub> (µmol m⁻² s⁻¹)";
constexpr const char* assimilationTitle = "A (µmol m⁻² s⁻¹)";

// How far a model curve runs beyond the measured x range, as a share of that range.
constexpr double curveMargin = 0.05;

struct XRange {
    double low, high;
};

// Where the segment from `a` to `b` crosses x = bound, or nothing when it does not
// cross it between its ends.
std::optional<std::pair<double, double>> crossing(std::pair<double, double> a, std::pair<double, double> b,
                                                  double bound)
{
    if (!((a.first - bound) * (b.first - bound) < 0))
        return std::nullopt;
    const double t = (bound - a.first) / (b.first - a.first);
    return std::pair{bound, a.second + t * (b.second - a.second)};
}

// The part of a line inside `range`, cut where it leaves or enters the range, so that a
// line of two points (the TPU level) keeps its stretch inside.
void addClipped(const PointSeries& line, XRange range, PointSeries& out)
{
    const auto& points = line.points();
    auto inside = [range](double x) { return x >= range.low && x <= range.high; };
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i > 0) {
            const auto a = points[i - 1], b = points[i];
            std::vector<std::pair<double, double>> cuts;
            for (double bound : {range.low, range.high})
                if (const auto cut = crossing(a, b, bound))
                    cuts.push_back(*cut);
            // In the order the segment meets them.
            if (cuts.size() == 2 && (b.first < a.first) == (cuts[0].first < cuts[1].first))
                std::swap(cuts[0], cuts[1]);
            for (const auto& [x, y] : cuts)
                out.add(x, y);
        }
        if (inside(points[i].first))
            out.add(points[i].first, points[i].second);
    }
}

// The figure of a window's drawing: its series under their figure names, the model
// curves cut to the measured range (the first series) and 5 % beyond.
ChartCopy figureOf(const ChartDrawing& window, const std::map<const PointSeries*, const char*>& names,
                   const std::string& title, const char* bottomAxisTitle)
{
    const PointSeries* measured = window.series.empty() ? nullptr : window.series.front();
    std::optional<XRange> range;
    if (measured && !measured->empty()) {
        const double low = measured->minX(), high = measured->maxX();
        const double margin = (high > low ? high - low : std::abs(high)) * curveMargin;
        // Not below zero light or Ci when the data do not go there.
        range = XRange{low >= 0 ? std::max(0.0, low - margin) : low - margin, high + margin};
    }

    std::vector<PointSeries> shown;
    shown.reserve(window.series.size());
    for (const PointSeries* source : window.series) {
        if (!source || (source != measured && source->empty()))
            continue;  // the legend lists no curve that is not drawn
        const auto name = names.find(source);
        PointSeries& copy = shown.emplace_back(name != names.end() ? name->second : source->title, source->kind,
                                               source->colour);
        copy.hollow = source->hollow;
        // Points stay where they were measured; only curves are cut to the range.
        if (source == measured || !range || source->kind == PointSeries::Kind::Points) {
            for (const auto& [x, y] : source->points())
                copy.add(x, y);
        } else {
            addClipped(*source, *range, copy);
        }
    }

    ChartDrawing figure;
    figure.titleLines = {title};
    figure.bottomAxisTitle = bottomAxisTitle;
    figure.leftAxisTitle = assimilationTitle;
    figure.gradientEnd = rgb(255, 255, 255);  // a white background: white to white
    figure.legendVisible = true;
    for (const PointSeries& series : shown)
        figure.series.push_back(&series);
    return ChartCopy(figure);
}

// The curve's name: the identifier as typed, else the file's name, else what it is.
std::string curveName(const std::string& identifier, const std::string& fileName, const char* otherwise)
{
    auto blank = [](const std::string& text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; };
    if (!blank(identifier))
        return identifier;
    return blank(fileName) ? otherwise : fileName;
}

}  // namespace

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
    // Last, so that the hollow markers lie over the points and curves they mark.
    if (!w.Series_Excluded.empty())
        drawing.series.push_back(&w.Series_Excluded);
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
    // Last, so that the hollow markers lie over the points and curves they mark.
    if (!w.Series_Excluded.empty())
        drawing.series.push_back(&w.Series_Excluded);
    return drawing;
}

ChartCopy aciFigure(const TfrmACi_Curve& w, const std::string& fileName)
{
    const std::map<const PointSeries*, const char*> names{{&w.Series_LightAssim, "Measured"},
                                                          {&w.Series_Wc, "Rubisco-limited"},
                                                          {&w.Series_Wj, "RuBP-limited"},
                                                          {&w.Series_Wp, "TPU-limited"},
                                                          {&w.Series_StandardFit, "Standard fit"}};
    return figureOf(aciChartDrawing(w), names, curveName(w.aciEdit_Identifier.text(), fileName, "A/Ci curve"), ciTitle);
}

ChartCopy aqFigure(const TfrmAQ_C3_Curve& w, const std::string& fileName)
{
    const std::map<const PointSeries*, const char*> names{{&w.Series_LightAssim, "Measured"},
                                                          {&w.Series_ComputedA, "Grid-search fit"},
                                                          {&w.Series_StdOptimum, "Least-squares optimum"},
                                                          {&w.Series_StdHyperbola, "Non-rectangular hyperbola"}};
    return figureOf(aqChartDrawing(w), names, curveName(w.aqEdit_Identifier.text(), fileName, "Light-response curve"),
                    absorbedLightTitle);
}

std::string figureFileName(const std::string& path) { return std::filesystem::path(path).stem().string(); }

}  // namespace calvane::chart
