#include "TestSupport.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "import/GridText.h"

using namespace calvane;
using namespace calvane::test;
using Items = std::vector<std::string>;

TEST(CsvItems, BlanksAndCommasSeparateQuotesProtect)
{
    EXPECT_EQ(csvItems(" 50 , 2.1 "), (Items{"50", "2.1"}));
    EXPECT_EQ(csvItems("50 2.1"), (Items{"50", "2.1"}));
    EXPECT_EQ(csvItems("\"1,5\",2"), (Items{"1,5", "2"}));
    EXPECT_EQ(csvItems("\"say \"\"hi\"\"\" x"), (Items{"say \"hi\"", "x"}));
    EXPECT_EQ(csvItems("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(csvItems(",a"), (Items{"", "a"}));
    EXPECT_EQ(csvItems("a,"), (Items{"a"}));
    EXPECT_EQ(csvItems("  \t "), Items{});
    EXPECT_EQ(csvItems(""), Items{});
    EXPECT_EQ(csvItems("\"open"), (Items{"open"}));
}

class CsvLoad : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    ScratchDir dir;
    Grid grid{3, 33};
    void SetUp() override
    {
        grid.setCell(1, 0, "Ci");
        grid.setCell(2, 0, "A");
    }
    std::string file(const std::string& bytes)
    {
        const std::string path = dir.path("data.csv");
        writeBytes(path, bytes);
        return path;
    }
};

TEST_F(CsvLoad, TenLinesOfTwoItemsGiveElevenRowsAndThreeColumns)
{
    std::string text;
    for (int i = 1; i <= 10; ++i)
        text += std::to_string(i * 100) + "," + std::to_string(i) + "\r\n";
    LoadCSVFile(grid, file(text), platform);
    EXPECT_EQ(grid.rowCount(), 11);
    EXPECT_EQ(grid.colCount(), 3);
    EXPECT_EQ(grid.cell(1, 0), "Ci");
    EXPECT_EQ(grid.cell(1, 1), "100");
    EXPECT_EQ(grid.cell(2, 10), "10");
    EXPECT_EQ(grid.colWidth(0), 20);
}

TEST_F(CsvLoad, TheFirstLineFixesTheWidth)
{
    grid.setCell(2, 2, "old");
    grid.setCell(0, 1, "stray");
    const std::string path = file("1,2,3\n4\n5,6,7,8\n");
    try {
        LoadCSVFile(grid, path, platform);
        FAIL() << "no error";
    } catch (const DataError& e) {  // line 2 has no A: said once the grid is loaded
        EXPECT_EQ(std::string(e.what()), "1 row of " + path + " is not a number (line 2)");
    }
    EXPECT_EQ(grid.colCount(), 4);
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.cell(0, 1), "");
    EXPECT_EQ(grid.cell(3, 1), "3");
    EXPECT_EQ(grid.cell(1, 2), "4");
    EXPECT_EQ(grid.cell(2, 2), "old");  // a short line keeps what the row held
    EXPECT_EQ(grid.cell(3, 3), "7");
    EXPECT_EQ(grid.cell(4, 3), "");  // items after the first line's width are dropped
}

TEST_F(CsvLoad, BlankLinesCountAsRowsAndTheHeaderLineIsData)
{
    LoadCSVFile(grid, file("Ci,A\r\n\r\n100,5\r"), platform);
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.cell(1, 1), "Ci");
    EXPECT_EQ(grid.cell(1, 3), "100");
}

TEST_F(CsvLoad, EmptyFileOrItemlessFirstLineLeavesTheGridAsItWas)
{
    grid.setCell(1, 5, "kept");
    LoadCSVFile(grid, file(""), platform);
    LoadCSVFile(grid, file("   \r\n1,2\r\n"), platform);
    EXPECT_EQ(grid.rowCount(), 33);
    EXPECT_EQ(grid.colCount(), 3);
    EXPECT_EQ(grid.cell(1, 5), "kept");
}

TEST_F(CsvLoad, DecodesUtf8AndWindows1252)
{
    LoadCSVFile(grid, file("\xEF\xBB\xBF\xC2\xB5mol,1\n"), platform);
    EXPECT_EQ(grid.cell(1, 1), "\xC2\xB5mol");
    LoadCSVFile(grid, file("\xB5mol,1\n"), platform);
    EXPECT_EQ(grid.cell(1, 1), "\xC2\xB5mol");
}

TEST_F(CsvLoad, AFileThatCannotBeOpenedRaisesAndChangesNothing)
{
    try {
        LoadCSVFile(grid, dir.path("missing.csv"), platform);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.path("missing.csv"));
    }
    EXPECT_THROW(LoadCSVFile(grid, dir.dir().string(), platform), FileError);
    EXPECT_EQ(grid.rowCount(), 33);
}

TEST_F(CsvLoad, ARealCurveWithItsHeaderLine)
{
    LoadCSVFile(grid, dataFile("aci/photosynthesis_S2_T20_0.csv"), platform);
    EXPECT_EQ(grid.rowCount(), 14);  // the title line and 12 points, as data rows
    EXPECT_EQ(grid.colCount(), 3);
    EXPECT_EQ(grid.cell(1, 1), "Ci");
    EXPECT_EQ(grid.cell(1, 2), "296.3019474");
    EXPECT_EQ(grid.cell(2, 2), "14.48952126");
}

TEST_F(CsvLoad, CsvTextCommandSetsTheStatusThenLoads)
{
    TextField status;
    EXPECT_FALSE(importCsvText(platform, grid, status));
    ASSERT_EQ(platform.openDialogs.size(), 1u);
    EXPECT_EQ(platform.openDialogs[0].title, "Select the CSV file to import.");
    EXPECT_EQ(platform.openDialogs[0].filter, "CSV Text file|*.csv|All files|*.*");
    EXPECT_EQ(platform.openDialogs[0].defaultExtension, "*.csv");
    EXPECT_EQ(status.text(), "");

    const std::string missing = dir.path("gone.csv");
    platform.openAnswers = {missing};
    EXPECT_THROW(importCsvText(platform, grid, status), FileError);
    EXPECT_EQ(status.text(), missing);
}

TEST(GridPaste, HeaderLineGoesToRowZeroAndFieldsKeepTheirSpace)
{
    Grid grid(3, 33);
    pasteIntoGrid(grid, "Ci A\r\n50 2.1", '.');
    EXPECT_EQ(grid.cell(1, 0), "Ci ");
    EXPECT_EQ(grid.cell(2, 0), "A");
    EXPECT_EQ(grid.cell(1, 1), "50 ");
    EXPECT_EQ(grid.cell(2, 1), "2.1");
}

TEST(GridPaste, DataOnlyStartsAtRowOneWhateverTheSeparator)
{
    for (const char* text : {"50 2.1", "50,2.1", "50\t2.1"}) {
        Grid grid(3, 33);
        grid.setCell(1, 0, "head");
        grid.setCell(1, 2, "below");
        pasteIntoGrid(grid, text, '.');
        EXPECT_EQ(grid.cell(1, 0), "head");
        EXPECT_EQ(trim(grid.cell(1, 1)), "50");
        EXPECT_EQ(grid.cell(2, 1), "2.1");
        EXPECT_EQ(grid.cell(1, 2), "below");
    }
}

TEST(GridPaste, OneFieldEmptiesColumnTwoAndFurtherFieldsAreIgnored)
{
    Grid grid(4, 33);
    grid.setCell(2, 1, "old");
    grid.setCell(3, 1, "qa");
    pasteIntoGrid(grid, "7\r\n1 2 3", '.');
    EXPECT_EQ(grid.cell(1, 1), "7");
    EXPECT_EQ(grid.cell(2, 1), "");
    EXPECT_EQ(grid.cell(3, 1), "qa");
    EXPECT_EQ(grid.cell(2, 2), "2 ");
    EXPECT_EQ(grid.cell(3, 2), "");
}

TEST(GridPaste, BlankTextPastesNothing)
{
    Grid grid(3, 33);
    grid.setCell(1, 1, "x");
    pasteIntoGrid(grid, " \r\n\t", '.');
    EXPECT_EQ(grid.cell(1, 1), "x");
}

TEST(GridPaste, ALongPasteGrowsTheGridSoEveryLineLands)
{
    Grid grid(3, 33);
    grid.setCell(0, 36, "hidden leftover");  // stored below the last row
    std::string text;
    for (int i = 1; i <= 40; ++i)
        text += std::to_string(i) + "\t" + std::to_string(i * 2) + "\r\n";
    pasteIntoGrid(grid, text, '.');
    EXPECT_EQ(grid.rowCount(), 41);
    EXPECT_EQ(trim(grid.cell(1, 40)), "40");
    EXPECT_EQ(grid.cell(2, 40), "80");
    EXPECT_EQ(grid.cell(0, 36), "");  // the added rows are empty

    pasteIntoGrid(grid, "1 2", '.');  // a paste never removes rows
    EXPECT_EQ(grid.rowCount(), 41);
}

TEST(DroppedFiles, TheCsvFilterIgnoresCaseAndAcceptsFolders)
{
    EXPECT_EQ(firstAcceptedDrop({{"/d/a.txt"}, {"/d/B.CSV"}, {"/d/c.csv"}}), "/d/B.CSV");
    EXPECT_EQ(firstAcceptedDrop({{"/d/a.txt"}, {"/d/folder", true}}), "/d/folder");
    EXPECT_EQ(firstAcceptedDrop({{"/d.csv/readme"}, {"/d/x.csv.bak"}}), std::nullopt);
    EXPECT_EQ(firstAcceptedDrop({}), std::nullopt);
}
