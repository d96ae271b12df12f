#include "chart/drawing/ChartDrawing.h"

namespace calvane::chart {

ChartCopy::ChartCopy(const ChartDrawing& drawing) : settings_(drawing)
{
    settings_.series.clear();
    series_.reserve(drawing.series.size());
    for (const PointSeries* source : drawing.series) {
        if (!source)
            continue;
        // A fresh series, not a copy: the source's observers belong to its window.
        PointSeries& copy = series_.emplace_back(source->title, source->kind, source->colour);
        copy.hollow = source->hollow;
        for (const auto& [x, y] : source->points())
            copy.add(x, y);
    }
}

ChartDrawing ChartCopy::drawing() const
{
    ChartDrawing drawing = settings_;
    for (const PointSeries& series : series_)
        drawing.series.push_back(&series);
    return drawing;
}

}  // namespace calvane::chart
