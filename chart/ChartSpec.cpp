#include "chart/ChartSpec.h"

namespace calvane::chart {

ChartCopy::ChartCopy(const ChartSpec& spec) : settings_(spec)
{
    settings_.series.clear();
    series_.reserve(spec.series.size());
    for (const PointSeries* source : spec.series) {
        if (!source)
            continue;
        // A fresh series, not a copy: the source's observers belong to its window.
        PointSeries& copy = series_.emplace_back(source->title, source->kind, source->colour);
        for (const auto& [x, y] : source->points())
            copy.add(x, y);
    }
}

ChartSpec ChartCopy::spec() const
{
    ChartSpec spec = settings_;
    for (const PointSeries& series : series_)
        spec.series.push_back(&series);
    return spec;
}

}  // namespace calvane::chart
