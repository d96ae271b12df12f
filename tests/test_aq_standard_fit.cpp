// Results > Standard Fit in the light-response window: the "Standard fit" group, its
// two curves, copying the optimum into the fields, the export sections, and that the
// window's own fields and curve are left alone.

#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "core/Errors.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace calvane;
using calvane::test::dataFile;
using calvane::test::ScriptedPlatform;

namespace {

class AqStandardFitWindow : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window{platform, settings};

    // A real curve into the grid, as CSV import leaves it.
    void loadCurve(const std::string& name)
    {
        std::ifstream in(dataFile("aq/" + name));
        std::string line;
        int row = 1;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const auto comma = line.find(',');
            if (comma == std::string::npos || line.rfind("PAR", 0) == 0)
                continue;
            window.aqSpreadSheetData.setCell(1, row, line.substr(0, comma));
            window.aqSpreadSheetData.setCell(2, row, line.substr(comma + 1));
            ++row;
        }
    }

    // Every field and curve of the window's own analysis.
    std::vector<std::string> ownAnalysis() const
    {
        std::vector<std::string> texts;
        for (const TextField* f :
             {&window.aqNumEdit_AQE, &window.aqNumEdit_Amax, &window.aqNumEdit_Convexity, &window.aqNumEdit_A0_Resp,
              &window.aqNumEdit_LightSatPoint, &window.aqNumEdit_LightCompPoint, &window.aqNumEdit_ParAbs})
            texts.push_back(f->text());
        texts.push_back(std::to_string(window.Series_ComputedA.count()));
        return texts;
    }

    double number(const TextField& field) const { return readNumber(field.text(), '.').value_or(-1e300); }
};

}  // namespace

TEST_F(AqStandardFitWindow, FillsTheGroupAndBothCurvesAndLeavesTheOwnFitAlone)
{
    loadCurve("pecan_1aq.csv");
    window.aqNumEdit_Amax.setText("20");
    window.aqNumEdit_AQE.setText("0.05");
    window.aqNumEdit_Convexity.setText("3");
    window.aqNumEdit_A0_Resp.setText("-1");
    window.Load_ComputedA_Series();
    const auto before = ownAnalysis();

    window.aqMnuResultsStandardFitClick();

    EXPECT_EQ(ownAnalysis(), before);
    ASSERT_TRUE(window.standardOptimum() && window.standardOptimum()->fitted) << window.aqEdit_StdMessage.text();
    ASSERT_TRUE(window.standardHyperbola() && window.standardHyperbola()->fitted) << window.aqEdit_NrhMessage.text();
    const AqCalvaneOptimum& optimum = *window.standardOptimum();
    // The optimum is at least as good as the fields it started from, by the window's own
    // sum of squares.
    const auto points = window.Series_LightAssim.points();
    const long double fieldsSse = sumOfSquaredErrors(points, {20, 0.05L, 3, -1});
    const long double optimumSse = sumOfSquaredErrors(
        points, {optimum.amax.value, optimum.aqe.value, optimum.convexity.value, optimum.a0.value});
    EXPECT_LT(optimumSse, fieldsSse);
    EXPECT_TRUE(calvane::test::near(static_cast<double>(optimumSse), optimum.sse, 1e-9 * optimum.sse));
    EXPECT_TRUE(calvane::test::near(number(window.aqEdit_StdSSE), optimum.sse, 1e-9 * optimum.sse));
    EXPECT_FALSE(window.aqEdit_StdAmaxSE.text().empty());
    EXPECT_FALSE(window.aqEdit_NrhThetaSE.text().empty() && window.standardHyperbola()->wellDefined);

    // The light points: the optimum's by the window's own sweep, which Load_ComputedA
    // gives too once the optimum is in the fields.
    const std::string lightComp = window.aqEdit_StdLightComp.text();
    const std::string lightSat = window.aqEdit_StdLightSat.text();
    EXPECT_FALSE(lightComp.empty());
    EXPECT_FALSE(window.aqEdit_NrhLightComp.text().empty());
    EXPECT_FALSE(window.aqEdit_NrhLightSat.text().empty());
    EXPECT_EQ(window.Series_StdOptimum.count(), 500);
    EXPECT_EQ(window.Series_StdHyperbola.count(), 500);

    window.aqButton_StdUseOptimumClick();
    EXPECT_EQ(number(window.aqNumEdit_Amax), number(window.aqEdit_StdAmax));
    EXPECT_EQ(window.aqNumEdit_LightCompPoint.text(), lightComp);
    EXPECT_EQ(window.aqNumEdit_LightSatPoint.text(), lightSat);
    // Fit Curve then goes on from the optimum: its own search can only keep or improve it.
    window.searchThreads = 1;
    window.aqMnuResultsFitCurveClick();
    const long double after = sumOfSquaredErrors(
        window.Series_LightAssim.points(), {number(window.aqNumEdit_Amax), number(window.aqNumEdit_AQE),
                                            number(window.aqNumEdit_Convexity), number(window.aqNumEdit_A0_Resp)});
    EXPECT_LE(after, optimumSse * (1 + 1e-9));

    window.aqMnuFileClearClick();
    EXPECT_FALSE(window.standardOptimum());
    EXPECT_TRUE(window.aqEdit_StdAQE.text().empty());
    EXPECT_TRUE(window.Series_StdOptimum.empty() && window.Series_StdHyperbola.empty());
}

TEST_F(AqStandardFitWindow, HoldsFixedFieldsAndSaysWhyItCannotFit)
{
    loadCurve("pecan_2aq.csv");
    window.aqNumEdit_Convexity.setText("2");
    window.aqCheckBox_Convexity.setChecked(true);
    window.aqMnuResultsStandardFitClick();
    ASSERT_TRUE(window.standardOptimum()->fitted);
    EXPECT_EQ(window.standardOptimum()->convexity.value, 2);
    EXPECT_EQ(window.aqEdit_StdConvexitySE.text(), "fixed");

    // A fixed empty Amax holds it at 0, which the model has no use for.
    // The command then ends with the refusal as its error.
    window.aqCheckBox_Amax.setChecked(true);
    try {
        window.aqMnuResultsStandardFitClick();
        ADD_FAILURE() << "a refused fit must end the command with an error";
    } catch (const FitError& error) {
        EXPECT_EQ(std::string(error.what()), "Least-squares optimum: Cannot fit: a fixed Amax must be above 0");
    }
    EXPECT_EQ(window.aqEdit_StdMessage.text(), "Cannot fit: a fixed Amax must be above 0");
    EXPECT_TRUE(window.aqEdit_StdAQE.text().empty());
    EXPECT_TRUE(window.Series_StdOptimum.empty());
    // The hyperbola has no fixed flags and is fitted all the same.
    EXPECT_TRUE(window.standardHyperbola()->fitted);
    // Nothing to copy from a failed fit.
    const std::string amax = window.aqNumEdit_Amax.text();
    window.aqButton_StdUseOptimumClick();
    EXPECT_EQ(window.aqNumEdit_Amax.text(), amax);
}

TEST_F(AqStandardFitWindow, ExportAddsBothSectionsOnlyWhenAsked)
{
    loadCurve("pecan_1aq.csv");
    // The fits alone (the batch's way) leave the box as it is; the menu command ticks it.
    window.runStandardFit();
    const auto plain = window.exportLines();
    window.aqMnuFileExportStandardFit.setChecked(true);
    const auto lines = window.exportLines();
    ASSERT_GT(lines.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), lines.begin()));
    const std::vector<std::string> section(lines.begin() + static_cast<long>(plain.size()), lines.end());
    ASSERT_GE(section.size(), 20u);
    EXPECT_EQ(section[0], "");
    EXPECT_EQ(section[1], "Least-squares optimum (Calvane model)");
    // Each estimate's line ends with its 95 % interval.
    EXPECT_EQ(section[2], "AQE, " + window.aqEdit_StdAQE.text() + ", " + window.aqEdit_StdAQESE.text() + ", " +
                              window.aqEdit_StdAQELower.text() + ", " + window.aqEdit_StdAQEUpper.text());
    EXPECT_EQ(section[5].rfind("Respiration, ", 0), 0u);
    EXPECT_EQ(section[6], "SSE, " + window.aqEdit_StdSSE.text());
    EXPECT_EQ(section[9], "Light Saturation Point, " + window.aqEdit_StdLightSat.text());
    const std::size_t second = window.standardOptimum()->wellDefined ? 10 : 11;
    EXPECT_EQ(section[second], "");
    EXPECT_EQ(section[second + 1], "Standard fit (non-rectangular hyperbola)");
    EXPECT_EQ(section[second + 2].rfind("Phi, ", 0), 0u);
    EXPECT_EQ(section[second + 5].rfind("Rd, ", 0), 0u);
    EXPECT_EQ(section[second + 9], "Light Saturation Point, " + window.aqEdit_NrhLightSat.text());
}

// A stopped standard fit changes nothing: neither the group nor the window's own fit.
TEST_F(AqStandardFitWindow, AStoppedFitLeavesEverythingAsItWas)
{
    loadCurve("pecan_1aq.csv");
    window.aqNumEdit_Amax.setText("20");
    window.aqNumEdit_AQE.setText("0.05");
    window.aqNumEdit_Convexity.setText("3");
    window.aqNumEdit_A0_Resp.setText("-1");
    const auto before = ownAnalysis();
    platform.stopWhen = [] { return true; };
    EXPECT_THROW(window.aqMnuResultsStandardFitClick(), Cancelled);
    EXPECT_EQ(ownAnalysis(), before);
    EXPECT_FALSE(window.standardOptimum());
    EXPECT_TRUE(window.aqEdit_StdAmax.text().empty());
    EXPECT_EQ(window.Series_StdOptimum.count(), 0);
}

// An excluded point stays excluded when rows are inserted above it, goes with its deleted
// row, is drawn hollow while plotted, and a dropped file forgets the exclusions.
TEST_F(AqStandardFitWindow, ExclusionsMoveWithTheirRowsAndANewCurveForgetsThem)
{
    loadCurve("pecan_1aq.csv");
    window.aqMnuResultsPlotDataClick();
    const std::vector<int> rows = window.pointRows();
    ASSERT_GE(rows.size(), 5u);
    // The grid is read bottom-up: the fourth row from the top is the fourth point from the end.
    const int point = static_cast<int>(rows.size()) - 4;
    ASSERT_EQ(window.measuredPointRow(point), rows[3]);

    window.toggleStandardFitExclusion(rows[3]);
    ASSERT_EQ(window.Series_Excluded.count(), 1);
    EXPECT_EQ(window.Series_Excluded.points().front(), window.Series_LightAssim.points()[point]);
    window.aqSpreadSheetData.insertRow(1);
    EXPECT_EQ(window.standardFitExcludedRows(), std::set<int>{rows[3] + 1});
    EXPECT_EQ(window.measuredPointRow(point), rows[3] + 1);
    EXPECT_EQ(window.Series_Excluded.count(), 1);
    window.aqSpreadSheetData.deleteRow(rows[3] + 1);
    EXPECT_TRUE(window.standardFitExcludedRows().empty());
    EXPECT_TRUE(window.Series_Excluded.empty());

    window.toggleStandardFitExclusion(rows[0]);
    window.KipFormDropFilesDropFiles({{dataFile("aq/pecan_1aq.csv"), false}});
    EXPECT_TRUE(window.standardFitExcludedRows().empty());
}

// Beside the standard fits, the own curve's RMSE is over the points they use: a point
// left out of them is left out of it too.
TEST_F(AqStandardFitWindow, TheOwnCurvesRmseLeavesOutTheExcludedPoints)
{
    loadCurve("pecan_1aq.csv");
    window.aqMnuResultsFitCurveClick();
    ASSERT_TRUE(window.ownCurveRmse());
    const double all = *window.ownCurveRmse();
    const int points = window.Series_LightAssim.count();
    EXPECT_NE(window.aqLabel_OwnRMSE.caption().find("over the same " + std::to_string(points) + " points"),
              std::string::npos);

    const int row = window.pointRows()[2];
    window.toggleStandardFitExclusion(row);
    ASSERT_TRUE(window.ownCurveRmse());
    EXPECT_NE(window.aqLabel_OwnRMSE.caption().find("over the same " + std::to_string(points - 1) + " points"),
              std::string::npos);
    // The point's own squared residual is what the two sums differ by.
    const auto field = [this](const TextField& f) { return *readNumber(f.text(), '.'); };
    const auto& [qa, a] = window.Series_Excluded.points().front();
    const long double residual = a - lightResponse(qa, field(window.aqNumEdit_Amax), field(window.aqNumEdit_AQE),
                                                   field(window.aqNumEdit_Convexity), field(window.aqNumEdit_A0_Resp));
    const double left = *window.ownCurveRmse();
    EXPECT_NEAR(all * all * points - left * left * (points - 1), static_cast<double>(residual * residual), 1e-9);
}
