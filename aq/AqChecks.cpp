#include "aq/AqChecks.h"

#include "aq/AQ_C3_Curve.h"
#include "core/Checks.h"
#include "core/NumberText.h"

namespace calvane {

namespace {

void estimateChecks(std::vector<std::string>& found, const std::string& fit, const std::string& name,
                    const AqFitEstimate& estimate)
{
    if (estimate.fixed)
        return;
    if (estimate.atBound)
        found.push_back(fit + ": " + name + " " + checks::text(estimate.value) +
                        " sits on a bound of its search range");
    else if (estimate.standardError)
        checks::add(found, checks::poorlyConstrained(fit, name, estimate.value, *estimate.standardError));
    if (estimate.interval && !estimate.interval->lower)
        found.push_back(fit + ": the 95 % interval of " + name + " does not close below within its search range");
    if (estimate.interval && !estimate.interval->upper)
        found.push_back(fit + ": the 95 % interval of " + name + " does not close above within its search range");
}

}  // namespace

std::vector<std::string> aqPlausibilityChecks(const TfrmAQ_C3_Curve& w)
{
    using namespace checks;
    std::vector<std::string> found;
    const PointSeries& points = w.Series_LightAssim;
    if (const auto parAbs = readNumber(w.aqNumEdit_ParAbs.text(), '.'); parAbs && !(*parAbs > 0 && *parAbs <= 1))
        found.push_back("Par Abs " + checks::text(*parAbs) +
                        " is outside (0, 1]: it is the fraction of the incident light that the leaf absorbs");
    add(found, xColumn(points, "light", "umol m-2 s-1"));
    add(found, assimilationRange(points));

    // The saturation point and the points are both on the absorbed-light scale.
    const auto saturation = readNumber(w.aqNumEdit_LightSatPoint.text(), '.');
    if (saturation && !points.empty() && points.maxX() > 0 && *saturation > 1.5 * points.maxX())
        found.push_back("Light saturation point " + checks::text(*saturation) +
                        " lies beyond 1.5 times the largest measured light (" + checks::text(points.maxX()) +
                        "): the curve does not level off within the data");

    if (const auto& f = w.standardOptimum(); f && f->fitted) {
        const std::string fit = "Least-squares optimum";
        estimateChecks(found, fit, "AQE", f->aqe);
        estimateChecks(found, fit, "Amax", f->amax);
        estimateChecks(found, fit, "Convexity", f->convexity);
        estimateChecks(found, fit, "Respiration", f->a0);
    }
    if (const auto& f = w.standardHyperbola(); f && f->fitted) {
        const std::string fit = "Non-rectangular hyperbola";
        estimateChecks(found, fit, "Phi", f->phi);
        estimateChecks(found, fit, "Amax", f->amax);
        estimateChecks(found, fit, "Theta", f->theta);
        estimateChecks(found, fit, "Rd", f->rd);
    }
    return found;
}

}  // namespace calvane
