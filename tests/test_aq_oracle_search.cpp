// The window's Fit Curve and Refine Curve against the literal pass of tests/aq_oracle,
// on real light curves and on generated ones: field texts, light points, Qa column and
// the drawn curve must be identical, and so must the end of a pass by an overflow.

#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "aq_oracle/LiteralFitPass.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "import/ParseVerdex.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace calvane;
using calvane::test::dataFile;
using calvane::test::readBytes;
using calvane::test::ScriptedPlatform;

namespace {

struct Row {
    std::string q, a;
};

// The data lines of a curve file (a "PAR,A" heading is skipped), keeping those whose
// 0-based index is listed, or all of them when `keep` is empty.
std::vector<Row> curveRows(const std::string& file, const std::vector<int>& keep = {})
{
    std::vector<Row> all;
    for (const auto& line : splitLines(readBytes(dataFile("aq/" + file)))) {
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.rfind("PAR", 0) == 0)
            continue;
        all.push_back({line.substr(0, comma), line.substr(comma + 1)});
    }
    if (keep.empty())
        return all;
    std::vector<Row> chosen;
    for (int i : keep)
        chosen.push_back(all.at(static_cast<std::size_t>(i)));
    return chosen;
}

struct FieldSetup {
    std::string amax, aqe, convexity, respiration, parAbs = "0.85";
    bool amaxFixed = false, aqeFixed = false, convexityFixed = false, respirationFixed = false;
};

class OracleComparison : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window{platform, settings};
    aq_oracle::Sheet sheet;

    void load(const std::vector<Row>& rows, const FieldSetup& setup)
    {
        ASSERT_LT(static_cast<int>(rows.size()), window.aqSpreadSheetData.rowCount());
        const int dataRows = window.aqSpreadSheetData.rowCount() - 1;
        sheet.qObs.assign(static_cast<std::size_t>(dataRows), "");
        sheet.assimilation.assign(static_cast<std::size_t>(dataRows), "");
        sheet.qa.assign(static_cast<std::size_t>(dataRows), "");
        // A fixture may load several curves: start each from an empty grid and light fields.
        for (int row = 1; row <= dataRows; ++row)
            for (int col = 1; col <= 3; ++col)
                window.aqSpreadSheetData.setCell(col, row, "");
        window.aqNumEdit_LightCompPoint.setText("");
        window.aqNumEdit_LightSatPoint.setText("");
        window.Series_ComputedA.clear();
        sheet.lightComp = sheet.lightSat = "";
        sheet.computedCurve.clear();
        sheet.overflowed = false;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            window.aqSpreadSheetData.setCell(1, static_cast<int>(i) + 1, rows[i].q);
            window.aqSpreadSheetData.setCell(2, static_cast<int>(i) + 1, rows[i].a);
            sheet.qObs[i] = rows[i].q;
            sheet.assimilation[i] = rows[i].a;
        }
        window.aqNumEdit_Amax.setText(setup.amax);
        window.aqNumEdit_AQE.setText(setup.aqe);
        window.aqNumEdit_Convexity.setText(setup.convexity);
        window.aqNumEdit_A0_Resp.setText(setup.respiration);
        window.aqNumEdit_ParAbs.setText(setup.parAbs);
        window.aqCheckBox_Amax.setChecked(setup.amaxFixed);
        window.aqCheckBox_AQE.setChecked(setup.aqeFixed);
        window.aqCheckBox_Convexity.setChecked(setup.convexityFixed);
        window.aqCheckBox_A0_Resp.setChecked(setup.respirationFixed);
        sheet.amax = setup.amax;
        sheet.aqe = setup.aqe;
        sheet.convexity = setup.convexity;
        sheet.respiration = setup.respiration;
        sheet.parAbs = setup.parAbs;
        sheet.amaxFixed = setup.amaxFixed;
        sheet.aqeFixed = setup.aqeFixed;
        sheet.convexityFixed = setup.convexityFixed;
        sheet.respirationFixed = setup.respirationFixed;
    }

    // Fit Curve (or Refine Curve) in both; an overflow must end both at the same point.
    // False when the window refused the curve for want of points (the literal pass has
    // no such refusal); the fields must then be as they were.
    bool runBothAllowingOverflow(bool refine)
    {
        bool windowOverflowed = false;
        try {
            if (refine)
                window.RefineCurve();
            else
                window.FitCurve();
        } catch (const ArithmeticError&) {
            windowOverflowed = true;
        } catch (const FitError&) {
            int free = 0;
            for (bool fixed : {sheet.amaxFixed, sheet.aqeFixed, sheet.convexityFixed, sheet.respirationFixed})
                free += fixed ? 0 : 1;
            const int points = window.Series_LightAssim.count();
            EXPECT_TRUE(points == 0 || points < free) << points << " points, " << free << " free";
            EXPECT_EQ(window.aqNumEdit_Amax.text(), sheet.amax);
            EXPECT_EQ(window.aqNumEdit_AQE.text(), sheet.aqe);
            EXPECT_EQ(window.aqNumEdit_Convexity.text(), sheet.convexity);
            EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), sheet.respiration);
            return false;
        }
        if (refine)
            aq_oracle::refineCurve(sheet, '.');
        else
            aq_oracle::fitCurvePass(sheet, '.');
        EXPECT_EQ(windowOverflowed, sheet.overflowed);
        if (sheet.overflowed)  // the chart is left as the failed sweep left it
            sheet.computedCurve = window.Series_ComputedA.points();
        return true;
    }

    void runBoth()
    {
        ASSERT_TRUE(window.FitCurve());
        aq_oracle::fitCurvePass(sheet, '.');
    }

    void expectSame()
    {
        EXPECT_EQ(window.aqNumEdit_Amax.text(), sheet.amax);
        EXPECT_EQ(window.aqNumEdit_AQE.text(), sheet.aqe);
        EXPECT_EQ(window.aqNumEdit_Convexity.text(), sheet.convexity);
        EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), sheet.respiration);
        EXPECT_EQ(window.aqNumEdit_ParAbs.text(), sheet.parAbs);
        EXPECT_EQ(window.aqNumEdit_LightCompPoint.text(), sheet.lightComp);
        EXPECT_EQ(window.aqNumEdit_LightSatPoint.text(), sheet.lightSat);
        for (int row = 1; row < window.aqSpreadSheetData.rowCount(); ++row)
            EXPECT_EQ(window.aqSpreadSheetData.cell(3, row), sheet.qa[static_cast<std::size_t>(row) - 1]) << row;
        EXPECT_EQ(window.Series_ComputedA.points(), sheet.computedCurve);
    }
};

}  // namespace

TEST_F(OracleComparison, FullyFreePassOnFourPointsOfAPecanCurve)
{
    // 1499, 701, 100 and the dark reading at 0: every loop runs all its passes.
    load(curveRows("pecan_1aq.csv", {0, 4, 7, 9}), {});
    runBoth();
    expectSame();
    // The pass moved away from its starting texts, so the comparison covered improvements.
    EXPECT_NE(sheet.amax, "19.8");
    EXPECT_NE(sheet.aqe, "0.0");
}

TEST_F(OracleComparison, FixedAqeAndConvexityOnWholeArcticCurves)
{
    for (const char* file :
         {"ngeearctic_1818.csv", "ngeearctic_1896.csv", "ngeearctic_2142.csv", "ngeearctic_2160.csv"}) {
        SCOPED_TRACE(file);
        FieldSetup setup;
        setup.aqe = "0.045";
        setup.aqeFixed = true;
        setup.convexity = "2";
        setup.convexityFixed = true;
        load(curveRows(file), setup);
        runBoth();
        expectSame();
    }
}

TEST_F(OracleComparison, FixedAmaxSearchesAqeConvexityAndRespiration)
{
    FieldSetup setup;
    setup.amax = "21.5";
    setup.amaxFixed = true;
    setup.aqe = "0.06";
    setup.convexity = "1.5";
    setup.respiration = "-1";
    load(curveRows("pecan_2aq.csv", {0, 3, 6, 8, 9}), setup);
    runBoth();
    expectSame();
}

TEST_F(OracleComparison, FixedConvexityWithOddTextsAndAnotherParAbs)
{
    FieldSetup setup;
    setup.aqe = "abc";  // reads 0 but is not empty, so it gets no starting text
    setup.convexity = "0.7";
    setup.convexityFixed = true;
    setup.respiration = " ";
    setup.parAbs = "0.9";
    load(curveRows("ngeearctic_1850.csv", {0, 5, 10}), setup);
    runBoth();
    expectSame();
}

TEST_F(OracleComparison, FixedEmptyRespirationAndRepeatedPassesStayInStep)
{
    FieldSetup setup;
    setup.respirationFixed = true;  // empty and fixed: held at 0
    setup.aqe = "0.03";
    setup.aqeFixed = true;
    load(curveRows("pecan_1aq.csv"), setup);
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        runBoth();
        expectSame();
    }
}

TEST_F(OracleComparison, DarkRespirationFromTheGridThenAFreeAmaxAndAqe)
{
    FieldSetup setup;
    setup.convexity = "3";
    setup.convexityFixed = true;
    load(curveRows("pecan_2aq.csv"), setup);
    window.setRespiration();  // the dark row at PAR 0 fixes A0
    ASSERT_TRUE(window.aqCheckBox_A0_Resp.checked());
    sheet.respiration = window.aqNumEdit_A0_Resp.text();
    sheet.respirationFixed = true;
    runBoth();
    expectSame();
}

namespace {

// Texts a user might leave in a parameter field, odd ones included.
std::string drawText(std::mt19937& rng, const std::vector<std::string>& choices)
{
    return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(rng)];
}

std::string drawNumber(std::mt19937& rng, double low, double high)
{
    return formatNumber(std::uniform_real_distribution<double>(low, high)(rng), '.');
}

}  // namespace

TEST_F(OracleComparison, GeneratedCurvesAndSettings)
{
    std::mt19937 rng(20261208);
    int refused = 0;
    for (int draw = 0; draw < 60; ++draw) {
        SCOPED_TRACE(draw);
        // Mostly a few ordinary points; sometimes none, huge or tiny ones.
        const int count = std::uniform_int_distribution<int>(0, 7)(rng);
        const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
        std::vector<Row> rows;
        for (int i = 0; i < count; ++i) {
            Row r{drawNumber(rng, 0, 2000), drawNumber(rng, -3, 30)};
            if (kind == 0)
                r = {drawNumber(rng, 0, 2000), drawText(rng, {"1E300", "-1E300", "1E-300", "0"})};
            if (kind == 1)
                r = {drawText(rng, {"1E-300", "1E300", "0", "-5"}), drawNumber(rng, -3, 30)};
            if (i == 0 && kind < 5)
                r.q = "0";  // a dark reading
            rows.push_back(r);
        }

        FieldSetup setup;
        setup.amax = drawText(rng, {"", "", "20", "0", "-5", "1E300", "1E-300", drawNumber(rng, 1, 40)});
        setup.aqe = drawText(rng, {"", "", "0.05", "0.03", "-0.02", "0", "1E-300", drawNumber(rng, 0, 0.2)});
        setup.convexity = drawText(rng, {"", "", "0", "1", "2", "3", "0.5", "-0.0001", "-1", drawNumber(rng, 0.1, 5)});
        setup.respiration = drawText(rng, {"", "", "0", "-1.5", "1E300", drawNumber(rng, -3, 1)});
        setup.parAbs = drawText(rng, {"0.85", "0.85", "0.9", "0", "abc"});
        // Keep the literal pass short: at most two free loops, or three on few points.
        const int free = rows.size() <= 3 ? std::uniform_int_distribution<int>(1, 3)(rng) : 2;
        std::vector<bool*> flags{&setup.amaxFixed, &setup.aqeFixed, &setup.convexityFixed, &setup.respirationFixed};
        std::shuffle(flags.begin(), flags.end(), rng);
        for (std::size_t f = static_cast<std::size_t>(free); f < flags.size(); ++f)
            *flags[f] = true;
        load(rows, setup);
        window.searchThreads = std::uniform_int_distribution<unsigned>(1, 3)(rng);
        if (runBothAllowingOverflow(draw % 4 == 3))
            expectSame();
        else
            ++refused;
    }
    // Empty and tiny point sets are refused; most draws are still compared.
    EXPECT_GT(refused, 0);
    EXPECT_LT(refused, 20);
}

TEST_F(OracleComparison, EveryRealCurveWithAqeAndConvexityFixed)
{
    std::size_t curves = 0;
    for (const auto& line : splitLines(readBytes(dataFile("aq/index.csv")))) {
        const std::string file = line.substr(0, line.find(','));
        if (file.size() < 5 || file.substr(file.size() - 4) != ".csv")
            continue;
        SCOPED_TRACE(file);
        FieldSetup setup;
        setup.aqe = "0.05";
        setup.aqeFixed = true;
        setup.convexity = "2.5";
        setup.convexityFixed = true;
        load(curveRows(file), setup);
        if (runBothAllowingOverflow(true)) {
            expectSame();
            ++curves;
        }
    }
    EXPECT_GT(curves, 100u);
}

TEST_F(OracleComparison, RealCurvesWithOnlyConvexityFixedOnTwoAndThreeThreads)
{
    for (const char* file : {"ngeearctic_1994.csv", "ngeearctic_2142.csv"}) {
        for (unsigned threads : {2u, 3u}) {
            SCOPED_TRACE(std::string(file) + " on " + std::to_string(threads));
            FieldSetup setup;
            setup.convexity = "2.2";
            setup.convexityFixed = true;
            load(curveRows(file), setup);
            window.searchThreads = threads;
            runBoth();
            expectSame();
        }
    }
}
