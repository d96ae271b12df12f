#include "core/Errors.h"
#include "fit/LeastSquareFit.h"

#include <gtest/gtest.h>

using namespace calvane;

TEST(LinearRegression, ExactLines)
{
    TLinearRegression fit;
    fit.Add(1, 2);
    fit.Add(2, 4);
    EXPECT_EQ(fit.Add(3, 6), 3);
    EXPECT_DOUBLE_EQ(fit.Slope(), 2);
    EXPECT_NEAR(fit.Intercept(), 0, 1e-14);

    TLinearRegression second;
    EXPECT_EQ(second.Add(0, 1), 1);
    EXPECT_EQ(second.Add(1, 3), 2);
    EXPECT_DOUBLE_EQ(second.Slope(), 2);
    EXPECT_DOUBLE_EQ(second.Intercept(), 1);
}

TEST(LinearRegression, MeansVarianceAndCovariance)
{
    TLinearRegression fit;
    fit.Add(1, 5);
    fit.Add(2, 3);
    fit.Add(3, 4);
    EXPECT_DOUBLE_EQ(fit.MeanX, 2);
    EXPECT_DOUBLE_EQ(fit.MeanY, 4);
    EXPECT_NEAR(fit.VarianceX(), 2.0 / 3.0, 1e-15);
    EXPECT_NEAR(fit.CovarianceXY(), -1.0 / 3.0, 1e-15);
    EXPECT_NEAR(fit.Slope(), -0.5, 1e-14);
    EXPECT_NEAR(fit.Intercept(), 5, 1e-13);
    EXPECT_NEAR(fit.MeanYY, 50.0 / 3.0, 1e-14);
}

TEST(LinearRegression, RunningMeanFormsTheFactorFirst)
{
    EXPECT_EQ(UpdateMean(1, 123.0, 7.0), 7.0);
    EXPECT_EQ(UpdateMean(3, 0.1, 0.7), 0.1 * (2.0 / 3.0) + 0.7 / 3.0);
}

TEST(LinearRegression, ZeroVarianceFailsWithAnArithmeticError)
{
    TLinearRegression fit;
    EXPECT_THROW(fit.Slope(), ArithmeticError);
    fit.Add(4, 1);
    EXPECT_THROW(fit.Slope(), ArithmeticError);
    EXPECT_THROW(fit.Intercept(), ArithmeticError);
    fit.Add(4, 9);
    try {
        fit.Slope();
        FAIL() << "no error";
    } catch (const ArithmeticError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
}

TEST(LinearRegression, ResetStartsAfresh)
{
    TLinearRegression fit;
    fit.Add(10, 10);
    fit.Add(20, 0);
    fit.Reset();
    EXPECT_EQ(fit.Count, 0);
    EXPECT_EQ(fit.MeanXY, 0);
    EXPECT_EQ(fit.Add(0, 1), 1);
    fit.Add(1, 3);
    EXPECT_DOUBLE_EQ(fit.Slope(), 2);
}
