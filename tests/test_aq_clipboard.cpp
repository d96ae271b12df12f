#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"

namespace calvane::test {
namespace {

class AqClipboard : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve win{platform, settings};
};

TEST_F(AqClipboard, GridCopyLeavesOutTheRowNumberColumn)
{
    for (int col = 1; col <= 3; ++col)
        win.aqSpreadSheetData.setCell(col, 1, std::vector<std::string>{"", "50", "1.1", "42.5"}[col]);
    win.aqClipboardCopyClick();
    std::string expected = "50\t1.1\t42.5\t";
    for (int row = 2; row <= 32; ++row)
        expected += "\r\n\t\t\t";
    EXPECT_EQ(platform.clipboard, expected);
}

TEST_F(AqClipboard, CopyAllParametersHasNoBreakAfterTheLastLine)
{
    win.aqNumEdit_Amax.setText("21.3");
    win.aqPopupCopyAllClick();
    EXPECT_EQ(platform.clipboard, "Identifier\t\r\nLight_Saturation\t\r\nLight_Compensation\t\r\nPar_Abs\t0.85\r\n"
                                  "AQE\t\r\nConvexity\t\r\nRespiration\t\r\nAmax\t21.3");
}

TEST_F(AqClipboard, FieldCommandsFollowTheFocusOrderAndReachTheLightFields)
{
    win.aqNumEdit_AQE.setText("0.05");
    platform.focused = {&win.aqNumEdit_Amax, &win.aqNumEdit_AQE};
    win.aqPopupCopyClick();
    EXPECT_EQ(platform.clipboard, "0.05");

    platform.focused = {&win.aqNumEdit_LightCompPoint};
    platform.clipboard = "31.2 umol\r\n";
    win.aqPopUpPasteClick();
    EXPECT_EQ(win.aqNumEdit_LightCompPoint.text(), "31.2 umol");
}

TEST_F(AqClipboard, OnlyTheRightButtonOpensTheGridMenu)
{
    win.Left = 10;
    win.Top = 20;
    win.aqSpreadSheetData.left = 300;
    win.aqSpreadSheetData.top = 60;
    win.aqSpreadSheetDataMouseDown(MouseButton::Middle, 1, 2);
    win.aqSpreadSheetDataMouseDown(MouseButton::Right, 1, 2);
    ASSERT_EQ(platform.openedMenus.size(), 1u);
    EXPECT_EQ(platform.openedMenus[0].name, "aqPopupMenu");
    EXPECT_EQ(platform.openedMenus[0].x, 311);
    EXPECT_EQ(platform.openedMenus[0].y, 122);
}

}  // namespace
}  // namespace calvane::test
