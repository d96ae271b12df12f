// Results > Standard Fit in the A/Ci window: the "Standard fit" group, its curve, the
// export section, points left out of it, and that the window's own analysis is left alone.

#include "core/Errors.h"
#include "test_aci_support.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>

using namespace calvane;
using namespace calvane::test;

namespace {

// plantecophys_33_gHR9.csv, whose reference fit at 29.05 degrees C and a light of
// 1800 is Vcmax 116.806, Jmax 131.419, Rd -0.371617, RMSE 1.47195.
Rows referenceCurveRows()
{
    std::ifstream in(dataFile("aci/plantecophys_33_gHR9.csv"));
    Rows rows;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto comma = line.find(',');
        if (comma != std::string::npos && line.rfind("Ci,", 0) != 0)
            rows.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    }
    return rows;
}

class StandardFit : public AciWindowTest {
protected:
    void loadReferenceCurve()
    {
        setPoints(referenceCurveRows());
        win.aciEdit_Temp.setText("29.05");
        win.aciEdit_Light.setText("1800");
    }

    // Every text of the window's own analysis, and its curves.
    std::vector<std::string> ownAnalysis() const
    {
        std::vector<std::string> state;
        for (const TextField* f : {&win.aciEdit_Kc, &win.aciEdit_Ko, &win.aciEdit_Tau, &win.aciEdit_Temp,
                                   &win.aciEdit_Light, &win.aciEdit_Respiration, &win.aciEdit_Vcmax, &win.aciEdit_Jmax,
                                   &win.aciEdit_TPU, &win.aciEdit_GammaStar})
            state.push_back(f->text());
        for (const PointSeries* s : {&win.Series_Wc, &win.Series_Wj, &win.Series_Wp})
            state.push_back(std::to_string(s->count()) + "/" + std::to_string(s->maxY()));
        return state;
    }
};

}  // namespace

TEST_F(StandardFit, FillsItsGroupAndCurveAndLeavesTheOwnAnalysisAlone)
{
    EXPECT_EQ(win.aciMnuResultsStandardFit.caption, "Standard Fit");
    EXPECT_FALSE(win.aciMnuFileExportStandardFit.checked());
    EXPECT_TRUE(win.aciCheckBox_StdShowCurve.checked());
    EXPECT_EQ(win.aciEdit_StdPatm.text(), "100");

    loadReferenceCurve();
    win.aciMnuResultsComputeCurveClick();
    const auto before = ownAnalysis();
    win.aciMnuResultsStandardFitClick();

    EXPECT_EQ(ownAnalysis(), before);
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_TRUE(near(value(win.aciEdit_StdVcmax), 116.806, 0.01 * 116.806));
    EXPECT_TRUE(near(value(win.aciEdit_StdJmax), 131.419, 0.01 * 131.419));
    EXPECT_TRUE(near(value(win.aciEdit_StdRd), -0.371617, 0.05));
    EXPECT_TRUE(near(value(win.aciEdit_StdRMSE), 1.47195, 0.001));
    EXPECT_TRUE(near(value(win.aciEdit_StdVcmax25), 74.7261, 0.01 * 74.7261));
    EXPECT_TRUE(near(value(win.aciEdit_StdTransitionCi), 220.985, 2.2));
    EXPECT_GT(value(win.aciEdit_StdVcmaxSE), 0);
    EXPECT_EQ(win.aciLabel_StdJmax.caption(), "Jmax");
    EXPECT_FALSE(win.aciEdit_StdTPU.visible());
    EXPECT_EQ(win.aciEdit_StdMessage.text().rfind("Fitted to 10 points", 0), 0u) << win.aciEdit_StdMessage.text();

    // The curve spans the measured Ci range and goes through the fitted model.
    const auto& curve = win.Series_StandardFit;
    ASSERT_EQ(curve.count(), 201);
    EXPECT_DOUBLE_EQ(curve.x(0), win.Series_LightAssim.minX());
    EXPECT_DOUBLE_EQ(curve.x(200), win.Series_LightAssim.maxX());
    EXPECT_DOUBLE_EQ(curve.y(200), aciStandardAssimilation(*win.standardFit(), curve.x(200)));
}

TEST_F(StandardFit, WithoutAPositiveLightItReportsJAndSaysSo)
{
    loadReferenceCurve();
    win.aciEdit_Light.setText("0.0");
    win.aciMnuResultsStandardFitClick();
    EXPECT_EQ(win.aciLabel_StdJmax.caption(), "J");
    EXPECT_EQ(win.aciEdit_StdJmax25.text(), "");
    EXPECT_NE(win.aciEdit_StdMessage.text().find("J is reported instead of Jmax"), std::string::npos);
    // The light only turns J into Jmax: Vcmax and Rd are the same fit.
    EXPECT_TRUE(near(value(win.aciEdit_StdVcmax), 116.806, 0.01 * 116.806));
}

TEST_F(StandardFit, ACurveThatCannotBeFittedSaysWhyInTheGroupAndAsAnError)
{
    loadReferenceCurve();
    win.aciMnuResultsStandardFitClick();
    ASSERT_FALSE(win.Series_StandardFit.empty());

    setPoints({{"100", "5"}, {"200", "9"}});
    for (int row = 3; row < win.aciSpreadSheetData.rowCount(); ++row)
        win.aciSpreadSheetData.setCell(2, row, "");
    const auto before = ownAnalysis();
    // The refusal ends the command as an error, after the group has said it.
    auto refusal = [this] {
        try {
            win.aciMnuResultsStandardFitClick();
        } catch (const calvane::FitError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(refusal(), "Standard fit: Cannot fit: 2 points for 3 parameters; at least 4 are needed");
    EXPECT_EQ(win.aciEdit_StdMessage.text(), "Cannot fit: 2 points for 3 parameters; at least 4 are needed");
    EXPECT_EQ(win.aciEdit_StdVcmax.text(), "");
    EXPECT_EQ(win.aciEdit_StdRMSE.text(), "");
    EXPECT_TRUE(win.Series_StandardFit.empty());
    EXPECT_EQ(ownAnalysis(), before);

    win.aciEdit_Temp.setText("warm");
    EXPECT_EQ(refusal(), "Standard fit: Cannot fit: the leaf temperature \"warm\" is not a number");
    EXPECT_EQ(win.aciEdit_StdMessage.text(), "Cannot fit: the leaf temperature \"warm\" is not a number");
}

TEST_F(StandardFit, ExportAddsTheSectionOnlyWhenAskedFor)
{
    loadReferenceCurve();
    const auto seedLayout = win.exportLines();
    win.aciCheckBox_StdTPU.setChecked(true);
    // The fit alone (the batch's way) leaves the box as it is; the menu command ticks it.
    win.runStandardFit();
    ASSERT_TRUE(win.standardFit()->fitted) << win.aciEdit_StdMessage.text();
    EXPECT_EQ(win.exportLines(), seedLayout);

    win.aciMnuFileExportStandardFit.setChecked(true);
    const auto lines = win.exportLines();
    ASSERT_EQ(lines.size(), seedLayout.size() + 12);
    EXPECT_TRUE(std::equal(seedLayout.begin(), seedLayout.end(), lines.begin()));
    const auto& fit = *win.standardFit();
    auto t = [](double v) { return formatNumber(v, '.'); };
    auto ci = [&](const ProfileInterval& interval) {
        return ", " + t(interval.lower.value()) + ", " + (interval.upper ? t(*interval.upper) : "");
    };
    const std::vector<std::string> section{
        "",
        "Standard fit (Farquhar-von Caemmerer-Berry)",
        "Vcmax, " + t(fit.vcmax) + ", " + t(fit.vcmaxSE) + ci(fit.vcmaxInterval),
        "Jmax, " + t(fit.jmax) + ", " + t(fit.jmaxSE) + ci(fit.jmaxInterval),
        "Rd, " + t(fit.rd) + ", " + t(fit.rdSE) + ci(fit.rdInterval),
        "TPU, " + t(fit.tpu) + ", " + t(fit.tpuSE) + ci(fit.tpuInterval),
        "Vcmax25, " + t(fit.vcmax25),
        "Jmax25, " + t(*fit.jmax25),
        "SSE, " + t(fit.sse),
        "RMSE, " + t(fit.rmse),
        "Transition Ci, " + t(*fit.transitionCi),
        "Patm, 100",
    };
    EXPECT_EQ(std::vector<std::string>(lines.end() - 12, lines.end()), section);
}

TEST_F(StandardFit, ClearEmptiesTheResultsAndKeepsTheSettings)
{
    loadReferenceCurve();
    win.aciEdit_StdPatm.setText("95");
    win.aciCheckBox_StdTPU.setChecked(true);
    win.aciMnuResultsStandardFitClick();
    win.aciMnuFileClearClick();
    EXPECT_FALSE(win.standardFit().has_value());
    EXPECT_TRUE(win.Series_StandardFit.empty());
    EXPECT_EQ(win.aciEdit_StdVcmax.text(), "");
    EXPECT_EQ(win.aciEdit_StdMessage.text(), "");
    EXPECT_EQ(win.aciEdit_StdPatm.text(), "95");
    EXPECT_TRUE(win.aciCheckBox_StdTPU.checked());
}

TEST_F(StandardFit, AStoppedFitLeavesEverythingAsItWas)
{
    loadReferenceCurve();
    win.aciMnuResultsComputeCurveClick();
    const auto before = ownAnalysis();
    platform.stopWhen = [] { return true; };
    EXPECT_THROW(win.aciMnuResultsStandardFitClick(), Cancelled);
    EXPECT_EQ(ownAnalysis(), before);
    EXPECT_FALSE(win.standardFit());
    EXPECT_TRUE(win.aciEdit_StdVcmax.text().empty());
    EXPECT_EQ(win.Series_StandardFit.count(), 0);
}

// Excluding a point: the group no longer describes the next fit's points and empties,
// the window's own analysis stays, the hollow marker shows it, and the exclusion
// stays on its point when rows are inserted or deleted above it.
TEST_F(StandardFit, AnExclusionClearsTheGroupAndMovesWithItsRow)
{
    loadReferenceCurve();
    win.aciMnuResultsComputeCurveClick();
    win.aciMnuResultsStandardFitClick();
    const auto before = ownAnalysis();
    Grid& grid = win.aciSpreadSheetData;
    const std::string ci = grid.cell(1, 3), a = grid.cell(2, 3);
    // The grid is read bottom-up: row 3 of 10 is point 7.
    ASSERT_EQ(win.measuredPointRow(7), 3);

    win.toggleStandardFitExclusion(3);
    EXPECT_EQ(win.standardFitExcludedRows(), std::set<int>{3});
    EXPECT_FALSE(win.standardFit());
    EXPECT_EQ(win.aciEdit_StdVcmax.text(), "");
    EXPECT_TRUE(win.Series_StandardFit.empty());
    EXPECT_EQ(ownAnalysis(), before);
    ASSERT_EQ(win.Series_Excluded.count(), 1);
    EXPECT_EQ(win.Series_Excluded.x(0), win.Series_LightAssim.x(7));
    EXPECT_EQ(win.Series_Excluded.y(0), win.Series_LightAssim.y(7));

    grid.insertRow(2);
    EXPECT_EQ(win.standardFitExcludedRows(), std::set<int>{4});
    EXPECT_EQ(win.measuredPointRow(7), 4);
    grid.deleteRow(1);
    EXPECT_EQ(win.standardFitExcludedRows(), std::set<int>{3});
    EXPECT_EQ(grid.cell(1, 3) + "," + grid.cell(2, 3), ci + "," + a);
    // Ten points, one deleted, one left out.
    win.aciMnuResultsStandardFitClick();
    EXPECT_EQ(win.aciEdit_StdMessage.text().rfind("Fitted to 8 points", 0), 0u) << win.aciEdit_StdMessage.text();
    EXPECT_EQ(win.Series_Excluded.count(), 1);

    // Deleting the excluded row takes its exclusion with it.
    grid.deleteRow(3);
    EXPECT_TRUE(win.standardFitExcludedRows().empty());
    EXPECT_TRUE(win.Series_Excluded.empty());
    EXPECT_EQ(win.measuredPointRow(7), 0);
}

// A new curve, from an import, a drop, a paste or Clear, starts with every point in the fit; a
// cancelled import keeps the exclusions.
TEST_F(StandardFit, ANewCurveForgetsTheExclusions)
{
    const std::string file = dataFile("aci/plantecophys_33_gHR9.csv");
    for (const auto& load : std::vector<std::function<void()>>{[&] {
                                                                   platform.openAnswers = {file};
                                                                   win.aciMnuFIleImportTextClick();
                                                               },
                                                               [&] {
                                                                   win.KipFormDropFilesDropFiles({{file, false}});
                                                               },
                                                               [&] {
                                                                   platform.clipboard = "50,1\r\n100,5\r\n";
                                                                   win.aciPopupPasteClick();
                                                               },
                                                               [&] { win.aciMnuFileClearClick(); }}) {
        loadReferenceCurve();
        win.toggleStandardFitExclusion(2);
        win.aciMnuFIleImportTextClick();  // cancelled: no file chosen
        EXPECT_EQ(win.standardFitExcludedRows(), std::set<int>{2});
        load();
        EXPECT_TRUE(win.standardFitExcludedRows().empty());
        EXPECT_TRUE(win.Series_Excluded.empty());
    }
}

// The printed report's standard-fit section lists what the export does: a held
// estimate marked held, the points left out, and none of the settings' hold rows.
TEST_F(StandardFit, TheReportMarksHeldEstimatesAndListsTheExcludedPoints)
{
    loadReferenceCurve();
    win.aciMnuFileExportStandardFit.setChecked(true);
    win.aciCheckBox_StdHoldRd.setChecked(true);
    win.aciEdit_StdHoldRd.setText("1");
    win.toggleStandardFitExclusion(3);
    const std::string ci = win.aciSpreadSheetData.cell(1, 3), a = win.aciSpreadSheetData.cell(2, 3);
    win.aciMnuResultsStandardFitClick();
    ASSERT_TRUE(win.standardFit() && win.standardFit()->fitted);

    const auto lines = win.reportLines();
    const auto has = [&lines](const std::string& start, const std::string& end) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.rfind("      " + start, 0) == 0 && line.size() >= end.size() &&
                   line.compare(line.size() - end.size(), end.size(), end) == 0;
        });
    };
    EXPECT_TRUE(has("Rd", "1 (held)"));
    EXPECT_TRUE(
        has("Excluded point", formatNumber(*readNumber(ci, '.'), '.') + ", " + formatNumber(*readNumber(a, '.'), '.')));
    EXPECT_FALSE(has("Hold", ""));
    EXPECT_FALSE(has("gm", ""));  // left empty: the fit on Ci, as before
}
