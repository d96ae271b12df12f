#include "aci/AciChecks.h"

#include "aci/ACi_Curve.h"
#include "core/Checks.h"
#include "core/NumberText.h"

#include <tuple>

namespace calvane {

namespace {

const char* const standardFitName = "Standard fit";

void standardFitChecks(std::vector<std::string>& found, const AciStandardFitResult& fit, const PointSeries& points)
{
    using namespace checks;
    add(found, poorlyConstrained(standardFitName, "Vcmax", fit.vcmax, fit.vcmaxSE));
    const std::string j = fit.jInsteadOfJmax ? "J" : "Jmax";
    add(found, poorlyConstrained(standardFitName, j, fit.jmax, fit.jmaxSE));
    add(found, poorlyConstrained(standardFitName, "Rd", fit.rd, fit.rdSE));
    if (fit.tpuFitted)
        add(found, poorlyConstrained(standardFitName, "TPU", fit.tpu, fit.tpuSE));
    add(found, fittedRate(std::string(standardFitName) + " Vcmax", fit.vcmax, 500));
    add(found, fittedRate(std::string(standardFitName) + " " + j, fit.jmax));
    if (fit.tpuFitted)
        add(found, fittedRate(std::string(standardFitName) + " TPU", fit.tpu));
    if (fit.lightCeilingExceeded)
        found.push_back(std::string(standardFitName) + ": at a light of " + checks::text(*fit.lightCeilingExceeded) +
                        " J cannot exceed " + checks::text(lightLimitedJ(*fit.lightCeilingExceeded)) +
                        ", but the points need J = " + checks::text(fit.jmax) + ": J is reported instead of Jmax");
    if (fit.intervalsComputed) {
        const AciStandardFitSettings& s = fit.settings;
        for (const auto& [name, interval, held] :
             {std::tuple{std::string("Vcmax"), fit.vcmaxInterval, s.heldVcmax.has_value()},
              std::tuple{j, fit.jmaxInterval, s.heldJmax.has_value()},
              std::tuple{std::string("Rd"), fit.rdInterval, s.heldRd.has_value()},
              std::tuple{std::string("TPU"), fit.tpuInterval, !fit.tpuFitted || s.heldTPU.has_value()}}) {
            if (held)
                continue;
            if (!interval.lower)
                found.push_back(std::string(standardFitName) + ": the 95 % interval of " + name +
                                " does not close below within its search range");
            if (!interval.upper)
                found.push_back(std::string(standardFitName) + ": the 95 % interval of " + name +
                                " does not close above within its search range");
        }
    }
    if (fit.pointsWithoutRate > 0)
        found.push_back(std::string(standardFitName) + ": with gm " + checks::text(fit.settings.gm.value_or(0)) +
                        " a rate has no real value at " + std::to_string(fit.pointsWithoutRate) +
                        (fit.pointsWithoutRate == 1 ? " point" : " points") + " and is taken as 0 there");
    if (points.empty())
        return;
    const double low = points.minX(), high = points.maxX();
    if (!fit.transitionCi || *fit.transitionCi < low || *fit.transitionCi > high)
        found.push_back(std::string(standardFitName) +
                        ": Rubisco and RuBP limitation do not meet within the measured Ci range (" + checks::text(low) +
                        " to " + checks::text(high) + " umol mol-1)");
}

}  // namespace

std::vector<std::string> aciPlausibilityChecks(const TfrmACi_Curve& w)
{
    using namespace checks;
    std::vector<std::string> found;
    if (const auto temperature = readNumber(w.aciEdit_Temp.text(), '.'))
        add(found, leafTemperature(*temperature));
    add(found, xColumn(w.Series_LightAssim, "Ci", "umol mol-1"));
    add(found, assimilationRange(w.Series_LightAssim));

    // The window's own rates, where its last Compute Curves fitted them.
    auto own = [&](const char* name, const TextField& field, const CheckBox& flag, std::optional<double> largest) {
        const auto value = readNumber(field.text(), '.');
        if (value && !flag.checked())
            add(found, fittedRate(name, *value, largest));
    };
    if (w.lastVcmaxRdLine())
        own("Vcmax", w.aciEdit_Vcmax, w.aciCheckBox_Vcmax, 500);
    if (w.lastJmaxLine()) {
        own("Jmax", w.aciEdit_Jmax, w.aciCheckBox_Jmax, std::nullopt);
        own("TPU", w.aciEdit_TPU, w.aciCheckBox_TPU, std::nullopt);
    }

    if (w.standardFit() && w.standardFit()->fitted)
        standardFitChecks(found, *w.standardFit(), w.Series_LightAssim);
    return found;
}

}  // namespace calvane
