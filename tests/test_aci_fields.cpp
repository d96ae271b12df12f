// The A/Ci window's field tables: every output order places each row once, and every
// row reaches the controls it names (its flag, the field pop-up menu, the report font).

#include "test_aci_support.h"

namespace calvane::test {
namespace {

using Row = ParameterRow<TfrmACi_Curve>;

TEST(AciFields, EachOutputOrderPlacesItsRowsOnce)
{
    const auto& table = TfrmACi_Curve::parameterTable();
    EXPECT_TRUE(numbersItsRows(table, &Row::panelOrder, true));
    EXPECT_TRUE(numbersItsRows(table, &Row::focusOrder, true));
    EXPECT_TRUE(numbersItsRows(table, &Row::summaryOrder, true));
    EXPECT_TRUE(numbersItsRows(table, &Row::resetOrder, false));
    for (const Row& row : table)
        EXPECT_EQ(row.reset != nullptr, row.resetOrder > 0) << row.name;
}

using AciFieldsWindow = AciWindowTest;

TEST_F(AciFieldsWindow, EveryFlagColoursItsOwnFieldAndNoOther)
{
    for (const Row& flagged : TfrmACi_Curve::parameterTable()) {
        if (!flagged.flag)
            continue;
        (win.*flagged.flag).setChecked(true);
        for (const Row& row : TfrmACi_Curve::parameterTable())
            EXPECT_EQ((win.*row.field).background() == colours::red, &row == &flagged)
                << flagged.name << " " << row.name;
        (win.*flagged.flag).setChecked(false);
        EXPECT_EQ((win.*flagged.field).background(), colours::windowBackground) << flagged.name;
    }
}

TEST_F(AciFieldsWindow, FieldCopyPasteAndCopyAllReachEveryParameter)
{
    for (const Row& row : TfrmACi_Curve::parameterTable()) {
        TextField& field = win.*row.field;
        platform.focused = {&field};
        field.setText(std::string(row.name) + " typed");
        win.aciPopup2CopyClick();
        EXPECT_EQ(platform.clipboard, std::string(row.name) + " typed");
        platform.clipboard = "7.5";
        win.aciPopUp2PasteClick();
        EXPECT_EQ(field.text(), "7.5") << row.name;
    }
    win.aciPopUp2CopyAllClick();
    EXPECT_EQ(platform.clipboard, "Identifier\t\r\nKc\t7.5\r\nKo\t7.5\r\nTau\t7.5\r\nLeaf_Temp\t7.5\r\nLight\t7.5\r\n"
                                  "Respiration\t7.5\r\nVcmax\t7.5\r\nJmax\t7.5\r\nTPU\t7.5\r\nGammaStar\t7.5\r\n");
}

TEST_F(AciFieldsWindow, ReportPrintsInTheWindowsReportFont)
{
    win.aciMnuFilePrintClick();
    ASSERT_EQ(platform.printJobs.size(), 2u);
    EXPECT_EQ(platform.printJobs[1].pointSize, 13.5);  // 18 pixels at 96 per inch
}

}  // namespace
}  // namespace calvane::test
