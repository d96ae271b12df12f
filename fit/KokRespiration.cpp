#include "fit/KokRespiration.h"

#include "core/NumberText.h"

#include <cmath>

namespace calvane {

namespace {

KokFit cannotFit(KokFit result, const std::string& why)
{
    result.fitted = false;
    result.message = "Cannot fit: " + why;
    return result;
}

}  // namespace

KokFit fitKok(const std::vector<std::pair<double, double>>& points, const KokSettings& settings)
{
    KokFit result;
    if (!std::isfinite(settings.lowLight) || !std::isfinite(settings.highLight) ||
        !(settings.lowLight < settings.highLight))
        return cannotFit(result, "the light window needs a lower limit below its upper limit");
    const std::string window = formatNumber(settings.lowLight, '.') + " and " + formatNumber(settings.highLight, '.');
    for (const auto& [q, a] : points) {
        if (!std::isfinite(q) || !std::isfinite(a))
            return cannotFit(result, "a point's light or A is not a finite number");
        if (settings.lowLight < q && q < settings.highLight)
            result.used.emplace_back(q, a);
    }
    const std::size_t n = result.used.size();
    result.points = static_cast<int>(n);
    if (n < 2)
        return cannotFit(result, std::to_string(n) + (n == 1 ? " point has" : " points have") + " a light between " +
                                     window + "; at least 2 are needed");

    // Centred sums: the closed form that loses nothing to cancellation.
    double meanQ = 0, meanA = 0;
    for (const auto& [q, a] : result.used) {
        meanQ += q;
        meanA += a;
    }
    meanQ /= static_cast<double>(n);
    meanA /= static_cast<double>(n);
    double sqq = 0, sqa = 0;
    for (const auto& [q, a] : result.used) {
        sqq += (q - meanQ) * (q - meanQ);
        sqa += (q - meanQ) * (a - meanA);
    }
    if (!(sqq > 0))
        return cannotFit(result, "the points between " + window + " share one light, so they fix no line");
    result.slope = sqa / sqq;
    const double intercept = meanA - result.slope * meanQ;
    result.rd = -intercept;
    if (!std::isfinite(result.slope) || !std::isfinite(intercept))
        return cannotFit(result, "the line through the points between " + window + " is not finite");

    if (n > 2) {
        double sse = 0;
        for (const auto& [q, a] : result.used) {
            const double r = a - (intercept + result.slope * q);
            sse += r * r;
        }
        const double variance = sse / static_cast<double>(n - 2);
        result.slopeSE = std::sqrt(variance / sqq);
        result.rdSE = std::sqrt(variance * (1 / static_cast<double>(n) + meanQ * meanQ / sqq));
        result.message = "Fitted to " + std::to_string(n) + " points with a light between " + window;
    } else {
        result.message = "Fitted to 2 points with a light between " + window + "; no standard errors";
    }
    result.fitted = true;
    return result;
}

}  // namespace calvane
