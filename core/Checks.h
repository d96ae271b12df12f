#pragma once
// Plausibility checks: what a physiologist would doubt in a window's data or results,
// said in one sentence each. A check never blocks anything: the window shows the
// sentences beside its results, calvane-batch writes them as warnings.

#include "core/PointSeries.h"
#include "core/Signal.h"

#include <optional>
#include <string>
#include <vector>

namespace calvane {

// The sentences of a window's last checks, for a view to follow.
class CheckList {
public:
    const std::vector<std::string>& items() const { return items_; }
    void set(std::vector<std::string> items)
    {
        if (items == items_)
            return;
        items_ = std::move(items);
        changed.notify();
    }
    Signal<> changed;

private:
    std::vector<std::string> items_;
};

// What the window says of its own fitted curve beside the standard fit: its RMSE
// (3 significant digits) over the `used` of the `points` measured points the model
// could be evaluated at.
std::string ownCurveNote(double rmse, int used, int points);

namespace checks {

// A number in a sentence: four significant digits, '.' as the decimal point.
std::string text(double value);

// A sentence is kept when it is there; the checks below return nothing when they pass.
void add(std::vector<std::string>& found, std::optional<std::string> sentence);

// A leaf temperature outside -10 to 60 oC; between 250 and 330 it is said to look
// like kelvin.
std::optional<std::string> leafTemperature(double celsius);

// The measured x values for a window whose x is `quantity` (such as "Ci"): all below
// 5 in `unit`, or all equal, says the column looks wrong.
std::optional<std::string> xColumn(const PointSeries& points, const std::string& quantity, const std::string& unit);

// Measured A above 80 or below -30 umol m-2 s-1.
std::optional<std::string> assimilationRange(const PointSeries& points);

// A rate fitted by a window's own analysis that is not positive, or above `largest`
// when one is given.
std::optional<std::string> fittedRate(const std::string& name, double value, std::optional<double> largest = {});

// A standard-fit estimate whose standard error exceeds half its value.
std::optional<std::string> poorlyConstrained(const std::string& fit, const std::string& name, double value,
                                             double standardError);

}  // namespace checks
}  // namespace calvane
