#pragma once
// A cheap, certain lower bound of the error sums of one (Amax, AQE, theta) over all A0.
//
// Most combinations of a grid search lie far from the best one. The bound lets the
// search pass over them without the long-double model: it evaluates the model in
// double precision, widens every step by a generous multiple of its worst rounding
// error, and subtracts that from the smallest sum any A0 could reach. When the bound
// exceeds an error already found, none of the combination's A0 trials can win, so the
// search never computes them. Wherever the double evaluation could stray from the
// long-double model (a non-positive theta or t, an overflow, a bound too loose to help)
// there is no bound, and the search computes the combination in full.

#include "aq/LightResponseModel.h"

#include <optional>
#include <vector>

namespace calvane {

// What depends on Amax, AQE and one point, in double: AQE*x, t = AQE*x/Amax and ln t.
struct ApproxLightTerm {
    double slopeTimesLight = 0;
    double t = 0;
    double logT = 0;
    bool usable = false;  // finite, and t >= 0
};
ApproxLightTerm approxLightTerm(double x, long double Amax, long double AQE);

class ErrorBound {
public:
    // The observed points, and the largest |A0| any trial may take.
    ErrorBound(const AqPoints& points, long double largestA0Magnitude);

    // No error sum over these points, for the given terms (one per point), theta and any
    // A0 up to the largest magnitude, can be below the result. Nothing when that cannot
    // be said with certainty.
    std::optional<double> lowest(const ApproxLightTerm* terms, long double Convexity);

private:
    const AqPoints& points_;
    double a0Magnitude_;
    std::vector<double> centred_;  // per point: approximate rise minus observed A
    std::vector<double> slack_;    // per point: how far the exact residual may lie from it
};

}  // namespace calvane
