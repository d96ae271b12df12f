// calvane-batch --standard-fit: the export keeps every line of a plain run and adds
// the standard fits' sections; the summary gets their columns.

#include "TestSupport.h"

#include "batch/BatchOptions.h"
#include "core/NumberText.h"
#include "core/TextFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace calvane::test;
using calvane::batch::runBatch;

namespace {

struct BatchOutcome {
    int status;
    std::string out, err;
};

BatchOutcome batch(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    const int status = runBatch(args, out, err, '.');
    return {status, out.str(), err.str()};
}

// A summary line's fields; the summary quotes no field these tests read.
// One summary line's fields, with its quoted fields unquoted.
std::vector<std::string> splitCsv(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            fields.back() += line[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

}  // namespace

TEST(BatchStandardFit, AddsItsSectionAfterThePlainExport)
{
    const std::string curve = dataFile("aci/photosynthesis_S1_T25_0.csv");
    const BatchOutcome plain = batch({"aci", "--set", "Temp=25", "--set", "Light=1500", curve});
    const BatchOutcome fitted = batch({"aci", "--set", "Temp=25", "--set", "Light=1500", "--standard-fit", curve});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    ASSERT_EQ(fitted.out.compare(0, plain.out.size(), plain.out), 0);
    const std::string section = fitted.out.substr(plain.out.size());
    EXPECT_EQ(section.rfind("\r\nStandard fit (Farquhar-von Caemmerer-Berry)\r\nVcmax, ", 0), 0u) << section;
    for (const char* name :
         {"\r\nJmax, ", "\r\nRd, ", "\r\nVcmax25, ", "\r\nRMSE, ", "\r\nTransition Ci, ", "\r\nPatm, 100"})
        EXPECT_NE(section.find(name), std::string::npos) << name;
}

TEST(BatchStandardFit, SummaryColumns)
{
    ScratchDir dir;
    const std::string summary = dir.path("summary.csv");
    const BatchOutcome run = batch({"aci", "--set", "Temp=25", "--standard-fit", "--out-dir", dir.path("out"),
                                    "--summary", summary, dataFile("aci/photosynthesis_S1_T25_0.csv"),
                                    dataFile("aci/photosynthesis_S1_T30_0.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = calvane::splitLines(readBytes(summary));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find(",standard Vcmax (umol m-2 s-1),standard Vcmax SE (umol m-2 s-1),standard Jmax "
                            "(umol m-2 s-1),"),
              std::string::npos)
        << lines[0];
    // No positive light: the fit reports J in its own column and leaves Jmax empty.
    const auto header = splitCsv(lines[0]);
    const auto row = splitCsv(lines[1]);
    auto cell = [&](const std::string& name) {
        const auto k = static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
        return k < row.size() ? row[k] : "(no column " + name + ")";
    };
    EXPECT_EQ(cell("standard Jmax (umol m-2 s-1)"), "");
    EXPECT_EQ(cell("standard Jmax25 (umol m-2 s-1)"), "");
    EXPECT_GT(std::stod(cell("standard J (umol m-2 s-1)")), 0);
    EXPECT_NE(cell("standard message").find("J is reported instead of Jmax"), std::string::npos);
    EXPECT_EQ(cell("checks").find("Standard fit: "), 0u) << cell("checks");

    // With a light value the same curve reports Jmax.
    const BatchOutcome lit = batch({"aci", "--set", "Temp=25", "--set", "Light=1500", "--standard-fit", "--summary",
                                    dir.path("lit.csv"), dataFile("aci/photosynthesis_S1_T25_0.csv")});
    const auto litLines = calvane::splitLines(readBytes(dir.path("lit.csv")));
    ASSERT_EQ(litLines.size(), 2u);
    const auto litRow = splitCsv(litLines[1]);
    const auto jmax = static_cast<std::size_t>(std::find(header.begin(), header.end(), "standard Jmax (umol m-2 s-1)") -
                                               header.begin());
    const auto j = static_cast<std::size_t>(std::find(header.begin(), header.end(), "standard J (umol m-2 s-1)") -
                                            header.begin());
    ASSERT_LT(jmax, litRow.size());
    EXPECT_GT(std::stod(litRow[jmax]), 0);
    EXPECT_EQ(litRow[j], "");
}

TEST(BatchStandardFit, LightResponseCurvesGetBothFitsAfterTheCommands)
{
    const std::string curve = dataFile("aq/pecan_1aq.csv");
    const BatchOutcome plain = batch({"aq", "--plot", curve});
    const BatchOutcome fitted = batch({"aq", "--plot", "--standard-fit", curve});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    ASSERT_EQ(fitted.out.compare(0, plain.out.size(), plain.out), 0);
    const std::string section = fitted.out.substr(plain.out.size());
    EXPECT_EQ(section.rfind("\r\nLeast-squares optimum (Calvane model)\r\nAQE, ", 0), 0u) << section;
    for (const char* name : {"\r\nConvexity, ", "\r\nRMSE, ", "\r\nLight Saturation Point, ",
                             "\r\n\r\nStandard fit (non-rectangular hyperbola)\r\nPhi, ", "\r\nTheta, "})
        EXPECT_NE(section.find(name), std::string::npos) << name;

    ScratchDir dir;
    const std::string summary = dir.path("summary.csv");
    const BatchOutcome run = batch({"aq", "--plot", "--standard-fit", "--out-dir", dir.path("out"), "--summary",
                                    summary, curve, dataFile("aq/pecan_2aq.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = calvane::splitLines(readBytes(summary));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find(",optimum AQE (mol mol-1),optimum AQE SE (mol mol-1),optimum Amax (umol m-2 s-1),"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find(",hyperbola LightSat (umol m-2 s-1),hyperbola Phi lower (mol mol-1),"), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find(",hyperbola Rd upper (umol m-2 s-1),hyperbola message"), std::string::npos) << lines[0];
    // Both curves are fitted: the optimum's SSE column holds a number.
    const auto header = splitCsv(lines[0]);
    const auto row = splitCsv(lines[1]);
    const auto sse = std::find(header.begin(), header.end(), "optimum SSE ((umol m-2 s-1)2)") - header.begin();
    ASSERT_LT(static_cast<std::size_t>(sse), row.size());
    EXPECT_GT(std::stod(row[static_cast<std::size_t>(sse)]), 0);
}

TEST(BatchRunSettings, ProgressReachesTheCallerAndCancelStopsBeforeTheNextCurve)
{
    ScratchDir dir;
    const std::vector<std::string> inputs{dataFile("aci/photosynthesis_S1_T25_0.csv"),
                                          dataFile("aci/photosynthesis_S1_T30_0.csv")};
    std::size_t lastDone = 0, lastTotal = 0;
    calvane::batch::RunSettings settings;
    settings.onProgress = [&](std::size_t done, std::size_t total, const std::string&) {
        lastDone = done;
        lastTotal = total;
    };
    std::ostringstream out, err;
    ASSERT_EQ(runBatch({"aci", "--summary", dir.path("all.csv"), inputs[0], inputs[1]}, out, err, '.', settings), 0)
        << err.str();
    EXPECT_EQ(lastDone, 2u);
    EXPECT_EQ(lastTotal, 2u);
    EXPECT_EQ(calvane::splitLines(readBytes(dir.path("all.csv"))).size(), 3u);  // header and two rows

    const std::atomic<bool> cancel{true};
    settings.cancel = &cancel;
    runBatch({"aci", "--summary", dir.path("none.csv"), inputs[0], inputs[1]}, out, err, '.', settings);
    EXPECT_EQ(calvane::splitLines(readBytes(dir.path("none.csv"))).size(), 1u);  // the header only
}

TEST(BatchStandardFit, FitTpuFillsTheTpuColumnsAndNeedsTheStandardFit)
{
    ScratchDir dir;
    const std::string summary = dir.path("summary.csv");
    const BatchOutcome run = batch({"aci", "--set", "Temp=17.51", "--set", "Light=1800", "--standard-fit", "--fit-tpu",
                                    "--summary", summary, dataFile("aci/photosynthesis_S2_T17_5.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\r\nTPU, 5.4"), std::string::npos) << run.out;
    const auto lines = calvane::splitLines(readBytes(summary));
    ASSERT_EQ(lines.size(), 2u);
    const auto header = splitCsv(lines[0]);
    const auto row = splitCsv(lines[1]);
    for (const char* name : {"standard TPU (umol m-2 s-1)", "standard TPU SE (umol m-2 s-1)"}) {
        const auto k = static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
        ASSERT_LT(k, row.size()) << name;
        EXPECT_GT(std::stod(row[k]), 0) << name;
    }
    const BatchOutcome alone = batch({"aci", "--fit-tpu", dataFile("aci/photosynthesis_S2_T17_5.csv")});
    EXPECT_EQ(alone.status, 2);
    EXPECT_EQ(
        alone.err.rfind("calvane-batch: --fit-tpu, --standard-hold, --gm and --exclude go with --standard-fit\n", 0),
        0u)
        << alone.err;
}

TEST(BatchStandardFit, HeldEstimatesAreMarkedHeldInTheExport)
{
    const std::string curve = dataFile("aci/photosynthesis_S2_T30_0.csv");
    const BatchOutcome run = batch({"aci", "--set", "Temp=30.01", "--set", "Light=1800", "--standard-fit",
                                    "--standard-hold", "Rd=1", "--standard-hold", "TPU=20", curve});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\r\nRd, 1, held, , \r\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\r\nTPU, 20, held, , \r\n"), std::string::npos) << run.out;
    // The reference's Vcmax with Rd held at 1 (known_rd.csv), to its printed digits.
    EXPECT_NE(run.out.find("\r\nVcmax, 87.96"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("Hold"), std::string::npos);

    const BatchOutcome unknown = batch(
        {"aci", "--standard-fit", "--standard-hold", "Kc=3", dataFile("aci/photosynthesis_S2_T30_0.csv")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("calvane-batch: --standard-hold: the standard fit has no estimate Kc to hold\n", 0), 0u)
        << unknown.err;
}

TEST(BatchStandardFit, GmFitsOnTheChloroplasticBasisAndTheExportSaysIt)
{
    const std::string curve = dataFile("aci/photosynthesis_S2_T30_0.csv");
    const BatchOutcome plain = batch({"aci", "--set", "Temp=30.01", "--set", "Light=1800", "--standard-fit", curve});
    const BatchOutcome gm = batch(
        {"aci", "--set", "Temp=30.01", "--set", "Light=1800", "--standard-fit", "--gm", "0.3", curve});
    ASSERT_EQ(gm.status, 0) << gm.err;
    EXPECT_EQ(plain.out.find("\r\ngm"), std::string::npos);
    EXPECT_NE(gm.out.find("\r\nPatm, 100\r\ngm, 0.3\r\n"), std::string::npos) << gm.out;
    // The reference's Vcmax at gm 0.3 (gmeso.csv).
    EXPECT_NE(gm.out.find("\r\nVcmax, 110.4"), std::string::npos) << gm.out;
    EXPECT_EQ(batch({"aq", "--standard-fit", "--gm", "0.3", curve}).status, 2);
}

// Data rows 2 and the last left out, with and without a header line in the file: the
// reference's Vcmax (excluded.csv), the excluded points listed by Ci and A.
TEST(BatchStandardFit, ExcludedRowsAreLeftOutOfTheStandardFitOnly)
{
    struct Case {
        const char *file, *temp, *last, *vcmax, *second, *lastPoint;
    };
    for (const Case c : {Case{"photosynthesis_S1_T17_5.csv", "Temp=17.51", "12", "\r\nVcmax, 52.75",
                              "Excluded point, 221.0262445, 15.4853839", "Excluded point, 1333.035769, 14.39580178"},
                         Case{"plantecophys_01_tjr4.csv", "Temp=30.68", "10", "\r\nVcmax, 143.8",
                              "Excluded point, 83.79469726, 1.69298697", "Excluded point, 1443.358528, 34.40173421"}}) {
        const std::string curve = dataFile(std::string("aci/") + c.file);
        const std::vector<std::string> common{"aci", "--set", c.temp, "--set", "Light=1800", "--standard-fit"};
        auto args = common;
        args.insert(args.end(), {"--exclude", std::string("2,") + c.last, curve});
        const BatchOutcome run = batch(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.vcmax), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(std::string("\r\n") + c.second + "\r\n" + c.lastPoint + "\r\n"), std::string::npos)
            << run.out;
        // The window's own analysis still sees every point.
        auto plainArgs = common;
        plainArgs.push_back(curve);
        const BatchOutcome plain = batch(plainArgs);
        const auto own = [](const std::string& out) { return out.substr(0, out.find("\r\nStandard fit")); };
        EXPECT_EQ(own(run.out), own(plain.out));
    }
    const BatchOutcome beyond = batch(
        {"aci", "--standard-fit", "--exclude", "40", dataFile("aci/plantecophys_01_tjr4.csv")});
    EXPECT_EQ(beyond.status, 1);
    EXPECT_NE(beyond.err.find("--exclude 40: the curve has 10 data rows"), std::string::npos) << beyond.err;
}

// Light response: Phi held, data rows 2 and the last left out. The held estimate says
// so, both fits equal their fits of the curve without those rows, listed by Qa and A,
// and the window's own fit still sees every point.
TEST(BatchStandardFit, LightResponseHoldsAndExcludes)
{
    ScratchDir dir;
    const std::string curve = dataFile("aq/pecan_1aq.csv");
    auto rows = calvane::splitLines(readBytes(curve));
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    ASSERT_EQ(rows.size(), 10u);
    std::string shorter;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (k != 1 && k != 9)
            shorter += rows[k] + "\n";
    }
    writeBytes(dir.path("shorter.csv"), shorter);

    const std::vector<std::string> common{"aq", "--plot", "--standard-fit", "--standard-hold", "Phi=0.05"};
    auto args = common;
    args.insert(args.end(), {"--exclude", "2,10", curve});
    const BatchOutcome run = batch(args);
    ASSERT_EQ(run.status, 0) << run.err;
    args = common;
    args.push_back(dir.path("shorter.csv"));
    const BatchOutcome reference = batch(args);
    ASSERT_EQ(reference.status, 0) << reference.err;
    EXPECT_NE(run.out.find("\r\nPhi, 0.05, held, , \r\n"), std::string::npos) << run.out;

    // The sections' estimates, without the listing of excluded points and the light
    // points (swept over the grid's whole light range).
    auto section = [](const std::string& out) {
        std::string kept;
        for (const auto& line : calvane::splitLines(out.substr(out.find("\r\nLeast-squares optimum")))) {
            if (line.rfind("Excluded point, ", 0) != 0 && line.rfind("Light ", 0) != 0)
                kept += line + "\n";
        }
        return kept;
    };
    EXPECT_EQ(section(run.out), section(reference.out));
    const std::string listed = "\r\nExcluded point, " +
                               calvane::formatNumber(static_cast<long double>(0.85 * 1799.0), '.') +
                               ", 19.8\r\nExcluded point, 0, -1.69\r\n";
    EXPECT_NE(run.out.find(listed), run.out.rfind(listed)) << run.out;  // once in each section

    const BatchOutcome plain = batch({"aq", "--plot", curve});
    EXPECT_EQ(run.out.compare(0, plain.out.size(), plain.out), 0);
    EXPECT_EQ(batch({"aq", "--standard-fit", "--standard-hold", "AQE=0.05", curve}).status, 2);
}
