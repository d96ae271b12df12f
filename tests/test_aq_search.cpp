// One pass of the grid search, observed through its callbacks: which values it tries,
// in which order, and which combination it keeps.

#include "TestSupport.h"
#include "aq/LightResponseSearch.h"

#include <gtest/gtest.h>

#include <vector>

using namespace calvane;
using calvane::test::near;

namespace {

struct Recorder {
    std::vector<AqParameters> tried;
    std::vector<AqParameters> improved;
    std::vector<int> progress;

    AqSearchObserver observer()
    {
        AqSearchObserver o;
        o.tried = [this](const AqParameters& p, long double) { tried.push_back(p); };
        o.improved = [this](const AqParameters& p, long double) { improved.push_back(p); };
        o.progress = [this](int k) { progress.push_back(k); };
        return o;
    }
};

bool same(const AqParameters& a, const AqParameters& b)
{
    return a.Amax == b.Amax && a.AQE == b.AQE && a.Convexity == b.Convexity && a.A0 == b.A0;
}

// The distinct values one parameter took, in the order first met.
template <typename Get>
std::vector<long double> distinct(const std::vector<AqParameters>& trials, Get get)
{
    std::vector<long double> values;
    for (const auto& p : trials) {
        const long double v = get(p);
        bool seen = false;
        for (long double w : values)
            seen = seen || w == v;
        if (!seen)
            values.push_back(v);
    }
    return values;
}

}  // namespace

TEST(AqSearch, AllFixedTriesSixteenCombinationsOfTheBaseValues)
{
    AqSearchInput input;
    input.points = {{85, 3.5}, {425, 14}, {0, -1.1}};
    input.largestY = 14;
    input.base = {20, 0.05L, 3, -1};
    input.fixed = {true, true, true, true};
    Recorder r;
    const auto result = searchLightResponsePass(input, r.observer());
    ASSERT_EQ(r.tried.size(), 16u);
    for (const auto& p : r.tried)
        EXPECT_TRUE(same(p, input.base));
    EXPECT_TRUE(r.improved.empty());
    EXPECT_FALSE(result.improved);
    EXPECT_TRUE(same(result.best, input.base));
    EXPECT_EQ(r.progress, (std::vector<int>{0, 1}));
}

TEST(AqSearch, FreeLoopsStepFromTheirStartsByRepeatedAddition)
{
    // No points: every error is 0, nothing improves, and every combination is visited.
    AqSearchInput input;
    input.largestY = 8;
    input.base = {8, 0, 3, 0};
    std::size_t count = 0;
    std::vector<AqParameters> firstTrials;
    std::vector<long double> amax, aqe, theta, a0;
    auto note = [](std::vector<long double>& values, long double v) {
        for (long double w : values)
            if (w == v)
                return;
        values.push_back(v);
    };
    Recorder r;
    AqSearchObserver o = r.observer();
    o.tried = [&](const AqParameters& p, long double) {
        if (++count <= 50)
            firstTrials.push_back(p);
        note(amax, p.Amax);
        note(aqe, p.AQE);
        note(theta, p.Convexity);
        note(a0, p.A0);
    };
    searchLightResponsePass(input, o);
    EXPECT_EQ(count, 21u * 126u * 21u * 21u);
    EXPECT_TRUE(r.improved.empty());
    EXPECT_EQ(r.progress.size(), 21u);
    EXPECT_EQ(r.progress.back(), 20);

    ASSERT_EQ(amax.size(), 21u);
    ASSERT_EQ(aqe.size(), 126u);
    ASSERT_EQ(theta.size(), 21u);
    ASSERT_EQ(a0.size(), 21u);

    // Amax: S = max(0.95 * 8, 8) = 8, step (12 - 8) / 20; 1.025 M to 1.525 M.
    long double expected = 8;
    for (std::size_t k = 0; k < amax.size(); ++k) {
        expected = expected + (1.5L * 8 - 8) / 20;
        EXPECT_EQ(amax[k], expected) << k;
    }
    EXPECT_TRUE(near(static_cast<double>(amax.front()), 8.2, 1e-12));
    EXPECT_TRUE(near(static_cast<double>(amax.back()), 12.2, 1e-12));

    // AQE 0 - 0.05 < 0, so the start is 0.005: 0.007 to 0.257 in steps of 0.002.
    expected = 0.005L;
    for (std::size_t k = 0; k < aqe.size(); ++k) {
        expected = expected + 0.002L;
        EXPECT_EQ(aqe[k], expected) << k;
    }
    EXPECT_TRUE(near(static_cast<double>(aqe.back()), 0.257, 1e-12));

    // theta from 2.46 to 3.66 in steps of 0.06; A0 from -0.45 to 0.55 in steps of 0.05.
    expected = 0.8L * 3;
    for (std::size_t k = 0; k < theta.size(); ++k) {
        expected = expected + 0.4L * 3 / 20;
        EXPECT_EQ(theta[k], expected) << k;
    }
    EXPECT_TRUE(near(static_cast<double>(theta.front()), 2.46, 1e-12));
    EXPECT_TRUE(near(static_cast<double>(theta.back()), 3.66, 1e-12));
    expected = -0.5L;
    for (std::size_t k = 0; k < a0.size(); ++k) {
        expected = expected + 0.05L;
        EXPECT_EQ(a0[k], expected) << k;
    }
    EXPECT_TRUE(near(static_cast<double>(a0.front()), -0.45, 1e-12));
    EXPECT_TRUE(near(static_cast<double>(a0.back()), 0.55, 1e-12));
    // Repeated addition leaves a tiny remainder where a multiple of the step would be 0.
    EXPECT_NE(a0[9], 0.0L);
    EXPECT_TRUE(near(static_cast<double>(a0[9]), 0.0, 1e-15));

    // The innermost loop runs fastest.
    EXPECT_EQ(firstTrials[0].A0, a0[0]);
    EXPECT_EQ(firstTrials[1].A0, a0[1]);
    EXPECT_EQ(firstTrials[1].Convexity, theta[0]);
    EXPECT_EQ(firstTrials[21].Convexity, theta[1]);
    EXPECT_EQ(firstTrials[21].A0, a0[0]);
}

TEST(AqSearch, AqeStartRule)
{
    AqSearchInput input;
    input.base = {20, 0.03L, 3, -1};
    input.fixed = {true, false, true, true};
    Recorder r;
    searchLightResponsePass(input, r.observer());
    ASSERT_EQ(r.tried.size(), 2u * 126u * 2u * 2u);
    EXPECT_EQ(r.tried.front().AQE, 0.005L + 0.002L);  // 0.03 - 0.05 is negative

    input.base.AQE = 0.08;  // as read from a field: a double
    r = Recorder{};
    searchLightResponsePass(input, r.observer());
    EXPECT_EQ(r.tried.front().AQE, static_cast<long double>(0.08) - 0.05L + 0.002L);
    EXPECT_TRUE(near(static_cast<double>(r.tried.front().AQE), 0.032, 1e-15));
}

TEST(AqSearch, FirstOfEqualErrorsStays)
{
    // At zero light the model is A0 whatever Amax, AQE and theta are, so every Amax and
    // theta trial with the best A0 has the same error: the first one must be kept.
    AqSearchInput input;
    input.points = {{0, 0.2}};
    input.largestY = 0.2;
    input.base = {10, 0.05L, 2, 0};
    input.fixed = {false, true, false, false};
    Recorder r;
    const auto result = searchLightResponsePass(input, r.observer());
    ASSERT_TRUE(result.improved);
    EXPECT_EQ(result.best.Amax, r.tried.front().Amax);
    EXPECT_EQ(result.best.Convexity, r.tried.front().Convexity);
    EXPECT_TRUE(near(static_cast<double>(result.best.A0), 0.2, 1e-12));
    // Improvements come only while the first Amax and theta pass walks A0 up to 0.2.
    for (const auto& p : r.improved) {
        EXPECT_EQ(p.Amax, r.tried.front().Amax);
        EXPECT_EQ(p.Convexity, r.tried.front().Convexity);
    }
    EXPECT_TRUE(same(r.improved.back(), result.best));
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
    input.fixed = {false, true, true, true};
    Recorder r;
    searchLightResponsePass(input, r.observer());
    const auto amax = distinct(r.tried, [](const AqParameters& p) { return p.Amax; });
    ASSERT_EQ(amax.size(), 21u);
    EXPECT_EQ(amax.front(), 10.0L + (0 - 10.0L) / 20);
    EXPECT_LT(amax.back(), amax.front());
}
