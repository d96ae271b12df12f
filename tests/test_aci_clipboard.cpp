#include "test_aci_support.h"

namespace calvane::test {
namespace {

using AciClipboard = AciWindowTest;

TEST_F(AciClipboard, GridCopyTakesEveryDataRowWithoutTheHeaderOrAFinalBreak)
{
    setPoints({{"100", "6.4"}, {"50", "2.1"}});  // rows 1 and 2
    win.aciPopupCopyClick();
    std::string expected = "\t50\t2.1\t\r\n\t100\t6.4\t";
    for (int row = 3; row <= 32; ++row)
        expected += "\r\n\t\t\t";
    EXPECT_EQ(platform.clipboard, expected);
}

TEST_F(AciClipboard, CopyAllEndsEveryLineWithCrLf)
{
    win.aciEdit_Vcmax.setText("55.5");
    win.aciPopUp2CopyAllClick();
    EXPECT_EQ(platform.clipboard, "Identifier\t\r\nKc\t0.0\r\nKo\t0.0\r\nTau\t0.0\r\nLeaf_Temp\t25\r\nLight\t0.0\r\n"
                                  "Respiration\t0.0\r\nVcmax\t55.5\r\nJmax\t0.0\r\nTPU\t0.0\r\nGammaStar\t\r\n");
}

TEST_F(AciClipboard, FieldPasteCutsAtABreakOrSpaceAfterTheFirstCharacter)
{
    platform.focused = {&win.aciEdit_GammaStar};  // read-only, yet a paste target
    for (const auto& [pasted, value] : Rows{
             {"12.5\r\n13", "12.5"}, {"12.5 13", "12.5"}, {" 12.5", " 12.5"}, {"Kc\t12.5\r\n", "Kc\t12.5"}, {"", ""}}) {
        platform.clipboard = pasted;
        win.aciPopUp2PasteClick();
        EXPECT_EQ(win.aciEdit_GammaStar.text(), value) << "pasting \"" << pasted << "\"";
    }
}

TEST_F(AciClipboard, FieldCommandsTakeTheFirstFocusedFieldInOrder)
{
    win.aciEdit_Tau.setText("2.6");
    platform.focused = {&win.aciEdit_GammaStar, &win.aciEdit_Light, &win.aciEdit_Tau};
    win.aciPopup2CopyClick();
    EXPECT_EQ(platform.clipboard, "2.6");

    platform.focused = {&win.aciEdit_Identifier};  // no field menu there: no target
    platform.clipboard = "99";
    win.aciPopUp2PasteClick();
    win.aciPopup2CopyClick();
    EXPECT_EQ(win.aciEdit_Identifier.text(), "");
    EXPECT_EQ(platform.clipboard, "");
}

TEST_F(AciClipboard, OnlyTheRightButtonOpensTheGridMenu)
{
    win.Left = 100;
    win.Top = 50;
    win.aciSpreadSheetData.left = 8;
    win.aciSpreadSheetData.top = 30;
    win.aciSpreadSheetDataMouseDown(MouseButton::Left, 5, 7);
    win.aciSpreadSheetDataMouseDown(MouseButton::Right, 5, 7);
    ASSERT_EQ(platform.openedMenus.size(), 1u);
    EXPECT_EQ(platform.openedMenus[0].name, "aciPopupMenu");
    EXPECT_EQ(platform.openedMenus[0].x, 113);
    EXPECT_EQ(platform.openedMenus[0].y, 127);
}

}  // namespace
}  // namespace calvane::test
