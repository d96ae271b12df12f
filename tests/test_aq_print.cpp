#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"

namespace calvane::test {
namespace {

TEST(AqPrint, ReportOfAFreshWindowHas46LinesAndShowsTheFixedState)
{
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve win{platform, settings};
    win.aqNumEdit_Convexity.setText("0.7");
    win.aqCheckBox_Convexity.setChecked(true);

    win.aqMnuFilePrintClick();
    ASSERT_EQ(platform.printJobs.size(), 2u);
    EXPECT_EQ(platform.printJobs[0].title, "aqChart_LightResponseCurve");
    EXPECT_EQ(platform.printJobs[1].title, "AQ Curve Analysis for: ");
    const auto& lines = platform.printJobs[1].lines;
    ASSERT_EQ(lines.size(), 46u);
    EXPECT_EQ(lines[0], "  AQ (Light Response) Curve Analysis for: ");
    EXPECT_EQ(lines[4], "      Light Compensation Point(umol m-2 s-1)\t");
    EXPECT_EQ(lines[5], "      Par Abs                               \t0.85");
    EXPECT_EQ(lines[6], " ");
    EXPECT_EQ(lines[7], "      AQE             \t  Computed");
    EXPECT_EQ(lines[10], "      Convexity       \t0.7  Fixed");
    EXPECT_EQ(lines[12], " ");
    EXPECT_EQ(lines[13], "  Q Obs   \tA Assimiliation   \tQa");
    EXPECT_EQ(lines[45], "     \t   \t");
}

}  // namespace
}  // namespace calvane::test
