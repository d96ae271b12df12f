// The light-response window's field tables: every output order places each row once,
// and every row reaches the controls it names (its flag, the field pop-up menu, the
// report font).

#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"

#include <gtest/gtest.h>

#include <string>

namespace calvane::test {
namespace {

using Row = ParameterRow<TfrmAQ_C3_Curve>;

TEST(AqFields, EachOutputOrderPlacesItsRowsOnce)
{
    const auto& table = TfrmAQ_C3_Curve::parameterTable();
    EXPECT_TRUE(numbersItsRows(table, &Row::panelOrder, true));
    EXPECT_TRUE(numbersItsRows(table, &Row::focusOrder, true));
    EXPECT_TRUE(numbersItsRows(table, &Row::summaryOrder, true));
    EXPECT_TRUE(numbersItsRows(table, &Row::resetOrder, false));
    for (const Row& row : table)
        EXPECT_EQ(row.reset != nullptr, row.resetOrder > 0) << row.name;
}

class AqFieldsWindow : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve win{platform, settings};
};

TEST_F(AqFieldsWindow, EveryFlagColoursItsOwnFieldAndNoOther)
{
    for (const Row& flagged : TfrmAQ_C3_Curve::parameterTable()) {
        if (!flagged.flag)
            continue;
        (win.*flagged.flag).setChecked(true);
        for (const Row& row : TfrmAQ_C3_Curve::parameterTable())
            EXPECT_EQ((win.*row.field).background() == colours::red, &row == &flagged)
                << flagged.name << " " << row.name;
        (win.*flagged.flag).setChecked(false);
        EXPECT_EQ((win.*flagged.field).background(), colours::windowBackground) << flagged.name;
    }
}

TEST_F(AqFieldsWindow, FieldCopyPasteAndCopyAllReachEveryParameter)
{
    for (const Row& row : TfrmAQ_C3_Curve::parameterTable()) {
        TextField& field = win.*row.field;
        platform.focused = {&field};
        field.setText(std::string(row.name) + " typed");
        win.aqPopupCopyClick();
        EXPECT_EQ(platform.clipboard, std::string(row.name) + " typed");
        platform.clipboard = "0.5";
        win.aqPopUpPasteClick();
        EXPECT_EQ(field.text(), "0.5") << row.name;
    }
    win.aqPopupCopyAllClick();
    EXPECT_EQ(platform.clipboard, "Identifier\t\r\nLight_Saturation\t0.5\r\nLight_Compensation\t0.5\r\nPar_Abs\t0.5\r\n"
                                  "AQE\t0.5\r\nConvexity\t0.5\r\nRespiration\t0.5\r\nAmax\t0.5");
}

TEST_F(AqFieldsWindow, ReportPrintsInTheWindowsOwnSmallerFont)
{
    win.aqMnuFilePrintClick();
    ASSERT_EQ(platform.printJobs.size(), 2u);
    EXPECT_DOUBLE_EQ(platform.printJobs[1].pointSize, 13.0 * 72.0 / 115.0);  // 13 pixels at 115 per inch
}

}  // namespace
}  // namespace calvane::test
