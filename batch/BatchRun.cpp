#include "batch/BatchRun.h"

#include "batch/BatchInputs.h"
#include "batch/BatchPlatform.h"
#include "batch/CurveRun.h"
#include "batch/Progress.h"
#include "batch/Summary.h"
#include "batch/WindowSession.h"
#include "batch/WorkerPool.h"
#include "core/Errors.h"
#include "core/ExportFile.h"
#include "core/TextFile.h"
#include "import/ParseVerdex.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <set>

namespace calvane::batch {

namespace {

namespace fs = std::filesystem;

// What a job runs on, once it has passed its checks.
struct Plan {
    std::unique_ptr<WindowSession> sample;  // a window to check the job against, and its summary columns
    std::vector<Curve> curves;
    std::vector<std::string> skipped;  // folder files that are no curve
    std::set<fs::path> keep;           // files that no export may replace
};

// Checks the job against its window and its curves; raises UsageError before anything
// is written.
void planRun(const BatchJob& job, const RunSettings& settings, BatchPlatform& files, ImportSettings& importSettings,
             Plan& plan)
{
    checkJob(job);
    plan.sample = makeSession(job.kind, files, importSettings);
    checkAgainstWindow(job, *plan.sample);
    if (job.standardFit && !plan.sample->hasStandardFit())
        throw UsageError("--standard-fit is not an option of this window");
    if (job.standardFit)
        plan.sample->useStandardFit();
    if (job.kok && !plan.sample->hasKok())
        throw UsageError("--kok is not an option of this window");
    if (job.kok)
        plan.sample->useKok(job.kokLight);

    plan.curves = collectCurves(job, plan.skipped);
    const std::size_t count = plan.curves.size();
    if (job.output && count > 1)
        throw UsageError("-o takes one curve; for " + std::to_string(count) + " curves give --out-dir DIR");
    if (job.wantsCharts() && !settings.writeChart)
        throw UsageError("charts are drawn by calvane-batch only");
    if (job.chart && count > 1)
        throw UsageError("--chart takes one curve; for " + std::to_string(count) +
                         " curves give --out-dir DIR --chart-format " + chart::figureExtension(*job.chartFormat));
    for (const auto& curve : plan.curves)
        if (!curve.failure)
            plan.keep.insert(canonicalOf(curve.source));
    if (job.summary && plan.keep.count(canonicalOf(*job.summary)))
        throw UsageError("--summary " + *job.summary + " would replace an input file");
    if (job.chart && plan.keep.count(canonicalOf(*job.chart)))
        throw UsageError("--chart " + *job.chart + " would replace an input file");
}

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += (text.empty() ? "" : "\n") + line;
    return text;
}

// The curve's row of the run summary, under BatchOutcome::summaryHeader.
std::vector<std::string> summaryRow(const CurveOutcome& outcome, std::size_t windowColumns)
{
    std::vector<std::string> row{outcome.source, outcome.group.value_or("")};
    if (outcome.ran) {
        row.push_back(outcome.identifier);
        row.push_back(std::to_string(outcome.points));
        row.insert(row.end(), outcome.summaryFields.begin(), outcome.summaryFields.end());
    } else {
        row.resize(row.size() + 2 + windowColumns);
    }
    row.push_back(outcome.messages.empty() ? "0" : "1");
    row.push_back(joinedLines(outcome.messages));
    row.push_back(joinedLines(outcome.checks));
    return row;
}

// Writes what one curve's window left behind, on the calling thread and in input order:
// its messages and warnings, its export and its chart.
class CurveWriter {
public:
    CurveWriter(const BatchJob& job, const RunSettings& settings, BatchPlatform& files, std::ostream& out,
                std::ostream& err, bool oneFile)
        : job_(job), settings_(settings), files_(files), out_(out), err_(err), oneFile_(oneFile)
    {
    }

    void write(const Curve& curve, CurveOutcome& outcome)
    {
        std::vector<std::string> messages;
        // Many curves share standard error: each window message says whose it is.
        auto show = [&](const std::string& message, bool named) {
            err_ << (named || oneFile_ ? message : curve.label() + ": " + message) << '\n' << std::flush;
            messages.push_back(message);
        };
        if (outcome.readFailure)
            show(*outcome.readFailure, true);
        for (const auto& message : outcome.messages)
            show(message, false);
        // Checks are warnings: they name the curve and leave the exit status alone.
        for (const auto& check : outcome.checks)
            err_ << "warning: " << curve.label() << ": " << check << '\n' << std::flush;
        if (outcome.ran) {
            try {
                writeExport(curve, outcome);
            } catch (const std::exception& error) {
                show(error.what(), true);
            }
            try {
                writeChart(curve, outcome);
            } catch (const std::exception& error) {
                show(error.what(), true);
            }
        }
        outcome.messages = std::move(messages);
        outcome.status = outcome.messages.empty() ? exitClean : exitMessages;
    }

private:
    void writeExport(const Curve& curve, const CurveOutcome& outcome)
    {
        const std::optional<std::string> path = job_.outDir ? curve.exportPath : job_.output;
        if (path)
            writeExportFile(files_, *path, outcome.exportLines);
        else
            out_ << linesToFileBytes(outcome.exportLines) << std::flush;
    }

    // One named chart, or one beside each export.
    void writeChart(const Curve& curve, const CurveOutcome& outcome)
    {
        if (!outcome.chart)
            return;  // no figures asked for
        std::optional<std::string> path = job_.chart;
        if (!path && job_.outDir)
            path = fs::path(curve.exportPath).replace_extension(chart::figureExtension(*job_.chartFormat)).string();
        if (path)
            settings_.writeChart(*path, outcome.chart->drawing(), *job_.chartFormat,
                                 job_.figure.value_or(chart::FigureOptions{}));
    }

    const BatchJob& job_;
    const RunSettings& settings_;
    BatchPlatform& files_;
    std::ostream& out_;
    std::ostream& err_;
    bool oneFile_;
};

}  // namespace

std::string summaryCsv(const BatchOutcome& outcome)
{
    std::string summary = csvRow(outcome.summaryHeader);
    for (const auto& curve : outcome.curves)
        summary += csvRow(curve.summaryRow);
    return summary;
}

std::string CurveOutcome::label() const { return group ? source + " [" + *group + "]" : source; }

BatchOutcome runBatch(const BatchJob& job, std::ostream& out, std::ostream& err, char decimalSeparator,
                      const RunSettings& settings)
{
    BatchOutcome result;
    BatchPlatform files(decimalSeparator);  // writes the exports; its messages go to the curve
    ImportSettings checkSettings;
    Plan plan;
    try {
        planRun(job, settings, files, checkSettings, plan);
    } catch (const UsageError& error) {
        result.usageError = error.what();
        result.status = exitUsage;
        return result;
    }
    std::vector<Curve>& curves = plan.curves;

    for (const auto& file : plan.skipped)
        err << "warning: " << file << ": not a curve (no row of numbers), skipped\n";
    bool anyMessage = false;
    if (curves.empty() && !plan.skipped.empty()) {
        std::string inputs;
        for (const auto& input : job.inputs)
            inputs += (inputs.empty() ? "" : ", ") + input;
        err << "No curves in " << inputs << '\n';
        anyMessage = true;
    }

    // One file, as it always was: a file that cannot be opened is the end of the run.
    const bool oneFile = !job.group && curves.size() == 1;
    if (oneFile && (curves[0].failure || !readFileBytes(curves[0].source))) {
        err << curves[0].failure.value_or(FileError::cannotOpen(curves[0].source).what()) << '\n';
        result.status = exitUsage;
        return result;
    }

    if (job.outDir) {
        std::error_code ignored;  // a folder that cannot be made shows in each export's message
        fs::create_directories(*job.outDir, ignored);
        if (job.summary)
            plan.keep.insert(canonicalOf(*job.summary));
        if (job.chart)
            plan.keep.insert(canonicalOf(*job.chart));
        nameExports(curves, *job.outDir, plan.keep, job.chart ? std::nullopt : job.chartFormat);
    }

    result.summaryHeader = {"source", "group", "identifier", "points"};
    const std::vector<std::string> windowColumns = plan.sample->summaryHeader();
    result.summaryHeader.insert(result.summaryHeader.end(), windowColumns.begin(), windowColumns.end());
    result.summaryHeader.insert(result.summaryHeader.end(), {"status", "messages", "checks"});

    std::vector<std::string> labels;
    labels.reserve(curves.size());
    for (const auto& curve : curves)
        labels.push_back(curve.label());
    ProgressLine progress(err, settings.progress, curves.size());
    CurveWriter writer(job, settings, files, out, err, oneFile);
    runPool(
        labels, settings, progress,
        [&](std::size_t i, unsigned searchThreads) {
            return runCurve(job, curves[i], decimalSeparator, searchThreads);
        },
        [&](std::size_t i, CurveOutcome& outcome) {
            writer.write(curves[i], outcome);
            anyMessage = anyMessage || outcome.status != exitClean;
            outcome.summaryRow = summaryRow(outcome, windowColumns.size());
            result.curves.push_back(std::move(outcome));
        });

    if (job.summary) {
        try {
            files.writeFile(*job.summary, summaryCsv(result));
        } catch (const std::exception& error) {
            err << error.what() << '\n';
            anyMessage = true;
        }
    }
    result.status = anyMessage ? exitMessages : exitClean;
    return result;
}

}  // namespace calvane::batch
