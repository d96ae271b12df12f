// calvane-batch's measuring conditions: --tleaf, --light and --patm taken as means from
// instrument logs (also cut into curves by --group), header CSV files and folders.

#include "TestSupport.h"

#include <sstream>

using namespace calvane::test;

namespace {

using Outcome = ProgramOutcome;

class Conditions : public ::testing::Test {
protected:
    ScratchDir dir;

    Outcome run(const std::vector<std::string>& args) { return runProgram(dir, CALVANE_BATCH, args); }

    std::string file(const std::string& name, const std::string& bytes)
    {
        writeBytes(dir.path(name), bytes);
        return dir.path(name);
    }

    // The tobacco log: lines 1-65 head it, then 4 curves of 18 readings (ppfd 100,
    // 200, 300, 1000).
    static std::vector<std::string> photogeaLines()
    {
        std::vector<std::string> lines;
        std::istringstream in(readBytes(dataFile("instrument/instrument_photogea_1.txt")));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static std::vector<std::string> fields(const std::string& line)
    {
        std::vector<std::string> cut(1);
        for (char c : line) {
            if (c == '\t')
                cut.emplace_back();
            else
                cut.back() += c;
        }
        return cut;
    }
    // The log with only curve k (0 to 3) below its heading lines.
    std::string photogeaCurveAlone(int k)
    {
        const auto lines = photogeaLines();
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (i < 65 || (i - 65) / 18 == static_cast<std::size_t>(k))
                text += lines[i] + "\n";
        return file("curve" + std::to_string(k) + ".txt", text);
    }
    // Curve k as a header CSV file: Ci, A, Tleaf, Qin, Pa.
    std::string photogeaCurveAsCsv(int k, const std::string& name)
    {
        const auto lines = photogeaLines();
        std::string text = "Ci,A,Tleaf,Qin,Pa\r\n";
        for (int i = 65 + 18 * k; i < 65 + 18 * (k + 1); ++i) {
            const auto f = fields(lines[static_cast<std::size_t>(i)]);
            text += f[15] + "," + f[13] + "," + f[86] + "," + f[67] + "," + f[83] + "\r\n";
        }
        return file(name, text);
    }

    static std::string line(const std::string& text, const std::string& start)
    {
        const auto at = text.find("\r\n" + start);
        return at == std::string::npos ? std::string() : text.substr(at + 2, text.find("\r\n", at + 2) - at - 2);
    }
};

TEST_F(Conditions, ALogCutByGroupGivesEachCurveItsOwnConditions)
{
    const std::string log = dataFile("instrument/instrument_photogea_1.txt");
    const std::string out = dir.path("out");
    const Outcome all = run({"aci", "--instrument", "66,16,14", "--tab", "--group", "ppfd", "--tleaf", "Tleaf",
                             "--light", "Qin", "--out-dir", out, log});
    ASSERT_EQ(all.status, 0) << all.err;
    const char* values[] = {"100", "200", "300", "1000"};
    const char* lights[] = {"100.02065", "200.065277777778", "300.063444444444", "1000.00988888889"};
    const char* temps[] = {"26.9980444444444", "26.9938722222222", "26.9865166666667", "26.9931388888889"};
    for (int k = 0; k < 4; ++k) {
        const std::string grouped = readBytes(out + "/" + values[k] + ".txt");
        EXPECT_EQ(line(grouped, "Light"), std::string("Light (umol m-2 s-1), ") + lights[k]);
        EXPECT_EQ(line(grouped, "Leaf Temp"), std::string("Leaf Temp (oC), ") + temps[k]);
        // Byte for byte the run of a log that holds this curve alone.
        const Outcome alone = run(
            {"aci", "--instrument", "66,16,14", "--tab", "--tleaf", "Tleaf", "--light", "Qin", photogeaCurveAlone(k)});
        ASSERT_EQ(alone.status, 0) << alone.err;
        EXPECT_EQ(grouped, alone.out) << values[k];
    }
}

TEST_F(Conditions, HeaderCsvFilesAndFoldersTakeTheMeansOfTheirColumns)
{
    // The same readings as a CSV file and as an instrument log: the same conditions.
    const std::string csv = photogeaCurveAsCsv(3, "c1000.csv");
    const Outcome fromCsv = run({"aci", "--tleaf", "Tleaf", "--light", "4", "--patm", "Pa", "--standard-fit", csv});
    ASSERT_EQ(fromCsv.status, 0) << fromCsv.err;
    const Outcome fromLog = run({"aci", "--instrument", "66,16,14", "--tab", "--tleaf", "Tleaf", "--light", "Qin",
                                 "--patm", "Pa", "--standard-fit", photogeaCurveAlone(3)});
    ASSERT_EQ(fromLog.status, 0) << fromLog.err;
    for (const char* name : {"Leaf Temp", "Light", "Vcmax", "Jmax", "Patm", "RMSE"}) {
        EXPECT_FALSE(line(fromCsv.out, name).empty()) << name;
        EXPECT_EQ(line(fromCsv.out, name), line(fromLog.out, name)) << name;
    }
    EXPECT_EQ(line(fromCsv.out, "Patm"), "Patm, 99.5182333333333");

    // A folder: each file its own means.
    std::filesystem::create_directory(dir.path("folder"));
    photogeaCurveAsCsv(0, "folder/a.csv");
    photogeaCurveAsCsv(2, "folder/b.csv");
    const Outcome folder = run({"aci", "--light", "Qin", dir.path("folder")});
    ASSERT_EQ(folder.status, 0) << folder.err;
    EXPECT_NE(folder.out.find("Light (umol m-2 s-1), 100.02065\r\n"), std::string::npos);
    EXPECT_NE(folder.out.find("Light (umol m-2 s-1), 300.063444444444\r\n"), std::string::npos);
}

TEST_F(Conditions, AColumnThatCannotBeHadIsAMessageForThatCurve)
{
    const std::string csv = file("t.csv", "Ci,A,Tleaf\r\n100,5,25\r\n200,9,x\r\n");
    const Outcome missing = run({"aci", "--tleaf", "Tair", csv});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, csv + " line 1: the first line has no column \"Tair\"\n");
    const Outcome text = run({"aci", "--tleaf", "Tleaf", csv});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.err, csv + " line 3: \"x\" in column \"Tleaf\" is not a number\n");

    const std::string log = dataFile("instrument/instrument_pecan_1.txt");
    const Outcome noColumn = run({"aci", "--instrument", "18,7,5", "--tab", "--patm", "Pamb", log});
    EXPECT_EQ(noColumn.status, 1);
    EXPECT_EQ(noColumn.err, log + " line 17: the column-names line has no column \"Pamb\"\n");
    const Outcome noGroup = run({"aci", "--instrument", "18,7,5", "--tab", "--group", "Plot", log});
    EXPECT_EQ(noGroup.status, 1);
    EXPECT_EQ(noGroup.err, log + " line 17: the column-names line has no column \"Plot\"\n");

    // Usage errors: a condition of the other window, twice the same, --x with a log.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"aq", "--light", "Qin", csv},
                                                 {"aci", "--tleaf", "1", "--tleaf", "2", csv},
                                                 {"aci", "--instrument", "18,7,5", "--group", "Obs", "--x", "Ci", log},
                                                 {"aci", "--group", "Ci", csv}})
        EXPECT_EQ(run(args).status, 2) << args[1];
}

}  // namespace
