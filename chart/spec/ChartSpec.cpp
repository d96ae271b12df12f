#include "chart/spec/ChartSpec.h"

namespace calvane::chart {

ChartCopy::ChartCopy(const ChartSpec& drawing) : settings_(drawing)
{
    settings_.series.clear();
    series_.reserve(drawing.series.size());
    for (const PointSeries* source : drawing.series) {
        if (!source)
            continue;
        // A fresh series, not a copy: the source's observers belong to its window.
        PointSeries& copy = series_.emplace_back(source->title, source->kind, source->colour);
        for (const auto& [x, y] : source->points())
            copy.add(x, y);
    }
}

ChartSpec ChartCopy::drawing() const
{
    ChartSpec drawing = settings_;
    for (const PointSeries& series : series_)
        drawing.series.push_back(&series);
    return drawing;
}

}  // namespace calvane::chart
