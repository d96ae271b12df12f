#include "aq/LightResponseSearch.h"

#include "aq/ErrorBound.h"
#include "core/Errors.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>

namespace calvane {

namespace {

using Real = long double;

// A loop's trial values: the first is start + step, each next one adds the step again.
std::vector<Real> steppedValues(Real start, Real step, int passes)
{
    std::vector<Real> values;
    values.reserve(static_cast<std::size_t>(passes));
    Real value = start;
    for (int k = 0; k < passes; ++k) {
        value = value + step;
        values.push_back(value);
    }
    return values;
}

std::vector<Real> loopValues(bool fixed, Real base, Real start, Real step, int freePasses)
{
    return fixed ? std::vector<Real>{base} : steppedValues(start, step, freePasses);
}

using StopCheck = std::function<bool()>;

void stopIfAsked(const StopCheck& stop)
{
    if (stop && stop())
        throw Cancelled();
}

// Runs body(begin, end) over [0, count) in chunks, on up to `threads` threads, asking
// `stop` before each chunk. Which thread takes which chunk does not matter: every
// chunk writes only its own results.
template <typename Body>
void parallelFor(std::size_t count, unsigned threads, const StopCheck& stop, const Body& body)
{
    if (count == 0)
        return;
    const std::size_t workers = std::min<std::size_t>(std::max(threads, 1u), count);
    const std::size_t chunk = std::max<std::size_t>(1, count / (workers * 8));
    if (workers == 1) {
        for (std::size_t begin = 0; begin < count; begin += chunk) {
            stopIfAsked(stop);
            body(begin, std::min(count, begin + chunk));
        }
        return;
    }
    std::atomic<std::size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto work = [&] {
        try {
            for (;;) {
                const std::size_t begin = next.fetch_add(chunk);
                if (begin >= count)
                    return;
                stopIfAsked(stop);
                body(begin, std::min(count, begin + chunk));
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureLock);
            if (!failure)
                failure = std::current_exception();
            next = count;
        }
    };
    std::vector<std::thread> pool;
    for (std::size_t i = 1; i < workers; ++i) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // fewer threads than hoped; the ones running share the work
        }
    }
    work();
    for (auto& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
}

// Rises are kept as plain numbers; a failed one as NaN, which a finite rise never is.
constexpr Real failedRise = std::numeric_limits<Real>::quiet_NaN();

// Triples (AQE, theta) are processed in blocks small enough that their rises stay in
// memory even for very long curves.
constexpr std::size_t riseBlockEntries = std::size_t{1} << 20;

class PassSearch {
public:
    PassSearch(const AqSearchInput& input, const AqTrialValues& values, unsigned threads, StopCheck stop)
        : points_(input.points), values_(values), threads_(threads), stop_(std::move(stop))
    {
        for (Real theta : values_.Convexity)
            convexities_.push_back(convexityTerm(theta));
        observed_.reserve(points_.size());
        for (const auto& point : points_)
            observed_.push_back(point.second);
        for (Real a0 : values_.A0)
            largestA0_ = std::max(largestA0_, std::fabs(a0));
    }

    // Tries every (AQE, theta, A0) for one Amax value and folds each error into `best`
    // in loop order. Returns false when an error sum overflowed; `best` then holds what
    // came before that combination.
    bool run(Real amax, AqSearchResult& best)
    {
        const std::size_t triples = values_.AQE.size() * values_.Convexity.size();
        if (!points_.empty() && triples >= 8 * static_cast<std::size_t>(threads_)) {
            const AqSearchResult before = best;
            if (runScreened(amax, best))
                return true;
            // Screening may have used an error found after the overflow; go again, in full.
            best = before;
        }
        return runInBlocks(amax, best);
    }

private:
    // Every triple in full, in blocks of triples; within a block the rises and the
    // error sums are each spread over the threads, so even one triple over a very long
    // curve keeps every thread busy.
    bool runInBlocks(Real amax, AqSearchResult& best)
    {
        const std::size_t n = points_.size();
        const std::size_t thetas = values_.Convexity.size();
        const std::size_t triples = values_.AQE.size() * thetas;
        const std::size_t perBlock = n == 0 ? triples : std::max<std::size_t>(1, riseBlockEntries / n);
        screened_.clear();
        for (std::size_t first = 0; first < triples; first += perBlock) {
            const std::size_t last = std::min(triples, first + perBlock);
            computeTerms(amax, first / thetas, (last - 1) / thetas + 1);
            computeRises(first, last);
            computeErrors(first, last);
            if (!fold(amax, first, last, best))
                return false;
        }
        return true;
    }

    // One triple at a time per thread, each first screened by its certain lower bound
    // against the smallest error found so far by any thread: a triple that cannot win
    // is never computed in full. The errors of the others are folded in loop order.
    bool runScreened(Real amax, AqSearchResult& best)
    {
        const std::size_t n = points_.size();
        const std::size_t thetas = values_.Convexity.size();
        const std::size_t a0s = values_.A0.size();
        const std::size_t triples = values_.AQE.size() * thetas;
        computeTerms(amax, 0, values_.AQE.size());
        approxTerms_.resize(terms_.size());
        parallelFor(approxTerms_.size(), threads_, stop_, [&](std::size_t begin, std::size_t end) {
            for (std::size_t u = begin; u < end; ++u)
                approxTerms_[u] = approxLightTerm(points_[u % n].first, amax, values_.AQE[u / n]);
        });
        errors_.assign(triples * a0s, 0);
        screened_.assign(triples, 0);
        std::atomic<double> smallest{roundedUp(best.bestError)};

        parallelFor(triples, threads_, stop_, [&](std::size_t begin, std::size_t end) {
            ErrorBound bound(points_, largestA0_);
            std::vector<Real> rises(n);
            for (std::size_t triple = begin; triple < end; ++triple) {
                if (triple != begin)  // a triple over a long curve is slow: ask between them too
                    stopIfAsked(stop_);
                const std::size_t q = triple / thetas;
                const std::size_t t = triple % thetas;
                const auto lowest = bound.lowest(&approxTerms_[q * n], values_.Convexity[t]);
                if (lowest && *lowest > smallest.load(std::memory_order_relaxed)) {
                    screened_[triple] = 1;
                    continue;
                }
                for (std::size_t i = 0; i < n; ++i) {
                    const auto rise = lightRise(terms_[q * n + i], convexities_[t]);
                    rises[i] = rise ? *rise : failedRise;
                }
                Real least = std::numeric_limits<Real>::infinity();
                for (std::size_t k = 0; k < a0s; ++k) {
                    const Real error = errorSum(rises.data(), values_.A0[k]);
                    errors_[triple * a0s + k] = error;
                    if (error < least)
                        least = error;
                }
                lowerTo(smallest, roundedUp(least));
            }
        });
        return fold(amax, 0, triples, best);
    }

    // The sum over the points, in index order and in long double, as the plain loops
    // form it. An overflow leaves a non-finite sum, since every later term only adds.
    Real errorSum(const Real* rise, Real a0) const
    {
        Real total = 0;
        for (std::size_t i = 0; i < observed_.size(); ++i) {
            Real value = 0;
            if (!std::isnan(rise[i])) {
                value = a0 + rise[i];
                if (!std::isfinite(value))
                    value = 0;
            }
            const Real error = value - static_cast<Real>(observed_[i]);
            total = total + error * error;
        }
        return total;
    }

    // The smallest double not below `value`.
    static double roundedUp(Real value)
    {
        double d = static_cast<double>(value);
        if (static_cast<Real>(d) < value)
            d = std::nextafter(d, std::numeric_limits<double>::infinity());
        return d;
    }

    static void lowerTo(std::atomic<double>& smallest, double value)
    {
        double current = smallest.load(std::memory_order_relaxed);
        while (value < current && !smallest.compare_exchange_weak(current, value, std::memory_order_relaxed)) {
        }
    }

    // AQE*x, t and ln t for AQE values [qFirst, qLast) and every point.
    void computeTerms(Real amax, std::size_t qFirst, std::size_t qLast)
    {
        const std::size_t n = points_.size();
        qFirst_ = qFirst;
        terms_.resize((qLast - qFirst) * n);
        parallelFor(terms_.size(), threads_, stop_, [&](std::size_t begin, std::size_t end) {
            for (std::size_t u = begin; u < end; ++u) {
                const Real aqe = values_.AQE[qFirst + u / n];
                terms_[u] = lightTerm(points_[u % n].first, amax, aqe);
            }
        });
    }

    // The rise of every point for triples [first, last).
    void computeRises(std::size_t first, std::size_t last)
    {
        const std::size_t n = points_.size();
        const std::size_t thetas = values_.Convexity.size();
        rises_.resize((last - first) * n);
        parallelFor(rises_.size(), threads_, stop_, [&](std::size_t begin, std::size_t end) {
            for (std::size_t u = begin; u < end; ++u) {
                const std::size_t triple = first + u / n;
                const std::size_t q = triple / thetas;
                const std::size_t t = triple % thetas;
                const LightTerm& term = terms_[(q - qFirst_) * n + u % n];
                const auto rise = lightRise(term, convexities_[t]);
                rises_[u] = rise ? *rise : failedRise;
            }
        });
    }

    // The error sum of every A0 trial for triples [first, last).
    void computeErrors(std::size_t first, std::size_t last)
    {
        const std::size_t n = points_.size();
        const std::size_t a0s = values_.A0.size();
        errors_.resize((last - first) * a0s);
        parallelFor(errors_.size(), threads_, stop_, [&](std::size_t begin, std::size_t end) {
            for (std::size_t u = begin; u < end; ++u)
                errors_[u] = errorSum(rises_.data() + (u / a0s) * n, values_.A0[u % a0s]);
        });
    }

    // Walks the block's errors in loop order: strictly smaller wins, so among equal
    // errors the first stays; the first non-finite sum ends the search there.
    bool fold(Real amax, std::size_t first, std::size_t last, AqSearchResult& best) const
    {
        const std::size_t thetas = values_.Convexity.size();
        const std::size_t a0s = values_.A0.size();
        for (std::size_t triple = first; triple < last; ++triple) {
            if (!screened_.empty() && screened_[triple])
                continue;  // none of its errors can beat one already found
            for (std::size_t k = 0; k < a0s; ++k) {
                const Real error = errors_[(triple - first) * a0s + k];
                if (!std::isfinite(error))
                    return false;
                if (error < best.bestError) {
                    best.bestError = error;
                    best.best = {amax, values_.AQE[triple / thetas], values_.Convexity[triple % thetas], values_.A0[k]};
                    best.improved = true;
                }
            }
        }
        return true;
    }

    const AqPoints& points_;
    const AqTrialValues& values_;
    const unsigned threads_;
    const StopCheck stop_;
    std::vector<ConvexityTerm> convexities_;
    std::vector<double> observed_;
    std::size_t qFirst_ = 0;
    Real largestA0_ = 0;
    std::vector<LightTerm> terms_;
    std::vector<ApproxLightTerm> approxTerms_;
    std::vector<Real> rises_;
    std::vector<Real> errors_;
    std::vector<unsigned char> screened_;
};

unsigned workerCount(unsigned requested)
{
    if (requested > 0)
        return requested;
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

AqTrialValues trialValues(const AqSearchInput& input)
{
    const AqParameters& base = input.base;
    const AqFixedFlags& fixed = input.fixed;

    Real amaxStart = 0.95L * base.Amax;
    if (static_cast<Real>(input.largestY) > amaxStart)
        amaxStart = input.largestY;
    Real aqeStart = base.AQE - 0.05L;
    if (aqeStart < 0)
        aqeStart = 0.005L;

    AqTrialValues values;
    values.Amax = loopValues(fixed.Amax, base.Amax, amaxStart, (1.5L * base.Amax - amaxStart) / 20, 21);
    values.AQE = loopValues(fixed.AQE, base.AQE, aqeStart, 0.002L, 126);
    values.Convexity = loopValues(fixed.Convexity, base.Convexity, 0.8L * base.Convexity, 0.4L * base.Convexity / 20,
                                  21);
    values.A0 = loopValues(fixed.A0, base.A0, base.A0 - 0.5L, 0.05L, 21);
    return values;
}

AqSearchResult searchLightResponsePass(const AqSearchInput& input, const AqSearchObserver& observer)
{
    AqSearchResult result;
    result.best = input.base;
    result.bestError = sumOfSquaredErrors(input.points, input.base);

    const AqTrialValues values = trialValues(input);
    PassSearch pass(input, values, workerCount(input.threads), observer.cancelled);
    AqSearchResult reported = result;
    auto report = [&] {
        if (result.improved && (!reported.improved || result.bestError != reported.bestError)) {
            reported = result;
            if (observer.improved)
                observer.improved(result.best, result.bestError);
        }
    };

    for (int k = 0; k <= amaxLastPass(input.fixed.Amax); ++k) {
        stopIfAsked(observer.cancelled);
        if (observer.progress)
            observer.progress(k);
        // A fixed Amax's second pass repeats the first one's combinations.
        if (static_cast<std::size_t>(k) < values.Amax.size() &&
            !pass.run(values.Amax[static_cast<std::size_t>(k)], result)) {
            report();
            throw ArithmeticError("Floating point overflow");
        }
        report();
    }
    return result;
}

}  // namespace calvane
