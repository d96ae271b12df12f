// The typed batch job: the command line read into a BatchJob, and runBatch handing
// back each curve's outcome beside what it writes.

#include "TestSupport.h"

#include "batch/BatchOptions.h"
#include "core/TextFile.h"
#include "import/DelimitedText.h"

#include <sstream>

using namespace calvane::test;
using namespace calvane::batch;

TEST(BatchJob, TheCommandLineReadsIntoATypedJob)
{
    const CommandLine line = parseCommandLine(
        {"aci",      "--group",        "leaf", "--x",          "Ci",        "--a",
         "3",        "--light",        "PARi", "--tleaf",      "T",         "--fix",
         "Vcmax=50", "--free",         "Kc",   "--plot",       "--compute", "--out-dir",
         "o",        "--chart-format", "svg",  "--chart-size", "8x5",       "in.csv",
         "--",       "-odd.csv"});
    ASSERT_TRUE(line.job) << line.usageError.value_or("");
    const BatchJob& job = *line.job;
    EXPECT_EQ(job.kind, WindowKind::Aci);
    EXPECT_EQ(job.inputs, (std::vector<std::string>{"in.csv", "-odd.csv"}));
    ASSERT_EQ(job.means.size(), 2u);  // in the order given
    EXPECT_EQ(job.means[0].field, MeanField::Light);
    EXPECT_EQ(job.means[1].field, MeanField::LeafTemperature);
    EXPECT_EQ(job.means[1].column, "T");
    ASSERT_EQ(job.fields.size(), 2u);
    EXPECT_EQ(job.fields[0].what, FieldAction::What::Fix);
    EXPECT_EQ(job.fields[0].text, "50");
    EXPECT_EQ(job.fields[1].what, FieldAction::What::Free);
    EXPECT_EQ(job.fields[1].text, std::nullopt);
    EXPECT_EQ(job.commands, (std::vector<Command>{Command::Plot, Command::Compute}));
    EXPECT_EQ(job.chartFormat, calvane::chart::FigureFormat::Svg);
    ASSERT_TRUE(job.figure);
    EXPECT_EQ(job.figure->widthCm, 8);
    EXPECT_EQ(job.figure->dpi, 300);

    EXPECT_TRUE(parseCommandLine({"--help"}).help);
    // A figure setting given is a setting, even at its default value.
    EXPECT_EQ(parseCommandLine({"aci", "--dpi", "300", "x.csv"}).usageError,
              "--chart-size and --dpi go with --chart or --chart-format");
    EXPECT_EQ(parseCommandLine({"aq", "--tleaf", "T", "x.csv"}).usageError, "--tleaf is not an option of this window");
}

TEST(BatchJob, RunBatchHandsBackEachCurvesOutcome)
{
    ScratchDir dir;
    BatchJob job;
    job.kind = WindowKind::Aci;
    job.fields.push_back({FieldAction::What::Set, "Temp", std::string("25")});
    job.inputs = {dataFile("aci/photosynthesis_S1_T25_0.csv"), dir.path("missing.csv")};
    job.summary = dir.path("s.csv");
    std::ostringstream out, err;
    const BatchOutcome run = runBatch(job, out, err, '.', {1, false, {}, nullptr, {}});
    EXPECT_EQ(run.status, exitMessages);
    EXPECT_FALSE(run.usageError);
    ASSERT_EQ(run.curves.size(), 2u);

    const CurveOutcome& good = run.curves[0];
    EXPECT_TRUE(good.ran);
    EXPECT_EQ(good.status, exitClean);
    EXPECT_GT(good.points, 0);
    EXPECT_EQ(calvane::linesToFileBytes(good.exportLines), out.str());  // what went to standard output
    const CurveOutcome& missing = run.curves[1];
    EXPECT_FALSE(missing.ran);
    EXPECT_EQ(missing.status, exitMessages);
    EXPECT_EQ(missing.messages, std::vector<std::string>{"Cannot open file " + dir.path("missing.csv")});
    EXPECT_EQ(err.str(), "Cannot open file " + dir.path("missing.csv") + "\n");

    // The outcomes' rows under their header are the summary file, field for field.
    const auto records = calvane::readDelimited(readBytes(dir.path("s.csv")), ',');
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fields, run.summaryHeader);
    EXPECT_EQ(records[1].fields, good.summaryRow);
    EXPECT_EQ(records[2].fields, missing.summaryRow);

    // A job that cannot run says why to its caller and writes nothing.
    job.output = dir.path("one.txt");
    std::ostringstream quietOut, quietErr;
    const BatchOutcome refused = runBatch(job, quietOut, quietErr, '.');
    EXPECT_EQ(refused.status, exitUsage);
    EXPECT_EQ(refused.usageError, "-o takes one curve; for 2 curves give --out-dir DIR");
    EXPECT_TRUE(quietErr.str().empty() && quietOut.str().empty() && refused.curves.empty());
}
