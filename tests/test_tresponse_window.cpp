// The temperature-response window's state: loading two columns, Fit, the export, results
// that go when the data change, and the data it refuses.

#include "TestSupport.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "tresponse/TempResponse.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace calvane;
using namespace calvane::test;

namespace {

// Leaf S1's rows of the table of both leaves.
std::string leafS1Table()
{
    std::ifstream in(dataFile("reference/t_response_input.csv"));
    std::string line, text;
    while (std::getline(in, line))
        if (line.rfind("leaf,", 0) == 0 || line.rfind("S1,", 0) == 0)
            text += line + "\n";
    return text;
}

template <typename Error>
std::string messageOf(const std::function<void()>& command)
{
    try {
        command();
    } catch (const Error& error) {
        return error.what();
    }
    return "(no error)";
}

}  // namespace

// Two columns chosen from a table, the Arrhenius fit as the reference has it, the
// export's lines, and the results dropped once a value changes.
TEST(TempResponseWindow, FitsExportsAndForgetsStaleResults)
{
    ScriptedPlatform platform;
    TempResponse w(platform);
    EXPECT_EQ(TempResponse::tableColumns(leafS1Table()),
              (std::vector<std::string>{"leaf", "file", "Tleaf", "Vcmax", "Jmax"}));
    w.loadColumns(leafS1Table(), "Tleaf", "Vcmax");
    w.identifier.setText("S1");
    ASSERT_EQ(w.points().size(), 10u);
    EXPECT_EQ(w.leftAxisTitle(), "Vcmax");

    w.fitClick();
    ASSERT_TRUE(w.lastFit());
    EXPECT_TRUE(near(w.lastFit()->k25, 87.554248977711, 0.0087));
    EXPECT_TRUE(near(w.lastFit()->ea, 23651.121261302, 2.4));
    EXPECT_EQ(w.Series_Measured.count(), 10);
    EXPECT_DOUBLE_EQ(w.Series_Fitted.minX(), 17.51);
    EXPECT_DOUBLE_EQ(w.Series_Fitted.maxX(), 39.99);

    auto lines = w.exportLines();
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "Temperature Response for: S1");
    EXPECT_EQ(lines[1], "Model, Arrhenius");
    // Each fitted parameter's line: value, standard error and the ends of its interval.
    const TemperatureResponseFit& fit = *w.lastFit();
    auto text = [](double v) { return formatNumber(v, '.'); };
    ASSERT_TRUE(fit.k25Interval.lower && fit.k25Interval.upper && fit.eaInterval.lower && fit.eaInterval.upper);
    EXPECT_EQ(lines[2], "k25, " + text(fit.k25) + ", " + text(fit.k25SE) + ", " + text(*fit.k25Interval.lower) + ", " +
                            text(*fit.k25Interval.upper));
    EXPECT_EQ(lines[3], "Ea, " + text(fit.ea) + ", " + text(fit.eaSE) + ", " + text(*fit.eaInterval.lower) + ", " +
                            text(*fit.eaInterval.upper));
    EXPECT_EQ(lines[2].rfind("k25, 87.55", 0), 0u) << lines[2];
    EXPECT_EQ(lines[4], "dS, , , , ");
    EXPECT_EQ(lines[5], "Hd, ");
    EXPECT_EQ(lines[6], "Topt, , ");
    EXPECT_EQ(lines[9], "n, 10");
    EXPECT_EQ(lines[10], " ");
    EXPECT_EQ(lines[11], "  Temp, Vcmax");
    EXPECT_EQ(lines[12], "  17.51, 47.7725370452328");

    platform.saveAnswers.push_back(std::string("/dev/null"));
    w.exportClick();
    EXPECT_EQ(platform.saveDialogs.at(0).title, "Save Results for: S1");

    w.grid.setCell(TempResponse::valueColumn, 1, "48");
    EXPECT_FALSE(w.lastFit());
    EXPECT_TRUE(w.Series_Fitted.empty());
    lines = w.exportLines();
    EXPECT_EQ(lines[2], "k25, , , , ");
    EXPECT_EQ(lines[10], "The data or settings changed since the last fit: Fit again");
}

// A row that is not a pair names itself; Hd must be a number; too few points for the
// peaked model is the fit's refusal, left in the message.
TEST(TempResponseWindow, RefusesWhatItCannotFit)
{
    ScriptedPlatform platform;
    TempResponse w(platform);
    w.paste("T;Rate\r\n20;50,5\r\n25;abc\r\n");
    EXPECT_EQ(w.grid.cell(TempResponse::valueColumn, 0), "Rate");
    EXPECT_EQ(w.grid.cell(TempResponse::valueColumn, 1), "50.5");
    EXPECT_EQ(messageOf<DataError>([&] { w.fitClick(); }), "Row 2: the value 'abc' is not a number");

    w.grid.setCell(TempResponse::valueColumn, 2, "70");
    w.grid.setCell(TempResponse::tempColumn, 3, "30");
    EXPECT_EQ(messageOf<DataError>([&] { w.points(); }), "Row 3 has a temperature but no value");
    w.grid.setCell(TempResponse::valueColumn, 3, "90");

    w.setModel(TemperatureModel::Peaked);
    w.hd.setText("many");
    EXPECT_EQ(messageOf<FitError>([&] { w.fitClick(); }), "Cannot fit: Hd must be a positive number (J mol-1)");
    w.hd.setText("200000");
    const std::string refusal = "Cannot fit: 3 points for 3 parameters; at least 4 are needed";
    EXPECT_EQ(messageOf<FitError>([&] { w.fitClick(); }), refusal);
    EXPECT_EQ(w.message.text(), refusal);
    EXPECT_EQ(w.exportLines().at(1), "Model, Peaked Arrhenius");
    EXPECT_EQ(w.exportLines().at(10), refusal);
}

// Batch Fit's summary: the leaf temperature and the standard-fit value of each curve
// that has both.
TEST(TempResponseWindow, TakesPairsFromASummaryTable)
{
    const std::vector<std::string> header{"source", "Temp (oC)", "standard Vcmax (umol m-2 s-1)",
                                          "standard Vcmax SE (umol m-2 s-1)", "standard Jmax (umol m-2 s-1)"};
    const std::vector<std::vector<std::string>> rows{
        {"a.csv", "20", "50", "3", "90"}, {"b.csv", "25", "", "", ""}, {"c.csv", "30", "80", "4", "120"}};
    EXPECT_EQ(TempResponse::pairsFromTable(header, rows, "Vcmax"),
              (std::vector<std::pair<double, double>>{{20, 50}, {30, 80}}));
    EXPECT_EQ(TempResponse::pairsFromTable(header, rows, "Jmax"),
              (std::vector<std::pair<double, double>>{{20, 90}, {30, 120}}));
    EXPECT_EQ(messageOf<DataError>([&] {
                  TempResponse::pairsFromTable({"source", "Temp (oC)"}, rows, "Vcmax");
              }),
              "The table has no standard-fit Vcmax column: run A/Ci curves with the standard fit first");
}
