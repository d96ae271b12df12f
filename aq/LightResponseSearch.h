#pragma once
// One pass of the light-response grid search: four nested loops around the base
// values, each parameter either held at its base value (two passes) or stepped by
// repeated addition. It works on copies of its inputs and reports through callbacks,
// so it owns no window state and can later run off the user-interface thread.

#include "aq/LightResponseModel.h"

#include <functional>

namespace calvane {

struct AqFixedFlags {
    bool Amax = false;
    bool AQE = false;
    bool Convexity = false;
    bool A0 = false;
};

struct AqSearchInput {
    AqPoints points;
    double largestY = 0;  // the largest observed A, 0 for no points
    AqParameters base;
    AqFixedFlags fixed;
};

struct AqSearchObserver {
    // The Amax loop began pass k (0 to 20, or 0 to 1 when Amax is fixed).
    std::function<void(int k)> progress;
    // A combination beat every earlier one; called at once, before the search goes on.
    std::function<void(const AqParameters& trial, long double error)> improved;
    // Every combination tried, in order; for tests and diagnostics.
    std::function<void(const AqParameters& trial, long double error)> tried;
};

struct AqSearchResult {
    AqParameters best;        // the base values when nothing beat them
    long double bestError = 0;
    bool improved = false;
};

// The last pass of the Amax loop, and so the progress maximum: 20 when free, 1 when fixed.
constexpr int amaxLastPass(bool fixed) { return fixed ? 1 : 20; }

// Runs one pass. An error sum that overflows raises ArithmeticError.
AqSearchResult searchLightResponsePass(const AqSearchInput& input, const AqSearchObserver& observer);

}  // namespace calvane
