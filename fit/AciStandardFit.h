#pragma once
// The field's standard A/Ci fit (Farquhar, von Caemmerer & Berry 1980, with the
// conventions most analyses of the last decades share), beside Calvane's own
// straight-line analysis: A = min(Ac, Aj[, Ap]) - Rd fitted by nonlinear least
// squares. A pure function from points and settings to estimates, standard errors
// and diagnostics; the solver stays inside AciStandardFit.cpp.

#include "fit/ProfileInterval.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace calvane {

// Which rate limits assimilation at a point.
enum class AciLimitation { Rubisco, RuBP, TPU };

struct AciStandardFitSettings {
    double leafTemperature = 25;  // degrees C
    // Incident light (umol m-2 s-1). Without a positive value, J itself is fitted and
    // reported instead of Jmax.
    std::optional<double> ppfd;
    double patm = 100;  // kPa
    bool fitTPU = false;
    // Parameters held at a known value while the others are fitted: Rd positive for a
    // loss, Jmax standing for J where J itself is fitted. A held TPU brings the TPU
    // limitation in at that value.
    std::optional<double> heldVcmax, heldJmax, heldRd, heldTPU;
    // Mesophyll conductance (mol m-2 s-1 bar-1): each limitation then takes the
    // chloroplastic Cc = Ci - A / gm. None: infinite, the fit on Ci itself.
    std::optional<double> gm;
    // Whether the fit adds the profile intervals of its estimates (a refit per step).
    bool profileIntervals = true;

    bool anyHeld() const { return heldVcmax || heldJmax || heldRd || heldTPU; }
};

// The constants of the model at the leaf temperature, as the fit used them:
// Kc (umol mol-1), Ko and O (mmol mol-1), GammaStar and Km (umol mol-1). O and
// GammaStar are already scaled by Patm / 100 kPa.
struct AciStandardConstants {
    double kc = 0;
    double ko = 0;
    double oxygen = 0;
    double gammaStar = 0;
    double km = 0;
};

struct AciStandardFitResult {
    // False when the curve could not be fitted; `message` then says why and the
    // estimates mean nothing.
    bool fitted = false;
    std::string message;

    // Estimates at the leaf temperature and their standard errors. `jmax` holds J
    // when `jInsteadOfJmax` is set (no usable light value).
    double vcmax = 0, vcmaxSE = 0;
    double jmax = 0, jmaxSE = 0;
    double rd = 0, rdSE = 0;  // rd > 0 is a loss
    bool tpuFitted = false;
    double tpu = 0, tpuSE = 0;
    // TPU was asked for, but no fit with it came below the fit without it: this is the
    // fit without TPU, which no point's TPU limitation would improve.
    bool tpuNotLimiting = false;
    bool jInsteadOfJmax = false;
    // The light at which the points need more J than the light allows (a curve measured
    // at low light, taken against the model's quantum yield): J is then fitted itself,
    // as without a light value.
    std::optional<double> lightCeilingExceeded;

    // Vcmax and Jmax at 25 degrees C; no Jmax25 when J was fitted.
    double vcmax25 = 0;
    std::optional<double> jmax25;

    // 95 % profile-likelihood intervals of the fitted estimates (none for a held one);
    // an end is missing where the profile does not close within the search range.
    bool intervalsComputed = false;
    ProfileInterval vcmaxInterval, jmaxInterval, rdInterval, tpuInterval;

    double sse = 0;
    double rmse = 0;  // sqrt(SSE / n)
    int points = 0;
    int parameters = 0;
    // Where Rubisco and RuBP limitation meet, in the units of the measured Ci;
    // none when the two rates do not cross at a Ci above GammaStar.
    std::optional<double> transitionCi;
    // The limitation at each point, in the order the points were given.
    std::vector<AciLimitation> limitations;
    // With gm: the points where a limitation's quadratic has no real root, so that its
    // rate is taken as 0.
    int pointsWithoutRate = 0;

    // How the solver got there: starting points tried, how many of them converged,
    // and the iterations of the run that was kept.
    int starts = 0;
    int convergedStarts = 0;
    int iterations = 0;

    AciStandardFitSettings settings;
    AciStandardConstants constants;
};

// J's ceiling at a light: its light-limited rate, quantum yield times light.
double lightLimitedJ(double ppfd);

// Fits the standard model to (Ci, A) points (Ci in umol mol-1, A in umol m-2 s-1).
// Never throws for a curve that cannot be fitted: the result says so instead.
AciStandardFitResult fitAciStandard(const std::vector<std::pair<double, double>>& points,
                                    const AciStandardFitSettings& settings);

// The model's constants at a leaf temperature and pressure.
AciStandardConstants aciStandardConstants(double leafTemperature, double patm);

// Net assimilation of the fitted model at a measured Ci (the fitted curve).
double aciStandardAssimilation(const AciStandardFitResult& fit, double ci);

// Temperature responses that carry Vcmax and Jmax from the leaf temperature to
// 25 degrees C: the value at T divided by the response at T is the value at 25.
double vcmaxTemperatureResponse(double leafTemperature);
double jmaxTemperatureResponse(double leafTemperature);

}  // namespace calvane
