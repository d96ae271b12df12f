#pragma once
// The light-response model of a C3 leaf and what is computed from it: the error of a
// parameter set over the observed points, and the sweep that samples the fitted curve
// and reads the light compensation and saturation points off it.
//
// Everything here is long double (80-bit on x86-64): the grid search forms its trial
// values by repeated addition, and its results must come out the same bits on every run.

#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace calvane {

// Amax, AQE, convexity (theta) and A0, as the search carries them.
struct AqParameters {
    long double Amax = 0;
    long double AQE = 0;
    long double Convexity = 0;
    long double A0 = 0;
};

// Observed (Qa, A) points in the order the fit reads them.
using AqPoints = std::vector<std::pair<double, double>>;

// A(x) = A0 + AQE*x / (1 + (AQE*x/Amax)^theta)^(1/theta). Never fails: any division by
// zero, logarithm of a non-positive number, overflow or non-finite step gives 0.
long double lightResponse(long double x, long double Amax, long double AQE, long double Convexity, long double A0);

// The model taken apart for the grid search, which tries 21 values of A0 for every
// (Amax, AQE, theta, x) and 21 values of theta for every (Amax, AQE, x). Composed again
// they give lightResponse bit for bit, since every step is the same operation on the
// same operands.
//
// What depends on x, Amax and AQE only: AQE*x, t = AQE*x/Amax and ln t (for t > 0).
struct LightTerm {
    long double slopeTimesLight = 0;
    long double t = 0;
    long double logT = 0;  // ln t where t > 0
    bool ok = false;       // false when AQE*x or t failed
};
LightTerm lightTerm(long double x, long double Amax, long double AQE);

// An exponent as the model's power uses it, with its kind found once: 0, an integer
// power, or exp(e * ln(base)).
struct ModelExponent {
    enum class Kind { Zero, Integral, General };
    long double value = 0;
    Kind kind = Kind::Zero;
    long long integral = 0;  // the value, for an integer power
};
ModelExponent modelExponent(long double exponent);

// What depends on theta only: theta and 1/theta as exponents (no inverse for theta 0).
struct ConvexityTerm {
    ModelExponent convexity;
    std::optional<ModelExponent> inverse;
};
ConvexityTerm convexityTerm(long double Convexity);

// The rise above A0, AQE*x / (1 + t^theta)^(1/theta); nothing when a step fails.
std::optional<long double> lightRise(const LightTerm& term, const ConvexityTerm& convexity);

// A0 plus the rise, or 0 when the rise failed or the sum is not finite.
long double addRespiration(long double A0, const std::optional<long double>& rise);

inline long double lightResponse(long double x, const AqParameters& p)
{
    return lightResponse(x, p.Amax, p.AQE, p.Convexity, p.A0);
}

// The power the model uses: exponent 0 gives 1; base 0 with a positive exponent gives 0;
// an integral exponent (|e| <= 2147483647) is an integer power, so a negative base is
// allowed; anything else is exp(e * ln(base)). Nothing when a step fails.
std::optional<long double> modelPower(long double base, long double exponent);

// Sum over the points, in index order, of (A(x) - y)^2; 0 for no points. An overflow of
// the sum is not absorbed: it raises ArithmeticError.
long double sumOfSquaredErrors(const AqPoints& points, const AqParameters& p);

// The slope below which the curve counts as saturated.
constexpr long double saturationSlope = 0.001L;

struct LightPoints {
    long double compensation = 0;  // first x of the sweep with the smallest |A|
    long double saturation = 0;    // first x where |A(x + h) - A(x)| / h < saturationSlope
};

// Samples the model at x = i*h, i = 0..5000, h = largestQObs / 500, appending the first
// 500 samples to `drawn`. Nothing (and `drawn` untouched) when largestQObs is not
// positive, since the step would be 0. A light point never met keeps its sentinel:
// 0 for the compensation point, 99999 for the saturation point.
std::optional<LightPoints> sweepLightResponse(double largestQObs, const AqParameters& p, AqPoints& drawn);

}  // namespace calvane
