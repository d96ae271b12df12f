#include "aq/LightResponseSearch.h"

namespace calvane {

namespace {

using Real = long double;

// A loop's trial value: a free parameter advances by its step at the top of every pass
// (so the first value tried is start + step); a fixed one stays at its base value.
struct LoopValue {
    Real value;
    Real step;
    Real base;
    bool fixed;

    void next() { value = fixed ? base : value + step; }
};

int lastCount(bool fixed, int whenFree) { return fixed ? 1 : whenFree; }

}  // namespace

AqSearchResult searchLightResponsePass(const AqSearchInput& input, const AqSearchObserver& observer)
{
    const AqParameters& base = input.base;
    const AqFixedFlags& fixed = input.fixed;

    AqSearchResult result;
    result.best = base;
    result.bestError = sumOfSquaredErrors(input.points, base);

    Real amaxStart = 0.95L * base.Amax;
    if (static_cast<Real>(input.largestY) > amaxStart)
        amaxStart = input.largestY;
    const Real amaxStep = (1.5L * base.Amax - amaxStart) / 20;

    AqParameters trial;
    LoopValue amax{amaxStart, amaxStep, base.Amax, fixed.Amax};
    for (int ka = 0; ka <= amaxLastPass(fixed.Amax); ++ka) {
        amax.next();
        trial.Amax = amax.value;
        if (observer.progress)
            observer.progress(ka);

        Real aqeStart = base.AQE - 0.05L;
        if (aqeStart < 0)
            aqeStart = 0.005L;
        LoopValue aqe{aqeStart, 0.002L, base.AQE, fixed.AQE};
        for (int kq = 0; kq <= lastCount(fixed.AQE, 125); ++kq) {
            aqe.next();
            trial.AQE = aqe.value;

            LoopValue convexity{0.8L * base.Convexity, 0.4L * base.Convexity / 20, base.Convexity,
                                fixed.Convexity};
            for (int kt = 0; kt <= lastCount(fixed.Convexity, 20); ++kt) {
                convexity.next();
                trial.Convexity = convexity.value;

                LoopValue a0{base.A0 - 0.5L, 0.05L, base.A0, fixed.A0};
                for (int kr = 0; kr <= lastCount(fixed.A0, 20); ++kr) {
                    a0.next();
                    trial.A0 = a0.value;

                    const Real error = sumOfSquaredErrors(input.points, trial);
                    if (observer.tried)
                        observer.tried(trial, error);
                    // Strictly smaller: among equal errors the first combination stays.
                    if (error < result.bestError) {
                        result.bestError = error;
                        result.best = trial;
                        result.improved = true;
                        if (observer.improved)
                            observer.improved(trial, error);
                    }
                }
            }
        }
    }
    return result;
}

}  // namespace calvane
