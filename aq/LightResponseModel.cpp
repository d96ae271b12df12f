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

// The model's power with ln(base) supplied by the caller (called only for base > 0), so
// that a logarithm shared by many exponents is taken once.
template <typename LogOfBase>
std::optional<Real> power(Real base, const ModelExponent& exponent, LogOfBase logOfBase)
{
    switch (exponent.kind) {
    case ModelExponent::Kind::Zero:
        return 1.0L;
    case ModelExponent::Kind::Integral:
        if (base == 0 && exponent.value > 0)
            return 0.0L;
        return integerPower(base, exponent.integral);
    case ModelExponent::Kind::General:
        break;
    }
    if (base == 0 && exponent.value > 0)
        return 0.0L;
    if (!(base > 0))
        return std::nullopt;
    const auto scaled = product(exponent.value, logOfBase());
    if (!scaled)
        return std::nullopt;
    const Real r = std::exp(*scaled);
    if (!std::isfinite(r))
        return std::nullopt;
    return r;
}

}  // namespace

ModelExponent modelExponent(long double exponent)
{
    ModelExponent e;
    e.value = exponent;
    if (exponent == 0)
        e.kind = ModelExponent::Kind::Zero;
    else if (std::trunc(exponent) == exponent && std::fabs(exponent) <= 2147483647.0L) {
        e.kind = ModelExponent::Kind::Integral;
        e.integral = static_cast<long long>(exponent);
    } else
        e.kind = ModelExponent::Kind::General;
    return e;
}

std::optional<long double> modelPower(long double base, long double exponent)
{
    return power(base, modelExponent(exponent), [base] { return std::log(base); });
}

LightTerm lightTerm(long double x, long double Amax, long double AQE)
{
    LightTerm term;
    const auto slopeTimesLight = product(AQE, x);
    if (!slopeTimesLight)
        return term;
    const auto t = quotient(*slopeTimesLight, Amax);
    if (!t)
        return term;
    term.slopeTimesLight = *slopeTimesLight;
    term.t = *t;
    if (*t > 0)
        term.logT = std::log(*t);
    term.ok = true;
    return term;
}

ConvexityTerm convexityTerm(long double Convexity)
{
    ConvexityTerm term;
    term.convexity = modelExponent(Convexity);
    if (const auto inverse = quotient(1, Convexity))
        term.inverse = modelExponent(*inverse);
    return term;
}

std::optional<long double> lightRise(const LightTerm& term, const ConvexityTerm& convexity)
{
    if (!term.ok || !convexity.inverse)
        return std::nullopt;
    const auto bent = power(term.t, convexity.convexity, [&term] { return term.logT; });
    if (!bent)
        return std::nullopt;
    const auto denominatorBase = sum(1, *bent);
    if (!denominatorBase)
        return std::nullopt;
    const Real base = *denominatorBase;
    const auto denominator = power(base, *convexity.inverse, [base] { return std::log(base); });
    if (!denominator)
        return std::nullopt;
    return quotient(term.slopeTimesLight, *denominator);
}

long double lightResponse(long double x, long double Amax, long double AQE, long double Convexity, long double A0)
{
    return addRespiration(A0, lightRise(lightTerm(x, Amax, AQE), convexityTerm(Convexity)));
}

long double addRespiration(long double A0, const std::optional<long double>& rise)
{
    if (!rise)
        return 0;
    const long double value = A0 + *rise;
    return std::isfinite(value) ? value : 0;
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
