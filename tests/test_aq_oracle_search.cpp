// The window's Fit Curve against the literal pass of tests/aq_oracle on real light
// curves: field texts, light points, Qa column and the drawn curve must be identical.

#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "aq_oracle/LiteralFitPass.h"
#include "core/TextFile.h"
#include "import/ParseVerdex.h"

#include <gtest/gtest.h>

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
    for (const char* file : {"ngeearctic_1818.csv", "ngeearctic_1896.csv", "ngeearctic_2142.csv",
                             "ngeearctic_2160.csv"}) {
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
