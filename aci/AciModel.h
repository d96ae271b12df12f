#pragma once
// The biochemical model behind the A/Ci window: temperature functions, the Ci
// transforms that make the Rubisco- and RuBP-limited rates straight lines, the rates
// themselves, and the point selection that both line fits share. Every operation
// that could divide by zero or overflow goes through core/CheckedMath.h, so a bad
// input raises ArithmeticError instead of carrying an infinity along.

#include "core/PointSeries.h"

#include <functional>
#include <string>

namespace calvane {

// The window's working values, in double precision.
struct AciParameters {
    double Kc = 0;
    double Ko = 0;
    double Tau = 0;
    double Vcmax = 0;
    double Jmax = 0;
    double TPU = 0;
    double Rd = 0;
};

constexpr double aciGasConstant = 0.0083144;  // kJ mol-1 K-1
constexpr double aciOxygen = 209.5;           // mmol mol-1
constexpr double kelvinOffset = 273.15;

// Kc (umol mol-1) and Ko (mmol mol-1) at a leaf temperature in degrees C.
double aciKc(double leafTempC);
double aciKo(double leafTempC);
// The Rubisco specificity factor from Kc and Ko.
double aciTau(double kc, double ko);
// The CO2 compensation point in the absence of dark respiration.
double aciGammaStar(double tau);

// The transforms of Ci that linearise the Rubisco- and RuBP-limited rates.
double aciFPrime(double ci, const AciParameters& p);
double aciGPrime(double ci, const AciParameters& p);

// The limiting rates at one Ci, drawn as the Wc and Wj curves.
double aciRubiscoRate(double ci, const AciParameters& p);
double aciRubpRate(double ci, const AciParameters& p);

// The step of point i against its predecessor, in its literal form
// A(i) - A(i-1) / Ci(i) - Ci(i-1). Raises ArithmeticError when it cannot be formed.
double aciStepOf(const PointSeries& points, int i);
// The reference step s0: the step of point 2, or 1 when there are fewer than three
// points, Ci(2) is 0 or the step cannot be formed.
double aciReferenceStep(const PointSeries& points);

struct AciLine {
    double slope = 0;
    double intercept = 0;
    int pointsUsed = 0;   // the points the line went through
    double rSquared = 0;  // the squared correlation of those points; NaN when A did not vary
};

// Fits A against transform(Ci) over the selected points: point 0 always, every
// further point whose step ratio to s0 is below 3 and whose transform exists.
// Failures of the selection of a further point leave that point out; no point at
// all, a point 0 that cannot be transformed or no spread in the transformed Ci end
// the fit with an error whose message starts with `failurePrefix`.
AciLine fitAciLine(const PointSeries& points, const std::function<double(double)>& transform,
                   const std::string& failurePrefix, char decimalSeparator);

}  // namespace calvane
