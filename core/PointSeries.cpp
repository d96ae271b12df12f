#include "core/PointSeries.h"

#include "core/Errors.h"

#include <algorithm>

namespace calvane {

void PointSeries::clear()
{
    points_.clear();
    changed.notify();
}

void PointSeries::add(double x, double y)
{
    points_.emplace_back(x, y);
    changed.notify();
}

const std::pair<double, double>& PointSeries::at(int i) const
{
    if (i < 0 || i >= count())
        throw IndexError("Point index out of range (" + std::to_string(i) + ")");
    return points_[static_cast<std::size_t>(i)];
}

double PointSeries::x(int i) const { return at(i).first; }
double PointSeries::y(int i) const { return at(i).second; }

namespace {
template <typename Get, typename Pick>
double extreme(const std::vector<std::pair<double, double>>& points, Get get, Pick pick)
{
    if (points.empty())
        return 0.0;
    double value = get(points.front());
    for (const auto& p : points)
        value = pick(value, get(p));
    return value;
}
double first(const std::pair<double, double>& p) { return p.first; }
double second(const std::pair<double, double>& p) { return p.second; }
double larger(double a, double b) { return b > a ? b : a; }
double smaller(double a, double b) { return b < a ? b : a; }
}  // namespace

double PointSeries::maxX() const { return extreme(points_, first, larger); }
double PointSeries::minX() const { return extreme(points_, first, smaller); }
double PointSeries::maxY() const { return extreme(points_, second, larger); }
double PointSeries::minY() const { return extreme(points_, second, smaller); }

}  // namespace calvane
