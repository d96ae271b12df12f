// End-to-end runs of the calvane-batch program on files, comparing what it writes.

#include "TestSupport.h"

using namespace calvane::test;

namespace {

using Outcome = ProgramOutcome;

class Batch : public ::testing::Test {
protected:
    ScratchDir dir;

    Outcome run(const std::vector<std::string>& args) { return runProgram(dir, CALVANE_BATCH, args); }

    std::string file(const std::string& name, const std::string& bytes)
    {
        writeBytes(dir.path(name), bytes);
        return dir.path(name);
    }
};

std::vector<std::string> crlfLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(bytes.substr(start, at - start));
    EXPECT_EQ(start, bytes.size()) << "text after the last CR LF";
    return lines;
}

// The number after "Label, " on the export line that starts with the label.
double exported(const std::vector<std::string>& lines, const std::string& label)
{
    for (const auto& line : lines)
        if (line.rfind(label + ", ", 0) == 0)
            return std::stod(line.substr(label.size() + 2));
    ADD_FAILURE() << "no line " << label;
    return 0;
}

const std::string freshAciHead = "ACi Curve Analysis for: \r\n"
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
                                 "  Ci(CO2)umol mol-1, A Assimiliation\r\n";

std::string repeated(const std::string& line, int times)
{
    std::string all;
    for (int i = 0; i < times; ++i)
        all += line;
    return all;
}

// The worked example: listed bottom-up, so (50, 2) comes first from the lowest row.
const std::string workedExample = "800,22\r\n400,18\r\n200,12\r\n100,6\r\n50,2\r\n";

}  // namespace

TEST_F(Batch, AFreshAciWindowExportsFortyFourLines)
{
    const Outcome r = run({"aci", "--none", file("empty.csv", "")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, freshAciHead + repeated("  , \r\n", 32));
}

TEST_F(Batch, ComputesTheWorkedExample)
{
    const Outcome r = run({"aci", "--id", "leaf 3", file("points.csv", workedExample)});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = crlfLines(r.out);
    ASSERT_EQ(lines.size(), 11u + 6u);  // the CSV load leaves 5 data rows
    EXPECT_EQ(lines[0], "ACi Curve Analysis for: leaf 3");
    EXPECT_TRUE(near(exported(lines, "Vcmax"), 51.86, 0.005));
    EXPECT_TRUE(near(exported(lines, "Respiration"), -1.460, 0.0005));
    EXPECT_TRUE(near(exported(lines, "Jmax"), 113.1, 0.05));
    EXPECT_TRUE(near(exported(lines, "TPU"), 6.847, 0.0005));
    EXPECT_TRUE(near(exported(lines, "GammaStar"), 32.2088, 0.00005));
    EXPECT_EQ(lines[11], "  Ci(CO2)umol mol-1, A Assimiliation");
    EXPECT_EQ(lines[12], "  800, 22");
    EXPECT_EQ(lines[16], "  50, 2");
}

TEST_F(Batch, FieldsAndFlagsApplyInOrderBeforeTheCommands)
{
    const Outcome r = run({"aci", "--fix", "Vcmax=80.0", "--set", "Light=1500", "--fix", "Tau=5", "--free", "Tau",
                           "--compute", file("points.csv", workedExample)});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = crlfLines(r.out);
    EXPECT_EQ(lines[7], "Vcmax, 80, Fixed");
    EXPECT_EQ(lines[5], "Light (umol m-2 s-1), 1500");
    EXPECT_EQ(lines[3].substr(lines[3].size() - 10), ", Computed");
    EXPECT_TRUE(near(exported(lines, "Tau (mmol/umol)"), 3.252216, 0.0000005));
}

TEST_F(Batch, CommandsRunInOrderAndRepeat)
{
    const std::string points = file("points.csv", workedExample);
    const Outcome r = run({"aci", "--compute", "--clear", "--plot", points});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, freshAciHead.substr(0, freshAciHead.find("GammaStar")) + "GammaStar, 32.2088053205926\r\n" +
                         freshAciHead.substr(freshAciHead.find("  Ci(")) + repeated("  , \r\n", 5));
}

TEST_F(Batch, AMessageGivesStatusOneAndTheRunGoesOn)
{
    const Outcome r = run({"aci", "--set", "Temp=abc", file("points.csv", workedExample)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Invalid Temperature value\n");
    const auto lines = crlfLines(r.out);
    EXPECT_EQ(lines[4], "Leaf Temp (oC), abc");
    EXPECT_TRUE(near(exported(lines, "Kc (umol mol-1)"), 21.65909, 0.000005));

    const Outcome onePoint = run({"aci", file("one.csv", "100,5\r\n")});
    EXPECT_EQ(onePoint.status, 1);
    EXPECT_NE(onePoint.err, "");
    EXPECT_EQ(std::count(onePoint.err.begin(), onePoint.err.end(), '\n'), 1);
    const auto oneLines = crlfLines(onePoint.out);
    EXPECT_EQ(oneLines[1], "Kc (umol mol-1), 406.692616544555, Computed");
    EXPECT_EQ(oneLines[7], "Vcmax, 0.0, Computed");
}

TEST_F(Batch, ExportToAFileIsByteForByteTheSame)
{
    const std::string points = file("points.csv", workedExample);
    const Outcome toStdout = run({"aci", points});
    const Outcome toFile = run({"aci", "-o", dir.path("results.txt"), points});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toFile.out, "");
    EXPECT_EQ(readBytes(dir.path("results.txt")), toStdout.out);
    const Outcome again = run({"aci", "--export", dir.path("results.txt"), "--none", points});
    EXPECT_EQ(again.status, 0);
    EXPECT_NE(readBytes(dir.path("results.txt")), toStdout.out);
}

TEST_F(Batch, AnExportThatCannotBeWrittenKeepsWhatWasThere)
{
    std::filesystem::create_directory(dir.path("taken"));
    writeBytes(dir.path("taken/keep"), "old");
    const Outcome r = run({"aci", "--none", "-o", dir.path("taken"), file("points.csv", workedExample)});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Cannot create file " + dir.path("taken") + "\n");
    EXPECT_EQ(readBytes(dir.path("taken/keep")), "old");
}

TEST_F(Batch, AFileThatCannotBeOpenedIsStatusTwoInEveryMode)
{
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{}, {"--drop"}, {"--instrument", "1,2,3"}, {"--instrument", "1,2,3", "--tab"}}) {
        for (const std::string& target : {dir.path("missing.csv"), dir.dir().string()}) {
            std::vector<std::string> args{"aci"};
            args.insert(args.end(), mode.begin(), mode.end());
            args.push_back(target);
            const Outcome r = run(args);
            EXPECT_EQ(r.status, 2) << target;
            EXPECT_EQ(r.err, "Cannot open file " + target + "\n");
            EXPECT_EQ(r.out, "");
        }
    }
}

TEST_F(Batch, UsageErrors)
{
    const std::string points = file("points.csv", workedExample);
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"acx", points},
        {"aci"},
        {"aci", "-o", dir.path("one.txt"), points, points},  // -o takes one curve
        {"aci", "--set", "Nope=1", points},
        {"aci", "--set", "Kc", points},
        {"aci", "--set", "=1", points},
        {"aci", "--fix", "Temp=20", points},
        {"aci", "--fix", "GammaStar", points},
        {"aci", "--free", "Kc=1", points},
        {"aci", "--none", "--compute", points},
        {"aci", "--tab", points},
        {"aci", "--drop", "--instrument", "1,2,3", points},
        {"aci", "--instrument", "1,2", points},
        {"aci", "--instrument", "1,2,3,4", points},
        {"aci", "-o", "a", "-o", "b", points},
        {"aci", "--fit", points},
        {"aq", "--compute", points},
        {"aq", "--set", "Vcmax=3", points},
        {"aq", "--fix", "ParAbs", points},
        {"aci", "--bogus", points},
        {"aci", "--id"},
    };
    for (const auto& args : cases) {
        const Outcome r = run(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(r.status, 2) << joined;
        EXPECT_EQ(r.out, "") << joined;
        EXPECT_NE(r.err.find("usage: calvane-batch"), std::string::npos) << joined;
    }
}

TEST_F(Batch, DropLoadsOnlyCsvFiles)
{
    const Outcome refused = run({"aci", "--drop", "--none", file("points.txt", workedExample)});
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.out, freshAciHead + repeated("  , \r\n", 32));
    const Outcome loaded = run({"aci", "--drop", "--none", file("points.CSV", workedExample)});
    EXPECT_EQ(crlfLines(loaded.out).size(), 17u);
}

TEST_F(Batch, LightResponseDropTakesTheDarkRespirationAndFits)
{
    const Outcome r = run({"aq", "--drop", "--id", "pecan", "-o", dir.path("aq.txt"), dataFile("aq/pecan_1aq.csv")});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto lines = crlfLines(readBytes(dir.path("aq.txt")));
    ASSERT_EQ(lines.size(), 9u + 11u);
    EXPECT_EQ(lines[0], "AQ Light Response Curve for: pecan");
    EXPECT_EQ(lines[6], "Respiration, -1.69,Fixed");
    EXPECT_EQ(lines[8], " ");
    EXPECT_EQ(lines[9], "  Q Obs, A Assimiliation, Qa");
    EXPECT_EQ(lines[10], "  1499, 19.8, 1274.15");  // the drop added the Qa column, the fit filled it
    EXPECT_EQ(lines[19], "  0, -1.69, 0");
    EXPECT_GT(exported(lines, "Amax"), 19.8);
    EXPECT_GT(exported(lines, "Light Compensation Point(umol m-2 s-1)"), 0);
}

TEST_F(Batch, InstrumentFilesInTabMode)
{
    const Outcome aq = run({"aq", "--instrument", "18,25,5", "--tab", "--plot", dataFile("instrument/aq_pecan_1.txt")});
    EXPECT_EQ(aq.status, 0) << aq.err;
    const auto lines = crlfLines(aq.out);
    EXPECT_EQ(lines[6], "Respiration, -1.69,Fixed");
    EXPECT_EQ(lines[11], "  1499 , 19.8, 1274.15");  // the first remark line became an empty row 1

    const Outcome aci = run(
        {"aci", "--instrument", " 17 , 7,5", "--tab", "--none", dataFile("instrument/instrument_pecan_1.txt")});
    EXPECT_EQ(aci.status, 0) << aci.err;
    const auto aciLines = crlfLines(aci.out);
    EXPECT_EQ(aciLines[11], "  \"Ci\" , \"Photo\"");  // the column names became the headers
    EXPECT_EQ(aciLines[24], "  1.23E+03 , 43.1");     // the last point, from line 78 of the file

    // Without a delimiter option the file's own is taken; --comma forces Comma mode,
    // where nothing splits.
    const Outcome own = run(
        {"aci", "--instrument", " 17 , 7,5", "--none", dataFile("instrument/instrument_pecan_1.txt")});
    EXPECT_EQ(own.out, aci.out);
    const Outcome comma = run(
        {"aci", "--instrument", "17,7,5", "--comma", "--none", dataFile("instrument/instrument_pecan_1.txt")});
    EXPECT_EQ(comma.status, 0);
    EXPECT_EQ(comma.out, freshAciHead + repeated("  , \r\n", 32));

    // A semicolon log, found by itself or named.
    const std::string semicolons = dataFile("instrument/instrument_plantbiophysics_2.csv");
    const Outcome found = run({"aq", "--instrument", "14,22,4", "--plot", semicolons});
    EXPECT_EQ(found.status, 0) << found.err;
    EXPECT_EQ(crlfLines(found.out)[10], "  2000 , 7.02, 1700");
    EXPECT_EQ(run({"aq", "--instrument", "14,22,4", "--semicolon", "--plot", semicolons}).out, found.out);
}

TEST_F(Batch, ChecksAreWarningsThatNameTheCurveAndKeepTheStatus)
{
    const std::string points = file("points.csv", workedExample);
    const Outcome kelvin = run({"aci", "--set", "Temp=298.15", "--summary", dir.path("s.csv"), points});
    EXPECT_EQ(kelvin.status, 0) << kelvin.err;
    const std::string prefix = "warning: " + points + ": ";
    EXPECT_EQ(kelvin.err.rfind(prefix + "Leaf temperature 298.15 looks like kelvin", 0), 0u) << kelvin.err;
    for (std::size_t at = 0; at < kelvin.err.size(); at = kelvin.err.find('\n', at) + 1)
        EXPECT_EQ(kelvin.err.compare(at, prefix.size(), prefix), 0) << kelvin.err.substr(at);
    // The export is the same with or without the warnings.
    EXPECT_EQ(kelvin.out, run({"aci", "--set", "Temp=298.15", points}).out);
    EXPECT_NE(readBytes(dir.path("s.csv")).find(",status,messages,checks\r\n"), std::string::npos);
}

TEST_F(Batch, AFitWithTooFewPointsIsAFailure)
{
    const Outcome two = run({"aq", file("two.csv", "100,2\r\n200,4\r\n")});
    EXPECT_EQ(two.status, 1);
    EXPECT_EQ(two.err, "Cannot fit the light response: 2 points for 4 free parameters\n");
    const Outcome none = run({"aq", file("none.csv", "")});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "Cannot fit the light response: no measured points\n");
    const Outcome standard = run({"aci", "--standard-fit", file("three.csv", "100,2\r\n200,4\r\n300,5\r\n")});
    EXPECT_EQ(standard.status, 1);
    EXPECT_EQ(standard.err, "Standard fit: Cannot fit: 3 points for 3 parameters; at least 4 are needed\n");
}
