#include "core/Checks.h"

#include "core/NumberText.h"

#include <cmath>

namespace calvane {

std::string ownCurveNote(double rmse, int used, int points)
{
    const std::string over = used == points
                                 ? "over the same " + std::to_string(points) + " points"
                                 : "over " + std::to_string(used) + " of the " + std::to_string(points) + " points";
    return "Calvane's own curve: RMSE " + formatSignificant(rmse, 3) + " " + over;
}

}  // namespace calvane

namespace calvane::checks {

std::string text(double value) { return formatRounded(value, 4); }

void add(std::vector<std::string>& found, std::optional<std::string> sentence)
{
    if (sentence)
        found.push_back(std::move(*sentence));
}

std::optional<std::string> leafTemperature(double celsius)
{
    if (celsius >= -10 && celsius <= 60)
        return std::nullopt;
    if (celsius >= 250 && celsius <= 330)
        return "Leaf temperature " + formatNumber(celsius, '.') + " looks like kelvin, but it is taken in oC (" +
               formatNumber(celsius, '.') + " K is " + text(celsius - 273.15) + " oC)";
    return "Leaf temperature " + formatNumber(celsius, '.') + " oC is outside -10 to 60 oC";
}

std::optional<std::string> xColumn(const PointSeries& points, const std::string& quantity, const std::string& unit)
{
    if (points.empty())
        return std::nullopt;
    if (points.maxX() < 5)
        return "Every " + quantity + " value is below 5 " + unit + ": is the first column really " + quantity + "?";
    if (points.count() > 1 && points.minX() == points.maxX())
        return "Every " + quantity + " value is " + text(points.minX()) + ": the points do not span a response";
    return std::nullopt;
}

std::optional<std::string> assimilationRange(const PointSeries& points)
{
    if (points.empty())
        return std::nullopt;
    if (points.maxY() > 80)
        return "A reaches " + text(points.maxY()) +
               " umol m-2 s-1, above 80: is the second column really net assimilation?";
    if (points.minY() < -30)
        return "A falls to " + text(points.minY()) +
               " umol m-2 s-1, below -30: is the second column really net assimilation?";
    return std::nullopt;
}

std::optional<std::string> fittedRate(const std::string& name, double value, std::optional<double> largest)
{
    if (!(value > 0))
        return "Fitted " + name + " " + text(value) + " is not positive";
    if (largest && value > *largest)
        return "Fitted " + name + " " + text(value) + " umol m-2 s-1 is above " + text(*largest);
    return std::nullopt;
}

std::optional<std::string> poorlyConstrained(const std::string& fit, const std::string& name, double value,
                                             double standardError)
{
    if (!(standardError > 0.5 * std::fabs(value)))
        return std::nullopt;
    return fit + ": " + name + " " + text(value) + " has a standard error of " + text(standardError) +
           ", more than half its value: the curve hardly determines it";
}

}  // namespace calvane::checks
