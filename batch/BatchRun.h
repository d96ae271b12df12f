#pragma once
// calvane-batch's engine: a BatchJob's curves run headless, each through a fresh
// window of its own, on the same code as the desktop program, ending with what
// File > Export writes. The command line and the desktop's Batch Fit dialog both call it.

#include "batch/BatchJob.h"
#include "chart/drawing/ChartDrawing.h"
#include "chart/drawing/Figure.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace calvane::batch {

// Exit statuses.
constexpr int exitClean = 0;     // no message was shown
constexpr int exitMessages = 1;  // at least one message was shown, or a curve could not be read
constexpr int exitUsage = 2;     // a usage error, or the one FILE of a one-file run cannot be opened

struct RunSettings {
    // Curves run at the same time; 0 for one per hardware thread.
    unsigned workers = 0;
    // Whether the progress line may be drawn on `err` (it is a terminal).
    bool progress = false;
    // Called on the calling thread as curves finish (and now and then meanwhile): curves
    // done, curves in all, the curve being worked on.
    std::function<void(std::size_t done, std::size_t total, const std::string& current)> onProgress;
    // When set, no further curve is started; the curves already running finish, and
    // only the outcomes before the first curve not run are written.
    const std::atomic<bool>* cancel = nullptr;
    // Draws a chart into a figure file, raising an error with the message to show when
    // it cannot. Called on the calling thread, after the curve's export. The program
    // gives chart::writeFigure; without it the chart options are a usage error.
    std::function<void(const std::string& path, const chart::ChartDrawing& drawing, chart::FigureFormat format,
                       const chart::FigureOptions& options)>
        writeChart;
};

// What one curve's window left behind, and what became of it.
struct CurveOutcome {
    std::string source;                      // the file as named, or as found in a folder
    std::optional<std::string> group;        // the group value of a table's or a log's curve
    std::optional<std::string> readFailure;  // why the curve could not be read; it names the curve
    bool ran = false;                        // the window ran, and its export was written
    std::string identifier;
    int points = 0;  // the measured points the window held
    std::vector<std::string> exportLines;
    // Once the run has shown them: every message of the curve in order (why it could not
    // be read, the window's, a failed write), without the curve's name before them.
    std::vector<std::string> messages;
    std::vector<std::string> checks;         // the plausibility checks that failed at the end
    std::vector<std::string> summaryFields;  // the window's columns of the run summary
    std::vector<std::string> summaryRow;     // the curve's whole row of the run summary
    std::optional<chart::ChartCopy> chart;   // when figures are asked for
    int status = exitClean;                  // exitMessages when it showed a message

    std::string label() const;  // "SOURCE", or "SOURCE [GROUP]"
};

struct BatchOutcome {
    int status = exitClean;
    // The job cannot run (a usage error): nothing was read or written, and nothing was
    // said on `err`; the caller says it.
    std::optional<std::string> usageError;
    // The run summary's columns, whether or not it is written to a file.
    std::vector<std::string> summaryHeader;
    // Every curve in input order; after a cancel, those before the first curve not run.
    std::vector<CurveOutcome> curves;
};

// Runs the job. Exports go to `out` (or to the -o file or the --out-dir folder), the
// messages, warnings and the progress line to `err`; the summary and the figures go to
// their files.
BatchOutcome runBatch(const BatchJob& job, std::ostream& out, std::ostream& err, char decimalSeparator,
                      const RunSettings& settings = {});

// The run summary's bytes, as --summary writes them: the header line and a row per
// curve in input order.
std::string summaryCsv(const BatchOutcome& outcome);

}  // namespace calvane::batch
