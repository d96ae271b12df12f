#pragma once
// One pass of the light-response grid search: four nested loops around the base
// values, each parameter either held at its base value (two passes) or stepped by
// repeated addition, keeping the first combination with the smallest error.
//
// The search finds exactly what the four loops find when run one combination at a
// time, but does far less work:
// - the model is A0 plus a rise that does not depend on A0, so the rise is computed
//   once per (Amax, AQE, theta, point) and serves all A0 trials; ln t is shared by all
//   theta trials;
// - a fixed parameter's two passes try the same combinations twice, and a repeated
//   error can never be strictly smaller, so the second pass is left out;
// - the work is spread over threads, and the results are merged in loop order, so the
//   winner is the first combination with the smallest error, as in the plain loops.
// Each error is still summed over the points in index order in long double, and the
// trial values are still formed by repeated addition.
//
// It works on copies of its inputs and reports through callbacks, so it owns no window
// state and can run off the user-interface thread.

#include "aq/LightResponseModel.h"

#include <functional>
#include <vector>

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
    unsigned threads = 0;  // worker threads; 0 for one per hardware thread
};

// Callbacks run on the thread that called the search.
struct AqSearchObserver {
    // The Amax loop begins pass k (0 to 20, or 0 to 1 when Amax is fixed).
    std::function<void(int k)> progress;
    // The best combination so far changed. Reported at the end of each Amax pass, and
    // before an error ends the search.
    std::function<void(const AqParameters& best, long double error)> improved;
    // Asked from any of the search's threads, often enough that a stop takes effect
    // within a small fraction of a pass; true ends the search with Cancelled.
    std::function<bool()> cancelled;
};

struct AqSearchResult {
    AqParameters best;  // the base values when nothing beat them
    long double bestError = 0;
    bool improved = false;
};

// The values each loop tries, in loop order. A fixed parameter has one value: its
// base value, tried in both of its passes.
struct AqTrialValues {
    std::vector<long double> Amax, AQE, Convexity, A0;
};
AqTrialValues trialValues(const AqSearchInput& input);

// The last pass of the Amax loop, and so the progress maximum: 20 when free, 1 when fixed.
constexpr int amaxLastPass(bool fixed) { return fixed ? 1 : 20; }

// Runs one pass. An error sum that overflows raises ArithmeticError, after the best
// combination met before it has been reported; a stop request raises Cancelled.
AqSearchResult searchLightResponsePass(const AqSearchInput& input, const AqSearchObserver& observer);

}  // namespace calvane
