// One pass of the grid search, observed through its callbacks: which values it tries,
// in which order, and which combination it keeps.

#include "TestSupport.h"
#include "aq/LightResponseSearch.h"
#include "core/Errors.h"

#include <cmath>

#include <gtest/gtest.h>

#include <vector>

using namespace calvane;
using calvane::test::near;

namespace {

struct Recorder {
    std::vector<AqParameters> improved;
    std::vector<int> progress;

    AqSearchObserver observer()
    {
        AqSearchObserver o;
        o.improved = [this](const AqParameters& p, long double) { improved.push_back(p); };
        o.progress = [this](int k) { progress.push_back(k); };
        return o;
    }
};

bool same(const AqParameters& a, const AqParameters& b)
{
    return a.Amax == b.Amax && a.AQE == b.AQE && a.Convexity == b.Convexity && a.A0 == b.A0;
}

// The values start + step, start + 2 step, ... formed by repeated addition.
void expectStepped(const std::vector<long double>& values, long double start, long double step, std::size_t count)
{
    ASSERT_EQ(values.size(), count);
    long double expected = start;
    for (std::size_t k = 0; k < count; ++k) {
        expected = expected + step;
        EXPECT_EQ(values[k], expected) << k;
    }
}

}  // namespace

TEST(AqSearch, AllFixedChangesNothing)
{
    AqSearchInput input;
    input.points = {{85, 3.5}, {425, 14}, {0, -1.1}};
    input.largestY = 14;
    input.base = {20, 0.05L, 3, -1};
    input.fixed = {true, true, true, true};
    const auto values = trialValues(input);
    EXPECT_EQ(values.Amax, std::vector<long double>{20});
    EXPECT_EQ(values.A0, std::vector<long double>{-1});
    Recorder r;
    const auto result = searchLightResponsePass(input, r.observer());
    EXPECT_TRUE(r.improved.empty());
    EXPECT_FALSE(result.improved);
    EXPECT_TRUE(same(result.best, input.base));
    EXPECT_EQ(r.progress, (std::vector<int>{0, 1}));
}

TEST(AqSearch, FreeLoopsStepFromTheirStartsByRepeatedAddition)
{
    AqSearchInput input;
    input.largestY = 8;
    input.base = {8, 0, 3, 0};
    const auto values = trialValues(input);
    // Amax: S = max(0.95 * 8, 8) = 8, step (12 - 8) / 20; 1.025 M to 1.525 M.
    expectStepped(values.Amax, 8, (1.5L * 8 - 8) / 20, 21);
    EXPECT_TRUE(near(static_cast<double>(values.Amax.back()), 12.2, 1e-12));
    // AQE 0 - 0.05 < 0, so the start is 0.005: 0.007 to 0.257 in steps of 0.002.
    expectStepped(values.AQE, 0.005L, 0.002L, 126);
    EXPECT_TRUE(near(static_cast<double>(values.AQE.back()), 0.257, 1e-12));
    // theta from 2.46 to 3.66 in steps of 0.06; A0 from -0.45 to 0.55 in steps of 0.05.
    expectStepped(values.Convexity, 0.8L * 3, 0.4L * 3 / 20, 21);
    EXPECT_TRUE(near(static_cast<double>(values.Convexity.back()), 3.66, 1e-12));
    expectStepped(values.A0, -0.5L, 0.05L, 21);
    // Repeated addition leaves a tiny remainder where a multiple of the step would be 0.
    EXPECT_NE(values.A0[9], 0.0L);
    EXPECT_TRUE(near(static_cast<double>(values.A0[9]), 0.0, 1e-15));

    // No points: every error is 0, so nothing improves; progress once per Amax pass.
    Recorder r;
    searchLightResponsePass(input, r.observer());
    EXPECT_TRUE(r.improved.empty());
    EXPECT_EQ(r.progress.size(), 21u);
    EXPECT_EQ(r.progress.back(), 20);
}

TEST(AqSearch, AqeStartRule)
{
    AqSearchInput input;
    input.base = {20, 0.03L, 3, -1};
    EXPECT_EQ(trialValues(input).AQE.front(), 0.005L + 0.002L);  // 0.03 - 0.05 is negative
    input.base.AQE = 0.08;                                       // as read from a field: a double
    EXPECT_EQ(trialValues(input).AQE.front(), static_cast<long double>(0.08) - 0.05L + 0.002L);
    EXPECT_TRUE(near(static_cast<double>(trialValues(input).AQE.front()), 0.032, 1e-15));
}

TEST(AqSearch, FirstOfEqualErrorsStays)
{
    // At zero light the model is A0 whatever Amax, AQE and theta are, so every Amax and
    // theta trial with the best A0 has the same error: the first one must be kept, also
    // when the work is split over several threads.
    AqSearchInput input;
    input.points = {{0, 0.2}};
    input.largestY = 0.2;
    input.base = {10, 0.05L, 2, 0};
    input.fixed = {false, true, false, false};
    const auto values = trialValues(input);
    for (unsigned threads : {1u, 2u, 7u}) {
        input.threads = threads;
        Recorder r;
        const auto result = searchLightResponsePass(input, r.observer());
        ASSERT_TRUE(result.improved);
        EXPECT_EQ(result.best.Amax, values.Amax.front());
        EXPECT_EQ(result.best.Convexity, values.Convexity.front());
        EXPECT_TRUE(near(static_cast<double>(result.best.A0), 0.2, 1e-12));
        ASSERT_EQ(r.improved.size(), 1u);  // found in the first Amax pass, never bettered
        EXPECT_TRUE(same(r.improved.back(), result.best));
    }
}

TEST(AqSearch, ImprovementsReportTheBestSoFarInOrder)
{
    AqSearchInput input;
    input.points = {{170, 7.9}, {595, 16.2}, {0, -1.5}};
    input.largestY = 16.2;
    input.base = {16.2, 0.05L, 3, -1};
    input.fixed = {false, true, true, false};
    long double lastError = 0;
    bool first = true;
    bool decreasing = true;
    AqSearchObserver o;
    o.improved = [&](const AqParameters&, long double e) {
        decreasing = decreasing && (first || e < lastError);
        first = false;
        lastError = e;
    };
    const auto result = searchLightResponsePass(input, o);
    EXPECT_TRUE(decreasing);
    ASSERT_TRUE(result.improved);
    EXPECT_EQ(result.bestError, lastError);
    EXPECT_LT(result.bestError, sumOfSquaredErrors(input.points, input.base));
    EXPECT_EQ(result.bestError, sumOfSquaredErrors(input.points, result.best));
}

TEST(AqSearch, ZeroAmaxIsSearchedDownwardsFromTheLargestY)
{
    AqSearchInput input;
    input.largestY = 10;
    input.base = {0, 0.05L, 3, -1};
    const auto amax = trialValues(input).Amax;
    ASSERT_EQ(amax.size(), 21u);
    EXPECT_EQ(amax.front(), 10.0L + (0 - 10.0L) / 20);
    EXPECT_LT(amax.back(), amax.front());
}

TEST(AqSearch, AnOverflowAfterTheBaseValuesEndsThePassWithWhatCameBefore)
{
    // theta -0.0001212 multiplies AQE*x by about 2^8250: with the base AQE of 1e-300 the
    // error still fits a long double, with the first AQE trial (0.007) its square does not.
    AqSearchInput input;
    input.points = {{100, 1}};
    input.largestY = 1;
    input.base = {20, 1e-300L, -0.0001212L, 0};
    input.fixed = {true, false, true, true};
    ASSERT_TRUE(std::isfinite(sumOfSquaredErrors(input.points, input.base)));
    for (unsigned threads : {1u, 2u}) {
        input.threads = threads;
        Recorder r;
        try {
            searchLightResponsePass(input, r.observer());
            FAIL() << "no error";
        } catch (const ArithmeticError& e) {
            EXPECT_STREQ(e.what(), "Floating point overflow");
        }
        EXPECT_TRUE(r.improved.empty());
        EXPECT_EQ(r.progress, std::vector<int>{0});
    }
}
