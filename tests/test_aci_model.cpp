// The A/Ci model, the point selection and the two line fits, driven through the
// window's computation as Compute Curves runs it.

#include "test_aci_support.h"

#include "aci/AciModel.h"
#include "core/Errors.h"

namespace calvane::test {
namespace {

using Model = AciWindowTest;

TEST_F(Model, ConstantsAt25And0Degrees)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    EXPECT_TRUE(near(value(win.aciEdit_Kc), 406.6926, 5e-5));
    EXPECT_TRUE(near(value(win.aciEdit_Ko), 277.0957, 5e-5));
    EXPECT_TRUE(near(value(win.aciEdit_Tau), 3.252216, 5e-7));
    EXPECT_TRUE(near(value(win.aciEdit_GammaStar), 32.2088, 5e-5));
    // The fields carry the working values in the default number format.
    EXPECT_EQ(win.aciEdit_Kc.text(), formatNumber(win.AciParameters.Kc, '.'));
    EXPECT_EQ(win.aciEdit_GammaStar.text(), formatNumber(win.GammaStar(), '.'));

    win.aciEdit_Temp.setText("0");
    win.aciMnuResultsComputeCurveClick();
    EXPECT_TRUE(near(value(win.aciEdit_Kc), 21.65909, 5e-6));
    EXPECT_TRUE(near(value(win.aciEdit_Ko), 72.32559, 5e-6));
    EXPECT_TRUE(near(value(win.aciEdit_Tau), 15.93925, 5e-6));
    EXPECT_TRUE(near(value(win.aciEdit_GammaStar), 6.571829, 5e-7));
    EXPECT_TRUE(platform.errors.empty());
}

TEST(AciSelection, StepsOfTheWorkedExample)
{
    PointSeries points{"", PointSeries::Kind::Points, 0};
    for (auto [ci, a] : {std::pair{50.0, 2.0}, {100.0, 6.0}, {200.0, 12.0}, {400.0, 18.0}, {800.0, 22.0}})
        points.add(ci, a);
    const double s0 = aciReferenceStep(points);
    EXPECT_TRUE(near(s0, -88.03, 1e-12));
    EXPECT_TRUE(near(aciStepOf(points, 1) / s0, 0.50006, 5e-6));
    EXPECT_TRUE(near(aciStepOf(points, 2) / s0, 1.0, 1e-15));
    EXPECT_TRUE(near(aciStepOf(points, 3) / s0, 2.0678, 5e-5));
    EXPECT_TRUE(near(aciStepOf(points, 4) / s0, 4.2943, 1e-4));  // 378.0225 / 88.03

    // Fewer than three points, or Ci(2) = 0, give the neutral reference 1.
    PointSeries two{"", PointSeries::Kind::Points, 0};
    two.add(50, 2);
    two.add(100, 6);
    EXPECT_EQ(aciReferenceStep(two), 1.0);
    two.add(0, 9);
    EXPECT_EQ(aciReferenceStep(two), 1.0);
    EXPECT_THROW(aciStepOf(two, 2), ArithmeticError);
}

TEST_F(Model, RisingCiLeavesTheLastPointOut)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    EXPECT_TRUE(near(value(win.aciEdit_Vcmax), 51.86, 0.005));
    EXPECT_TRUE(near(value(win.aciEdit_Respiration), -1.460, 0.0005));
    EXPECT_TRUE(near(value(win.aciEdit_Jmax), 113.1, 0.05));
    EXPECT_TRUE(near(value(win.aciEdit_TPU), 6.847, 0.0005));

    // Exactly points 0 to 3 went into both fits.
    const std::vector<std::pair<double, double>> taken{{50, 2}, {100, 6}, {200, 12}, {400, 18}};
    const auto rubisco = referenceLine(taken, [&](double ci) { return win.fPrime(ci); });
    const auto rubp = referenceLine(taken, [&](double ci) { return win.gPrime(ci); });
    EXPECT_TRUE(near(win.AciParameters.Vcmax, rubisco.first, 1e-9));
    EXPECT_TRUE(near(win.AciParameters.Rd, -rubisco.second, 1e-9));
    EXPECT_TRUE(near(win.AciParameters.Jmax, rubp.first, 1e-9));
    EXPECT_TRUE(near(win.AciParameters.TPU, (22 + win.AciParameters.Rd) / 3, 1e-12));
}

TEST_F(Model, FallingCiTakesEveryPoint)
{
    setPoints(fallingPoints);
    win.aciMnuResultsComputeCurveClick();
    EXPECT_TRUE(near(value(win.aciEdit_Vcmax), 41.27, 0.005));
    EXPECT_TRUE(near(value(win.aciEdit_Respiration), -2.695, 0.0005));
    EXPECT_TRUE(near(value(win.aciEdit_Jmax), 123.2, 0.05));

    const std::vector<std::pair<double, double>> all{{800, 22}, {400, 18}, {200, 12}, {100, 6}, {50, 2}};
    const auto rubisco = referenceLine(all, [&](double ci) { return win.fPrime(ci); });
    EXPECT_TRUE(near(win.AciParameters.Vcmax, rubisco.first, 1e-9));
    EXPECT_TRUE(near(win.AciParameters.Rd, -rubisco.second, 1e-9));
}

TEST_F(Model, TwoPointsAndZeroCi)
{
    // Two points: s0 = 1 and point 1 is taken when its step is below 3.
    setPoints({{"100", "5"}, {"50", "10"}});  // step 10 - 5/50 - 100 = -90.1
    win.aciMnuResultsComputeCurveClick();
    const auto line = referenceLine({{100, 5}, {50, 10}}, [&](double ci) { return win.fPrime(ci); });
    EXPECT_TRUE(near(win.AciParameters.Vcmax, line.first, 1e-9));

    // A step of 60 - 2/100 - 50 = 9.98 leaves point 1 out: one point, no line.
    win.aciMnuFileClearClick();
    setPoints({{"50", "2"}, {"100", "60"}});
    EXPECT_TRUE(throwsWith<ArithmeticError>(
        [&] { win.aciMnuResultsComputeCurveClick(); },
        "Cannot fit Vcmax and respiration: only one point could be used, at least two are needed "
        "(Floating point division by zero)"));

    // A point with Ci = 0 after point 0 is left out.
    win.aciMnuFileClearClick();
    setPoints({{"50", "2"}, {"100", "6"}, {"200", "12"}, {"0", "5"}});
    win.aciMnuResultsComputeCurveClick();
    const auto three = referenceLine({{50, 2}, {100, 6}, {200, 12}}, [&](double ci) { return win.fPrime(ci); });
    EXPECT_TRUE(near(win.AciParameters.Vcmax, three.first, 1e-9));
    EXPECT_TRUE(near(win.AciParameters.Rd, -three.second, 1e-9));
}

TEST_F(Model, FixedTauOf5ReachesJmaxAndCurvesButNotTheVcmaxFit)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    const auto free = win.AciParameters;

    win.aciCheckBox_Tau.setChecked(true);
    win.aciEdit_Tau.setText("5.0");
    win.aciMnuResultsComputeCurveClick();
    EXPECT_EQ(win.aciEdit_Tau.text(), "5");
    EXPECT_EQ(win.aciEdit_GammaStar.text(), "20.95");
    EXPECT_EQ(win.AciParameters.Vcmax, free.Vcmax);
    EXPECT_EQ(win.AciParameters.Rd, free.Rd);

    const std::vector<std::pair<double, double>> taken{{50, 2}, {100, 6}, {200, 12}, {400, 18}};
    const auto rubp = referenceLine(taken, [&](double ci) { return aciGPrime(ci, win.AciParameters); });
    EXPECT_TRUE(near(win.AciParameters.Jmax, rubp.first, 1e-9));
    EXPECT_NE(win.AciParameters.Jmax, free.Jmax);

    // Both curves are drawn with GammaStar 20.95.
    ASSERT_GT(win.Series_Wj.count(), 0);
    auto withTau5 = win.AciParameters;
    withTau5.Tau = 5;
    const double ci = win.Series_Wj.x(0);
    EXPECT_EQ(win.Series_Wj.y(0), aciRubpRate(ci, withTau5));
    ASSERT_GT(win.Series_Wc.count(), 0);
    EXPECT_EQ(win.Series_Wc.y(0), aciRubiscoRate(win.Series_Wc.x(0), withTau5));
}

TEST_F(Model, FixedKcOf300ChangesTauAndGammaStar)
{
    setPoints(risingPoints);
    win.aciCheckBox_Kc.setChecked(true);
    win.aciEdit_Kc.setText("300");
    win.aciMnuResultsComputeCurveClick();
    EXPECT_EQ(win.aciEdit_Kc.text(), "300");
    const double tau = (1 / 0.2095) * aciKo(25) / 300;
    EXPECT_TRUE(near(value(win.aciEdit_Tau), tau, 1e-12));
    EXPECT_TRUE(near(value(win.aciEdit_Tau), 4.77327 * 277.0957 / 300, 1e-4));
    EXPECT_TRUE(near(value(win.aciEdit_GammaStar), 104.75 / tau, 1e-12));
}

TEST_F(Model, FixedFlagsReplaceOnlyTheirOwnResult)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    const auto free = win.AciParameters;

    // A fixed respiration reaches the working value but not the TPU estimate.
    win.aciCheckBox_Respiration.setChecked(true);
    win.aciEdit_Respiration.setText("0.50");
    // A fixed field whose text does not read falls back to the computed value.
    win.aciCheckBox_Vcmax.setChecked(true);
    win.aciEdit_Vcmax.setText("abc");
    // The light field takes no part in any result.
    win.aciEdit_Light.setText("1500");
    win.aciMnuResultsComputeCurveClick();

    EXPECT_EQ(win.aciEdit_Respiration.text(), "0.5");
    EXPECT_EQ(win.AciParameters.Rd, 0.5);
    EXPECT_EQ(win.aciEdit_TPU.text(), formatNumber((22 + free.Rd) / 3, '.'));
    EXPECT_EQ(win.aciEdit_Vcmax.text(), formatNumber(free.Vcmax, '.'));
    EXPECT_TRUE(win.aciCheckBox_Vcmax.checked());
    EXPECT_EQ(win.aciEdit_Vcmax.background(), colours::red);
    EXPECT_EQ(win.AciParameters.Jmax, free.Jmax);

    // After Reset a fixed field reads "0.0" and the next computation uses 0.
    win.ParameterReset();
    EXPECT_EQ(win.aciEdit_Vcmax.text(), "0.0");
    EXPECT_EQ(win.aciEdit_Vcmax.background(), colours::red);
    win.aciMnuResultsComputeCurveClick();
    EXPECT_EQ(win.aciEdit_Vcmax.text(), "0");
    EXPECT_EQ(win.AciParameters.Vcmax, 0.0);
}

TEST_F(Model, InvalidTemperatureComputesAt0AndKeepsTheCurves)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    const auto wc = win.Series_Wc.points();
    const auto wj = win.Series_Wj.points();
    const auto wp = win.Series_Wp.points();

    win.aciEdit_Temp.setText("abc");
    win.aciSpreadSheetData.setCell(2, 5, "3");  // the measured points are still rebuilt
    win.aciMnuResultsComputeCurveClick();
    EXPECT_EQ(platform.errors, std::vector<std::string>{"Invalid Temperature value"});
    EXPECT_EQ(win.aciEdit_Temp.text(), "abc");
    EXPECT_EQ(win.aciEdit_Kc.text(), formatNumber(aciKc(0), '.'));
    EXPECT_TRUE(near(value(win.aciEdit_GammaStar), 6.571829, 5e-7));
    EXPECT_EQ(win.Series_LightAssim.y(0), 3.0);
    EXPECT_EQ(win.Series_Wc.points(), wc);
    EXPECT_EQ(win.Series_Wj.points(), wj);
    EXPECT_EQ(win.Series_Wp.points(), wp);
    EXPECT_FALSE(win.ComputeValues());
}

// --- Failures that end the command --------------------------------------------------

TEST_F(Model, NoPointEndsAfterKcAndKo)
{
    win.aciEdit_Tau.setText("7");
    EXPECT_TRUE(throwsWith<IndexError>([&] { win.aciMnuResultsComputeCurveClick(); },
                                       "Cannot fit Vcmax and respiration: no measured points"));
    EXPECT_EQ(win.aciEdit_Kc.text(), formatNumber(aciKc(25), '.'));
    EXPECT_EQ(win.aciEdit_Ko.text(), formatNumber(aciKo(25), '.'));
    EXPECT_EQ(win.aciEdit_Tau.text(), "7");
    EXPECT_EQ(win.aciEdit_GammaStar.text(), "");
    EXPECT_EQ(win.aciEdit_Vcmax.text(), "0.0");
}

TEST_F(Model, OnePointEndsWithZeroVariance)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    const auto wc = win.Series_Wc.points();
    const std::string vcmax = win.aciEdit_Vcmax.text();

    // Only the grid changes: the curves of the run before must survive the failure.
    for (int row = 1; row <= 5; ++row) {
        win.aciSpreadSheetData.setCell(1, row, "");
        win.aciSpreadSheetData.setCell(2, row, "");
    }
    win.aciEdit_Temp.setText("30");
    win.aciEdit_Tau.setText("0.0");
    setPoints({{"200", "12"}});
    EXPECT_TRUE(throwsWith<ArithmeticError>(
        [&] { win.aciMnuResultsComputeCurveClick(); },
        "Cannot fit Vcmax and respiration: only one point could be used, at least two are needed "
        "(Floating point division by zero)"));
    EXPECT_EQ(win.aciEdit_Kc.text(), formatNumber(aciKc(30), '.'));
    EXPECT_EQ(win.aciEdit_Tau.text(), "0.0");
    EXPECT_EQ(win.aciEdit_Vcmax.text(), vcmax);
    EXPECT_EQ(win.Series_Wc.points(), wc);
    EXPECT_EQ(win.Series_LightAssim.count(), 1);
}

TEST_F(Model, FixedKcOf0EndsAtTau)
{
    setPoints(risingPoints);
    win.aciCheckBox_Kc.setChecked(true);
    win.aciEdit_Kc.setText("0.0");
    const std::string ko = formatNumber(aciKo(25), '.');
    EXPECT_TRUE(
        throwsWith<ArithmeticError>([&] { win.aciMnuResultsComputeCurveClick(); },
                                    "Cannot compute Tau from Kc 0 and Ko " + ko + ": Floating point division by zero"));
    EXPECT_EQ(win.aciEdit_Kc.text(), "0");
    EXPECT_EQ(win.aciEdit_Ko.text(), ko);
    EXPECT_EQ(win.aciEdit_Tau.text(), "0.0");
    EXPECT_EQ(win.aciEdit_GammaStar.text(), "");
    EXPECT_TRUE(win.Series_Wc.empty());
}

TEST_F(Model, FixedKoOf0EndsInTheVcmaxFit)
{
    setPoints(risingPoints);
    win.aciCheckBox_Ko.setChecked(true);
    win.aciEdit_Ko.setText("0");
    EXPECT_TRUE(throwsWith<ArithmeticError>(
        [&] { win.aciMnuResultsComputeCurveClick(); },
        "Cannot fit Vcmax and respiration: the point at Ci = 50 cannot be transformed; check Kc, Ko and Tau "
        "(Floating point division by zero)"));
    EXPECT_EQ(win.aciEdit_Kc.text(), formatNumber(aciKc(25), '.'));
    EXPECT_EQ(win.aciEdit_Ko.text(), "0");
    EXPECT_EQ(win.aciEdit_Tau.text(), "0.0");
    EXPECT_EQ(win.aciEdit_Vcmax.text(), "0.0");
}

TEST_F(Model, FixedTauOf0EndsAtGammaStar)
{
    setPoints(risingPoints);
    win.aciCheckBox_Tau.setChecked(true);
    win.aciEdit_Tau.setText("0");
    EXPECT_TRUE(throwsWith<ArithmeticError>([&] { win.aciMnuResultsComputeCurveClick(); },
                                            "Cannot compute GammaStar from Tau 0: Floating point division by zero"));
    EXPECT_EQ(win.aciEdit_Kc.text(), formatNumber(aciKc(25), '.'));
    EXPECT_EQ(win.aciEdit_Tau.text(), "0");
    EXPECT_EQ(win.aciEdit_GammaStar.text(), "");
    EXPECT_EQ(win.aciEdit_Vcmax.text(), "0.0");
    // The Vcmax fit had already run with the Tau of Kc and Ko.
    EXPECT_TRUE(near(win.AciParameters.Vcmax, 51.86, 0.005));
}

TEST_F(Model, AbsoluteZeroLeafTemperatureEndsAtKc)
{
    setPoints(risingPoints);
    win.aciEdit_Temp.setText("-273.15");
    EXPECT_TRUE(throwsWith<ArithmeticError>(
        [&] { win.aciMnuResultsComputeCurveClick(); },
        "Cannot compute Kc for a leaf temperature of -273.15 oC: Floating point division by zero"));
    EXPECT_EQ(win.aciEdit_Kc.text(), "0.0");
    // Just below, exp overflows instead of dividing by zero.
    win.aciEdit_Temp.setText("-273.2");
    EXPECT_TRUE(
        throwsWith<ArithmeticError>([&] { win.aciMnuResultsComputeCurveClick(); },
                                    "Cannot compute Kc for a leaf temperature of -273.2 oC: Floating point overflow"));
    EXPECT_TRUE(platform.errors.empty());
}

}  // namespace
}  // namespace calvane::test
