// calvane-batch --standard-fit: the A/Ci export keeps every line of a plain run and
// adds the standard fit's section; the summary gets its columns.

#include "TestSupport.h"

#include "batch/BatchRun.h"
#include "core/TextFile.h"

#include <gtest/gtest.h>

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
    for (const char* name : {"\r\nJmax, ", "\r\nRd, ", "\r\nVcmax25, ", "\r\nRMSE, ", "\r\nTransition Ci, ", "\r\nPatm, 100"})
        EXPECT_NE(section.find(name), std::string::npos) << name;
}

TEST(BatchStandardFit, SummaryColumnsAndTheLightResponseWindowRefusingIt)
{
    ScratchDir dir;
    const std::string summary = dir.path("summary.csv");
    const BatchOutcome run = batch({"aci", "--set", "Temp=25", "--standard-fit", "--out-dir", dir.path("out"), "--summary",
                           summary, dataFile("aci/photosynthesis_S1_T25_0.csv"), dataFile("aci/photosynthesis_S1_T30_0.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = calvane::splitLines(readBytes(summary));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find(",standard Vcmax,standard Vcmax SE,standard Jmax,"), std::string::npos) << lines[0];
    // No positive light: the fit reports J, and says so in its column.
    EXPECT_NE(lines[1].find(",J,"), std::string::npos) << lines[1];

    EXPECT_EQ(batch({"aq", "--standard-fit", dataFile("aq/pecan_1aq.csv")}).status, 2);
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
