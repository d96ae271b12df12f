// Data in and out of the A/Ci window: the export file, CSV import, dropped files,
// the instrument import, the grid paste, and real A/Ci curves.

#include "test_aci_support.h"

#include "aci/AciModel.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <cmath>
#include <filesystem>
#include <sstream>

namespace calvane::test {
namespace {

class Files : public AciWindowTest {
protected:
    ScratchDir scratch;
};

std::string repeat(const std::string& s, int n)
{
    std::string all;
    for (int i = 0; i < n; ++i)
        all += s;
    return all;
}

const std::string freshExport = "ACi Curve Analysis for: \r\n"
                                "Kc (umol mol-1), 0.0, Computed\r\n"
                                "Ko (mmol mol-1), 0.0, Computed\r\n"
                                "Tau (mmol/umol), 0.0, Computed\r\n"
                                "Leaf Temp (oC), 25\r\n"
                                "Light (umol m-2 s-1), 0.0\r\n"
                                "Respiration, 0.0, Computed\r\n"
                                "Vcmax, 0.0, Computed\r\n"
                                "Jmax, 0.0, Computed\r\n"
                                "TPU, 0.0, Computed\r\n"
                                "GammaStar, \r\n"
                                "  Ci(CO2)umol mol-1, A Assimiliation\r\n" +
                                repeat("  , \r\n", 32);

// --- Export ------------------------------------------------------------------------------

TEST_F(Files, ExportOfAFreshWindow)
{
    EXPECT_EQ(win.exportLines().size(), 44u);
    const std::string path = scratch.path("fresh.txt");
    platform.saveAnswers.push_back(path);
    win.aciMnuFileExportClick();
    EXPECT_EQ(readBytes(path), freshExport);
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    const FileDialogOptions& dialog = platform.saveDialogs[0];
    EXPECT_EQ(dialog.title, "Save Results for: ");
    EXPECT_EQ(dialog.filter, "Text file (*.txt)|*.txt|All files (*.*)|*.*");
    EXPECT_EQ(dialog.defaultExtension, "txt");
    EXPECT_EQ(dialog.initialName, "ACIResults");
    EXPECT_TRUE(platform.questions.empty());
}

TEST_F(Files, ExportOfTheWorkedExample)
{
    win.aciEdit_Identifier.setText("leaf 3");
    win.aciCheckBox_Vcmax.setChecked(true);
    win.aciEdit_Vcmax.setText("80");
    win.aciEdit_GammaStar.setText("41.2");
    setPoints({{"100", "6.4"}, {"50", "2.1"}});
    const std::string path = scratch.path("leaf3");
    platform.saveAnswers.push_back(path);
    win.aciMnuFileExportClick();

    EXPECT_EQ(readBytes(path + ".txt"), "ACi Curve Analysis for: leaf 3\r\n"
                                        "Kc (umol mol-1), 0.0, Computed\r\n"
                                        "Ko (mmol mol-1), 0.0, Computed\r\n"
                                        "Tau (mmol/umol), 0.0, Computed\r\n"
                                        "Leaf Temp (oC), 25\r\n"
                                        "Light (umol m-2 s-1), 0.0\r\n"
                                        "Respiration, 0.0, Computed\r\n"
                                        "Vcmax, 80, Fixed\r\n"
                                        "Jmax, 0.0, Computed\r\n"
                                        "TPU, 0.0, Computed\r\n"
                                        "GammaStar, 41.2\r\n"
                                        "  Ci(CO2)umol mol-1, A Assimiliation\r\n"
                                        "  50, 2.1\r\n"
                                        "  100, 6.4\r\n" +
                                            repeat("  , \r\n", 30));
    EXPECT_EQ(platform.saveDialogs.at(0).title, "Save Results for: leaf 3");
    // The dialog proposes the last chosen path next time.
    win.aciMnuFileExportClick();
    EXPECT_EQ(platform.saveDialogs.at(1).initialName, path + ".txt");
}

TEST_F(Files, ExportWritesFieldsAndGridAsTheyStand)
{
    win.aciEdit_Identifier.setText("Blatt \xC2\xB5");  // UTF-8 inside, one byte in the file
    win.aciEdit_Kc.setText("abc");
    win.aciEdit_Temp.setText("");
    for (CheckBox* flag : {&win.aciCheckBox_Kc, &win.aciCheckBox_Ko, &win.aciCheckBox_Tau, &win.aciCheckBox_Respiration,
                           &win.aciCheckBox_Jmax, &win.aciCheckBox_TPU})
        flag->setChecked(true);
    win.aciSpreadSheetData.setColCount(4);
    win.aciSpreadSheetData.setRowCount(3);
    win.aciSpreadSheetData.setCell(1, 0, "Ci ");
    win.aciSpreadSheetData.setCell(2, 0, "A");
    win.aciSpreadSheetData.setCell(3, 1, "not written");
    win.aciSpreadSheetData.setCell(1, 1, "x");

    const auto lines = win.exportLines();
    EXPECT_EQ(lines, (std::vector<std::string>{"ACi Curve Analysis for: Blatt \xC2\xB5", "Kc (umol mol-1), abc, Fixed",
                                               "Ko (mmol mol-1), 0.0, Fixed", "Tau (mmol/umol), 0.0, Fixed",
                                               "Leaf Temp (oC), ", "Light (umol m-2 s-1), 0.0",
                                               "Respiration, 0.0, Fixed", "Vcmax, 0.0, Computed", "Jmax, 0.0, Fixed",
                                               "TPU, 0.0, Fixed", "GammaStar, ", "  Ci , A", "  x, ", "  , "}));
    const std::string path = scratch.path("blatt.txt");
    platform.saveAnswers.push_back(path);
    win.aciMnuFileExportClick();
    EXPECT_EQ(readBytes(path).substr(0, 32), "ACi Curve Analysis for: Blatt \xB5\r");
}

TEST_F(Files, ExportCancelNoAndYes)
{
    // Cancel: nothing is asked or written.
    win.aciMnuFileExportClick();
    EXPECT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.dir()));

    const std::string path = scratch.path("old.txt");
    writeBytes(path, "old content\n");
    platform.answerYes = false;
    platform.saveAnswers.push_back(path);
    win.aciMnuFileExportClick();
    EXPECT_EQ(platform.questions, std::vector<std::string>{"Overwrite existing file " + path + "?"});
    EXPECT_EQ(readBytes(path), "old content\n");

    platform.answerYes = true;
    platform.saveAnswers.push_back(path);
    win.aciMnuFileExportClick();
    EXPECT_EQ(platform.questions.size(), 2u);
    EXPECT_EQ(readBytes(path), freshExport);
}

TEST_F(Files, ExportThatCannotCreateTheFile)
{
    // A folder in the way: no overwrite question, and its content stays.
    const std::string folder = scratch.path("taken.txt");
    std::filesystem::create_directory(folder);
    writeBytes(folder + "/inside", "keep");
    platform.saveAnswers.push_back(folder);
    EXPECT_TRUE(throwsWith<FileError>([&] { win.aciMnuFileExportClick(); }, "Cannot create file " + folder));
    EXPECT_EQ(readBytes(folder + "/inside"), "keep");
    EXPECT_TRUE(platform.questions.empty());

    // An existing file that cannot be replaced is left as it was after Yes: its name
    // is so long that the temporary file beside it cannot be named.
    const std::string existing = scratch.path(std::string(236, 'n') + ".txt");
    writeBytes(existing, "old content\n");
    platform.saveAnswers.push_back(existing);
    EXPECT_TRUE(throwsWith<FileError>([&] { win.aciMnuFileExportClick(); }, "Cannot create file " + existing));
    EXPECT_EQ(platform.questions, std::vector<std::string>{"Overwrite existing file " + existing + "?"});
    EXPECT_EQ(readBytes(existing), "old content\n");
}

// --- CSV Text, dropped files, paste ----------------------------------------------------------

TEST_F(Files, CsvTextLoadsTheGridAndNamesTheFile)
{
    const std::string path = scratch.path("curve.csv");
    writeBytes(path, "50,2.1,a\r\n 100 , 6.4 ,b\r\n\"200\",12\r\n");
    win.aciSpreadSheetData.setCell(3, 3, "old");
    platform.openAnswers.push_back(path);
    win.aciMnuFIleImportTextClick();
    ASSERT_EQ(platform.openDialogs.size(), 1u);
    EXPECT_EQ(platform.openDialogs[0].title, "Select the CSV file to import.");
    EXPECT_EQ(win.aciEdit_Status.text(), path);
    const Grid& g = win.aciSpreadSheetData;
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_EQ(g.colCount(), 4);  // the third items get a column of their own
    EXPECT_EQ(g.cell(3, 2), "b");
    EXPECT_EQ(g.cell(3, 3), "old");
    EXPECT_EQ(g.cell(1, 0), "Ci(CO2)umol mol-1");
    win.Load_ACi_Series();
    EXPECT_EQ(win.Series_LightAssim.points(),
              (std::vector<std::pair<double, double>>{{200, 12}, {100, 6.4}, {50, 2.1}}));
    EXPECT_TRUE(win.Series_Wc.empty());  // nothing is computed or plotted

    // Cancel changes nothing.
    win.aciMnuFIleImportTextClick();
    EXPECT_EQ(win.aciEdit_Status.text(), path);
    EXPECT_EQ(g.rowCount(), 4);
}

TEST_F(Files, DropTakesTheFirstCsvFile)
{
    const std::string csv = scratch.path("Curve.CSV");
    writeBytes(csv, "50,2\r\n100,6\r\n");
    const std::string txt = scratch.path("notes.txt");
    writeBytes(txt, "1,2\r\n");

    win.KipFormDropFilesDropFiles({{txt, false}});
    EXPECT_EQ(win.aciEdit_Status.text(), "");
    EXPECT_EQ(win.aciSpreadSheetData.rowCount(), 33);

    win.KipFormDropFilesDropFiles({{txt, false}, {csv, false}});
    EXPECT_EQ(win.aciEdit_Status.text(), csv);
    EXPECT_EQ(win.aciSpreadSheetData.rowCount(), 3);
    EXPECT_EQ(win.aciSpreadSheetData.colCount(), 3);  // no column is added in this window
    EXPECT_EQ(win.aciSpreadSheetData.cell(1, 2), "100");
    EXPECT_TRUE(win.Series_LightAssim.empty());
}

TEST_F(Files, DroppedFolderFailsToOpenAfterNamingIt)
{
    const std::string folder = scratch.path("folder");
    std::filesystem::create_directory(folder);
    win.aciSpreadSheetData.setCell(1, 1, "50");
    EXPECT_TRUE(throwsWith<FileError>(
        [&] {
            win.KipFormDropFilesDropFiles({{folder, true}, {scratch.path("x.csv"), false}});
        },
        "Cannot open file " + folder));
    EXPECT_EQ(win.aciEdit_Status.text(), folder);
    EXPECT_EQ(win.aciSpreadSheetData.rowCount(), 33);
    EXPECT_EQ(win.aciSpreadSheetData.cell(1, 1), "50");
}

TEST_F(Files, PasteFillsCiAndAColumns)
{
    win.aciSpreadSheetData.setCell(1, 3, "stays");
    platform.clipboard = "Ci A\r\n50 2.1\r\n100\t6.4\textra\r\n";
    win.aciPopupPasteClick();
    const Grid& g = win.aciSpreadSheetData;
    EXPECT_EQ(g.cell(1, 0), "Ci ");
    EXPECT_EQ(g.cell(2, 0), "A");
    EXPECT_EQ(g.cell(1, 1), "50 ");
    EXPECT_EQ(g.cell(2, 1), "2.1");
    EXPECT_EQ(g.cell(1, 2), "100 ");
    EXPECT_EQ(g.cell(2, 2), "6.4 ");
    EXPECT_EQ(g.cell(1, 3), "stays");

    // Without a header line the data start in row 1; blank text changes nothing.
    win.StringPaste("7,8");
    EXPECT_EQ(g.cell(1, 1), "7 ");
    EXPECT_EQ(g.cell(2, 1), "8");
    EXPECT_EQ(g.cell(2, 0), "A");
    win.StringPaste(" \r\n\t");
    platform.clipboard.clear();
    win.aciPopupPasteClick();
    EXPECT_EQ(g.cell(1, 1), "7 ");
    win.Load_ACi_Series();
    EXPECT_EQ(win.Series_LightAssim.points(), (std::vector<std::pair<double, double>>{{100, 6.4}, {7, 8}}));
}

TEST_F(Files, PasteLongerThanTheGridKeepsEveryLine)
{
    std::ostringstream text;
    for (int i = 1; i <= 40; ++i)
        text << i * 10 << ' ' << i << "\r\n";
    win.StringPaste(text.str());
    EXPECT_EQ(win.aciSpreadSheetData.rowCount(), 41);
    EXPECT_EQ(win.aciSpreadSheetData.cell(1, 40), "400 ");
    win.Load_ACi_Series();
    EXPECT_EQ(win.Series_LightAssim.count(), 40);
}

// --- Verdex Output ---------------------------------------------------------------------------

TEST_F(Files, VerdexOutputPastesTheMarkedColumns)
{
    const std::string path = scratch.path("log.txt");
    writeBytes(path, "remark\r\nObs,Ci,Photo,PARi\r\n1,50,2.1,900\r\n2,100,6.4,900\r\n");
    int importType = -1;
    platform.importDialogScript = [&](TFrmParseVerdex& dialog) {
        importType = dialog.settings().ImportType;
        dialog.EdtVerdexFileName.setText(path);
        dialog.EdtRow.setText("2");  // the column names: taken as a header line
        dialog.EdtCi.setText("2");
        dialog.EdtQObs.setText("4");
        dialog.EdtAssimilation.setText("3");
        dialog.BtnOkClick();
    };
    win.aciMnuFileImortVerdexClick();
    EXPECT_EQ(platform.importDialogRuns, 1);
    EXPECT_EQ(importType, 1);
    EXPECT_EQ(win.aciEdit_Status.text(), path);
    const Grid& g = win.aciSpreadSheetData;
    EXPECT_EQ(g.cell(1, 0), "Ci ");
    EXPECT_EQ(g.cell(2, 0), "Photo");
    EXPECT_EQ(g.cell(1, 1), "50 ");
    EXPECT_EQ(g.cell(2, 1), "2.1");
    EXPECT_EQ(g.cell(1, 2), "100 ");
    EXPECT_EQ(g.cell(2, 2), "6.4");
    EXPECT_EQ(g.cell(1, 3), "");
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(Files, VerdexOutputCancelPastesNothingAndEmptiesTheStatus)
{
    win.aciEdit_Status.setText("earlier.csv");
    win.aciSpreadSheetData.setCell(1, 1, "50");
    platform.importDialogScript = [](TFrmParseVerdex& dialog) { dialog.BtnCancelClick(); };
    win.aciMnuFileImortVerdexClick();
    EXPECT_EQ(win.aciEdit_Status.text(), "");
    EXPECT_EQ(win.aciSpreadSheetData.cell(1, 1), "50");
    EXPECT_EQ(win.aciSpreadSheetData.cell(2, 1), "");
}

TEST_F(Files, VerdexOutputTakesTheLeafTemperatureLightAndPressureOfTheLog)
{
    // Nothing marked for the conditions: the dialog recognised Tleaf, PARi and Press.
    platform.importDialogScript = [&](TFrmParseVerdex& dialog) {
        dialog.RadioButtonTab.setChecked(true);
        dialog.EdtVerdexFileName.setText(dataFile("instrument/instrument_pecan_1.txt"));
        dialog.EdtRow.setText("18");
        dialog.EdtCi.setText("7");
        dialog.EdtAssimilation.setText("5");
        dialog.BtnOkClick();
    };
    win.aciMnuFileImortVerdexClick();
    EXPECT_EQ(win.aciEdit_Temp.text(), "25.8738461538462");
    EXPECT_EQ(win.aciEdit_Light.text(), "1499.61538461538");
    EXPECT_EQ(win.aciEdit_StdPatm.text(), "72.06");
    EXPECT_TRUE(platform.errors.empty());

    // A log that gives the pressure in hPa: refused with a message, the rest taken.
    platform.importDialogScript = [&](TFrmParseVerdex& dialog) {
        dialog.RadioButtonComma.setChecked(true);
        dialog.EdtVerdexFileName.setText(dataFile("instrument/instrument_plantbiophysics_3.csv"));
        dialog.EdtRow.setText("2");
        dialog.EdtCi.setText("25");
        dialog.EdtAssimilation.setText("28");
        dialog.BtnOkClick();
    };
    win.aciMnuFileImortVerdexClick();
    EXPECT_EQ(win.aciEdit_Light.text().substr(0, 4), "1000");
    EXPECT_EQ(win.aciEdit_StdPatm.text(), "72.06");
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0].rfind("The mean of the pressure column, 1009.", 0), 0u) << platform.errors[0];
    EXPECT_NE(platform.errors[0].find("is not a pressure in kPa (30 to 120): Patm stays 72.06"), std::string::npos);

    // Cancel takes nothing.
    win.aciEdit_Temp.setText("25");
    platform.importDialogScript = [](TFrmParseVerdex& dialog) { dialog.BtnCancelClick(); };
    win.aciMnuFileImortVerdexClick();
    EXPECT_EQ(win.aciEdit_Temp.text(), "25");
}

// --- Real A/Ci curves ----------------------------------------------------------------------------

// The two fits written out plainly from their rules, to check the window's result on
// real data: steps A(i) - A(i-1)/Ci(i) - Ci(i-1), point 0 always, a point left out
// when its Ci is 0 or its step ratio reaches 3.
std::pair<double, double> plainVcmaxRd(const PointSeries& pts, const AciParameters& p)
{
    const int n = pts.count();
    auto step = [&](int i) { return pts.y(i) - pts.y(i - 1) / pts.x(i) - pts.x(i - 1); };
    const double s0 = (n < 3 || pts.x(2) == 0) ? 1 : step(2);
    std::vector<std::pair<double, double>> taken{{pts.x(0), pts.y(0)}};
    for (int i = 1; i < n; ++i)
        if (pts.x(i) != 0 && step(i) / s0 < 3)
            taken.emplace_back(pts.x(i), pts.y(i));
    const auto line = referenceLine(taken, [&](double ci) { return aciFPrime(ci, p); });
    return {line.first, -line.second};
}

TEST_F(Files, RealCurveAt25Degrees)
{
    LoadCSVFile(win.aciSpreadSheetData, dataFile("aci/photosynthesis_S1_T25_0.csv"), platform);
    win.aciEdit_Identifier.setText("S1 25.0");
    win.aciEdit_Temp.setText("25.02");
    win.aciMnuResultsComputeCurveClick();
    EXPECT_TRUE(platform.errors.empty());

    // The header line "Ci,A" reads as nothing; the 12 points come bottom-up.
    ASSERT_EQ(win.Series_LightAssim.count(), 12);
    EXPECT_EQ(win.Series_LightAssim.x(0), 834.5926484);
    EXPECT_EQ(win.Series_LightAssim.y(11), 9.066385884);

    const auto& p = win.AciParameters;
    const auto [vcmax, rd] = plainVcmaxRd(win.Series_LightAssim, p);
    EXPECT_TRUE(near(p.Vcmax, vcmax, 1e-9 * std::abs(vcmax)));
    EXPECT_TRUE(near(p.Rd, rd, 1e-9));
    EXPECT_GT(p.Vcmax, 10);
    EXPECT_LT(p.Vcmax, 300);
    EXPECT_GT(p.Jmax, p.Vcmax);
    EXPECT_LT(p.Jmax, 600);
    EXPECT_TRUE(near(p.TPU, (win.Series_LightAssim.maxY() + p.Rd) / 3, 1e-12));
    EXPECT_FALSE(win.Series_Wc.empty());
    EXPECT_FALSE(win.Series_Wj.empty());

    // Running again from the same fields gives the same texts.
    const auto first = win.exportLines();
    win.aciMnuResultsComputeCurveClick();
    EXPECT_EQ(win.exportLines(), first);
}

TEST_F(Files, EveryRealCurveComputesOrSaysWhy)
{
    const auto index = splitLines(readBytes(dataFile("aci/index.csv")));
    ASSERT_EQ(index.size(), 112u);
    int computed = 0;
    for (std::size_t k = 1; k < index.size(); ++k) {
        std::istringstream fields(index[k]);
        std::string file, points, temp;
        std::getline(fields, file, ',');
        std::getline(fields, points, ',');
        std::getline(fields, temp, ',');

        ScriptedPlatform own;
        ImportSettings ownSettings;
        TfrmACi_Curve w(own, ownSettings);
        LoadCSVFile(w.aciSpreadSheetData, dataFile("aci/" + file), own);
        w.aciEdit_Temp.setText(temp);
        try {
            w.aciMnuResultsComputeCurveClick();
            ++computed;
            for (double v : {w.AciParameters.Vcmax, w.AciParameters.Jmax, w.AciParameters.Rd, w.AciParameters.TPU})
                EXPECT_TRUE(std::isfinite(v)) << file;
            EXPECT_EQ(w.Series_Wp.count(), 2) << file;
        } catch (const CalvaneError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot fit ", 0), 0u) << file << ": " << e.what();
        }
        EXPECT_EQ(w.Series_LightAssim.count(), std::stoi(points)) << file;
        EXPECT_TRUE(own.errors.empty()) << file;
    }
    EXPECT_GT(computed, 100);
}

}  // namespace
}  // namespace calvane::test
