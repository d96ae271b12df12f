#pragma once
// calvane-batch: analysis windows' commands run headless, on the same code as the
// desktop program, ending with what File > Export writes; one fresh window per curve.

#include "chart/spec/ChartSpec.h"
#include "chart/spec/Figure.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace calvane::batch {

// Exit statuses.
constexpr int exitClean = 0;      // no message was shown
constexpr int exitMessages = 1;   // at least one message was shown, or a curve could not be read
constexpr int exitUsage = 2;      // a usage error, or the one FILE of a one-file run cannot be opened

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
    std::function<void(const std::string& path, const chart::ChartSpec& drawing, chart::FigureFormat format,
                       const chart::FigureOptions& options)>
        writeChart;
};

// Whether the arguments ask for a chart file (--chart or --chart-format), so that the
// program starts its drawing only then. False for arguments with a usage error.
bool asksForCharts(const std::vector<std::string>& args);

// The arguments' first check, as runBatch makes it before it reads or writes anything:
// empty when they are usable, otherwise the usage error. Touches no file.
std::string checkArguments(const std::vector<std::string>& args);

// Runs calvane-batch with `args` (without the program name). Exports go to `out` (or
// to the -o file or the --out-dir folder), messages to `err`.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, char decimalSeparator,
             const RunSettings& settings = {});

}  // namespace calvane::batch
