// Text separated by semicolons or tabs, with decimal commas, as spreadsheets save it
// where the comma is the decimal separator: read as its author meant, while
// comma-separated text reads exactly as before.

#include "TestSupport.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "import/DelimitedText.h"
#include "import/GridText.h"

using namespace calvane;
using namespace calvane::test;
using Items = std::vector<std::string>;

namespace {

void expectSameCells(const Grid& actual, const Grid& expected, const std::string& layout)
{
    ASSERT_EQ(actual.rowCount(), expected.rowCount()) << layout;
    ASSERT_EQ(actual.colCount(), expected.colCount()) << layout;
    for (int row = 0; row < expected.rowCount(); ++row)
        for (int col = 0; col < expected.colCount(); ++col)
            ASSERT_EQ(actual.cell(col, row), expected.cell(col, row)) << layout << " row " << row << " col " << col;
}

}  // namespace

TEST(SeparatedText, TheSameCurveInEveryLayoutLoadsAndPastesAlike)
{
    ScriptedPlatform platform;
    ScratchDir dir;
    // One A/Ci curve with its header line, one light curve without, negative A included.
    for (const char* curve : {"aci/photosynthesis_S2_T20_0.csv", "aq/ngeearctic_1818.csv"}) {
        const std::string csv = readBytes(dataFile(curve));
        Grid loaded(3, 33), pasted(3, 33);
        LoadCSVFile(loaded, dataFile(curve), platform);
        pasteIntoGrid(pasted, csv, '.');
        for (const auto& [separator, decimalComma] :
             {std::pair{';', false}, std::pair{';', true}, std::pair{'\t', true}, std::pair{'\t', false}}) {
            const std::string layout = std::string(curve) + (separator == ';' ? " semicolon" : " tab") +
                                       (decimalComma ? " decimal comma" : "");
            const std::string text = withSeparator(csv, separator, decimalComma);
            writeBytes(dir.path("curve.csv"), text);
            Grid grid(3, 33), paste(3, 33);
            LoadCSVFile(grid, dir.path("curve.csv"), platform);
            expectSameCells(grid, loaded, layout);
            pasteIntoGrid(paste, text, '.');
            expectSameCells(paste, pasted, layout + " pasted");
        }
    }
    Grid grid(3, 33);
    writeBytes(dir.path("curve.csv"), "Ci;A\r\n183,92;9,06\r\n");
    LoadCSVFile(grid, dir.path("curve.csv"), platform);
    EXPECT_EQ(grid.cell(1, 2), "183.92");
    EXPECT_EQ(grid.cell(2, 2), "9.06");
}

TEST(SeparatedText, WhichSeparatorATextHas)
{
    using S = ValueSeparator;
    EXPECT_EQ(detectValueSeparator({"Ci;A", "183,92;9,06"}), S::Semicolon);
    EXPECT_EQ(detectValueSeparator({"Ci;A", "183.92;9.06", "", "  "}), S::Semicolon);
    EXPECT_EQ(detectValueSeparator({"Ci\tA", "183,92\t9,06"}), S::Tab);
    EXPECT_EQ(detectValueSeparator({"183,92\t9,06"}), S::Tab);  // one line: it decides alone
    // The header line may hold anything; quoted commas are the item's own.
    EXPECT_EQ(detectValueSeparator({"A, umol;Ci", "\"1,5\";2", "x;\"a, b\""}), S::Semicolon);
    // Comma files stay comma files: a remark with a semicolon, a stray tab, a comma that
    // separates values in a tab or semicolon text.
    EXPECT_EQ(detectValueSeparator({"Ci,A", "183.92,9.06", "shaded; wet"}), S::Comma);
    EXPECT_EQ(detectValueSeparator({"Ci,A", "1500,20", "1499,19.8\t"}), S::Comma);
    EXPECT_EQ(detectValueSeparator({"Ci,A", "183.92,9.06\t"}), S::Comma);
    EXPECT_EQ(detectValueSeparator({"Ci\tA", "183.92,9.06\t1"}), S::Comma);
    EXPECT_EQ(detectValueSeparator({"Ci;A", "", "\t"}), S::Comma);  // a header alone is no semicolon text
    // A lone value on a line says nothing; a lone value with a comma may be a comma line.
    EXPECT_EQ(detectValueSeparator({"Ci;A", "183,92;9,06", "300"}), S::Semicolon);
    EXPECT_EQ(detectValueSeparator({"Ci;A", "183,92;9,06", "300,5"}), S::Comma);

    EXPECT_EQ(separatedItems(" \"a;b\" ; 1,5 ;-2,5E-3;x,y;\"\"\"q\"\" \" ;", ';'),
              (Items{"a;b", "1.5", "-2.5E-3", "x,y", "\"q\" ", ""}));
    EXPECT_EQ(separatedItems("\t7\t\t,5\t", '\t'), (Items{"", "7", "", ".5", ""}));
    EXPECT_EQ(separatedItems(" \t ", '\t'), Items{});
    for (const char* number : {"1,5", ",5", "1,", "+1,25e3", "-0,5E-07"})
        EXPECT_TRUE(isDecimalCommaNumber(number)) << number;
    for (const char* text : {",", "1,5,6", "1.5", "15", "1,5e", "1,5 ", "a,5", "1,5e+", ""})
        EXPECT_FALSE(isDecimalCommaNumber(text)) << text;
}

TEST(SeparatedText, APasteThatIsNoSemicolonOrTabTextStaysAsItWas)
{
    // The import dialog hands back ", " lines, remarks among them.
    for (const char* text : {"Ci, A\r\n100, 5.5\r\nremark; 1,5, \r\n200, 9.25\r\n", "50 2.1", "50,2.1\r\n",
                             "\"Obs\", \"Remark; a\tb\"\r\n"})
        EXPECT_EQ(pasteWithDecimalPoints(text), text);
    EXPECT_EQ(pasteWithDecimalPoints("\r\nCi;A\r\n 183,92 ; 9,06 \r\n"), "Ci\tA\r\n183.92\t9.06\r\n");

    // The same point pasted in every layout lands in the same cells.
    Grid comma(3, 33);
    pasteIntoGrid(comma, "183.92,9.06", '.');
    EXPECT_EQ(comma.cell(1, 1), "183.92 ");
    for (const char* text : {"183.92;9.06", "183,92;9,06", "183,92\t9,06", "183.92\t9.06"}) {
        Grid grid(3, 33);
        pasteIntoGrid(grid, text, '.');
        expectSameCells(grid, comma, text);
    }
}

TEST(SeparatedText, RowsThatAreNotNumbersAreCountedOnceTheGridIsLoaded)
{
    ScriptedPlatform platform;
    ScratchDir dir;
    Grid grid(3, 33);
    // A header line, a blank line and a line of empty items do not count.
    const std::string path = dir.path("mixed.csv");
    writeBytes(path, "Ci;A\r\n100;5\r\n\r\n ; \r\nabc;2\r\n200;x\r\n300\r\n400;7\r\n");
    try {
        LoadCSVFile(grid, path, platform);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(std::string(e.what()), "3 rows of " + path + " are not numbers (the first is line 5)");
    }
    EXPECT_EQ(grid.rowCount(), 9);
    EXPECT_EQ(grid.cell(1, 5), "abc");
    EXPECT_EQ(grid.cell(2, 8), "7");

    // A folder's index is no curve: every row after its header is text.
    const std::string index = dataFile("aq/index.csv");
    try {
        LoadCSVFile(grid, index, platform);
        FAIL() << "no error";
    } catch (const DataError& e) {
        EXPECT_EQ(std::string(e.what()), "133 rows of " + index + " are not numbers (the first is line 2)");
    }
    EXPECT_FALSE(holdsAPoint(gridTextRows(readBytes(index))));
    EXPECT_TRUE(holdsAPoint(gridTextRows(readBytes(dataFile("aq/ngeearctic_2102.csv")))));  // one point, no header
}

TEST(DelimitedTable, FindsTheDelimiterAndReadsQuotedFields)
{
    EXPECT_EQ(detectDelimiter("a;b;\"c,d,e\"\r\n1,2,3"), ';');
    EXPECT_EQ(detectDelimiter("a\tb,c\tx\n"), '\t');
    EXPECT_EQ(detectDelimiter("a,b\n"), ',');
    EXPECT_EQ(detectDelimiter("single\n"), ',');

    const auto records = readDelimited("id, \"x, \"\"quoted\"\"\" ,a\r\n\r\n  ,  \r\n1,\"two\r\nlines\",3\n4,,\r5",
                                       ',');
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].fields, (std::vector<std::string>{"id", "x, \"quoted\"", "a"}));
    EXPECT_EQ(records[1].line, 4);  // the blank line and the line of empty fields give no record
    EXPECT_EQ(records[1].fields, (std::vector<std::string>{"1", "two\r\nlines", "3"}));
    EXPECT_EQ(records[2].line, 6);
    EXPECT_EQ(records[2].fields, (std::vector<std::string>{"4", "", ""}));
    EXPECT_EQ(records[3].line, 7);
}

TEST(DelimitedTable, ATableAndItsLinesCutAlike)
{
    // The records of a table and the items of its lines, cut one line at a time, are
    // one reader's fields: quotes, blanks and empty fields alike.
    for (const auto& [text, delimiter] :
         {std::pair<std::string, char>{" a ; \"b;c\" ;;\"d \"\"e\"\" \"\n1x5;\" 2 \";x y; \r\n", ';'},
          std::pair<std::string, char>{"\tx\t\"y\tz\"\t\r\n 3 25 \t\"\"\tq\n", '\t'}}) {
        const auto records = readDelimited(text, delimiter);
        const auto lines = splitLines(text);
        ASSERT_EQ(records.size(), 2u) << text;
        for (std::size_t r = 0; r < records.size(); ++r)
            EXPECT_EQ(records[r].fields, separatedItems(lines[r], delimiter)) << text << " line " << r + 1;
    }
    // A quoted part ends at its first undoubled quote, or at the end of the text.
    std::string field;
    EXPECT_EQ(readQuoted("x\"a\"\"b\",c", 1, field), 7u);
    EXPECT_EQ(field, "a\"b");
    field.clear();
    EXPECT_EQ(readQuoted("\"open", 0, field), 5u);
    EXPECT_EQ(field, "open");
}
