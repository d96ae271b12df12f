// The import dialog on real instrument logs: long headings, remark lines among the
// data, wide files, and the encodings the instruments write.

#include "TestSupport.h"

#include "import/ParseVerdex.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace calvane {
namespace {

using test::dataFile;
using test::ScriptedPlatform;

class InstrumentFileTest : public ::testing::Test {
protected:
    void open(const std::string& name, bool tab)
    {
        dialog.RadioButtonTab.setChecked(tab);
        dialog.EdtVerdexFileName.setText(dataFile("instrument/" + name));
        ASSERT_EQ(dialog.LblFileStatus.text(), "");
    }

    void mark(ImportKind type, const std::string& row, const std::string& x, const std::string& a)
    {
        dialog.SetImportType(type);
        dialog.EdtRow.setText(row);
        (type == ImportKind::LightResponse ? dialog.EdtQObs : dialog.EdtCi).setText(x);
        dialog.EdtAssimilation.setText(a);
        dialog.BtnOkClick();
    }

    const std::string& cell(int col, int row) const { return dialog.parseSpreadSheet.cell(col, row); }

    ScriptedPlatform platform;
    ImportSettings settings;
    TFrmParseVerdex dialog{platform, settings};
};

TEST_F(InstrumentFileTest, LightResponseLogWithDataAfterLineSixty)
{
    open("instrument_photosynthesis_1.txt", true);
    const Grid& grid = dialog.parseSpreadSheet;
    EXPECT_EQ(grid.rowCount(), 96);
    // 288 fields (each data line ends with a tab, which adds none).
    EXPECT_EQ(grid.colCount(), 289);
    EXPECT_EQ(cell(288, 0), "288");
    EXPECT_EQ(cell(288, 71), "SS_r");
    EXPECT_EQ(cell(288, 73), "100.669");
    EXPECT_EQ(cell(1, 71), "obs");
    EXPECT_EQ(cell(112, 71), "Qin");
    EXPECT_EQ(cell(12, 71), "A");
    EXPECT_EQ(cell(12, 72), "\u00B5mol m\u207B\u00B2 s\u207B\u00B9");
    EXPECT_EQ(cell(22, 72), "\u00B0"
                            "C");

    mark(ImportKind::LightResponse, "73", "112", "12");
    // Lines 73-94, then the closing remark line: it starts with a time, so column 1
    // is not empty, and it has no field 112 or 12.
    EXPECT_EQ(dialog.GetData(), "1999.9872727272725, 33.13403038884378\r\n"
                                "2000.0040000000001, 32.22790710080527\r\n"
                                "1800.0130000000001, 30.79773189946692\r\n"
                                "1600.0236363636366, 29.70491679296453\r\n"
                                "1400.03, 29.086339940791476\r\n"
                                "1200.0320000000002, 28.392171094766905\r\n"
                                "999.9967999999999, 27.306593466192297\r\n"
                                "800.0517272727272, 25.393903710441393\r\n"
                                "700.0159, 24.26353533136247\r\n"
                                "600.0159000000001, 22.448713904923785\r\n"
                                "500.00909090909096, 19.97358275932368\r\n"
                                "400.0061, 16.94327584799723\r\n"
                                "300.0061, 12.96815036410216\r\n"
                                "200.02272727272728, 8.694753322100324\r\n"
                                "149.96179999999998, 6.228031919871738\r\n"
                                "125.0347, 4.865343642160252\r\n"
                                "100.0037, 3.6123767493292944\r\n"
                                "75.00154, 2.190692091214805\r\n"
                                "49.96253, 0.6201330837454432\r\n"
                                "24.98201, -0.8259417842004904\r\n"
                                "0.0500055, -2.4607690257250288\r\n"
                                "2000.0240000000001, 22.251223975500515\r\n"
                                ", \r\n");
    EXPECT_EQ(cell(1, 95), "09:46:42");
    EXPECT_EQ(cell(2, 95), "light response end");
}

TEST_F(InstrumentFileTest, AciLogWithRemarksReachesLineSeventyEight)
{
    open("instrument_pecan_1.txt", true);
    EXPECT_EQ(dialog.parseSpreadSheet.rowCount(), 87);
    EXPECT_EQ(cell(1, 16), "$STARTOFDATA$");
    EXPECT_EQ(cell(7, 17), "\"Ci\"");
    EXPECT_EQ(cell(5, 17), "\"Photo\"");
    // A quoted remark with a comma splits at it: quotes have no meaning.
    EXPECT_EQ(cell(1, 24), "\"16:56:46 Flow: H2OS -> 28.05 mmol/mol");
    EXPECT_EQ(cell(2, 24), "resp=fast\"");

    mark(ImportKind::Aci, "27", "7", "5");
    const std::map<int, std::string> data = {
        {27, "222, 17"},    {45, "249, 18.8"}, {48, "191, 14.2"},      {51, "106, 5.35"}, {54, "65.7, 0.864"},
        {57, "49, -0.905"}, {60, "259, 18.8"}, {63, "255, 19"},        {66, "385, 28.7"}, {69, "534, 35"},
        {72, "698, 38.7"},  {75, "870, 41"},   {78, "1.23E+03, 43.1"},
    };
    // Every line from 27 to the end has a first field; remark lines have no field 7.
    std::string expected;
    for (int line = 27; line <= 86; ++line) {
        const auto found = data.find(line);
        expected += (found == data.end() ? std::string(", ") : found->second) + "\r\n";
    }
    EXPECT_EQ(dialog.GetData(), expected);
}

TEST_F(InstrumentFileTest, WideAciLogGetsAColumnForEveryField)
{
    open("instrument_photogea_1.txt", true);
    EXPECT_EQ(dialog.parseSpreadSheet.rowCount(), 138);
    EXPECT_EQ(dialog.parseSpreadSheet.colCount(), 249);
    EXPECT_EQ(cell(248, 0), "248");
    EXPECT_EQ(cell(1, 64), "obs");
    EXPECT_EQ(cell(1, 137), "72");
}

TEST_F(InstrumentFileTest, Latin1LogDecodes)
{
    open("instrument_plantbiophysics_1.csv", false);
    EXPECT_EQ(dialog.parseSpreadSheet.rowCount(), 118);
    // ';' separates nothing here: the units line stays whole in column 1.
    const std::string units = cell(1, 2);
    EXPECT_EQ(units.rfind("yyyy-mm-dd;hh:mm:ss;string;No;cm2;string;;ppm;ppm;ppm;ppm;ppm;ppm;"
                          "\u00B5mol/s;kPa;mV;mV;\u00B0"
                          "C;\u00B0"
                          "C;",
                          0),
              0u)
        << units;
    EXPECT_EQ(units.substr(units.size() - 10), "mV;;;;;;;;");  // the CR is not kept
    EXPECT_EQ(cell(2, 2), "");
}

TEST_F(InstrumentFileTest, Utf8LogWithByteOrderMarkDecodes)
{
    open("instrument_plantbiophysics_2.csv", false);
    EXPECT_EQ(cell(1, 1), "SYS 5.3.2;;;;;;;;;;;;;;;;;;;;;;;;;;;;");
    EXPECT_EQ(cell(1, 12), "$STARTOFDATA$;;;;;;;;;;;;;;;;;;;;;;;;;;;;");
    // The last line has no line break and is read all the same.
    EXPECT_EQ(cell(1, 24), "9;10:48:30;1548;-0.117;0.0066;398;0.127;1.88;6;0;1.42;29.86;29.25;30.04;380.13;"
                           "381.62;19.243;21.97;45.67;52.15;27.3;0;122;100.3;-0.597;-0.0234;0.7;111315;");
    EXPECT_EQ(cell(1, 25), "");
}

// --- What the dialog recognises by itself -------------------------------------------------------

TEST_F(InstrumentFileTest, EveryLogGetsItsDelimiterColumnNamesAndConditions)
{
    struct Expected {
        std::string file;
        const CheckBox* delimiter;
        int namesRow, leafTemp, light, pressure;
    };
    const Expected logs[] = {
        {"aq_pecan_1.txt", &dialog.RadioButtonTab, 17, 16, 25, 27},
        {"aq_pecan_2.txt", &dialog.RadioButtonTab, 17, 16, 25, 27},
        {"instrument_pecan_1.txt", &dialog.RadioButtonTab, 17, 16, 25, 27},
        // Tleaf before TleafCnd (25), Qin before the ppfd set point (7); the units row
        // below the names also holds "Pa".
        {"instrument_photogea_1.txt", &dialog.RadioButtonTab, 64, 87, 68, 84},
        {"instrument_photosynthesis_1.txt", &dialog.RadioButtonTab, 71, 127, 112, 124},
        {"instrument_plantbiophysics_1.csv", &dialog.RadioButtonSemicolon, 1, 19, 0, 15},
        {"instrument_plantbiophysics_2.csv", &dialog.RadioButtonSemicolon, 13, 13, 22, 24},
        {"instrument_plantbiophysics_3.csv", &dialog.RadioButtonComma, 1, 19, 10, 22},
    };
    for (const auto& log : logs) {
        platform.openAnswers.push_back(dataFile("instrument/" + log.file));
        dialog.BtnBrowseClick();
        EXPECT_TRUE(log.delimiter->checked()) << log.file;
        EXPECT_EQ(dialog.ColumnNamesRow(), log.namesRow) << log.file;
        EXPECT_EQ(dialog.EdtLeafTemp.text(), std::to_string(log.leafTemp)) << log.file;
        EXPECT_EQ(dialog.EdtLight.text(), std::to_string(log.light)) << log.file;
        EXPECT_EQ(dialog.EdtPressure.text(), std::to_string(log.pressure)) << log.file;
    }
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(InstrumentFileTest, PecanConditionsAreTheMeansOverTheDataRows)
{
    open("instrument_pecan_1.txt", true);
    mark(ImportKind::Aci, "18", "7", "5");
    // The 13 readings of the log; its 56 remark rows hold no number there.
    const double tleaf[] = {25.79, 25.97, 25.97, 25.95, 25.86, 25.74, 25.75, 25.79, 25.82, 25.85, 25.92, 25.96, 25.99};
    double sum = 0;
    for (double t : tleaf)
        sum += t;
    const ImportConditions conditions = dialog.GetConditions();
    ASSERT_TRUE(conditions.leafTemperature && conditions.light && conditions.pressure);
    EXPECT_NEAR(*conditions.leafTemperature, sum / 13, 1e-12);
    EXPECT_NEAR(*conditions.light, 19495.0 / 13, 1e-9);
    EXPECT_NEAR(*conditions.pressure, 936.78 / 13, 1e-9);
}

TEST_F(InstrumentFileTest, PhotogeaLogImportsAsItsFourCurves)
{
    open("instrument_photogea_1.txt", true);
    dialog.EdtCurveColumn.setText("7");  // ppfd, the light set point
    dialog.EdtRow.setText("66");
    const std::vector<std::string> values{"100", "200", "300", "1000"};
    ASSERT_EQ(dialog.CmbCurveValue.items(), values);
    // Each curve's own leaf temperature and light (means of the log's Tleaf and Qin).
    const double tleaf[] = {26.9980444444444, 26.9938722222222, 26.9865166666667, 26.9931388888889};
    const double light[] = {100.02065, 200.065277777778, 300.063444444444, 1000.00988888889};
    for (std::size_t k = 0; k < values.size(); ++k) {
        dialog.CmbCurveValue.setText(values[k]);
        mark(ImportKind::Aci, "66", "16", "14");
        const std::string data = dialog.GetData();
        EXPECT_EQ(std::count(data.begin(), data.end(), '\n'), 18) << values[k];
        const ImportConditions conditions = dialog.GetConditions();
        ASSERT_TRUE(conditions.leafTemperature && conditions.light) << values[k];
        EXPECT_NEAR(*conditions.leafTemperature, tleaf[k], 1e-9) << values[k];
        EXPECT_NEAR(*conditions.light, light[k], 1e-9) << values[k];
    }
    dialog.CmbCurveValue.setText("100");
    mark(ImportKind::Aci, "66", "16", "14");
    EXPECT_EQ(dialog.GetData().substr(0, 38), "293.0333296402656, 3.695880756555613\r\n");
}

}  // namespace
}  // namespace calvane
