// Hostile inputs through every way data come in (File > Import > "CSV Text", a drop,
// the instrument import dialog, a paste, typed field texts), each with its outcome:
// no crash, no hang, a clear message or the stated absorption, and the results still
// export. Large inputs are made here rather than stored.

#include "TestSupport.h"
#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <random>

namespace calvane::test {
namespace {

// The general error display: the message a command ended with, empty when it ran through.
template <typename Command>
std::string messageOf(const Command& command)
{
    try {
        command();
    } catch (const CalvaneError& error) {
        return error.what();
    }
    return {};
}

std::string randomBytes(std::size_t size)
{
    std::mt19937 generator(12);
    std::string bytes(size, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(generator() & 0xFF);
    return bytes;
}

std::string manyFields(int count)
{
    std::string line;
    for (int i = 1; i <= count; ++i)
        line += std::to_string(i) + (i < count ? "," : "\r\n");
    return line;
}

class HostileFiles : public ::testing::Test {
protected:
    // The file through all three loaders, then the commands that read what they loaded.
    void loadEverywhere(const std::string& bytes)
    {
        writeBytes(path, bytes);
        platform.openAnswers = {path};
        aciLoadMessage = messageOf([&] { aci.aciMnuFIleImportTextClick(); });
        aciPlotMessage = messageOf([&] { aci.aciMnuResultsPlotDataClick(); });
        aciComputeMessage = messageOf([&] { aci.aciMnuResultsComputeCurveClick(); });

        EXPECT_EQ(messageOf([&] { aq.KipFormDropFilesDropFiles({{path, false}}); }), aciLoadMessage);
        aq.aqCheckBox_Amax.setChecked(true);  // one free parameter keeps the fit short
        aq.aqCheckBox_Convexity.setChecked(true);
        aq.aqCheckBox_A0_Resp.setChecked(true);
        aqFitMessage = messageOf([&] { aq.aqMnuResultsFitCurveClick(); });

        TFrmParseVerdex& dialog = aci.frmParseVerdex;
        dialog.SetImportType(ImportKind::Aci);
        dialog.EdtVerdexFileName.setText(path);
        dialog.EdtRow.setText("1");
        dialog.EdtCi.setText("1");
        dialog.EdtAssimilation.setText("2");
        dialog.BtnOkClick();

        // The results still go out, whatever came in.
        platform.saveAnswers = {dir.path("ACIResults.txt"), dir.path("AQResults.txt")};
        aci.aciMnuFileExportClick();
        aq.aqMnuFileExportClick();
        EXPECT_EQ(readBytes(dir.path("AQResults.txt")).substr(0, 6), "AQ Lig");
        EXPECT_TRUE(platform.errors.empty());
    }

    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmACi_Curve aci{platform, settings};
    TfrmAQ_C3_Curve aq{platform, settings};
    ScratchDir dir;
    const std::string path = dir.path("hostile input.csv");
    std::string aciLoadMessage, aciPlotMessage, aciComputeMessage, aqFitMessage;
};

TEST_F(HostileFiles, AnEmptyFileChangesNothing)
{
    loadEverywhere("");
    EXPECT_EQ(aciLoadMessage, "");
    EXPECT_EQ(aci.aciSpreadSheetData.rowCount(), 33);
    EXPECT_EQ(aci.aciSpreadSheetData.colCount(), 3);
    EXPECT_EQ(aci.aciEdit_Status.text(), path);
    EXPECT_EQ(aciComputeMessage, "Cannot fit Vcmax and respiration: no measured points");
    EXPECT_EQ(aci.frmParseVerdex.GetData(), "");
}

TEST_F(HostileFiles, NulBytesAreOneTextItemThatReadsAsNoNumber)
{
    loadEverywhere(std::string(4096, '\0'));
    EXPECT_EQ(aciLoadMessage, "");  // one line: a header line for all the load can tell
    EXPECT_EQ(aci.aciSpreadSheetData.rowCount(), 2);
    EXPECT_EQ(aci.aciSpreadSheetData.cell(1, 1), std::string(4096, '\0'));
    EXPECT_EQ(aci.Series_LightAssim.count(), 0);
    EXPECT_EQ(aciComputeMessage, "Cannot fit Vcmax and respiration: no measured points");
    // The import dialog trims its fields, NULs included: no data row to hand back.
    EXPECT_EQ(aci.frmParseVerdex.parseSpreadSheet.cell(1, 1), "");
    EXPECT_EQ(aci.frmParseVerdex.GetData(), "");
}

TEST_F(HostileFiles, RandomBytesLoadLineByLine)
{
    const std::string bytes = randomBytes(1 << 16);
    loadEverywhere(bytes);
    const auto lines = splitLines(decodeText(bytes));
    // Loaded, and said to be no numbers: nearly every line after the first.
    const std::string tail = " rows of " + path + " are not numbers (the first is line 2)";
    ASSERT_GT(aciLoadMessage.size(), tail.size());
    EXPECT_EQ(aciLoadMessage.substr(aciLoadMessage.size() - tail.size()), tail);
    const int count = std::stoi(aciLoadMessage);
    EXPECT_GT(count, static_cast<int>(lines.size()) * 9 / 10);
    EXPECT_LT(count, static_cast<int>(lines.size()));
    EXPECT_EQ(aci.aciSpreadSheetData.rowCount(), static_cast<int>(lines.size()) + 1);
    EXPECT_EQ(aci.aciSpreadSheetData.colCount(), static_cast<int>(csvItems(lines[0]).size()) + 1);
}

TEST_F(HostileFiles, InvalidUtf8IsReadAsWindows1252)
{
    loadEverywhere("Ci \xB5mol,A \xB0"
                   "C\r\n100,5.5\r\n\xFF\xFE,2\r\n");
    EXPECT_EQ(aci.aciSpreadSheetData.cell(2, 1), "\xC2\xB5mol");
    EXPECT_EQ(aci.aciSpreadSheetData.cell(1, 3), "\xC3\xBF\xC3\xBE");
    EXPECT_EQ(aciLoadMessage, "1 row of " + path + " is not a number (line 3)");
    EXPECT_EQ(aci.Series_LightAssim.count(), 2);  // (100, 5.5) and the unreadable Ci as 0 with A 2
}

TEST_F(HostileFiles, ADropWithARowOfTextDoesAllItDoesThenSaysSo)
{
    writeBytes(path, "PAR,A\r\n1500,20\r\nleaf moved\r\n0,-1.5\r\n");
    EXPECT_EQ(messageOf([&] {
                  aq.KipFormDropFilesDropFiles({{path, false}});
              }),
              "1 row of " + path + " is not a number (line 3)");
    EXPECT_EQ(aq.aqSpreadSheetData.cell(1, 3), "leaf");
    EXPECT_EQ(aq.aqSpreadSheetData.colCount(), 4);   // the Qa column added
    EXPECT_EQ(aq.aqNumEdit_A0_Resp.text(), "-1.5");  // and the dark respiration taken
}

TEST_F(HostileFiles, Utf16WithAByteOrderMarkReadsAsText)
{
    std::u16string text = u"Ci,A\r\n100,5.5\r\n200,9.25\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    loadEverywhere(bytes);
    EXPECT_EQ(aci.aciSpreadSheetData.cell(1, 1), "Ci");
    EXPECT_EQ(aci.aciSpreadSheetData.cell(2, 3), "9.25");
    EXPECT_EQ(aciLoadMessage, "");
    EXPECT_EQ(aci.frmParseVerdex.GetData(), "Ci, A\r\n100, 5.5\r\n200, 9.25\r\n");
}

TEST_F(HostileFiles, AOneMegabyteLineIsOneCell)
{
    const std::string huge(1 << 20, '7');  // a number beyond any double
    loadEverywhere(huge + ",2\r\n");
    EXPECT_EQ(aci.aciSpreadSheetData.cell(1, 1), huge);
    EXPECT_EQ(aciLoadMessage, "");  // the only line
    ASSERT_EQ(aci.Series_LightAssim.count(), 1);
    EXPECT_EQ(aci.Series_LightAssim.x(0), 0);  // not a number: read as 0
}

TEST_F(HostileFiles, ALineOfAHundredThousandFields)
{
    loadEverywhere(manyFields(100000));
    EXPECT_EQ(aci.aciSpreadSheetData.colCount(), 100001);
    EXPECT_EQ(aci.aciSpreadSheetData.cell(100000, 1), "100000");
    EXPECT_EQ(aciLoadMessage, "");
    EXPECT_EQ(aci.frmParseVerdex.parseSpreadSheet.colCount(), 100001);
    EXPECT_EQ(aci.frmParseVerdex.GetData(), "1, 2\r\n");
}

TEST_F(HostileFiles, ALongCsvLoadsAndComputes)
{
    // The million-line file's timing is in bench_hostile; here a shorter one.
    std::string bytes;
    for (int i = 1; i <= 50000; ++i)
        bytes += std::to_string(50 + i % 1500) + "," + std::to_string(2 + (i % 1500) / 100.0) + "\r\n";
    loadEverywhere(bytes);
    EXPECT_EQ(aci.aciSpreadSheetData.rowCount(), 50001);
    EXPECT_EQ(aci.Series_LightAssim.count(), 50000);
    EXPECT_EQ(aciLoadMessage, "");
    EXPECT_EQ(aciComputeMessage, "");
    EXPECT_FALSE(aci.Series_Wc.empty());
    const std::string handedBack = aci.frmParseVerdex.GetData();
    EXPECT_EQ(std::count(handedBack.begin(), handedBack.end(), '\n'), 50000);
}

TEST(HostileNumbers, EachTextReadsAsStated)
{
    struct Case {
        const char* text;
        std::optional<double> point;  // with a decimal point
        std::optional<double> comma;  // with a decimal comma
    };
    const std::vector<Case> cases{
        {"1e400", std::nullopt, std::nullopt},  // beyond the double range: not a number
        {"-0", 0.0, 0.0},
        {"1e-400", 0.0, 0.0},  // below the smallest double: 0
        {"NaN", std::nullopt, std::nullopt},
        {"inf", std::nullopt, std::nullopt},
        {"-INF", std::nullopt, std::nullopt},
        {"0x1p3", std::nullopt, std::nullopt},
        {"1,5", std::nullopt, 1.5},
        {"1.5", 1.5, std::nullopt},
        {"\xD9\xA3", std::nullopt, std::nullopt},                        // Arabic-Indic three
        {"\xEF\xBC\x91\xEF\xBC\x92", std::nullopt, std::nullopt},        // fullwidth 12
        {"1.79769313486232E308", 1.7976931348623157e308, std::nullopt},  // the largest double, as written
        {"1.79769313486233E308", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readNumber(c.text, '.'), c.point) << c.text;
        EXPECT_EQ(readNumber(c.text, ','), c.comma) << c.text;
    }
    // Minus zero reads as 0 and is written 0.
    EXPECT_FALSE(std::signbit(*readNumber("-0", '.')));
    EXPECT_EQ(formatNumber(-0.0, '.'), "0");
}

TEST(HostileNumbers, TypedTextsInTheWindow)
{
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmACi_Curve aci(platform, settings);
    const std::vector<std::pair<std::string, std::string>> points{{"50", "2"},    {"100", "NaN"}, {"200", "12"},
                                                                  {"1e400", "5"}, {"400", "18"},  {"800", "22"}};
    for (std::size_t i = 0; i < points.size(); ++i) {
        aci.aciSpreadSheetData.setCell(1, static_cast<int>(i) + 1, points[i].first);
        aci.aciSpreadSheetData.setCell(2, static_cast<int>(i) + 1, points[i].second);
    }
    // A temperature that is no number is the one message; the computation ran at 0.
    for (const std::string temperature : {"1e400", "NaN", "inf", "0x1p3", "1,5", "\xD9\xA3"}) {
        platform.errors.clear();
        aci.aciEdit_Temp.setText(temperature);
        EXPECT_EQ(messageOf([&] { aci.aciMnuResultsComputeCurveClick(); }), "") << temperature;
        EXPECT_EQ(platform.errors, std::vector<std::string>{"Invalid Temperature value"}) << temperature;
    }
    platform.errors.clear();
    aci.aciEdit_Temp.setText("-0");
    EXPECT_EQ(messageOf([&] { aci.aciMnuResultsComputeCurveClick(); }), "");
    EXPECT_TRUE(platform.errors.empty());
    // Cells that are no number read as 0: (100, NaN) is a point at A 0, (1e400, 5) one at Ci 0.
    EXPECT_EQ(aci.Series_LightAssim.count(), 6);
}

TEST(HostilePaste, AHundredThousandLinesAllArrive)
{
    ScriptedPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve aq(platform, settings);
    std::string text = "PAR\tA\r\n";
    for (int i = 0; i < 100000; ++i)
        text += std::to_string(i) + "\t" + std::to_string(i % 20) + "\r\n";
    platform.clipboard = text;
    aq.aqClipboardPasteClick();
    EXPECT_EQ(aq.aqSpreadSheetData.rowCount(), 100001);
    EXPECT_EQ(aq.aqSpreadSheetData.cell(1, 0), "PAR ");
    EXPECT_EQ(aq.aqSpreadSheetData.cell(1, 100000), "99999 ");
    EXPECT_EQ(aq.aqNumEdit_A0_Resp.text(), "0");  // the dark row, Q = 0
    aq.aqMnuResultsPlotDataClick();
    EXPECT_EQ(aq.Series_LightAssim.count(), 99999);  // (0, 0) is not a point
}

}  // namespace
}  // namespace calvane::test
