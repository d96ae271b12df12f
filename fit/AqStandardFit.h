#pragma once
// The field's standard light-response fits, beside Calvane's own grid search:
//  - the least-squares optimum of Calvane's own model,
//      A = A0 + AQE x / (1 + (AQE x / Amax)^theta)^(1/theta),
//  - the non-rectangular hyperbola (Thornley 1976; Prioul & Chartier 1977),
//      A = (phi x + Amax - sqrt((phi x + Amax)^2 - 4 theta phi x Amax)) / (2 theta) - Rd,
// both by nonlinear least squares over the same (Qa, A) points. Pure functions from
// points and settings to estimates, standard errors and diagnostics; they never
// throw. The solver stays inside AqStandardFit.cpp.

#include "fit/ProfileInterval.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace calvane {

// One estimate: its value, its standard error (none when the parameter was held
// fixed or the points do not determine it) and whether it ended on a bound of the
// search box.
struct AqFitEstimate {
    double value = 0;
    std::optional<double> standardError;
    bool fixed = false;
    bool atBound = false;
    // The 95 % profile-likelihood interval (the estimate stepped, the other free ones
    // refitted); none for a fixed estimate. An end is missing where the profile does not
    // close within the parameter's search range.
    std::optional<ProfileInterval> interval;
};

// What both fits report besides their estimates.
struct AqFitSummary {
    // False when the curve could not be fitted; `message` then says why and the
    // estimates mean nothing.
    bool fitted = false;
    // False when the optimum is ill-defined: an estimate on a bound of the search box
    // or far beyond the data (a curve with no clear saturation), or points that leave
    // a parameter undetermined. `message` then says which, and the standard errors of
    // an undetermined optimum are missing.
    bool wellDefined = false;
    std::string message;

    double sse = 0;
    double rmse = 0;  // sqrt(SSE / n)
    int points = 0;
    int freeParameters = 0;
    // Starting points tried, how many of them ended at a usable optimum.
    int starts = 0;
    int convergedStarts = 0;
};

// The four fields of Calvane's model as the window holds them, with their fixed flags.
struct AqCalvaneStart {
    double aqe = 0, amax = 0, convexity = 0, a0 = 0;
    bool aqeFixed = false, amaxFixed = false, convexityFixed = false, a0Fixed = false;
    // Whether the fit adds the profile intervals of its estimates (a refit per step).
    bool profileIntervals = true;
};

struct AqCalvaneOptimum : AqFitSummary {
    AqFitEstimate aqe, amax, convexity, a0;
};

struct AqHyperbolaFit : AqFitSummary {
    AqFitEstimate phi;    // quantum yield on absorbed light
    AqFitEstimate amax;   // gross light-saturated rate
    AqFitEstimate theta;  // curvature, 0 (rectangular hyperbola) to 1
    AqFitEstimate rd;     // dark respiration, a loss
    // Where the fitted curve crosses A = 0, in closed form; none when it never does.
    std::optional<double> lightCompensation;
};

// The least-squares optimum of Calvane's model over (Qa, A) points, started from the
// fields' values and from starts of its own. A fixed parameter stays at its field's
// value; a fixed value the model has no use for (Amax or Convexity not above 0,
// AQE below 0) is refused with a message.
AqCalvaneOptimum fitAqCalvaneOptimum(const std::vector<std::pair<double, double>>& points, const AqCalvaneStart& start);

struct AqHyperbolaSettings {
    // Values held while the others are fitted (Rd positive for a loss).
    std::optional<double> phi, amax, theta, rd;
    // Whether the fit adds the profile intervals of its estimates (a refit per step).
    bool profileIntervals = true;
};

// The non-rectangular hyperbola over (Qa, A) points, all four parameters free but
// those held; a held value the model has no use for (Phi below 0, Amax not above 0,
// Theta outside [0, 1]) is refused with a message.
AqHyperbolaFit fitAqHyperbola(const std::vector<std::pair<double, double>>& points,
                              const AqHyperbolaSettings& settings = {});

// The fitted curves at a light x. Calvane's model takes its own rules where its power
// has no value (a negative x with a non-integral convexity gives A = 0).
double aqCalvaneResponse(double x, double aqe, double amax, double convexity, double a0);
double aqHyperbolaResponse(double x, double phi, double amax, double theta, double rd);

// The light saturation point of a fitted hyperbola by Calvane's own slope rule: the
// first x = i h (i = 0..5000, h = largestQObs / 500) where |A(x + h) - A(x)| / h is
// below 0.001; 99999 when the sweep never meets it, none when largestQObs is not
// positive.
std::optional<double> hyperbolaSaturationPoint(const AqHyperbolaFit& fit, double largestQObs);

}  // namespace calvane
