#include "aq/LightResponseModel.h"

#include "core/CheckedMath.h"

#include <cmath>
#include <cstdint>

namespace calvane {

namespace {

using Real = long double;

// The model meets failing steps by the million (a convexity of 0, say), so its steps
// report failure through their result instead of throwing.
std::optional<Real> product(Real a, Real b)
{
    const Real r = a * b;
    if (!std::isfinite(r))
        return std::nullopt;
    return r;
}

std::optional<Real> quotient(Real a, Real b)
{
    if (b == 0)
        return std::nullopt;
    const Real r = a / b;
    if (!std::isfinite(r))
        return std::nullopt;
    return r;
}

std::optional<Real> sum(Real a, Real b)
{
    const Real r = a + b;
    if (!std::isfinite(r))
        return std::nullopt;
    return r;
}

// Squares only as far as the result needs it, so a large base does not overflow in a
// square that is never used.
std::optional<Real> integerPower(Real base, std::int64_t exponent)
{
    std::int64_t n = exponent < 0 ? -exponent : exponent;
    Real result = 1;
    while (n > 0) {
        while (n % 2 == 0) {
            n /= 2;
            const auto squared = product(base, base);
            if (!squared)
                return std::nullopt;
            base = *squared;
        }
        n -= 1;
        const auto next = product(result, base);
        if (!next)
            return std::nullopt;
        result = *next;
    }
    if (exponent < 0)
        return quotient(1, result);
    return result;
}

}  // namespace

std::optional<long double> modelPower(long double base, long double exponent)
{
    if (exponent == 0)
        return 1.0L;
    if (base == 0 && exponent > 0)
        return 0.0L;
    if (std::trunc(exponent) == exponent && std::fabs(exponent) <= 2147483647.0L)
        return integerPower(base, static_cast<std::int64_t>(exponent));
    if (!(base > 0))
        return std::nullopt;
    const auto scaled = product(exponent, std::log(base));
    if (!scaled)
        return std::nullopt;
    const Real r = std::exp(*scaled);
    if (!std::isfinite(r))
        return std::nullopt;
    return r;
}

long double lightResponse(long double x, long double Amax, long double AQE, long double Convexity,
                          long double A0)
{
    const auto slopeTimesLight = product(AQE, x);
    if (!slopeTimesLight)
        return 0;
    const auto t = quotient(*slopeTimesLight, Amax);
    if (!t)
        return 0;
    const auto bent = modelPower(*t, Convexity);
    if (!bent)
        return 0;
    const auto denominatorBase = sum(1, *bent);
    if (!denominatorBase)
        return 0;
    const auto inverse = quotient(1, Convexity);
    if (!inverse)
        return 0;
    const auto denominator = modelPower(*denominatorBase, *inverse);
    if (!denominator)
        return 0;
    const auto rise = quotient(*slopeTimesLight, *denominator);
    if (!rise)
        return 0;
    const auto value = sum(A0, *rise);
    return value ? *value : 0;
}

long double sumOfSquaredErrors(const AqPoints& points, const AqParameters& p)
{
    Real total = 0;
    for (const auto& [x, y] : points) {
        const Real error = checked::sub(lightResponse(x, p), static_cast<Real>(y));
        total = checked::add(total, checked::mul(error, error));
    }
    return total;
}

std::optional<LightPoints> sweepLightResponse(double largestQObs, const AqParameters& p, AqPoints& drawn)
{
    if (!(largestQObs > 0))
        return std::nullopt;
    const Real h = static_cast<Real>(largestQObs) / 500;
    Real smallestMagnitude = 99999999;
    LightPoints points{0, 99999};
    bool saturationFound = false;
    for (int i = 0; i <= 5000; ++i) {
        const Real x = i * h;
        const Real y = lightResponse(x, p);
        const Real yNext = lightResponse(x + h, p);
        if (i < 500) {
            // A chart point must be a finite double; a model value beyond that range is
            // an overflow, not a point to draw.
            drawn.emplace_back(checked::finite(static_cast<double>(x)), checked::finite(static_cast<double>(y)));
        }
        if (std::fabs(y) < smallestMagnitude) {
            smallestMagnitude = std::fabs(y);
            points.compensation = x;
        }
        if (!saturationFound && std::fabs(yNext - y) / h < saturationSlope) {
            points.saturation = x;
            saturationFound = true;
        }
    }
    return points;
}

}  // namespace calvane
