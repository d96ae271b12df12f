// The A/Ci window's state: defaults, fixed flags, reading the grid, Reset, Clear,
// Exit, the identifier in the chart title, and what Plot Data and Compute Curves
// put into the chart.

#include "test_aci_support.h"

#include "aci/AciModel.h"

namespace calvane::test {
namespace {

using Window = AciWindowTest;

TEST_F(Window, StartsWithItsDefaults)
{
    const Grid& grid = win.aciSpreadSheetData;
    EXPECT_EQ(grid.colCount(), 3);
    EXPECT_EQ(grid.rowCount(), 33);
    EXPECT_EQ(grid.cell(1, 0), "Ci(CO2)umol mol-1");
    EXPECT_EQ(grid.cell(2, 0), "A Assimiliation");
    EXPECT_EQ(grid.colWidth(2), 103);

    // ParameterReset ran at creation; GammaStar has no text until a computation.
    for (const TextField* f : {&win.aciEdit_TPU, &win.aciEdit_Jmax, &win.aciEdit_Vcmax, &win.aciEdit_Respiration,
                               &win.aciEdit_Kc, &win.aciEdit_Ko, &win.aciEdit_Tau, &win.aciEdit_Light})
        EXPECT_EQ(f->text(), "0.0");
    EXPECT_EQ(win.aciEdit_Temp.text(), "25");
    EXPECT_EQ(win.aciEdit_GammaStar.text(), "");
    EXPECT_TRUE(win.aciEdit_GammaStar.readOnly);
    EXPECT_EQ(win.aciEdit_Light.background(), colours::aqua);
    EXPECT_EQ(win.aciEdit_Kc.background(), colours::windowBackground);
    EXPECT_EQ(win.aciChart_LightResponseCurve.text(), "ACi Curve");
    EXPECT_FALSE(win.visible);
}

TEST_F(Window, EachFlagColoursOnlyItsOwnField)
{
    const std::vector<std::pair<CheckBox*, TextField*>> pairs{
        {&win.aciCheckBox_Kc, &win.aciEdit_Kc},       {&win.aciCheckBox_Ko, &win.aciEdit_Ko},
        {&win.aciCheckBox_Tau, &win.aciEdit_Tau},     {&win.aciCheckBox_Respiration, &win.aciEdit_Respiration},
        {&win.aciCheckBox_Vcmax, &win.aciEdit_Vcmax}, {&win.aciCheckBox_Jmax, &win.aciEdit_Jmax},
        {&win.aciCheckBox_TPU, &win.aciEdit_TPU}};
    for (const auto& [flag, field] : pairs) {
        flag->setChecked(true);
        EXPECT_EQ(field->background(), colours::red) << flag->caption;
        for (const auto& [otherFlag, other] : pairs) {
            if (other != field) {
                EXPECT_EQ(other->background(), colours::windowBackground) << flag->caption;
            }
        }
        flag->setChecked(false);
        EXPECT_EQ(field->background(), colours::windowBackground) << flag->caption;
    }
    std::string word = "x";
    win.checkIndicator(win.aciCheckBox_Jmax, word);
    EXPECT_EQ(word, "Computed");
    win.aciCheckBox_Jmax.setChecked(true);
    win.checkIndicator(win.aciCheckBox_Jmax, word);
    EXPECT_EQ(word, "Fixed");
}

TEST_F(Window, NumEditValueReconcilesTypedAndComputed)
{
    EXPECT_EQ(win.numEditValue(win.aciEdit_Jmax, win.aciCheckBox_Jmax, 12.25), 12.25);
    EXPECT_EQ(win.aciEdit_Jmax.text(), "12.25");
    win.aciCheckBox_Jmax.setChecked(true);
    win.aciEdit_Jmax.setText(" 0.50 ");
    EXPECT_EQ(win.numEditValue(win.aciEdit_Jmax, win.aciCheckBox_Jmax, 12.25), 0.5);
    EXPECT_EQ(win.aciEdit_Jmax.text(), "0.5");
    win.aciEdit_Jmax.setText("1,5");
    EXPECT_EQ(win.numEditValue(win.aciEdit_Jmax, win.aciCheckBox_Jmax, 0.00001), 0.00001);
    EXPECT_EQ(win.aciEdit_Jmax.text(), "1E-5");

    // The platform's separator is used both ways.
    platform.separator = ',';
    win.aciEdit_Jmax.setText("1,5");
    EXPECT_EQ(win.numEditValue(win.aciEdit_Jmax, win.aciCheckBox_Jmax, 0), 1.5);
    EXPECT_EQ(win.aciEdit_Jmax.text(), "1,5");
}

TEST_F(Window, LoadAciSeriesReadsBottomUp)
{
    setPoints({{"300", "15"}, {"200", "10"}, {"100", "5"}});
    win.Load_ACi_Series();
    EXPECT_EQ(win.Series_LightAssim.points(), (std::vector<std::pair<double, double>>{{300, 15}, {200, 10}, {100, 5}}));
}

TEST_F(Window, LoadAciSeriesSkipsAndZeroes)
{
    Grid& g = win.aciSpreadSheetData;
    g.setCell(1, 2, "400");  // A empty: skipped
    g.setCell(1, 5, "abc");
    g.setCell(2, 5, "5");  // Ci unreadable: 0
    g.setCell(1, 7, "0");
    g.setCell(2, 7, "0");  // nothing: skipped
    g.setCell(1, 9, "-5");
    g.setCell(2, 9, "2");
    g.setCell(1, 11, "-5");
    g.setCell(2, 11, "0");  // skipped
    g.setCell(1, 20, "80");
    g.setCell(2, 20, "x");  // A unreadable: 0, kept as Ci > 0
    g.setCell(1, 32, " 1e2 ");
    g.setCell(2, 32, "+.5");
    g.setCell(2, 0, "99");  // the header row is never read
    win.Load_ACi_Series();
    EXPECT_EQ(win.Series_LightAssim.points(),
              (std::vector<std::pair<double, double>>{{100, 0.5}, {80, 0}, {-5, 2}, {0, 5}}));

    win.aciMnuFileClearClick();
    win.Load_ACi_Series();
    EXPECT_TRUE(win.Series_LightAssim.empty());
}

TEST_F(Window, LoadAciSeriesFollowsTheRowCount)
{
    Grid& g = win.aciSpreadSheetData;
    g.setRowCount(40);
    g.setCell(1, 39, "10");
    g.setCell(2, 39, "1");
    g.setCell(1, 1, "20");
    g.setCell(2, 1, "2");
    win.Load_ACi_Series();
    EXPECT_EQ(win.Series_LightAssim.points(), (std::vector<std::pair<double, double>>{{10, 1}, {20, 2}}));
}

TEST_F(Window, ResetClearAndExit)
{
    setPoints(risingPoints);
    win.aciSpreadSheetData.setColCount(4);
    win.aciSpreadSheetData.setCell(3, 1, "kept");
    win.aciEdit_Identifier.setText("leaf 3");
    win.aciEdit_Status.setText("file.csv");
    win.aciCheckBox_TPU.setChecked(true);
    win.aciMnuResultsComputeCurveClick();
    const std::string gammaStar = win.aciEdit_GammaStar.text();
    const auto working = win.AciParameters;
    ASSERT_FALSE(gammaStar.empty());

    win.aciMnuFileExitClick();
    EXPECT_FALSE(win.visible);
    EXPECT_EQ(win.aciSpreadSheetData.cell(1, 1), "800");
    EXPECT_EQ(win.Series_Wp.count(), 2);

    win.visible = true;
    win.aciMnuFileClearClick();
    for (int row = 1; row < 33; ++row) {
        EXPECT_EQ(win.aciSpreadSheetData.cell(1, row), "");
        EXPECT_EQ(win.aciSpreadSheetData.cell(2, row), "");
    }
    EXPECT_EQ(win.aciSpreadSheetData.cell(3, 1), "kept");
    EXPECT_EQ(win.aciSpreadSheetData.rowCount(), 33);
    EXPECT_EQ(win.aciSpreadSheetData.cell(1, 0), "Ci(CO2)umol mol-1");
    EXPECT_EQ(win.aciEdit_Vcmax.text(), "0.0");
    EXPECT_EQ(win.aciEdit_Temp.text(), "25");
    EXPECT_EQ(win.aciEdit_GammaStar.text(), gammaStar);
    EXPECT_EQ(win.aciEdit_Identifier.text(), "leaf 3");
    EXPECT_EQ(win.aciEdit_Status.text(), "file.csv");
    EXPECT_TRUE(win.aciCheckBox_TPU.checked());
    EXPECT_EQ(win.aciEdit_TPU.background(), colours::red);
    EXPECT_EQ(win.AciParameters.Vcmax, working.Vcmax);
    for (const PointSeries* s : {&win.Series_LightAssim, &win.Series_Wc, &win.Series_Wj, &win.Series_Wp})
        EXPECT_TRUE(s->empty()) << s->title;
}

TEST_F(Window, IdentifierTitlesTheChart)
{
    std::vector<std::string> titles;
    win.aciChart_LightResponseCurve.changed.connect([&] { titles.push_back(win.aciChart_LightResponseCurve.text()); });
    win.aciEdit_Identifier.setText("l");
    win.aciEdit_Identifier.setText("leaf 3");
    win.aciEdit_Identifier.setText("");
    EXPECT_EQ(titles, (std::vector<std::string>{"ACi Curve for: l", "ACi Curve for: leaf 3", "ACi Curve for: "}));
    EXPECT_EQ(win.aciChart_LightResponseCurve.lines().size(), 1u);
}

// --- Chart ----------------------------------------------------------------------------

TEST_F(Window, ComputeCurvesSamplesBothCurvesStrictlyInsideTheBounds)
{
    setPoints({{"1000", "30"}, {"500", "28"}, {"250", "15"}, {"100", "4"}, {"60", "0.5"}});
    win.aciMnuResultsComputeCurveClick();

    // Measured A from 0.5 to 30: a sample is drawn only when -1.5 < W < 45.
    for (auto [series, rate] : {std::pair{&win.Series_Wc, &aciRubiscoRate}, {&win.Series_Wj, &aciRubpRate}}) {
        std::vector<std::pair<double, double>> expected;
        int dropped = 0;
        for (int i = 1; i <= 200; ++i) {
            const double w = rate(i * 5.0, win.AciParameters);
            if (w > -1.5 && w < 45)
                expected.emplace_back(i * 5.0, w);
            else
                ++dropped;
        }
        EXPECT_EQ(series->points(), expected) << series->title;
        EXPECT_GT(dropped, 0) << series->title;  // the bounds were exercised
        EXPECT_FALSE(expected.empty()) << series->title;
    }
    EXPECT_EQ(win.Series_Wp.points(), (std::vector<std::pair<double, double>>{{0, 30}, {1000, 30}}));
}

TEST_F(Window, CurveBoundsAreStrict)
{
    setPoints({{"1000", "22"}, {"60", "2"}});
    win.Load_ACi_Series();
    win.AciParameters = {400, 277, 3, 0, 0, 0, 0};  // Vcmax = Jmax = 0: W = -Rd everywhere

    win.Load_Rubisco_Series();
    EXPECT_EQ(win.Series_Wc.count(), 0);  // W = 0 = smallest A - 2
    win.AciParameters.Rd = -0.5;
    win.Load_Rubisco_Series();
    win.Load_RuBP_Series();
    ASSERT_EQ(win.Series_Wc.count(), 200);
    EXPECT_EQ(win.Series_Wj.count(), 200);
    EXPECT_EQ(win.Series_Wc.x(0), 5.0);
    EXPECT_EQ(win.Series_Wc.x(199), 1000.0);
    EXPECT_EQ(win.Series_Wc.y(0), 0.5);
    win.AciParameters.Rd = -33;
    win.Load_RuBP_Series();
    EXPECT_EQ(win.Series_Wj.count(), 0);  // W = 33 = 1.5 x largest A
}

TEST_F(Window, LoadsReadTheGridWhenNoPointsAreHeld)
{
    setPoints({{"400", "18"}, {"50", "-1"}});
    win.aciEdit_TPU.setText("99");
    win.Load_TPU_Series();
    EXPECT_EQ(win.Series_LightAssim.count(), 2);
    EXPECT_EQ(win.Series_Wp.points(), (std::vector<std::pair<double, double>>{{0, 18}, {400, 18}}));

    // With no measured Ci above 0 the model has no value anywhere: nothing is drawn.
    win.aciMnuFileClearClick();
    setPoints({{"0", "3"}, {"-20", "1"}});
    win.AciParameters = {400, 277, 3, 50, 100, 5, 1};
    EXPECT_NO_THROW(win.Load_Rubisco_Series());
    EXPECT_EQ(win.Series_LightAssim.count(), 2);
    EXPECT_TRUE(win.Series_Wc.empty());
}

TEST_F(Window, PlotDataKeepsOnlyTheMeasuredPoints)
{
    setPoints(risingPoints);
    win.aciMnuResultsComputeCurveClick();
    ASSERT_FALSE(win.Series_Wc.empty());
    const std::string vcmax = win.aciEdit_Vcmax.text();
    win.aciSpreadSheetData.setCell(1, 6, "1600");
    win.aciSpreadSheetData.setCell(2, 6, "25");
    win.aciMnuResultsPlotDataClick();
    EXPECT_TRUE(win.Series_Wc.empty());
    EXPECT_TRUE(win.Series_Wj.empty());
    EXPECT_TRUE(win.Series_Wp.empty());
    EXPECT_EQ(win.Series_LightAssim.count(), 6);
    EXPECT_EQ(win.Series_LightAssim.x(0), 1600.0);
    EXPECT_EQ(win.aciEdit_Vcmax.text(), vcmax);
}

}  // namespace
}  // namespace calvane::test
