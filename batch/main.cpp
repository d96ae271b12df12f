// calvane-batch: runs analysis windows headless and writes their exports.

#include "batch/BatchOptions.h"
#include "batch/TResponseRun.h"
#include "chart/qt/FigureApplication.h"
#include "chart/qt/FigureFile.h"

#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    calvane::batch::RunSettings settings;
    settings.progress = isatty(STDERR_FILENO) == 1;

    // Qt starts only for a run that writes charts.
    std::optional<calvane::chart::FigureApplication> figures;
    auto drawCharts = [&] {
        figures.emplace(argv[0]);
        settings.writeChart = [](const std::string& path, const calvane::chart::ChartDrawing& drawing,
                                 calvane::chart::FigureFormat format, const calvane::chart::FigureOptions& options) {
            calvane::chart::writeFigure(path, drawing, format, options);
        };
    };

    if (!args.empty() && args[0] == "tresponse") {
        const auto commandLine = calvane::batch::parseTResponseCommandLine(
            std::vector<std::string>(args.begin() + 1, args.end()));
        if (commandLine.job && commandLine.job->chart)
            drawCharts();
        return calvane::batch::runTResponse(commandLine, std::cout, std::cerr, settings);
    }

    const calvane::batch::CommandLine commandLine = calvane::batch::parseCommandLine(args);
    if (commandLine.job && commandLine.job->wantsCharts())
        drawCharts();
    // Numbers are read and written with '.' whatever the locale.
    return calvane::batch::runCommandLine(commandLine, std::cout, std::cerr, '.', settings);
}
