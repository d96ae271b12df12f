#pragma once
// The temperature response of a rate (Vcmax, Jmax, ...) measured at several leaf
// temperatures, fitted by nonlinear least squares on the values themselves:
//  - Arrhenius: k(T) = k25 exp(Ea (T - 298.15) / (298.15 R T)),
//  - peaked Arrhenius (Medlyn et al. 2002): the Arrhenius term times
//      (1 + exp((298.15 dS - Hd) / (298.15 R))) / (1 + exp((T dS - Hd) / (R T))),
//    with Hd a setting and k25, Ea and dS fitted,
// T in kelvin, R = 8.314 J mol-1 K-1. A pure function from points and settings to
// estimates, standard errors and diagnostics; it never throws. The solver stays
// inside TemperatureResponse.cpp.

#include "fit/ProfileInterval.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace calvane {

enum class TemperatureModel { Arrhenius, Peaked };

struct TemperatureResponseSettings {
    TemperatureModel model = TemperatureModel::Arrhenius;
    double hd = 200000;  // deactivation energy of the peaked model, J mol-1 (held, not fitted)
};

struct TemperatureResponseFit {
    // False when the values could not be fitted; `message` then says why and the
    // estimates mean nothing.
    bool fitted = false;
    std::string message;
    TemperatureResponseSettings settings;

    // Estimates and their standard errors (from the covariance at the optimum,
    // scaled by SSE / (n - p)), and beside each its 95 % profile interval
    // (fit/ProfileInterval.h): the others refitted, the values where the sum of squares
    // stays at or below `intervalBound`; an end that does not close within the
    // parameter's search range is missing.
    double k25 = 0, k25SE = 0;  // the rate at 25 degrees C, in the values' units
    double ea = 0, eaSE = 0;    // activation energy, J mol-1
    ProfileInterval k25Interval, eaInterval;
    // The peaked model only: the entropy term (J mol-1 K-1), and the temperature of
    // the peak in degrees C, none where the curve has no peak (Ea >= Hd). Topt's
    // standard error comes from the covariance of Ea and dS by the delta method.
    std::optional<double> ds, dsSE;
    ProfileInterval dsInterval;  // both ends missing for the Arrhenius model
    std::optional<double> topt, toptSE;
    double intervalBound = 0;  // S_min + s^2 t^2 (profileThreshold)

    double sse = 0;
    double rmse = 0;  // sqrt(SSE / n)
    int points = 0;
    int parameters = 0;
    // Starting points the solver ran from, and how many of them ended at a usable optimum.
    int starts = 0;
    int convergedStarts = 0;
};

// Fits the chosen model to (leaf temperature in degrees C, value) pairs. At least one
// point more than the model has parameters is needed.
TemperatureResponseFit fitTemperatureResponse(const std::vector<std::pair<double, double>>& tempValue,
                                              const TemperatureResponseSettings& settings);

enum class TemperatureParameter { K25, Ea, DS };

// The profile sum of squares of a successful fit to these pairs: `parameter` held at
// `value` (Ea in J mol-1, dS in J mol-1 K-1; dS only for the peaked model) and the
// others refitted from the optimum. Infinity where it cannot be evaluated.
double temperatureResponseProfile(const std::vector<std::pair<double, double>>& tempValue,
                                  const TemperatureResponseFit& fit, TemperatureParameter parameter, double value);

// The fitted curve at a leaf temperature in degrees C (for drawing it); 0 for a fit
// that did not succeed.
double temperatureResponseValue(const TemperatureResponseFit& fit, double celsius);

}  // namespace calvane
