// calvane-batch: runs analysis windows headless and writes their exports.

#include "batch/BatchOptions.h"
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
    const calvane::batch::CommandLine commandLine = calvane::batch::parseCommandLine(
        std::vector<std::string>(argv + 1, argv + argc));
    calvane::batch::RunSettings settings;
    settings.progress = isatty(STDERR_FILENO) == 1;

    // Qt starts only for a run that writes charts.
    std::optional<calvane::chart::FigureApplication> figures;
    if (commandLine.job && commandLine.job->wantsCharts()) {
        figures.emplace(argv[0]);
        settings.writeChart = [](const std::string& path, const calvane::chart::ChartDrawing& drawing,
                                 calvane::chart::FigureFormat format, const calvane::chart::FigureOptions& options) {
            calvane::chart::writeFigure(path, drawing, format, options);
        };
    }
    // Numbers are read and written with '.' whatever the locale.
    return calvane::batch::runCommandLine(commandLine, std::cout, std::cerr, '.', settings);
}
