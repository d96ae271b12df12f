#pragma once
// Respiration in the light by the Kok method: above the light compensation point and
// below the bend of the light response, net assimilation falls on a straight line
// A = a + b Q whose intercept at Q = 0 is minus the respiration the leaf keeps up in
// the light (Kok 1948). Ordinary least squares over the points whose incident light
// lies strictly inside a window; a pure function that never throws.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace calvane {

struct KokSettings {
    // The light window, incident umol m-2 s-1; a point counts when lowLight < Q < highLight.
    double lowLight = 40;
    double highLight = 100;
};

struct KokFit {
    // False when no line could be fitted; `message` then says why.
    bool fitted = false;
    std::string message;

    double rd = 0;  // minus the intercept: positive for a loss
    double slope = 0;
    // Standard errors of the line's ordinary least squares; none with exactly two
    // points, which the line passes through.
    std::optional<double> rdSE, slopeSE;
    int points = 0;
    // The (Q, A) points inside the window, in the order they were given.
    std::vector<std::pair<double, double>> used;
};

// The Kok line through the (incident Q, A) points inside the settings' window.
KokFit fitKok(const std::vector<std::pair<double, double>>& points, const KokSettings& settings);

}  // namespace calvane
