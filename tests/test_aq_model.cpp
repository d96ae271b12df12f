// The light-response model, its power rules and failure cases, the error sum and the
// sweep that reads the light points off the curve.

#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "aq/LightResponseModel.h"
#include "core/Errors.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace calvane;
using calvane::test::near;

namespace {
long double model(long double x, long double amax, long double aqe, long double theta, long double a0)
{
    return TfrmAQ_C3_Curve::respCurve(x, amax, aqe, theta, a0);
}
}  // namespace

TEST(AqModel, WorkedValues)
{
    EXPECT_TRUE(near(static_cast<double>(model(100, 20, 0.05L, 3, -1)), 3.97423, 5e-6));
    EXPECT_TRUE(near(static_cast<double>(model(400, 20, 0.05L, 3, -1)), 14.87401, 5e-6));
    // At zero light the curve starts at A0; far out it approaches A0 + Amax.
    EXPECT_EQ(model(0, 20, 0.05L, 3, -1), -1.0L);
    EXPECT_TRUE(near(static_cast<double>(model(1e7, 20, 0.05L, 3, -1)), 19.0, 1e-6));
}

TEST(AqModel, IntegralConvexityAllowsANegativeBase)
{
    // AQE < 0 makes t negative; theta 3 is an integer power, so the value exists.
    const long double expected = -5.0L / std::cbrt(1.0L - 0.015625L);
    EXPECT_TRUE(near(static_cast<double>(model(100, 20, -0.05L, 3, 0)), static_cast<double>(expected), 1e-12));
    // theta -1: t^-1 = 4, (1 + 4)^-1 = 0.2, 5 / 0.2 = 25.
    EXPECT_EQ(model(100, 20, 0.05L, -1, -1), 24.0L);
}

TEST(AqModel, EveryArithmeticFailureGivesZero)
{
    EXPECT_EQ(model(100, 20, 0.05L, 0, -1), 0.0L);             // 1 / theta with theta 0
    EXPECT_EQ(model(100, 0, 0.05L, 3, -1), 0.0L);              // t = AQE x / 0
    EXPECT_EQ(model(0, 0, 0.05L, 3, -1), 0.0L);                // 0 / 0
    EXPECT_EQ(model(100, 20, -0.05L, 2.5L, -1), 0.0L);         // ln of a negative t
    EXPECT_EQ(model(0, 20, 0.05L, -0.5L, -1), 0.0L);           // ln 0 for a negative power of 0
    EXPECT_EQ(model(0, 20, 0.05L, -1, -1), 0.0L);              // 1 / 0^1
    EXPECT_EQ(model(4e11L, 20, 0.05L, 1000, -1), 0.0L);        // (1e9)^1000 overflows, integer power
    EXPECT_EQ(model(4e11L, 20, 0.05L, 1000.5L, -1), 0.0L);     // and through exp
    EXPECT_EQ(model(1e3000L, 1e-3000L, 1e3000L, 1, 0), 0.0L);  // AQE x overflows at once
}

TEST(AqModel, PowerRules)
{
    EXPECT_EQ(*modelPower(5, 0), 1.0L);
    EXPECT_EQ(*modelPower(0, 0), 1.0L);
    EXPECT_EQ(*modelPower(-3, 0), 1.0L);
    EXPECT_EQ(*modelPower(0, 2.5L), 0.0L);
    EXPECT_EQ(*modelPower(0, 2), 0.0L);
    EXPECT_EQ(*modelPower(-2, 3), -8.0L);
    EXPECT_EQ(*modelPower(-2, -2), 0.25L);
    EXPECT_EQ(*modelPower(3, 13), 1594323.0L);
    EXPECT_TRUE(near(static_cast<double>(*modelPower(2, 0.5L)), std::sqrt(2.0), 1e-15));
    EXPECT_FALSE(modelPower(-2, 0.5L));
    EXPECT_FALSE(modelPower(0, -0.5L));
    EXPECT_FALSE(modelPower(0, -2));
    EXPECT_FALSE(modelPower(10, 5000));
    // Beyond 2147483647 an integral exponent goes through exp and ln.
    EXPECT_EQ(*modelPower(0.5L, 3e9L), 0.0L);
    EXPECT_FALSE(modelPower(2, 3e9L));
    EXPECT_FALSE(modelPower(-2, 3e9L));
}

TEST(AqModel, IntegerPowerSquaresOnlyWhatTheResultNeeds)
{
    // A square after the last multiplication would overflow here although the result fits.
    EXPECT_EQ(*modelPower(1e3000L, 1), 1e3000L);
    EXPECT_TRUE(modelPower(1e1500L, 3).has_value());
    EXPECT_TRUE(std::isfinite(*modelPower(1e1500L, 3)));
    EXPECT_EQ(*modelPower(1e2000L, -1), 1e-2000L);
    EXPECT_FALSE(modelPower(1e1500L, 4));  // 1e6000 does not fit
}

TEST(AqModel, ErrorSum)
{
    AqParameters p{20, 0.05L, 3, -1};
    EXPECT_EQ(sumOfSquaredErrors({}, p), 0.0L);
    const AqPoints points{{100, 4}, {0, 0}};
    const long double d0 = model(100, 20, 0.05L, 3, -1) - 4;
    const long double d1 = -1 - 0;
    EXPECT_EQ(sumOfSquaredErrors(points, p), d0 * d0 + d1 * d1);
}

TEST(AqModel, AnOverflowingErrorSumIsNotAbsorbed)
{
    // theta -0.0001 at t = 1: 2^10000 fits a long double, its square does not.
    const AqParameters p{1, 1, -0.0001L, 0};
    ASSERT_TRUE(std::isfinite(model(1, 1, 1, -0.0001L, 0)));
    try {
        sumOfSquaredErrors({{1, 0}}, p);
        FAIL() << "no error";
    } catch (const ArithmeticError& e) {
        EXPECT_STREQ(e.what(), "Floating point overflow");
    }
}

TEST(AqSweep, LightPointsForTheWorkedCurve)
{
    AqPoints drawn;
    const auto points = sweepLightResponse(2000, {20, 0.05L, 3, -1}, drawn);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->compensation, 20.0L);
    EXPECT_EQ(points->saturation, 1044.0L);
    // The slope over one step of 4 crosses 0.001 between 1040 and 1044.
    EXPECT_GT((model(1044, 20, 0.05L, 3, -1) - model(1040, 20, 0.05L, 3, -1)) / 4, 0.001L);
    EXPECT_LT((model(1048, 20, 0.05L, 3, -1) - model(1044, 20, 0.05L, 3, -1)) / 4, 0.001L);

    ASSERT_EQ(drawn.size(), 500u);
    EXPECT_EQ(drawn.front(), std::make_pair(0.0, -1.0));
    EXPECT_EQ(drawn.back().first, 1996.0);
    EXPECT_EQ(drawn[1].first, 4.0);
    EXPECT_EQ(drawn[250].second, static_cast<double>(model(1000, 20, 0.05L, 3, -1)));
}

TEST(AqSweep, SentinelsWhenTheCurveNeverFlattensOrNeverComesNearZero)
{
    AqPoints drawn;
    // Nearly a straight line of slope 0.05: never saturated within ten times Qmax.
    auto points = sweepLightResponse(100, {1e9L, 0.05L, 3, 0.5L}, drawn);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->saturation, 99999.0L);
    EXPECT_EQ(points->compensation, 0.0L);  // smallest |A| at x = 0

    // |A| never below 99999999: the compensation point keeps its initial 0, although
    // x = 0 is not where |A| is smallest (A falls with x here).
    drawn.clear();
    points = sweepLightResponse(100, {20, -0.05L, 2, 2e8L}, drawn);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->compensation, 0.0L);
    EXPECT_EQ(points->saturation, 99999.0L);
}

TEST(AqSweep, NoPositiveLightGivesNothing)
{
    AqPoints drawn{{1, 2}};
    EXPECT_FALSE(sweepLightResponse(0, {20, 0.05L, 3, -1}, drawn));
    EXPECT_FALSE(sweepLightResponse(-5, {20, 0.05L, 3, -1}, drawn));
    EXPECT_EQ(drawn.size(), 1u);
}

TEST(AqSweep, ConvexityZeroMakesAFlatZeroCurve)
{
    AqPoints drawn;
    const auto points = sweepLightResponse(2000, {20, 0.05L, 0, -1}, drawn);
    ASSERT_TRUE(points);
    EXPECT_EQ(points->compensation, 0.0L);
    EXPECT_EQ(points->saturation, 0.0L);
    for (const auto& [x, y] : drawn)
        EXPECT_EQ(y, 0.0);
}
