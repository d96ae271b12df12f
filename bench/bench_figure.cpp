// A light-response figure file and what it costs beyond the fit: one curve through
// calvane-batch's engine with and without a PNG or SVG chart (Qt started once, as the
// command starts it once per run), and the built command itself, whose runs with a
// chart also pay for starting Qt. Compare each "chart" run with its "none" run; the
// difference is the figure's cost.
//
//   build/bin/bench_figure

#include "batch/BatchOptions.h"
#include "chart/qt/FigureApplication.h"
#include "chart/qt/FigureFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string curve = CALVANE_DATA_DIR "/aq/ngeearctic_1994.csv";

std::string scratch(const std::string& name)
{
    return (fs::temp_directory_path() / ("calvane-bench-" + name)).string();
}

// The chart options for a format ("none" for no chart).
std::vector<std::string> chartArgs(const std::string& format)
{
    if (format == "none")
        return {};
    return {"--chart", scratch("figure." + format)};
}

void InProcess(benchmark::State& state, const std::string& format)
{
    // Qt starts once per run of the command; so it does here, outside the timing. It
    // lives to the end of the program.
    static const auto* figures = new calvane::chart::FigureApplication("bench_figure");
    benchmark::DoNotOptimize(figures);
    std::vector<std::string> args{"aq"};
    const auto chart = chartArgs(format);
    args.insert(args.end(), chart.begin(), chart.end());
    args.push_back(curve);
    const auto commandLine = calvane::batch::parseCommandLine(args);
    calvane::batch::RunSettings settings;
    settings.writeChart = [](const std::string& path, const calvane::chart::ChartDrawing& drawing,
                             calvane::chart::FigureFormat figureFormat, const calvane::chart::FigureOptions& options) {
        calvane::chart::writeFigure(path, drawing, figureFormat, options);
    };
    for (auto _ : state) {
        std::ostringstream out, err;
        const int status = calvane::batch::runCommandLine(commandLine, out, err, '.', settings);
        if (status != 0)
            state.SkipWithError(err.str().c_str());
        benchmark::DoNotOptimize(status);
    }
}

// The built command, start-up and all.
void Command(benchmark::State& state, const std::string& format)
{
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " CALVANE_BATCH " aq";
    for (const auto& arg : chartArgs(format))
        command += " '" + arg + "'";
    command += " '" + curve + "' >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("calvane-batch failed");
    }
}

}  // namespace

BENCHMARK_CAPTURE(InProcess, none, std::string("none"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(InProcess, png, std::string("png"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(InProcess, svg, std::string("svg"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Command, none, std::string("none"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Command, png, std::string("png"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Command, svg, std::string("svg"))->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
