// The A/Ci window's plausibility checks: a real curve made wrong in one way raises
// the check for that fault, and only the real curve as measured raises none.
#include "core/NumberText.h"
#include "test_aci_support.h"

#include <algorithm>
#include <fstream>
#include <functional>

using namespace calvane;
using namespace calvane::test;

namespace {

// photosynthesis_S1_T25_0.csv, measured at 25 degrees C.
Rows realCurve(const std::function<bool(double ci)>& keep = [](double) { return true; })
{
    std::ifstream in(dataFile("aci/photosynthesis_S1_T25_0.csv"));
    Rows rows;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto comma = line.find(',');
        const auto ci = readNumber(line.substr(0, comma), '.');
        if (ci && keep(*ci))
            rows.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    }
    return rows;
}

// Each cell of one column through `change`.
Rows changed(Rows rows, bool x, const std::function<double(double)>& change)
{
    for (auto& [ci, a] : rows) {
        std::string& cell = x ? ci : a;
        cell = formatNumber(change(*readNumber(cell, '.')), '.');
    }
    return rows;
}

class AciChecks : public AciWindowTest {
protected:
    // Compute Curves, then the standard fit when asked, then the checks.
    std::vector<std::string> run(const Rows& rows, bool standardFit = false)
    {
        setPoints(rows);
        try {
            win.aciMnuResultsComputeCurveClick();
            if (standardFit)
                win.aciMnuResultsStandardFitClick();
        } catch (const std::exception&) {  // what a failed command wrote is checked too
        }
        win.runChecks();
        return win.checks.items();
    }
    static bool has(const std::vector<std::string>& found, const std::string& start)
    {
        return std::any_of(found.begin(), found.end(), [&](const auto& s) { return s.rfind(start, 0) == 0; });
    }
};

TEST_F(AciChecks, TheRealCurveRaisesNoneOfItsOwnAnalysis) { EXPECT_EQ(run(realCurve()), std::vector<std::string>{}); }

TEST_F(AciChecks, AKelvinTemperatureIsNamedAndItsAbsurdRatesFlagged)
{
    win.aciEdit_Temp.setText("298.15");
    const auto found = run(realCurve());
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0], "Leaf temperature 298.15 looks like kelvin, but it is taken in oC (298.15 K is 25 oC)");
    EXPECT_TRUE(has(found, "Fitted Vcmax ")) << found.size();  // tens of millions, above 500
    EXPECT_TRUE(has(found, "Fitted TPU ")) << found.size();    // not positive

    win.aciEdit_Temp.setText("75");
    EXPECT_EQ(run(realCurve())[0], "Leaf temperature 75 oC is outside -10 to 60 oC");
}

TEST_F(AciChecks, AWrongXColumnIsNamed)
{
    // Stomatal conductance (mol m-2 s-1) taken for Ci.
    const auto conductance = run(changed(realCurve(), true, [](double ci) { return ci / 1000; }));
    EXPECT_TRUE(has(conductance, "Every Ci value is below 5 umol mol-1")) << conductance.size();
    const auto flat = run(changed(realCurve(), true, [](double) { return 400; }));
    EXPECT_TRUE(has(flat, "Every Ci value is 400: the points do not span a response"));
}

TEST_F(AciChecks, AssimilationOutOfRangeIsNamed)
{
    EXPECT_TRUE(has(run(changed(realCurve(), false, [](double a) { return a * 10; })), "A reaches 304.5 "));
    EXPECT_TRUE(has(run(changed(realCurve(), false, [](double a) { return a - 40; })), "A falls to -40.29 "));
}

TEST_F(AciChecks, AStandardFitThatTheCurveHardlyDeterminesIsFlagged)
{
    // Only the points above Ci 250: nearly all RuBP-limited, so Vcmax is loose.
    const auto high = run(realCurve([](double ci) { return ci > 250; }), true);
    EXPECT_TRUE(has(high, "Standard fit: Vcmax 57.56 has a standard error of 40.28")) << high.size();
    // Only the points below Ci 300: the two limitations do not meet within them.
    const auto low = run(realCurve([](double ci) { return ci < 300; }), true);
    EXPECT_TRUE(has(low, "Standard fit: Rubisco and RuBP limitation do not meet within the measured Ci range "
                         "(49.38 to 285.7 umol mol-1)"));
}

}  // namespace
