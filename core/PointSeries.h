#pragma once
// A chart series as plain data: (x, y) pairs of doubles in insertion order, never
// sorted.

#include "core/Colour.h"
#include "core/Signal.h"

#include <string>
#include <utility>
#include <vector>

namespace calvane {

class PointSeries {
public:
    enum class Kind { Points, Line };

    PointSeries(std::string seriesTitle, Kind seriesKind, Colour seriesColour)
        : title(std::move(seriesTitle)), kind(seriesKind), colour(seriesColour)
    {
    }

    void clear();
    void add(double x, double y);
    int count() const { return static_cast<int>(points_.size()); }
    bool empty() const { return points_.empty(); }
    // Point i; reading a point that does not exist raises IndexError.
    double x(int i) const;
    double y(int i) const;
    // Largest and smallest x and y; 0 for an empty series.
    double maxX() const;
    double minX() const;
    double maxY() const;
    double minY() const;
    const std::vector<std::pair<double, double>>& points() const { return points_; }

    std::string title;
    Kind kind;
    Colour colour;
    // Points drawn as outlines filled white: points a fit leaves out.
    bool hollow = false;
    Signal<> changed;

private:
    const std::pair<double, double>& at(int i) const;
    std::vector<std::pair<double, double>> points_;
};

}  // namespace calvane
