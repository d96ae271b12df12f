// Many curves in one calvane-batch run: tables cut into curves, folders, one export
// per curve, the run summary, and the worker pool that must not change a byte.

#include "TestSupport.h"

#include "batch/BatchOptions.h"
#include "batch/CurveTable.h"
#include "batch/Summary.h"

#include <map>
#include <sstream>

using namespace calvane::test;
using namespace calvane::batch;

namespace {

using Outcome = ProgramOutcome;

using Row = std::map<std::string, std::string>;

class ManyCurves : public ::testing::Test {
protected:
    ScratchDir dir;

    Outcome run(const std::vector<std::string>& args) { return runProgram(dir, CALVANE_BATCH, args); }

    std::string file(const std::string& name, const std::string& bytes)
    {
        writeBytes(dir.path(name), bytes);
        return dir.path(name);
    }

    // The summary as Python's csv module reads it: one map per row, by header name.
    std::vector<Row> readSummary(const std::string& path)
    {
        const std::string script = file(
            "read.py", "import csv, sys\n"
                       "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                       "    for row in csv.DictReader(f):\n"
                       "        for k, v in row.items():\n"
                       "            print(k + '\\t' + v.replace('\\\\', '\\\\\\\\').replace('\\n', '\\\\n'))\n"
                       "        print('')\n");
        EXPECT_EQ(shellStatus("python3 " + shellQuoted(script) + " " + shellQuoted(path) + " >" +
                              shellQuoted(dir.path("rows"))),
                  0);
        std::vector<Row> rows(1);
        std::istringstream lines(readBytes(dir.path("rows")));
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) {
                rows.emplace_back();
                continue;
            }
            const auto tab = line.find('\t');
            std::string value;
            for (std::size_t i = tab + 1; i < line.size(); ++i) {
                if (line[i] == '\\' && i + 1 < line.size())
                    value += line[++i] == 'n' ? '\n' : line[i];
                else
                    value += line[i];
            }
            rows.back()[line.substr(0, tab)] = value;
        }
        rows.pop_back();
        return rows;
    }
};

// The value after "Label, " on the export line that starts with the label, up to the
// next comma.
std::string exported(const std::string& bytes, const std::string& label)
{
    const auto at = bytes.find("\r\n" + label + ", ");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no line " << label;
        return {};
    }
    const auto start = at + label.size() + 4;
    return bytes.substr(start, bytes.find_first_of(",\r", start) - start);
}

}  // namespace

TEST(CurveTable, FindsColumnsByHeaderTextOrNumber)
{
    const std::vector<std::string> header{"leaf", "2", "A"};
    EXPECT_EQ(findColumn(header, "A"), 2u);
    EXPECT_EQ(findColumn(header, "2"), 1u);  // the header text comes before the number
    EXPECT_EQ(findColumn(header, "3"), 2u);
    EXPECT_EQ(findColumn(header, "4"), std::nullopt);
    EXPECT_EQ(findColumn(header, "a"), std::nullopt);
}

TEST(CurveTable, SplitsByGroupInOrderOfFirstAppearance)
{
    const std::string text = "leaf\tCi\tA\tTleaf\n"
                             "L2\t100\t5\t25\n"
                             "L1\t200\t8\t24\n"
                             "L2\t300\t9\t26\n"
                             "L3\t400\tn/a\t20\n"
                             "\t500\t1\t20\n"
                             "L1\t 600 \t10\t26\n";
    const auto split = splitTable(text, "t.txt", {"leaf", "Ci", "3", std::string("Tleaf")});
    ASSERT_FALSE(split.error);
    ASSERT_EQ(split.curves.size(), 4u);
    EXPECT_EQ(split.curves[0].group, "L2");
    EXPECT_EQ(split.curves[0].points.size(), 2u);
    EXPECT_EQ(split.curves[0].mean, 25.5);
    EXPECT_FALSE(split.curves[0].error);
    EXPECT_EQ(split.curves[1].group, "L1");
    EXPECT_EQ(split.curves[1].points[1].x, "600");
    EXPECT_EQ(split.curves[1].mean, 25);
    EXPECT_EQ(split.curves[2].error, "t.txt line 5: \"n/a\" in column \"A\" is not a number");
    EXPECT_EQ(split.curves[3].error, "t.txt line 6: the group column \"leaf\" is empty");
    EXPECT_EQ(curveAsCsv(split.curves[1]), "\"200\",\"8\"\r\n\"600\",\"10\"\r\n");

    EXPECT_EQ(splitTable(text, "t.txt", {"leaf", "Ci", "A", std::string("Tair")}).error,
              "t.txt line 1: the header line has no column \"Tair\"");
    EXPECT_EQ(splitTable("leaf,Ci,A\n", "h.csv", {"leaf", "Ci", "A", {}}).error,
              "h.csv: no rows below the header line");
    // A semicolon or tab table may write decimal commas; they go on as points. A comma
    // table's "12,5" is no number, and a group value stays as written.
    for (const char* table :
         {"g;x;a;t\n0,5;\"12,5\";3,25;20,5\n0,5;14;4;21\n", "g\tx\ta\tt\n0,5\t12,5\t3,25\t20,5\n0,5\t14\t4\t21\n"}) {
        const auto comma = splitTable(table, "c.csv", {"g", "x", "a", std::string("t")});
        ASSERT_EQ(comma.curves.size(), 1u) << table;
        EXPECT_FALSE(comma.curves[0].error);
        EXPECT_EQ(comma.curves[0].group, "0,5");
        EXPECT_EQ(curveAsCsv(comma.curves[0]), "\"12.5\",\"3.25\"\r\n\"14\",\"4\"\r\n");
        EXPECT_EQ(comma.curves[0].mean, 20.75);
    }
    EXPECT_EQ(splitTable("g,x,a\n1,\"12,5\",3\n", "c.csv", {"g", "x", "a", {}}).curves[0].error,
              "c.csv line 2: \"12,5\" in column \"x\" is not a number");
}

TEST(RunSummary, QuotesAndDecimalPoint)
{
    EXPECT_EQ(csvRow({"a", "b,c", "say \"hi\"", "two\nlines", ""}), "a,\"b,c\",\"say \"\"hi\"\"\",\"two\nlines\",\r\n");
    EXPECT_EQ(withDecimalPoint("12,5", ','), "12.5");
    EXPECT_EQ(withDecimalPoint("-1,5E-3", ','), "-1.5E-3");
    EXPECT_EQ(withDecimalPoint("a,b", ','), "a,b");
    EXPECT_EQ(withDecimalPoint("0.0", '.'), "0.0");
    EXPECT_EQ(summaryNumber(0.25L), "0.25");
}

TEST_F(ManyCurves, FilesAndFoldersExportAsTheirOneFileRuns)
{
    std::filesystem::create_directory(dir.path("set"));
    const std::string b = file("set/b.csv", "400,18\r\n200,12\r\n100,6\r\n50,2\r\n");
    const std::string a = file("set/a.CSV", "800,22\r\n400,18\r\n200,12\r\n100,6\r\n50,2\r\n");
    file("set/notes.txt", "not a curve");
    std::filesystem::create_directory(dir.path("set/inner.csv"));  // a folder is never a curve
    const std::string c = file("c.txt", "300,15\r\n150,9\r\n75,4\r\n");

    std::string expected;
    for (const auto& one : {c, a, b})
        expected += run({"aci", "--id", "leaf", one}).out;
    const Outcome all = run({"aci", "--id", "leaf", c, dir.path("set")});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.err, "");  // not a terminal: no progress line
    EXPECT_EQ(all.out, expected);

    // One file per curve; a name taken twice gets "-2", and no export replaces an input.
    std::filesystem::create_directory(dir.path("other"));
    const std::string copy = file("other/a.csv", readBytes(a));
    file("other/c.txt", readBytes(c));
    const Outcome perCurve = run({"aci", "--out-dir", dir.path("other"), a, copy, dir.path("other/c.txt")});
    EXPECT_EQ(perCurve.status, 0) << perCurve.err;
    EXPECT_EQ(perCurve.out, "");
    EXPECT_EQ(readBytes(dir.path("other/a.txt")), run({"aci", a}).out);
    EXPECT_EQ(readBytes(dir.path("other/a-2.txt")), run({"aci", a}).out);
    EXPECT_EQ(readBytes(dir.path("other/c.txt")), readBytes(c));
    EXPECT_EQ(readBytes(dir.path("other/c-2.txt")), run({"aci", c}).out);
}

TEST_F(ManyCurves, AFailingCurveIsAMessageAndTheOthersGoOn)
{
    const std::string good = file("good.csv", "800,22\r\n400,18\r\n200,12\r\n100,6\r\n50,2\r\n");
    const std::string one = file("one.csv", "100,5\r\n");
    const Outcome r = run({"aci", good, dir.path("missing.csv"), one, good});
    EXPECT_EQ(r.status, 1);
    const std::string fit = run({"aci", one}).err;
    EXPECT_EQ(r.err, "Cannot open file " + dir.path("missing.csv") + "\n" + one + ": " + fit);
    const std::string goodExport = run({"aci", good}).out;
    EXPECT_EQ(r.out, goodExport + run({"aci", one}).out + goodExport);

    // An empty folder among other inputs is a curve that cannot be opened.
    std::filesystem::create_directory(dir.path("empty"));
    const Outcome withFolder = run({"aci", dir.path("empty"), good});
    EXPECT_EQ(withFolder.status, 1);
    EXPECT_EQ(withFolder.err, "Cannot open file " + dir.path("empty") + "\n");
    EXPECT_EQ(withFolder.out, goodExport);
}

TEST_F(ManyCurves, GroupedTableCurvesMatchTheirOneFileRuns)
{
    // Semicolons, a quoted header, Windows-1252 bytes in a group value, a column by number.
    const std::string table = file("leaves.csv", "\"leaf id\";Ci;Photo;Tleaf\r\n"
                                                 "S\xE9v 1;800;22;25\r\n"
                                                 "S\xE9v 1;400;18;26\r\n"
                                                 "a/b;300;15;30\r\n"
                                                 "S\xE9v 1;200;12;25.5\r\n"
                                                 "a/b;150;9;31\r\n"
                                                 "a/b;75;4;32\r\n");
    const Outcome r = run({"aci", "--group", "leaf id", "--x", "Ci", "--a", "3", "--tleaf", "Tleaf", "--out-dir",
                           dir.path("out"), "--summary", dir.path("summary.csv"), table});
    EXPECT_EQ(r.status, 0) << r.err;

    const std::string first = file("first.csv", "800,22\r\n400,18\r\n200,12\r\n");
    const std::string second = file("second.csv", "300,15\r\n150,9\r\n75,4\r\n");
    EXPECT_EQ(readBytes(dir.path("out/S\xC3\xA9v 1.txt")), run({"aci", "--set", "Temp=25.5", first}).out);
    EXPECT_EQ(readBytes(dir.path("out/a_b.txt")), run({"aci", "--set", "Temp=31", second}).out);

    const auto rows = readSummary(dir.path("summary.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("group"), "S\xC3\xA9v 1");  // UTF-8 in the summary
    EXPECT_EQ(rows[1].at("group"), "a/b");
    EXPECT_EQ(rows[1].at("Temp (oC)"), "31");
    EXPECT_EQ(rows[1].at("points"), "3");

    const Outcome bad = run({"aq", "--group", "leaf id", "--x", "Ci", "--a", "Photo", "--parabs", "Nope", table});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, table + " line 1: the header line has no column \"Nope\"\n");
    EXPECT_EQ(bad.out, "");
}

TEST_F(ManyCurves, TheSummaryAgreesWithTheOneFileRuns)
{
    const std::vector<std::string> aqFiles = {dataFile("aq/pecan_1aq.csv"), dataFile("aq/ngeearctic_1818.csv")};
    const Outcome aq = run(
        {"aq", "--drop", "--id", "x, \"y\"", "--summary", dir.path("aq.csv"), aqFiles[0], aqFiles[1]});
    EXPECT_EQ(aq.status, 0) << aq.err;
    const auto aqRows = readSummary(dir.path("aq.csv"));
    ASSERT_EQ(aqRows.size(), 2u);
    for (std::size_t i = 0; i < aqFiles.size(); ++i) {
        const std::string one = run({"aq", "--drop", aqFiles[i]}).out;
        const Row& row = aqRows[i];
        EXPECT_EQ(row.at("source"), aqFiles[i]);
        EXPECT_EQ(row.at("identifier"), "x, \"y\"");
        EXPECT_EQ(row.at("Amax (umol m-2 s-1)"), exported(one, "Amax"));
        EXPECT_EQ(row.at("Respiration state"), i == 0 ? "Fixed" : "Computed");
        EXPECT_EQ(row.at("LightSat (umol m-2 s-1)"), exported(one, "Light Saturation Point  (umol m-2 s-1)"));
        EXPECT_EQ(row.at("ParAbs (fraction)"), "0.85");
        const double sse = std::stod(row.at("SSE ((umol m-2 s-1)2)")), rmse = std::stod(row.at("RMSE (umol m-2 s-1)"));
        EXPECT_GT(sse, 0);
        EXPECT_TRUE(near(rmse * rmse * std::stod(row.at("points")), sse, 1e-9 * sse));
        EXPECT_EQ(row.at("status"), "0");
    }
    EXPECT_EQ(aqRows[0].at("points"), "10");

    const std::string good = dataFile("aci/photosynthesis_S1_T25_0.csv");
    const std::string one = file("one.csv", "100,5\r\n");
    const Outcome aci = run({"aci", "--set", "Temp=25", "--summary", dir.path("aci.csv"), good, one});
    EXPECT_EQ(aci.status, 1);
    const auto aciRows = readSummary(dir.path("aci.csv"));
    ASSERT_EQ(aciRows.size(), 2u);
    const std::string goodExport = run({"aci", "--set", "Temp=25", good}).out;
    const Row& row = aciRows[0];
    for (const auto& [column, line] :
         std::vector<std::pair<std::string, std::string>>{{"Kc (umol mol-1)", "Kc (umol mol-1)"},
                                                          {"Vcmax (umol m-2 s-1)", "Vcmax"},
                                                          {"Jmax (umol m-2 s-1)", "Jmax"},
                                                          {"TPU (umol m-2 s-1)", "TPU"}})
        EXPECT_EQ(row.at(column), exported(goodExport, line)) << column;
    EXPECT_EQ(row.at("Vcmax state"), "Computed");
    EXPECT_EQ(row.at("GammaStar (umol mol-1)"), exported(goodExport, "GammaStar"));
    // The Vcmax line is A = Vcmax * f'(Ci) - Rd.
    EXPECT_EQ(row.at("Vcmax fit slope (umol m-2 s-1)"), row.at("Vcmax (umol m-2 s-1)"));
    EXPECT_TRUE(near(std::stod(row.at("Vcmax fit intercept (umol m-2 s-1)")),
                     -std::stod(row.at("Respiration (umol m-2 s-1)")), 1e-12));
    EXPECT_EQ(row.at("Jmax fit slope (umol m-2 s-1)"), row.at("Jmax (umol m-2 s-1)"));
    const int used = std::stoi(row.at("Vcmax fit points"));
    EXPECT_GE(used, 2);
    EXPECT_LE(used, std::stoi(row.at("points")));
    const double r2 = std::stod(row.at("Jmax fit R2 (dimensionless)"));
    EXPECT_GT(r2, 0.5);
    EXPECT_LE(r2, 1.0);
    EXPECT_EQ(row.at("status"), "0");
    EXPECT_EQ(row.at("messages"), "");

    const Row& failed = aciRows[1];
    EXPECT_EQ(failed.at("status"), "1");
    EXPECT_EQ(failed.at("messages") + "\n", run({"aci", one}).err);
    EXPECT_EQ(failed.at("Vcmax fit points"), "");
}

TEST_F(ManyCurves, ParallelRunsGiveTheSequentialBytes)
{
    std::vector<std::string> args{"aq", "--drop", "--summary", dir.path("s.csv")};
    for (const char* name : {"pecan_1aq", "pecan_2aq", "ngeearctic_1818", "ngeearctic_1819", "ngeearctic_1896",
                             "ngeearctic_2142", "ngeearctic_1851"})
        args.push_back(dataFile(std::string("aq/") + name + ".csv"));
    args.push_back(dir.path("missing.csv"));
    std::ostringstream sequentialOut, sequentialErr, parallelOut, parallelErr;
    RunSettings oneWorker, fourWorkers;
    oneWorker.workers = 1;
    fourWorkers.workers = 4;
    const int sequential = runBatch(args, sequentialOut, sequentialErr, '.', oneWorker);
    const std::string sequentialSummary = readBytes(dir.path("s.csv"));
    const int parallel = runBatch(args, parallelOut, parallelErr, '.', fourWorkers);
    EXPECT_EQ(sequential, 1);
    EXPECT_EQ(parallel, sequential);
    EXPECT_EQ(parallelOut.str(), sequentialOut.str());
    EXPECT_EQ(parallelErr.str(), sequentialErr.str());
    EXPECT_EQ(readBytes(dir.path("s.csv")), sequentialSummary);
    EXPECT_EQ(readSummary(dir.path("s.csv")).size(), 8u);
}

TEST_F(ManyCurves, TheSummaryWritesAPointWhateverTheLocale)
{
    const std::string points = file("comma.csv", "\"800,5\",\"22,25\"\r\n400,18\r\n200,12\r\n100,6\r\n50,2\r\n");
    std::ostringstream out, err;
    EXPECT_EQ(runBatch({"aci", "--set", "Temp=25,5", "--summary", dir.path("s.csv"), points}, out, err, ','), 0)
        << err.str();
    const std::string& bytes = out.str();
    const auto start = bytes.find("\r\nVcmax, ") + 9;
    const std::string vcmax = bytes.substr(start, bytes.find(", Computed", start) - start);
    ASSERT_NE(vcmax.find(','), std::string::npos) << vcmax;  // the export keeps the locale's comma
    const auto rows = readSummary(dir.path("s.csv"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("Temp (oC)"), "25.5");
    std::string pointed = vcmax;
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    EXPECT_EQ(rows[0].at("Vcmax (umol m-2 s-1)"), pointed);
    EXPECT_EQ(rows[0].at("Vcmax fit slope (umol m-2 s-1)"), pointed);
}

TEST_F(ManyCurves, ProgressOnlyOnATerminal)
{
    if (shellStatus("command -v script >/dev/null") != 0)
        GTEST_SKIP() << "no script command to give standard error a terminal";
    const std::string points = file("p.csv", "800,22\r\n400,18\r\n200,12\r\n");
    const std::string command = "LC_ALL=C " + shellQuoted(CALVANE_BATCH) + " aci --out-dir " +
                                shellQuoted(dir.path("o")) + " " + shellQuoted(points) + " " + shellQuoted(points);
    // script runs the command on a terminal of its own and copies what it shows.
    EXPECT_EQ(shellStatus("script -qec " + shellQuoted(command) + " /dev/null >" + shellQuoted(dir.path("tty")) +
                          " </dev/null"),
              0);
    const std::string shown = readBytes(dir.path("tty"));
    EXPECT_NE(shown.find("0/2 curves done, now " + points), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\x1b[K"), std::string::npos);

    const Outcome piped = run({"aci", "--out-dir", dir.path("o"), points, points});
    EXPECT_EQ(piped.err, "");
}

TEST_F(ManyCurves, UsageErrors)
{
    const std::string points = file("p.csv", "800,22\r\n400,18\r\n");
    const std::string table = file("t.csv", "g,x,a\r\n1,2,3\r\n2,3,4\r\n");
    const std::vector<std::vector<std::string>> cases = {
        {"aci", "-o", dir.path("x.txt"), points, points},
        {"aci", "-o", dir.path("x.txt"), "--group", "g", "--x", "x", "--a", "a", table},
        {"aci", "--x", "x", points},
        {"aci", "--group", "g", "--x", "x", table},
        {"aci", "--group", "g", "--group", "g", "--x", "x", "--a", "a", table},
        {"aq", "--group", "g", "--x", "x", "--a", "a", "--tleaf", "a", table},
        {"aci", "--group", "g", "--x", "x", "--a", "a", "--parabs", "a", table},
        {"aci", "--group", "g", "--x", "x", "--a", "a", "--instrument", "1,2,3", table},
        {"aci", "-o", dir.path("x.txt"), "--out-dir", dir.path("o"), points},
        {"aci", "--summary", points, points},
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
    EXPECT_NE(run(cases[0]).err.find("--out-dir"), std::string::npos);
    EXPECT_EQ(readBytes(points), "800,22\r\n400,18\r\n");
}
