// The light-response window's state and its data commands: defaults, fields and flags,
// Plot Data, Clear, Exit, the chart title, export, the dark respiration, paste, drop and
// the instrument import.

#include "TestSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "import/ParseVerdex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace calvane;
using calvane::test::dataFile;
using calvane::test::readBytes;
using calvane::test::ScratchDir;
using calvane::test::ScriptedPlatform;
using calvane::test::writeBytes;

namespace {

class AqWindow : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window{platform, settings};

    void row(int r, const std::string& q, const std::string& a)
    {
        window.aqSpreadSheetData.setCell(1, r, q);
        window.aqSpreadSheetData.setCell(2, r, a);
    }
};

std::string joinCrLf(const std::vector<std::string>& lines)
{
    std::string all;
    for (const auto& line : lines)
        all += line + "\r\n";
    return all;
}

}  // namespace

TEST_F(AqWindow, StartsWithTheDefaults)
{
    EXPECT_EQ(window.caption, "AQ (Light Response) Curve For Photosynthesis");
    EXPECT_FALSE(window.visible);
    const Grid& grid = window.aqSpreadSheetData;
    EXPECT_EQ(grid.colCount(), 4);
    EXPECT_EQ(grid.rowCount(), 33);
    const std::vector<std::string> headers{"No.", "Q Obs", "A Assimiliation", "Qa"};
    const std::vector<int> widths{20, 62, 70, 70};
    for (int col = 0; col < 4; ++col) {
        EXPECT_EQ(grid.cell(col, 0), headers[static_cast<std::size_t>(col)]);
        EXPECT_EQ(grid.colWidth(col), widths[static_cast<std::size_t>(col)]);
    }
    EXPECT_EQ(grid.cell(1, 1), "");

    for (const TextField* f : {&window.aqEdit_Identifier, &window.aqEdit_Status, &window.aqNumEdit_AQE,
                               &window.aqNumEdit_Convexity, &window.aqNumEdit_A0_Resp, &window.aqNumEdit_Amax,
                               &window.aqNumEdit_LightCompPoint, &window.aqNumEdit_LightSatPoint})
        EXPECT_EQ(f->text(), "");
    EXPECT_EQ(window.aqNumEdit_ParAbs.text(), "0.85");
    EXPECT_EQ(window.aqNumEdit_ParAbs.background(), colours::aqua);
    EXPECT_EQ(window.aqNumEdit_ParAbs.hint(), "Mult by Q obs to compute Qa");
    EXPECT_EQ(window.aqEdit_Status.background(), colours::faceColour);
    EXPECT_EQ(window.aqNumEdit_LightSatPoint.hint(), "Light Saturation Point (1%) umol m-2 s-1");
    EXPECT_EQ(window.aqNumEdit_AQE.background(), colours::windowBackground);

    EXPECT_EQ(window.aqCheckBox_A0_Resp.hint, "Force Respiration [A (0)]   to this value");
    for (const CheckBox* c :
         {&window.aqCheckBox_AQE, &window.aqCheckBox_Convexity, &window.aqCheckBox_A0_Resp, &window.aqCheckBox_Amax})
        EXPECT_FALSE(c->checked());

    EXPECT_EQ(window.aqProgressBar3D.maximum(), 20);
    EXPECT_EQ(window.aqProgressBar3D.position(), 0);
    EXPECT_EQ(window.aqChart_LightResponseCurve.lines(), std::vector<std::string>{"Light Response Curve"});
    EXPECT_TRUE(window.Series_LightAssim.empty());
    EXPECT_TRUE(window.Series_ComputedA.empty());

    EXPECT_EQ(window.SaveDialog.options.filter, "Text files (*.txt)|*.txt|All Files |*.*");
    EXPECT_EQ(window.SaveDialog.options.defaultExtension, "txt");
    EXPECT_EQ(window.SaveDialog.options.initialName, "AQResults");
}

TEST_F(AqWindow, NumEditValueReadsZeroForAnythingButANumber)
{
    TextField f;
    EXPECT_EQ(window.numEditValue(f), 0.0);
    for (const char* text : {" ", "abc", "-", "1.2.3", "12x"}) {
        f.setText(text);
        EXPECT_EQ(window.numEditValue(f), 0.0) << text;
    }
    f.setText(" 0.50 ");
    EXPECT_EQ(window.numEditValue(f), 0.5);
    f.setText("-1.5E2");
    EXPECT_EQ(window.numEditValue(f), -150.0);
    platform.separator = ',';
    f.setText("1,25");
    EXPECT_EQ(window.numEditValue(f), 1.25);
}

TEST_F(AqWindow, FlagsColourTheirFieldsAndNameTheirState)
{
    std::string state;
    window.checkIndicator(window.aqCheckBox_Amax, state);
    EXPECT_EQ(state, "Computed");

    window.aqCheckBox_Amax.setChecked(true);
    EXPECT_EQ(window.aqNumEdit_Amax.background(), colours::red);
    EXPECT_EQ(window.aqNumEdit_AQE.background(), colours::windowBackground);
    window.checkIndicator(window.aqCheckBox_Amax, state);
    EXPECT_EQ(state, "Fixed");
    window.aqCheckBox_Amax.setChecked(false);
    EXPECT_EQ(window.aqNumEdit_Amax.background(), colours::windowBackground);

    window.aqCheckBox_AQE.setChecked(true);
    window.aqCheckBox_Convexity.setChecked(true);
    window.aqCheckBox_A0_Resp.setChecked(true);
    EXPECT_EQ(window.aqNumEdit_AQE.background(), colours::red);
    EXPECT_EQ(window.aqNumEdit_Convexity.background(), colours::red);
    EXPECT_EQ(window.aqNumEdit_A0_Resp.background(), colours::red);
}

TEST_F(AqWindow, IdentifierSetsTheChartTitle)
{
    for (const char* typed : {"l", "le", "leaf 3"})
        window.aqEdit_Identifier.setText(typed);
    EXPECT_EQ(window.aqChart_LightResponseCurve.lines(), std::vector<std::string>{"Light Response Curve for: leaf 3"});
    window.aqEdit_Identifier.setText("");
    EXPECT_EQ(window.aqChart_LightResponseCurve.lines(), std::vector<std::string>{"Light Response Curve for: "});
}

TEST_F(AqWindow, PlotDataBuildsThePointsBottomUpAndTheQaColumn)
{
    row(1, "0", "-1.2");   // dark reading: a point at Qa 0
    row(2, "100", "");     // no A: Qa written, no point
    row(3, "abc", "2.5");  // Q not a number: Qa 0, point (0, 2.5)
    row(4, "0", "0");      // both zero: no point
    row(5, "200", "xyz");  // A not a number: A = 0, point (170, 0)
    window.Series_ComputedA.add(1, 1);
    window.aqMnuResultsPlotDataClick();

    const auto& grid = window.aqSpreadSheetData;
    EXPECT_EQ(grid.cell(3, 1), "0");
    EXPECT_EQ(grid.cell(3, 2), "85");
    EXPECT_EQ(grid.cell(3, 3), "0");
    EXPECT_EQ(grid.cell(3, 5), "170");
    for (int r = 6; r < grid.rowCount(); ++r)
        EXPECT_EQ(grid.cell(3, r), "0") << r;
    const std::vector<std::pair<double, double>> expected{{170, 0}, {0, 2.5}, {0, -1.2}};
    EXPECT_EQ(window.Series_LightAssim.points(), expected);
    // Plot Data leaves the computed curve alone.
    EXPECT_EQ(window.Series_ComputedA.count(), 1);
}

TEST_F(AqWindow, PlotDataOnFiveRowsGivesFivePointsLastRowFirst)
{
    for (int r = 1; r <= 5; ++r)
        row(r, std::to_string(r * 100), std::to_string(r));
    window.aqMnuResultsPlotDataClick();
    ASSERT_EQ(window.Series_LightAssim.count(), 5);
    EXPECT_EQ(window.Series_LightAssim.x(0), 425.0);
    EXPECT_EQ(window.Series_LightAssim.y(0), 5.0);
    EXPECT_EQ(window.Series_LightAssim.y(4), 1.0);
    // The points are the chart's only copy: a second run replaces them.
    window.aqMnuResultsPlotDataClick();
    EXPECT_EQ(window.Series_LightAssim.count(), 5);
}

TEST_F(AqWindow, ParAbsBelowOneHundredthBecomesTheDefault)
{
    row(1, "100", "3");
    for (const char* text : {"0", "-1", "", "abc", "0.009"}) {
        window.aqNumEdit_ParAbs.setText(text);
        window.aqMnuResultsPlotDataClick();
        EXPECT_EQ(window.aqNumEdit_ParAbs.text(), "0.85") << text;
        EXPECT_EQ(window.aqSpreadSheetData.cell(3, 1), "85") << text;
    }
    window.aqNumEdit_ParAbs.setText("0.900");
    window.aqMnuResultsPlotDataClick();
    EXPECT_EQ(window.aqNumEdit_ParAbs.text(), "0.9");
    EXPECT_EQ(window.aqSpreadSheetData.cell(3, 1), "90");
    EXPECT_EQ(window.Series_LightAssim.x(0), 90.0);
}

TEST_F(AqWindow, PlotDataWritesTheLocaleSeparator)
{
    platform.separator = ',';
    window.aqNumEdit_ParAbs.setText("0,8");
    row(1, "12,5", "1,5");
    window.aqMnuResultsPlotDataClick();
    EXPECT_EQ(window.aqSpreadSheetData.cell(3, 1), "10");
    row(1, "10,1", "1,5");
    window.aqMnuResultsPlotDataClick();
    EXPECT_EQ(window.aqSpreadSheetData.cell(3, 1), "8,08");
    EXPECT_EQ(window.Series_LightAssim.y(0), 1.5);
}

TEST_F(AqWindow, PlotDataStopsOnAQaBeyondTheRangeOfANumber)
{
    row(1, "1", "2");
    row(2, "1E308", "3");
    window.aqNumEdit_ParAbs.setText("10");
    try {
        window.aqMnuResultsPlotDataClick();
        FAIL() << "no error";
    } catch (const ArithmeticError& e) {
        EXPECT_STREQ(e.what(), "Floating point overflow");
    }
    EXPECT_EQ(window.aqSpreadSheetData.cell(3, 2), "");  // nothing like "inf" is written
}

TEST_F(AqWindow, ClearEmptiesDataAndParametersOnly)
{
    row(1, "100", "3");
    window.aqSpreadSheetData.setCell(3, 1, "85");
    window.aqEdit_Identifier.setText("leaf 3");
    window.aqEdit_Status.setText("file.csv");
    window.aqNumEdit_Amax.setText("20");
    window.aqNumEdit_AQE.setText("0.05");
    window.aqNumEdit_Convexity.setText("3");
    window.aqNumEdit_A0_Resp.setText("-1");
    window.aqNumEdit_ParAbs.setText("0.8");
    window.aqNumEdit_LightSatPoint.setText("1044");
    window.aqNumEdit_LightCompPoint.setText("20");
    window.aqCheckBox_Convexity.setChecked(true);
    window.aqProgressBar3D.setPosition(7);
    window.Series_LightAssim.add(85, 3);
    window.Series_ComputedA.add(0, -1);

    window.aqMnuFileClearClick();

    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(window.aqSpreadSheetData.cell(c, 1), "");
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 0), "Q Obs");
    EXPECT_EQ(window.aqSpreadSheetData.rowCount(), 33);
    EXPECT_EQ(window.aqNumEdit_Amax.text(), "");
    EXPECT_EQ(window.aqNumEdit_AQE.text(), "");
    EXPECT_EQ(window.aqNumEdit_Convexity.text(), "");
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "");
    EXPECT_TRUE(window.Series_LightAssim.empty());
    EXPECT_TRUE(window.Series_ComputedA.empty());
    EXPECT_EQ(window.aqEdit_Identifier.text(), "leaf 3");
    EXPECT_EQ(window.aqEdit_Status.text(), "file.csv");
    EXPECT_EQ(window.aqNumEdit_ParAbs.text(), "0.8");
    EXPECT_EQ(window.aqNumEdit_LightSatPoint.text(), "1044");
    EXPECT_EQ(window.aqNumEdit_LightCompPoint.text(), "20");
    EXPECT_TRUE(window.aqCheckBox_Convexity.checked());
    EXPECT_EQ(window.aqNumEdit_Convexity.background(), colours::red);
    EXPECT_EQ(window.aqProgressBar3D.position(), 7);
    EXPECT_EQ(window.aqChart_LightResponseCurve.lines(), std::vector<std::string>{"Light Response Curve for: leaf 3"});
}

TEST_F(AqWindow, ExitOnlyHides)
{
    window.visible = true;
    row(1, "100", "3");
    window.aqNumEdit_Amax.setText("20");
    window.aqCheckBox_Amax.setChecked(true);
    window.aqMnuFileExitClick();
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 1), "100");
    EXPECT_EQ(window.aqNumEdit_Amax.text(), "20");
    EXPECT_TRUE(window.aqCheckBox_Amax.checked());
}

// --- Export -----------------------------------------------------------------------------

TEST_F(AqWindow, ExportOfAFreshWindowHas42Lines)
{
    ScratchDir dir;
    platform.saveAnswers.push_back(dir.path("fresh"));
    window.aqMnuFileExportClick();
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].title, "Save Results for: ");
    EXPECT_EQ(platform.saveDialogs[0].initialName, "AQResults");
    EXPECT_EQ(platform.saveDialogs[0].filter, "Text files (*.txt)|*.txt|All Files |*.*");

    std::string expected = "AQ Light Response Curve for: \r\n"
                           "Light Saturation Point  (umol m-2 s-1), \r\n"
                           "Light Compensation Point(umol m-2 s-1), \r\n"
                           "Par Abs, 0.85\r\n"
                           "AQE, ,Computed\r\n"
                           "Amax, ,Computed\r\n"
                           "Respiration, ,Computed\r\n"
                           "Convexity, ,Computed\r\n"
                           " \r\n"
                           "  Q Obs, A Assimiliation, Qa\r\n";
    for (int r = 1; r <= 32; ++r)
        expected += "  , , \r\n";
    EXPECT_EQ(readBytes(dir.path("fresh.txt")), expected);
    EXPECT_EQ(window.exportLines().size(), 42u);
    EXPECT_TRUE(platform.questions.empty());
}

TEST_F(AqWindow, ExportOfTheWorkedExample)
{
    window.aqEdit_Identifier.setText("leaf 3");
    window.aqCheckBox_Convexity.setChecked(true);
    window.aqNumEdit_LightSatPoint.setText("1210");
    window.aqNumEdit_LightCompPoint.setText("31.5");
    window.aqNumEdit_AQE.setText("0.052");
    window.aqNumEdit_Amax.setText("18.3");
    window.aqNumEdit_A0_Resp.setText("1.6");
    window.aqNumEdit_Convexity.setText("0.7");
    row(1, "50", "1.1");
    window.aqSpreadSheetData.setCell(3, 1, "42.5");

    ScratchDir dir;
    writeBytes(dir.path("AQResults.txt"), "old");
    platform.saveAnswers.push_back(dir.path("AQResults.txt"));
    window.aqMnuFileExportClick();
    EXPECT_EQ(platform.saveDialogs.at(0).title, "Save Results for: leaf 3");
    EXPECT_EQ(platform.questions,
              std::vector<std::string>{"Overwrite existing file " + dir.path("AQResults.txt") + "?"});

    const std::string expectedStart = "AQ Light Response Curve for: leaf 3\r\n"
                                      "Light Saturation Point  (umol m-2 s-1), 1210\r\n"
                                      "Light Compensation Point(umol m-2 s-1), 31.5\r\n"
                                      "Par Abs, 0.85\r\n"
                                      "AQE, 0.052,Computed\r\n"
                                      "Amax, 18.3,Computed\r\n"
                                      "Respiration, 1.6,Computed\r\n"
                                      "Convexity, 0.7,Fixed\r\n"
                                      " \r\n"
                                      "  Q Obs, A Assimiliation, Qa\r\n"
                                      "  50, 1.1, 42.5\r\n"
                                      "  , , \r\n";
    const std::string written = readBytes(dir.path("AQResults.txt"));
    EXPECT_EQ(written.substr(0, expectedStart.size()), expectedStart);
    EXPECT_EQ(written, joinCrLf(window.exportLines()));
}

TEST_F(AqWindow, ExportCancelOrNoWritesNothing)
{
    ScratchDir dir;
    window.aqMnuFileExportClick();  // no answer: cancelled
    EXPECT_EQ(platform.saveDialogs.size(), 1u);

    writeBytes(dir.path("keep.txt"), "unchanged");
    platform.answerYes = false;
    platform.saveAnswers.push_back(dir.path("keep.txt"));
    window.aqMnuFileExportClick();
    EXPECT_EQ(readBytes(dir.path("keep.txt")), "unchanged");
}

TEST_F(AqWindow, ExportToAnUncreatableFileFails)
{
    ScratchDir dir;
    const std::string path = dir.path("missing/folder/out.txt");
    platform.saveAnswers.push_back(path);
    try {
        window.aqMnuFileExportClick();
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
    }
}

TEST_F(AqWindow, ExportTableFollowsTheGridSize)
{
    window.aqSpreadSheetData.setRowCount(3);
    row(1, "50", "1.1");
    const auto lines = window.exportLines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[10], "  50, 1.1, ");
    EXPECT_EQ(lines[11], "  , , ");
}

// --- Dark respiration ---------------------------------------------------------------------

TEST_F(AqWindow, SetRespirationTakesTheDarkRowAndFixesIt)
{
    row(1, "0", "-1.2");
    row(2, "500", "10");
    window.setRespiration();
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-1.2");
    EXPECT_TRUE(window.aqCheckBox_A0_Resp.checked());
    EXPECT_EQ(window.aqNumEdit_A0_Resp.background(), colours::red);
}

TEST_F(AqWindow, SetRespirationPrefersTheDarkRowNearestTheBottom)
{
    row(1, "0", "-1.2");
    row(2, "500", "10");
    row(3, "0.005", "-0.8");
    row(4, "", "-5");     // empty Q reads 9999: not dark
    row(5, "abc", "-6");  // so does a non-number
    window.setRespiration();
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-0.8");
}

TEST_F(AqWindow, SetRespirationWithoutADarkRowChangesNothing)
{
    row(1, "0.01", "-1.2");
    row(2, "500", "10");
    window.aqNumEdit_A0_Resp.setText("-2");
    window.setRespiration();
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-2");
    EXPECT_FALSE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, SetRespirationReadsANonNumericAAsZeroAndChecksAgainOnKeyUp)
{
    row(1, "-0.06", "n/a");
    window.aqSpreadSheetDataKeyUp();
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "0");
    EXPECT_TRUE(window.aqCheckBox_A0_Resp.checked());
    window.aqCheckBox_A0_Resp.setChecked(false);
    EXPECT_EQ(window.aqNumEdit_A0_Resp.background(), colours::windowBackground);
    row(1, "-0.06", "-2.2");
    window.aqSpreadSheetDataKeyUp();
    EXPECT_TRUE(window.aqCheckBox_A0_Resp.checked());
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-2.2");
}

// --- Paste, drop, instrument import -----------------------------------------------------------

TEST_F(AqWindow, PasteFillsColumnsOneAndTwoThenTakesTheRespiration)
{
    window.aqSpreadSheetData.setCell(3, 1, "old Qa");
    platform.clipboard = "1500\t19.8\r\n100\t4.25\r\n0\t-1.69\r\n";
    window.aqClipboardPasteClick();
    const auto& grid = window.aqSpreadSheetData;
    EXPECT_EQ(grid.cell(1, 0), "Q Obs");
    EXPECT_EQ(grid.cell(1, 1), "1500 ");
    EXPECT_EQ(grid.cell(2, 1), "19.8");
    EXPECT_EQ(grid.cell(3, 1), "old Qa");
    EXPECT_EQ(grid.cell(1, 3), "0 ");
    EXPECT_EQ(grid.cell(2, 3), "-1.69");
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-1.69");
    EXPECT_TRUE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, PasteOfAHeaderLineReplacesTheColumnTitles)
{
    platform.clipboard = "PAR,A\r\n50,1.1\r\n";
    window.aqClipboardPasteClick();
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 0), "PAR ");
    EXPECT_EQ(window.aqSpreadSheetData.cell(2, 0), "A");
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 1), "50 ");
    EXPECT_FALSE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, EmptyClipboardStillTakesTheRespiration)
{
    row(2, "0", "-0.9");
    platform.clipboard = "";
    window.aqClipboardPasteClick();
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 1), "");
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-0.9");
}

TEST_F(AqWindow, DropLoadsTheFirstCsvAddsTheQaColumnAndTakesTheRespiration)
{
    ScratchDir dir;
    std::string csv;
    for (int i = 9; i >= 0; --i)
        csv += std::to_string(i * 100) + "," + std::to_string(i) + ".5\r\n";
    writeBytes(dir.path("curve.CSV"), csv);
    writeBytes(dir.path("notes.txt"), "1,2\r\n");

    window.KipFormDropFilesDropFiles({{dir.path("notes.txt"), false}, {dir.path("curve.CSV"), false}});
    const auto& grid = window.aqSpreadSheetData;
    EXPECT_EQ(window.aqEdit_Status.text(), dir.path("curve.CSV"));
    EXPECT_EQ(grid.rowCount(), 11);
    EXPECT_EQ(grid.colCount(), 4);
    EXPECT_EQ(grid.cell(3, 0), "Qa");
    EXPECT_EQ(grid.cell(1, 1), "900");
    EXPECT_EQ(grid.cell(2, 10), "0.5");
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "0.5");
    EXPECT_TRUE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, DropOfAOneColumnFileAddsOnlyOneColumn)
{
    ScratchDir dir;
    writeBytes(dir.path("q.csv"), "100\r\n200\r\n");
    try {
        window.KipFormDropFilesDropFiles({{dir.path("q.csv"), false}});
        FAIL() << "no error";
    } catch (const DataError& e) {  // no A column: said once the drop is done
        EXPECT_EQ(std::string(e.what()), "1 row of " + dir.path("q.csv") + " is not a number (line 2)");
    }
    EXPECT_EQ(window.aqSpreadSheetData.colCount(), 3);
    EXPECT_EQ(window.aqSpreadSheetData.rowCount(), 3);
}

TEST_F(AqWindow, DropOfNothingAcceptedDoesNothing)
{
    window.aqEdit_Status.setText("before");
    window.KipFormDropFilesDropFiles({{"/tmp/a.txt", false}, {"/tmp/b.csv.bak", false}});
    EXPECT_EQ(window.aqEdit_Status.text(), "before");
    EXPECT_EQ(window.aqSpreadSheetData.rowCount(), 33);
}

TEST_F(AqWindow, DropOfAnUnreadableFileStopsBeforeTheColumnAndTheRespiration)
{
    ScratchDir dir;
    row(1, "0", "-1");
    window.aqSpreadSheetData.setColCount(3);
    const std::string missing = dir.path("gone.csv");
    try {
        window.KipFormDropFilesDropFiles({{missing, false}});
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
    }
    EXPECT_EQ(window.aqEdit_Status.text(), missing);
    EXPECT_EQ(window.aqSpreadSheetData.colCount(), 3);
    EXPECT_FALSE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, CsvTextImportLoadsWithoutColumnOrRespiration)
{
    platform.openAnswers.push_back(dataFile("aq/pecan_1aq.csv"));
    window.aqMnuFileImportCSVClick();
    ASSERT_EQ(platform.openDialogs.size(), 1u);
    EXPECT_EQ(platform.openDialogs[0].title, "Select the CSV file to import.");
    EXPECT_EQ(window.aqEdit_Status.text(), dataFile("aq/pecan_1aq.csv"));
    EXPECT_EQ(window.aqSpreadSheetData.rowCount(), 11);
    EXPECT_EQ(window.aqSpreadSheetData.colCount(), 3);
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 10), "0");
    EXPECT_EQ(window.aqSpreadSheetData.cell(2, 10), "-1.69");
    EXPECT_FALSE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, VerdexOutputPastesTheInstrumentColumnsAndTakesTheRespiration)
{
    const std::string file = dataFile("instrument/aq_pecan_1.txt");
    platform.importDialogScript = [&](TFrmParseVerdex& dialog) {
        dialog.RadioButtonTab.setChecked(true);
        dialog.EdtVerdexFileName.setText(file);
        dialog.EdtRow.setText("18");
        dialog.EdtQObs.setText("25");         // PARi
        dialog.EdtAssimilation.setText("5");  // Photo
        dialog.BtnOkClick();
    };
    window.aqMnuFileImportVerdexClick();
    EXPECT_EQ(platform.importDialogRuns, 1);
    EXPECT_EQ(settings.ImportType, 0);
    EXPECT_EQ(window.aqEdit_Status.text(), file);

    // The data rows of the file, in order, whatever lines the remarks left between them.
    std::vector<std::pair<std::string, std::string>> readings;
    const auto& grid = window.aqSpreadSheetData;
    for (int r = 1; r < grid.rowCount(); ++r)
        if (!trim(grid.cell(1, r)).empty())
            readings.emplace_back(trim(grid.cell(1, r)), grid.cell(2, r));
    ASSERT_EQ(readings.size(), 10u);
    EXPECT_EQ(readings.front(), std::make_pair(std::string("1499"), std::string("19.8")));
    EXPECT_EQ(readings.back(), std::make_pair(std::string("0"), std::string("-1.69")));
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-1.69");
    EXPECT_TRUE(window.aqCheckBox_A0_Resp.checked());
}

TEST_F(AqWindow, VerdexOutputCancelledPastesNothingButStillTakesTheRespiration)
{
    row(4, "0", "-2.5");
    platform.importDialogScript = [](TFrmParseVerdex& dialog) { dialog.BtnCancelClick(); };
    window.aqEdit_Status.setText("old");
    window.aqMnuFileImportVerdexClick();
    EXPECT_EQ(window.aqEdit_Status.text(), "");
    EXPECT_EQ(window.aqSpreadSheetData.cell(1, 1), "");
    EXPECT_EQ(window.aqNumEdit_A0_Resp.text(), "-2.5");
}
