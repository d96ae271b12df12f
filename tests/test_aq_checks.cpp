// The light-response window's plausibility checks: a real curve made wrong in one way
// raises the check for that fault.
#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

using namespace calvane;
using calvane::test::dataFile;
using calvane::test::ScriptedPlatform;

namespace {

class AqChecks : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window{platform, settings};

    // A real curve into the grid, each light through `light`, rows kept by `keep`.
    void load(
        const std::string& name, const std::function<double(double)>& light = [](double q) { return q; },
        const std::function<bool(double)>& keep = [](double) { return true; })
    {
        std::ifstream in(dataFile("aq/" + name));
        int row = 1;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const auto comma = line.find(',');
            const auto q = readNumber(line.substr(0, comma), '.');
            if (!q || !keep(*q))
                continue;
            window.aqSpreadSheetData.setCell(1, row, formatNumber(light(*q), '.'));
            window.aqSpreadSheetData.setCell(2, row, line.substr(comma + 1));
            ++row;
        }
    }
    std::vector<std::string> fitAndCheck(bool standardFit = false)
    {
        try {
            window.aqMnuResultsFitCurveClick();
            if (standardFit)
                window.aqMnuResultsStandardFitClick();
        } catch (const std::exception&) {
        }
        window.runChecks();
        return window.checks.items();
    }
    static bool has(const std::vector<std::string>& found, const std::string& start)
    {
        return std::any_of(found.begin(), found.end(), [&](const auto& s) { return s.rfind(start, 0) == 0; });
    }
};

TEST_F(AqChecks, TheRealCurveRaisesNoneOfItsOwnFit)
{
    load("pecan_1aq.csv");
    EXPECT_EQ(fitAndCheck(), std::vector<std::string>{});
}

TEST_F(AqChecks, AParAbsThatIsNotAFractionIsNamed)
{
    load("pecan_1aq.csv");
    window.aqNumEdit_ParAbs.setText("85");
    EXPECT_TRUE(has(fitAndCheck(), "Par Abs 85 is outside (0, 1]"));
}

TEST_F(AqChecks, LightInTheWrongUnitsIsNamed)
{
    load("pecan_1aq.csv", [](double q) { return q / 1000; });
    EXPECT_TRUE(has(fitAndCheck(), "Every light value is below 5 umol m-2 s-1"));
}

TEST_F(AqChecks, ASaturationPointFarBeyondTheDataIsNamed)
{
    // Only the points up to 300: the curve has not levelled off yet.
    load(
        "pecan_1aq.csv", [](double q) { return q; }, [](double q) { return q <= 300; });
    const auto found = fitAndCheck();
    EXPECT_TRUE(has(found, "Light saturation point ")) << (found.empty() ? "" : found[0]);
}

TEST_F(AqChecks, AStandardFitOnABoundIsNamed)
{
    // A curve that bends more gradually than any non-rectangular hyperbola: theta at 0.
    load("ngeearctic_1821.csv");
    const auto found = fitAndCheck(true);
    ASSERT_TRUE(window.standardHyperbola() && window.standardHyperbola()->theta.atBound);
    EXPECT_TRUE(has(found, "Non-rectangular hyperbola: Theta 0 sits on a bound of its search range"));
}

TEST_F(AqChecks, AnIntervalThatDoesNotCloseIsNamedAndLeftEmpty)
{
    // Theta's profile stays below the bound of its 95 % interval up to both of its limits.
    load("ngeearctic_1818.csv");
    const auto found = fitAndCheck(true);
    EXPECT_TRUE(window.aqEdit_NrhThetaLower.text().empty() && window.aqEdit_NrhThetaUpper.text().empty());
    EXPECT_FALSE(window.aqEdit_NrhPhiLower.text().empty() || window.aqEdit_NrhPhiUpper.text().empty());
    EXPECT_TRUE(has(found, "Non-rectangular hyperbola: the 95 % interval of Theta does not close below within its "
                           "search range"));
    EXPECT_TRUE(has(found, "Non-rectangular hyperbola: the 95 % interval of Theta does not close above within its "
                           "search range"));
    EXPECT_FALSE(has(found, "Non-rectangular hyperbola: the 95 % interval of Phi does not close below within its "
                            "search range"));
}

}  // namespace
