#include "test_aci_support.h"

namespace calvane::test {
namespace {

using AciPrint = AciWindowTest;

TEST_F(AciPrint, AFreshWindowPrintsTheChartThenA48LineReport)
{
    platform.answerPrintOk = false;
    win.aciMnuFilePrintClick();
    EXPECT_TRUE(platform.printJobs.empty());

    platform.answerPrintOk = true;
    win.aciMnuFilePrintClick();
    ASSERT_EQ(platform.printJobs.size(), 2u);
    EXPECT_EQ(platform.printJobs[0].title, "aciChart_LightResponseCurve");
    EXPECT_EQ(platform.printJobs[1].title, "ACi Curve Analysis for: ");
    const auto& lines = platform.printJobs[1].lines;
    ASSERT_EQ(lines.size(), 48u);
    const std::vector<std::string> head{"  ACi Curve Analysis for: ", " ",
                                        "  Parameters: ", "      Kc (umol mol-1)     \t0.0 Computed"};
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4), head);
    EXPECT_EQ(lines[7], "      Light (umol m-2 s-1)\t0.0");
    EXPECT_EQ(lines[12], "      GammaStar           \t");
    EXPECT_EQ(lines[15], "  Ci(CO2)umol mol-1   \tA Assimiliation");
    EXPECT_EQ(lines[47], "     \t");
}

TEST_F(AciPrint, ReportCarriesIdentifierStateWordsAndGridRows)
{
    win.aciEdit_Identifier.setText("Leaf 7");
    win.aciEdit_Vcmax.setText("55.5");
    win.aciCheckBox_Vcmax.setChecked(true);
    setPoints({{"50", "2.1"}});
    const auto lines = win.reportLines();
    EXPECT_EQ(lines[0], "  ACi Curve Analysis for: Leaf 7");
    EXPECT_EQ(lines[9], "      Vcmax               \t55.5 Fixed");
    EXPECT_EQ(lines[16], "  50   \t2.1");
}

}  // namespace
}  // namespace calvane::test
