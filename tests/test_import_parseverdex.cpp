// The instrument import dialog: splitting, marking, settings and GetData.

#include "TestSupport.h"

#include "import/ParseVerdex.h"

#include <string>

namespace calvane {
namespace {

using test::ScratchDir;
using test::ScriptedPlatform;
using test::writeBytes;

class ParseVerdexTest : public ::testing::Test {
protected:
    // Writes the file and loads it by typing its name, as the user would.
    std::string load(const std::string& bytes, bool tab = false, const std::string& name = "log.txt")
    {
        const std::string path = dir.path(name);
        writeBytes(path, bytes);
        dialog.RadioButtonTab.setChecked(tab);
        dialog.RadioButtonComma.setChecked(!tab);
        if (dialog.EdtVerdexFileName.text() == path)
            dialog.LoadFile();
        else
            dialog.EdtVerdexFileName.setText(path);
        return path;
    }

    void mark(const std::string& row, const std::string& ci, const std::string& q, const std::string& a)
    {
        dialog.EdtRow.setText(row);
        dialog.EdtCi.setText(ci);
        dialog.EdtQObs.setText(q);
        dialog.EdtAssimilation.setText(a);
        dialog.BtnOkClick();
    }

    const std::string& cell(int col, int row) const { return dialog.parseSpreadSheet.cell(col, row); }

    ScratchDir dir;
    ScriptedPlatform platform;
    ImportSettings settings;
    TFrmParseVerdex dialog{platform, settings};
};

TEST_F(ParseVerdexTest, StartsWithCommaAndANumberedPreview)
{
    EXPECT_EQ(dialog.caption, "Import Verdex  File");
    EXPECT_TRUE(dialog.RadioButtonComma.checked());
    EXPECT_FALSE(dialog.RadioButtonTab.checked());
    const Grid& grid = dialog.parseSpreadSheet;
    ASSERT_EQ(grid.colCount(), 55);
    ASSERT_EQ(grid.rowCount(), 55);
    for (int col = 0; col < 55; ++col)
        EXPECT_EQ(grid.cell(col, 0), std::to_string(col));
    EXPECT_EQ(grid.cell(0, 1), "");
    EXPECT_EQ(grid.colWidth(0), 20);
    EXPECT_EQ(grid.colWidth(1), 62);
    EXPECT_EQ(grid.colWidth(2), 70);
    EXPECT_EQ(grid.colWidth(3), 70);
    EXPECT_EQ(grid.colWidth(4), 64);
    EXPECT_EQ(grid.colWidth(54), 64);
    EXPECT_EQ(dialog.EdtRow.hint(), "First row of data in file");
    EXPECT_EQ(dialog.EdtCi.hint(), "Ci");
    EXPECT_EQ(dialog.EdtQObs.hint(), "Incident Q");
    EXPECT_EQ(dialog.EdtAssimilation.hint(), "Assimilation");
    for (const TextField* field : {&dialog.EdtRow, &dialog.EdtCi, &dialog.EdtQObs, &dialog.EdtAssimilation})
        EXPECT_EQ(field->text(), "0");
    EXPECT_EQ(dialog.LblFileStatus.text(), "");
    EXPECT_EQ(dialog.GetData(), "");
    EXPECT_EQ(dialog.GetFileName(), "");
}

TEST_F(ParseVerdexTest, CommaModeSplitsTrimsAndKeepsEmptyFields)
{
    load("1,2,3\n"
         " 12.5 , 7 \n"
         "a,,b,\n"
         "10\t20\t30\n"
         ",5,6\n"
         "\n"
         "   \n"
         "\t4 ,9\t\n");
    EXPECT_EQ(cell(1, 1), "1");
    EXPECT_EQ(cell(2, 1), "2");
    EXPECT_EQ(cell(3, 1), "3");
    EXPECT_EQ(cell(4, 1), "");

    EXPECT_EQ(cell(1, 2), "12.5");
    EXPECT_EQ(cell(2, 2), "7");
    EXPECT_EQ(cell(3, 2), "");

    EXPECT_EQ(cell(1, 3), "a");
    EXPECT_EQ(cell(2, 3), "");
    EXPECT_EQ(cell(3, 3), "b");
    EXPECT_EQ(cell(4, 3), "");

    // Tabs separate nothing here: the whole line, inner tabs included, is one field.
    EXPECT_EQ(cell(1, 4), "10\t20\t30");
    EXPECT_EQ(cell(2, 4), "");

    EXPECT_EQ(cell(1, 5), "");
    EXPECT_EQ(cell(2, 5), "5");
    EXPECT_EQ(cell(3, 5), "6");

    EXPECT_EQ(cell(1, 6), "");
    EXPECT_EQ(cell(1, 7), "");
    // Tabs at a field's ends are trimmed like blanks.
    EXPECT_EQ(cell(1, 8), "4");
    EXPECT_EQ(cell(2, 8), "9");
}

TEST_F(ParseVerdexTest, TabModeSplitsAtTabsAndCommas)
{
    load("10\t20\t30\n"
         "1,5\t7\n"
         "\t5\t6\n"
         "  a \t b\t\t c \t\n",
         true);
    EXPECT_EQ(cell(1, 1), "10");
    EXPECT_EQ(cell(2, 1), "20");
    EXPECT_EQ(cell(3, 1), "30");
    EXPECT_EQ(cell(1, 2), "1");
    EXPECT_EQ(cell(2, 2), "5");
    EXPECT_EQ(cell(3, 2), "7");
    // A leading tab is a leading separator: column 1 stays empty.
    EXPECT_EQ(cell(1, 3), "");
    EXPECT_EQ(cell(2, 3), "5");
    EXPECT_EQ(cell(3, 3), "6");
    EXPECT_EQ(cell(1, 4), "a");
    EXPECT_EQ(cell(2, 4), "b");
    EXPECT_EQ(cell(3, 4), "");
    EXPECT_EQ(cell(4, 4), "c");
    EXPECT_EQ(cell(5, 4), "");
}

TEST_F(ParseVerdexTest, SwitchingTheDelimiterReadsTheFileAgain)
{
    load("10\t20\n");
    EXPECT_EQ(cell(1, 1), "10\t20");

    dialog.RadioButtonTab.setChecked(true);
    EXPECT_FALSE(dialog.RadioButtonComma.checked());
    EXPECT_EQ(cell(1, 1), "10");
    EXPECT_EQ(cell(2, 1), "20");

    dialog.RadioButtonComma.setChecked(true);
    EXPECT_FALSE(dialog.RadioButtonTab.checked());
    EXPECT_EQ(cell(1, 1), "10\t20");
    EXPECT_EQ(cell(2, 1), "");

    // Unchecking the chosen one from code selects the other: a delimiter is always set.
    dialog.RadioButtonComma.setChecked(false);
    EXPECT_TRUE(dialog.RadioButtonTab.checked());
    EXPECT_EQ(cell(2, 1), "20");
}

TEST_F(ParseVerdexTest, LinesEndAtCrLfLfOrCrAndBlankLinesCount)
{
    load("1,a\r\n2,b\n3,c\r\r\n5,e");
    EXPECT_EQ(cell(1, 1), "1");
    EXPECT_EQ(cell(2, 2), "b");
    EXPECT_EQ(cell(1, 3), "3");
    EXPECT_EQ(cell(1, 4), "");
    EXPECT_EQ(cell(2, 5), "e");
    EXPECT_EQ(cell(2, 1), "a");  // no CR left on a field
}

TEST_F(ParseVerdexTest, GetDataHandsBackMarkedCellsOfDataRows)
{
    std::string file;
    for (int line = 1; line <= 11; ++line)
        file += "heading " + std::to_string(line) + "\r\n";
    for (int line = 12; line <= 15; ++line) {
        const std::string n = std::to_string(line);
        file += n + ",b" + n + ",ci" + n + ",d,e,q" + n + ",g,h,a" + n + ",j\r\n";
    }
    file += ",skipped,ci16,d,e,q16,g,h,a16\r\n";
    load(file);
    dialog.SetImportType(ImportKind::Aci);
    mark(" 12 ", "3", "6", "9");
    EXPECT_EQ(settings.DataStartRow, 12);
    EXPECT_EQ(dialog.GetData(), "ci12, a12\r\nci13, a13\r\nci14, a14\r\nci15, a15\r\n");

    // The light-response import takes x from the Q column.
    dialog.SetImportType(ImportKind::LightResponse);
    EXPECT_EQ(dialog.GetData(), "q12, a12\r\nq13, a13\r\nq14, a14\r\nq15, a15\r\n");

    // User edits in the preview are handed back as they stand.
    dialog.parseSpreadSheet.setCell(6, 13, "edited");
    dialog.parseSpreadSheet.setCell(1, 14, "");
    EXPECT_EQ(dialog.GetData(), "q12, a12\r\nedited, a13\r\nq15, a15\r\n");
}

TEST_F(ParseVerdexTest, ColumnsWithoutAFieldGiveEmptyValues)
{
    load("1,12.3\n2,4.5\n");
    dialog.SetImportType(ImportKind::Aci);
    mark("1", "0", "0", "2");
    EXPECT_EQ(dialog.GetData(), ", 12.3\r\n, 4.5\r\n");
    mark("2", "-4", "0", "3");
    EXPECT_EQ(settings.CiColumn, -4);
    EXPECT_EQ(dialog.GetData(), ", \r\n");
    mark("2", "1", "0", "2");
    EXPECT_EQ(dialog.GetData(), "2, 4.5\r\n");
}

TEST_F(ParseVerdexTest, StartRowBelowOneHandsBackNothing)
{
    load("1,2\n");
    mark("0", "1", "1", "2");
    EXPECT_EQ(dialog.GetData(), "");
    mark("-3", "1", "1", "2");
    EXPECT_EQ(dialog.GetData(), "");
    mark("1", "1", "1", "2");
    EXPECT_EQ(dialog.GetData(), "1, 2\r\n");
}

TEST_F(ParseVerdexTest, OkStoresTrimmedNameAndWholeNumbersOnly)
{
    const std::string path = load("1,2\n");
    dialog.EdtVerdexFileName.setText("  " + path + " \t");
    dialog.visible = true;
    mark("3.5", "abc", "", "9999999999");
    EXPECT_EQ(settings.ImportFileName, path);
    EXPECT_EQ(dialog.GetFileName(), path);
    EXPECT_EQ(settings.DataStartRow, 0);
    EXPECT_EQ(settings.CiColumn, 0);
    EXPECT_EQ(settings.QObsColumn, 0);
    EXPECT_EQ(settings.AssimColumn, 0);
    EXPECT_FALSE(dialog.visible);
    EXPECT_EQ(dialog.modalResult, TFrmParseVerdex::ModalResult::Ok);

    mark("+7", " 8 ", "-2", "2147483647");
    EXPECT_EQ(settings.DataStartRow, 7);
    EXPECT_EQ(settings.CiColumn, 8);
    EXPECT_EQ(settings.QObsColumn, -2);
    EXPECT_EQ(settings.AssimColumn, 2147483647);

    // OK validates nothing: a name that names no file is accepted as typed.
    dialog.EdtVerdexFileName.setText("nowhere.txt");
    dialog.BtnOkClick();
    EXPECT_EQ(dialog.GetFileName(), "nowhere.txt");
}

TEST_F(ParseVerdexTest, CancelEmptiesTheSettings)
{
    load("1,2\n");
    mark("1", "1", "1", "2");
    ASSERT_EQ(dialog.GetData(), "1, 2\r\n");
    dialog.visible = true;
    dialog.BtnCancelClick();
    EXPECT_FALSE(dialog.visible);
    EXPECT_EQ(dialog.modalResult, TFrmParseVerdex::ModalResult::Cancel);
    EXPECT_EQ(dialog.GetData(), "");
    EXPECT_EQ(dialog.GetFileName(), "");
    EXPECT_EQ(settings.CiColumn, 0);
    EXPECT_EQ(settings.QObsColumn, 0);
    EXPECT_EQ(settings.AssimColumn, 0);
    EXPECT_EQ(settings.DataStartRow, 0);
    // The dialog itself keeps its fields and preview for the next use.
    EXPECT_EQ(dialog.EdtAssimilation.text(), "2");
    EXPECT_EQ(cell(2, 1), "2");
}

TEST_F(ParseVerdexTest, ImportTypeShowsCiOrQControls)
{
    const std::string path = load("1,2\n");
    dialog.EdtRow.setText("5");
    dialog.SetImportType(ImportKind::Aci);
    EXPECT_EQ(settings.ImportType, 1);
    EXPECT_TRUE(dialog.LblCi.visible());
    EXPECT_TRUE(dialog.EdtCi.visible());
    EXPECT_TRUE(dialog.LblColCi.visible());
    EXPECT_TRUE(dialog.PopUpACiPhotoSynth.visible());
    EXPECT_FALSE(dialog.LblQ.visible());
    EXPECT_FALSE(dialog.EdtQObs.visible());
    EXPECT_FALSE(dialog.LblColQ.visible());
    EXPECT_FALSE(dialog.PopUpQObsPar.visible());

    dialog.SetImportType(ImportKind::LightResponse);
    EXPECT_EQ(settings.ImportType, 0);
    EXPECT_FALSE(dialog.LblCi.visible());
    EXPECT_FALSE(dialog.EdtCi.visible());
    EXPECT_FALSE(dialog.LblColCi.visible());
    EXPECT_FALSE(dialog.PopUpACiPhotoSynth.visible());
    EXPECT_TRUE(dialog.LblQ.visible());
    EXPECT_TRUE(dialog.EdtQObs.visible());
    EXPECT_TRUE(dialog.LblColQ.visible());
    EXPECT_TRUE(dialog.PopUpQObsPar.visible());

    for (ImportKind type : {ImportKind::LightResponse, ImportKind::Aci}) {
        dialog.SetImportType(type);
        EXPECT_TRUE(dialog.PopUpStartOfData.visible());
        EXPECT_TRUE(dialog.PopUpAssimilation.visible());
        EXPECT_TRUE(dialog.EdtRow.visible());
        EXPECT_TRUE(dialog.EdtAssimilation.visible());
    }
    // Nothing else is reset.
    EXPECT_EQ(dialog.EdtVerdexFileName.text(), path);
    EXPECT_EQ(dialog.EdtRow.text(), "5");
    EXPECT_EQ(cell(1, 1), "1");
}

TEST_F(ParseVerdexTest, TypedNameLoadsOnlyAnExistingFile)
{
    const std::string path = dir.path("f");
    writeBytes(path, "first,1\n");
    writeBytes(path + ".csv", "second,2\n");

    std::string typed;
    for (char c : path) {
        typed += c;
        dialog.EdtVerdexFileName.setText(typed);
        if (typed != path) {
            EXPECT_EQ(dialog.LblFileStatus.text(), "File Does Not Exist!");
            EXPECT_EQ(dialog.LblFileStatus.background(), colours::red);
            EXPECT_EQ(cell(1, 1), "");
        }
    }
    EXPECT_EQ(dialog.LblFileStatus.text(), "");
    EXPECT_EQ(dialog.LblFileStatus.background(), colours::faceColour);
    EXPECT_EQ(cell(1, 1), "first");

    // A name that no longer names a file leaves the preview as it was.
    dialog.EdtVerdexFileName.setText(path + ".");
    EXPECT_EQ(dialog.LblFileStatus.text(), "File Does Not Exist!");
    EXPECT_EQ(dialog.LblFileStatus.background(), colours::red);
    EXPECT_EQ(cell(1, 1), "first");

    dialog.EdtVerdexFileName.setText(path + ".csv");
    EXPECT_EQ(dialog.LblFileStatus.text(), "");
    EXPECT_EQ(cell(1, 1), "second");

    // Every further change that still names a file reads it again.
    writeBytes(path + ".csv", "third,3\n");
    dialog.EdtVerdexFileName.setText(path + ".csv ");
    EXPECT_EQ(cell(1, 1), "third");

    // An empty name clears the status and leaves the preview.
    dialog.EdtVerdexFileName.setText("missing");
    dialog.EdtVerdexFileName.setText("  ");
    EXPECT_EQ(dialog.LblFileStatus.text(), "");
    EXPECT_EQ(dialog.LblFileStatus.background(), colours::faceColour);
    EXPECT_EQ(cell(1, 1), "third");
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ParseVerdexTest, LoadFileWithAnEmptyNameClearsThePreview)
{
    load("1,2\n");
    dialog.EdtVerdexFileName.setText("");
    dialog.LoadFile();
    EXPECT_EQ(cell(1, 1), "");
    EXPECT_EQ(cell(2, 1), "");
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(ParseVerdexTest, BrowseSetsUpTheOpenDialogAndLoadsThePick)
{
    const std::string path = dir.path("picked.txt");
    writeBytes(path, "7,8\n");
    platform.openAnswers.push_back(path);
    dialog.BtnBrowseClick();
    ASSERT_EQ(platform.openDialogs.size(), 1u);
    EXPECT_EQ(platform.openDialogs[0].defaultExtension, "*.*");
    EXPECT_EQ(platform.openDialogs[0].filter, "All files (*.*)|*.*");
    EXPECT_EQ(platform.openDialogs[0].filterIndex, 1);
    EXPECT_EQ(platform.openDialogs[0].title, "Select the Verdex file to import.");
    EXPECT_EQ(dialog.EdtVerdexFileName.text(), path);
    EXPECT_EQ(cell(1, 1), "7");
    EXPECT_EQ(cell(2, 1), "8");
    EXPECT_TRUE(platform.errors.empty());

    // Cancelling the open dialog changes nothing.
    dialog.BtnBrowseClick();
    EXPECT_EQ(dialog.EdtVerdexFileName.text(), path);
    EXPECT_EQ(cell(1, 1), "7");
}

TEST_F(ParseVerdexTest, BrowseReportsAPickedFileThatDoesNotExist)
{
    load("7,8\n");
    const std::string missing = dir.path("gone.txt");
    platform.openAnswers.push_back(missing);
    dialog.BtnBrowseClick();
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0], missing + " does not exist!\n");
    EXPECT_EQ(dialog.LblFileStatus.text(), "File Does Not Exist!");
    EXPECT_EQ(cell(1, 1), "7");
}

TEST_F(ParseVerdexTest, PopUpCommandsWriteTheSelectedCell)
{
    load("1,2\n");
    dialog.parseSpreadSheetSelectCell(4, 17);
    EXPECT_EQ(settings.SelectedColumn, 4);
    EXPECT_EQ(settings.SelectedRow, 17);
    dialog.PopUpStartOfDataClick();
    dialog.PopUpACiPhotoSynthClick();
    EXPECT_EQ(dialog.EdtRow.text(), "17");
    EXPECT_EQ(dialog.EdtCi.text(), "4");
    EXPECT_EQ(dialog.EdtQObs.text(), "0");
    EXPECT_EQ(dialog.EdtAssimilation.text(), "0");

    dialog.parseSpreadSheetSelectCell(112, 73);
    dialog.PopUpQObsParClick();
    EXPECT_EQ(dialog.EdtQObs.text(), "112");
    dialog.parseSpreadSheetSelectCell(9, 3);
    dialog.PopUpAssimilationClick();
    EXPECT_EQ(dialog.EdtAssimilation.text(), "9");
    EXPECT_EQ(dialog.EdtRow.text(), "17");
    EXPECT_EQ(dialog.EdtCi.text(), "4");

    // A new load forgets the selected column but keeps the row.
    load("3,4\n");
    EXPECT_EQ(settings.SelectedColumn, 0);
    EXPECT_EQ(settings.SelectedRow, 3);
}

TEST_F(ParseVerdexTest, DialogsShareOneSetOfSettings)
{
    ScratchDir otherDir;
    ScriptedPlatform otherPlatform;
    TFrmParseVerdex other(otherPlatform, settings);
    const std::string otherPath = otherDir.path("other.txt");
    writeBytes(otherPath, "x1,y1,z1\nx2,y2,z2\n");
    other.EdtVerdexFileName.setText(otherPath);

    const std::string path = load("a1,b1,c1\n");
    dialog.SetImportType(ImportKind::Aci);
    mark("1", "2", "0", "3");

    // The other dialog sees this OK, and reads its own preview with it.
    EXPECT_EQ(other.GetFileName(), path);
    EXPECT_EQ(other.GetData(), "y1, z1\r\ny2, z2\r\n");

    // The import type is shared as well.
    other.SetImportType(ImportKind::LightResponse);
    EXPECT_EQ(settings.ImportType, 0);
    EXPECT_EQ(dialog.GetData(), ", c1\r\n");

    // A Cancel in the other dialog empties what this one hands back.
    other.BtnCancelClick();
    EXPECT_EQ(dialog.GetFileName(), "");
    EXPECT_EQ(dialog.GetData(), "");
    // Fields and previews stay each dialog's own.
    EXPECT_EQ(dialog.EdtCi.text(), "2");
    EXPECT_EQ(other.EdtCi.text(), "0");
    EXPECT_EQ(cell(1, 1), "a1");
    EXPECT_EQ(other.parseSpreadSheet.cell(1, 1), "x1");
}

TEST_F(ParseVerdexTest, PreviewGrowsToHoldTheWholeFile)
{
    std::string file;
    for (int line = 1; line <= 70; ++line)
        file += std::to_string(line) + ",a" + std::to_string(line) + "\n";
    std::string wide = "w";
    for (int field = 2; field <= 60; ++field)
        wide += ",f" + std::to_string(field);
    file += wide + "\n";
    load(file);

    const Grid& grid = dialog.parseSpreadSheet;
    EXPECT_EQ(grid.rowCount(), 72);
    EXPECT_EQ(grid.colCount(), 61);
    for (int col = 0; col < 61; ++col)
        ASSERT_EQ(grid.cell(col, 0), std::to_string(col));
    EXPECT_EQ(grid.colWidth(60), 64);
    EXPECT_EQ(cell(60, 71), "f60");

    mark("69", "0", "1", "2");
    EXPECT_EQ(dialog.GetData(), "69, a69\r\n70, a70\r\nw, f2\r\n");
    mark("71", "0", "60", "59");
    EXPECT_EQ(dialog.GetData(), "f60, f59\r\n");
}

TEST_F(ParseVerdexTest, ANewLoadForgetsEveryCellOfTheLastFile)
{
    std::string file;
    for (int line = 1; line <= 80; ++line)
        file += "old" + std::to_string(line) +
                ",1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,"
                "22,23,24,25,26,27,28,29,30,31,32,33,34,35,36,37,38,39,40,41,42,43,44,45,46,47,48,49,"
                "50,51,52,53,54,55,56,57,58,59\n";
    load(file, false, "wide.txt");
    ASSERT_EQ(dialog.parseSpreadSheet.colCount(), 61);
    ASSERT_EQ(cell(60, 80), "59");
    // A cell stored beyond the preview (hidden) goes as well.
    dialog.parseSpreadSheet.setCell(70, 90, "stale");

    load("new,x\n", false, "narrow.txt");
    const Grid& grid = dialog.parseSpreadSheet;
    EXPECT_EQ(grid.rowCount(), 55);
    EXPECT_EQ(grid.colCount(), 55);
    EXPECT_EQ(cell(1, 1), "new");
    EXPECT_EQ(cell(3, 1), "");
    EXPECT_EQ(cell(60, 1), "");
    EXPECT_EQ(cell(1, 2), "");
    EXPECT_EQ(cell(60, 80), "");
    EXPECT_EQ(cell(70, 90), "");
    // A column number beyond the preview hands back nothing of the old file.
    mark("1", "0", "60", "2");
    EXPECT_EQ(dialog.GetData(), ", x\r\n");
}

TEST_F(ParseVerdexTest, AFileThatCannotBeReadLeavesAnEmptyPreview)
{
    std::string file;
    for (int line = 1; line <= 60; ++line)
        file += "1,2,3\n";
    load(file);
    ASSERT_EQ(dialog.parseSpreadSheet.rowCount(), 61);
    dialog.parseSpreadSheetSelectCell(2, 5);

    // A folder exists on disk but cannot be read as a file.
    dialog.LoadFromCSV(dir.dir().string());
    const Grid& grid = dialog.parseSpreadSheet;
    EXPECT_EQ(grid.rowCount(), 55);
    EXPECT_EQ(grid.colCount(), 55);
    EXPECT_EQ(grid.cell(1, 1), "");
    EXPECT_EQ(grid.cell(3, 60), "");
    EXPECT_EQ(grid.cell(54, 0), "54");
    EXPECT_EQ(settings.SelectedColumn, 0);
    EXPECT_EQ(settings.SelectedRow, 5);
    EXPECT_TRUE(platform.errors.empty());
}

// --- End row, curve, conditions, Semicolon --------------------------------------------------

TEST_F(ParseVerdexTest, EndRowAndCurveValueSelectTheRowsHandedBack)
{
    load("names,curve,x,a,T\n"
         "1,A,10,1,20\n"
         "remark\n"
         "2,A,20,2,22\n"
         "3,B,30,3,30\n"
         "4,A,40,4,24\n"
         "5,C,50,5,99\n");
    dialog.SetImportType(ImportKind::Aci);
    dialog.EdtRow.setText("2");
    dialog.EdtCurveColumn.setText("2");
    // The values from the start row on, in order of appearance; the first is chosen.
    EXPECT_EQ(dialog.CmbCurveValue.items(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(dialog.CmbCurveValue.text(), "A");
    dialog.EdtEndRow.setText("6");
    EXPECT_EQ(dialog.CmbCurveValue.items(), (std::vector<std::string>{"A", "B"}));
    dialog.EdtLeafTemp.setText("5");
    mark("2", "3", "0", "4");
    EXPECT_EQ(settings.DataEndRow, 6);
    EXPECT_EQ(settings.CurveColumn, 2);
    EXPECT_EQ(settings.CurveValue, "A");
    EXPECT_EQ(dialog.GetData(), "10, 1\r\n20, 2\r\n40, 4\r\n");
    // The mean is over the rows handed back (the remark row holds no number).
    EXPECT_EQ(dialog.GetConditions().leafTemperature, 22.0);
    EXPECT_FALSE(dialog.GetConditions().light);

    dialog.CmbCurveValue.setText("B");
    dialog.BtnOkClick();
    EXPECT_EQ(dialog.GetData(), "30, 3\r\n");
    EXPECT_EQ(dialog.GetConditions().leafTemperature, 30.0);

    // A value that is no longer in the list gives way to the first one.
    dialog.EdtRow.setText("5");
    EXPECT_EQ(dialog.CmbCurveValue.text(), "B");
    dialog.EdtRow.setText("6");
    EXPECT_EQ(dialog.CmbCurveValue.text(), "A");

    // Without a curve column and end row: every row from the start, as always.
    dialog.EdtCurveColumn.setText("0");
    dialog.EdtEndRow.setText("");
    mark("2", "3", "0", "4");
    EXPECT_EQ(dialog.GetData(), "10, 1\r\n, \r\n20, 2\r\n30, 3\r\n40, 4\r\n50, 5\r\n");
    // The light-response window has no condition fields: its import has none.
    dialog.SetImportType(ImportKind::LightResponse);
    EXPECT_FALSE(dialog.GetConditions().leafTemperature);

    dialog.BtnCancelClick();
    EXPECT_EQ(settings.DataEndRow, 0);
    EXPECT_EQ(settings.LeafTempColumn, 0);
    EXPECT_EQ(settings.CurveColumn, 0);
    EXPECT_EQ(settings.CurveValue, "");
}

TEST_F(ParseVerdexTest, ColumnNamesAreRecognisedOnEveryLoad)
{
    load("\"Obs\",\"Ci\",\"Photo\",\"PARi\",\"TLEAF\",\"Press\",\"Tleaf\"\n"
         "1,300,10,1500,25.5,99,26\n");
    EXPECT_EQ(dialog.ColumnNamesRow(), 1);
    // Case and quotes do not matter; the first of equal names wins.
    EXPECT_EQ(dialog.EdtLeafTemp.text(), "5");
    EXPECT_EQ(dialog.EdtLight.text(), "4");
    EXPECT_EQ(dialog.EdtPressure.text(), "6");
    EXPECT_EQ(dialog.FindColumn("Photo"), 3);
    EXPECT_EQ(dialog.FindColumn(" 7 "), 7);
    EXPECT_FALSE(dialog.FindColumn("photo"));  // a name given by the user is matched exactly
    EXPECT_FALSE(dialog.FindColumn("0"));

    // A file without such names sets the fields back to none.
    load("Ci,A\n300,10\n");
    EXPECT_EQ(dialog.ColumnNamesRow(), 1);
    EXPECT_EQ(dialog.EdtLeafTemp.text(), "0");
    EXPECT_EQ(dialog.EdtLight.text(), "0");
    EXPECT_EQ(dialog.EdtPressure.text(), "0");
    load("1,2\n3,4\n");
    EXPECT_EQ(dialog.ColumnNamesRow(), 0);
    EXPECT_FALSE(dialog.FindColumn("Ci"));
}

TEST_F(ParseVerdexTest, SemicolonModeSplitsAtSemicolonsAndHandsBackDecimalPoints)
{
    load("Ci;A;Tleaf\n12,5;3,25;25,5\n100;-1,5;26,5\n");
    dialog.RadioButtonSemicolon.setChecked(true);
    EXPECT_FALSE(dialog.RadioButtonComma.checked());
    EXPECT_FALSE(dialog.RadioButtonTab.checked());
    EXPECT_EQ(cell(1, 2), "12,5");
    EXPECT_EQ(cell(3, 2), "25,5");
    EXPECT_EQ(dialog.EdtLeafTemp.text(), "3");
    dialog.SetImportType(ImportKind::Aci);
    mark("2", "1", "0", "2");
    EXPECT_EQ(dialog.GetData(), "12.5, 3.25\r\n100, -1.5\r\n");
    EXPECT_EQ(dialog.GetConditions().leafTemperature, 26.0);

    // One of three: Tab unchecks Semicolon; unchecking the only one falls back to Comma.
    dialog.RadioButtonTab.setChecked(true);
    EXPECT_FALSE(dialog.RadioButtonSemicolon.checked());
    dialog.RadioButtonSemicolon.setChecked(true);
    dialog.RadioButtonSemicolon.setChecked(false);
    EXPECT_TRUE(dialog.RadioButtonComma.checked());
    EXPECT_EQ(cell(1, 2), "12");  // read again with commas
}

}  // namespace
}  // namespace calvane
