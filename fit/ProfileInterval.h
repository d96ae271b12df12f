#pragma once
// Profile-likelihood intervals of a least-squares fit: the values v of one parameter
// where the sum of squares with the others refitted, S(v), stays at or below
// S_min + s^2 t^2 (s^2 = S_min / (n - p), t Student's 0.975 quantile with n - p degrees
// of freedom). Toolkit-free; each fit supplies its own S(v).

#include <functional>
#include <optional>

namespace calvane {

// One interval; an end is missing where the profile does not close within the
// parameter's search range.
struct ProfileInterval {
    std::optional<double> lower, upper;
};

// The regularized incomplete beta function I_x(a, b), for a, b > 0 and x in [0, 1].
double incompleteBeta(double x, double a, double b);

// The quantile of Student's t distribution with `df` > 0 degrees of freedom at
// probability p in (0, 1).
double studentTQuantile(double p, double df);

// The bound S_min + s^2 t^2 of a 95 % interval for a fit of n points and p parameters.
double profileThreshold(double minimumSse, int points, int parameters);

// Walks from the estimate outwards in steps that grow from a quarter of `step` (the
// standard error, say) by 30 % each, so that a bump of the profile is not stepped over,
// until S passes
// the threshold, then bisects to the crossing. A value where S cannot be evaluated
// (not finite) counts as beyond the threshold. `lowest` and `highest` bound the search.
ProfileInterval profileInterval(const std::function<double(double)>& profileSse, double estimate, double step,
                                double lowest, double highest, double threshold);

}  // namespace calvane
