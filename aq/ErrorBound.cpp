#include "aq/ErrorBound.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace calvane {

namespace {

constexpr double doubleUnit = std::numeric_limits<double>::epsilon();  // 2^-52
constexpr double longDoubleUnit = 0x1p-62;                             // twice the rounding unit of the 64-bit mantissa
// Below this a double is no longer safely normal, and relative error bounds fail.
constexpr double smallestTrusted = 1e-290;
// Screening pays off for ordinary curves; far beyond that the summation bounds below
// would need more care, and such a curve simply goes the exact way.
constexpr std::size_t largestPointCount = 1'000'000;

}  // namespace

ApproxLightTerm approxLightTerm(double x, long double Amax, long double AQE)
{
    ApproxLightTerm term;
    const double amax = static_cast<double>(Amax);
    const double aqe = static_cast<double>(AQE);
    if (!(Amax > 0) || !std::isfinite(amax) || amax < smallestTrusted || !std::isfinite(aqe))
        return term;
    if (x == 0 || AQE == 0) {
        // AQE*x and t are exactly 0 in both precisions, and so is the rise.
        term.usable = true;
        return term;
    }
    if (!(x > 0) || !(AQE > 0))
        return term;
    term.slopeTimesLight = aqe * x;
    term.t = term.slopeTimesLight / amax;
    if (!std::isfinite(term.slopeTimesLight) || !std::isfinite(term.t) || term.slopeTimesLight < smallestTrusted ||
        term.t < smallestTrusted)
        return term;
    term.logT = std::log(term.t);
    term.usable = true;
    return term;
}

ErrorBound::ErrorBound(const AqPoints& points, long double largestA0Magnitude)
    : points_(points), a0Magnitude_(static_cast<double>(largestA0Magnitude) * (1 + 4 * doubleUnit)),
      centred_(points.size()), slack_(points.size())
{
}

std::optional<double> ErrorBound::lowest(const ApproxLightTerm* terms, long double Convexity)
{
    const std::size_t n = points_.size();
    const double theta = static_cast<double>(Convexity);
    if (n == 0 || n > largestPointCount || !(Convexity > 0) || !std::isfinite(theta) || theta < smallestTrusted ||
        !std::isfinite(a0Magnitude_))
        return std::nullopt;
    const double inverse = 1 / theta;
    if (!std::isfinite(inverse))
        return std::nullopt;

    for (std::size_t i = 0; i < n; ++i) {
        const ApproxLightTerm& term = terms[i];
        if (!term.usable)
            return std::nullopt;
        double rise = 0;
        double relative = 0;  // how far, relatively, the long-double rise may lie from `rise`
        if (term.t != 0) {
            const double bent = std::exp(theta * term.logT);
            const double logBase = std::log(1 + bent);
            const double denominator = std::exp(inverse * logBase);
            rise = term.slopeTimesLight / denominator;
            if (!std::isfinite(bent) || !std::isfinite(denominator) || !std::isfinite(rise) ||
                (rise != 0 && rise < smallestTrusted))
                return std::nullopt;
            // Each step's worst error is a few units; the bound allows some two hundred
            // times as much, grown by how the powers amplify errors in t, theta and 1/theta.
            relative = 1e-13 * (4 + 3 * inverse + std::fabs(term.logT) + inverse * logBase);
            if (!(relative <= 1e-6))
                return std::nullopt;
        }
        const double y = points_[i].second;
        const double residual = rise - y;
        if (!std::isfinite(residual))
            return std::nullopt;
        centred_[i] = residual;
        // The exact residual A0 + rise - y, as long double computes it, lies within this
        // of A0 + residual: the rise's error, the rounding of residual itself, and the
        // long-double rounding of the sum and the difference.
        slack_[i] = relative * std::fabs(rise) + 2 * doubleUnit * (std::fabs(rise) + std::fabs(y)) +
                    longDoubleUnit * (a0Magnitude_ + 2 * std::fabs(rise) + std::fabs(y)) + 1e-300;
    }

    // No A0 brings sum (A0 + c_i)^2 below the sum of squared deviations from the mean.
    double total = 0, squares = 0, largest = 0, widening = 0;
    for (std::size_t i = 0; i < n; ++i) {
        total += centred_[i];
        squares += centred_[i] * centred_[i];
        largest = std::max(largest, std::fabs(centred_[i]));
        widening += 2 * (a0Magnitude_ + std::fabs(centred_[i])) * slack_[i];
    }
    const double mean = total / static_cast<double>(n);
    double deviations = 0;
    for (std::size_t i = 0; i < n; ++i)
        deviations += (centred_[i] - mean) * (centred_[i] - mean);

    // Allow for the rounding of the mean and of the sums above.
    const double count = static_cast<double>(n);
    const double meanError = count * doubleUnit * largest;
    const double leastSquares = deviations - 4 * count * meanError * meanError - 4 * (count + 4) * doubleUnit * squares;
    // (u - h)^2 >= u^2 - 2uh, for each residual u and its slack h.
    const double bound = (leastSquares - widening * (1 + 1e-6)) * (1 - 1e-9);
    if (!std::isfinite(bound))
        return std::nullopt;
    return bound;
}

}  // namespace calvane
