#include "batch/CurveRun.h"

#include "batch/BatchPlatform.h"
#include "batch/Conditions.h"
#include "batch/WindowSession.h"
#include "chart/drawing/WindowCharts.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "import/ParseVerdex.h"

#include <filesystem>
#include <functional>
#include <stdexcept>

namespace calvane::batch {

namespace {

// Loads the curve's file into the window in the job's loading mode. `groupValue`: the
// curve of an instrument log cut by --group.
void load(const BatchJob& job, const std::string& file, const std::optional<std::string>& groupValue,
          WindowSession& session, BatchPlatform& platform)
{
    switch (job.loading) {
    case Loading::CsvText:
        platform.openFileName = file;
        session.importCsvText();
        break;
    case Loading::Drop: {
        std::error_code ignored;
        session.drop({{file, std::filesystem::is_directory(file, ignored)}});
        break;
    }
    case Loading::Instrument:
        platform.importDialogActions = [&](TFrmParseVerdex& dialog) {
            runInstrumentImport(dialog, session.instrumentXColumn(), file, instrumentImport(job), groupValue);
        };
        session.importInstrument();
        break;
    }
}

// The general error display: a command that ends with an error shows its message.
void runShowingErrors(BatchPlatform& platform, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        platform.showError(error.what());
    }
}

// The means of a curve's mean columns: a table's came with its split; a log's are over
// the rows its import handed back; a CSV file's are over its rows.
Means curveMeans(const BatchJob& job, const Curve& curve, WindowSession& session, BatchPlatform& platform,
                 char decimalSeparator)
{
    if (curve.csv)
        return {curve.means, std::nullopt};
    if (job.loading == Loading::Instrument)
        return instrumentMeans(session.importDialog(), curve.label(), job.means);
    const auto bytes = platform.readFile(curve.source);
    if (!bytes)
        return {{}, FileError::cannotOpen(curve.source).what()};
    return csvFileMeans(decodeText(*bytes), curve.source, job.means, decimalSeparator);
}

}  // namespace

CurveOutcome runCurve(const BatchJob& job, const Curve& curve, char decimalSeparator, unsigned searchThreads)
{
    CurveOutcome outcome;
    outcome.source = curve.source;
    outcome.group = curve.group;
    if (curve.failure) {
        outcome.readFailure = curve.failure;
        return outcome;
    }
    if (!curve.csv && !readFileBytes(curve.source)) {
        outcome.readFailure = FileError::cannotOpen(curve.source).what();
        return outcome;
    }
    try {
        BatchPlatform platform(decimalSeparator);
        ImportSettings importSettings;  // each window its own: windows may run on several threads
        const auto session = makeSession(job.kind, platform, importSettings);
        session->setSearchThreads(searchThreads);
        if (job.standardFit)
            session->useStandardFit();
        if (job.kok)
            session->useKok(job.kokLight);

        std::string path = curve.source;
        if (curve.csv) {
            path = curve.source + " [" + *curve.group + "].csv";  // a drop, too, takes only .csv
            platform.serveFile(path, *curve.csv);
        }
        runShowingErrors(platform, [&] { load(job, path, curve.group, *session, platform); });
        if (!job.means.empty()) {
            const Means means = curveMeans(job, curve, *session, platform, decimalSeparator);
            if (means.error) {  // no curve without the conditions asked for
                outcome.readFailure = means.error;
                outcome.messages = platform.messages();
                return outcome;
            }
            session->applyMeans(job.means, means.values, decimalSeparator);
        }
        for (const auto& action : job.fields)
            applyField(action, *session);

        std::vector<Command> commands = job.commands;
        if (commands.empty() && !job.none)
            commands.push_back(session->defaultCommand());
        const auto table = session->commands();
        for (const auto& command : commands)
            runShowingErrors(platform, table.at(command));
        if (job.standardFit)
            runShowingErrors(platform, [&] {
                session->applyStandardFitOptions(job.standardOptions);
                session->runStandardFit();
            });
        if (job.kok)
            runShowingErrors(platform, [&] { session->runKok(); });

        outcome.checks = session->runChecks();
        outcome.exportLines = session->exportLines();
        outcome.identifier = session->identifier().text();
        outcome.points = session->pointCount();
        outcome.summaryFields = session->summaryFields(decimalSeparator);
        // Copied here, drawn on the main thread: the window goes with this worker's turn.
        // A table's curve is named by its group value, as its export file is.
        if (job.wantsCharts())
            outcome.chart = session->figure(curve.group ? *curve.group : chart::figureFileName(curve.source));
        outcome.messages = platform.messages();
        outcome.ran = true;
    } catch (const std::exception& error) {  // out of memory, say: this curve only
        outcome.messages.push_back(error.what());
    }
    return outcome;
}

}  // namespace calvane::batch
