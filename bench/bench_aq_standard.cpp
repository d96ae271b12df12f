// The two standard light-response fits on a real 20-point curve (Qa = 0.85 PAR), from
// the fields an empty window starts with. Both should take milliseconds.
//
//   build/bin/bench_aq_standard

#include "fit/AqStandardFit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace calvane;

std::vector<std::pair<double, double>> twentyPoints()
{
    std::ifstream in(CALVANE_DATA_DIR "/aq/ngeearctic_1994.csv");
    std::vector<std::pair<double, double>> points;
    std::string line;
    while (std::getline(in, line)) {
        const auto comma = line.find(',');
        if (comma != std::string::npos && line.rfind("PAR", 0) != 0)
            points.emplace_back(0.85 * std::stod(line.substr(0, comma)), std::stod(line.substr(comma + 1)));
    }
    return points;
}

void CalvaneOptimum(benchmark::State& state)
{
    const auto points = twentyPoints();
    AqCalvaneStart start;
    for (const auto& p : points)
        start.amax = std::max(start.amax, p.second);
    start.convexity = 3;
    for (auto _ : state) {
        const auto fit = fitAqCalvaneOptimum(points, start);
        benchmark::DoNotOptimize(fit.sse);
    }
    state.SetLabel(std::to_string(points.size()) + " points");
}
BENCHMARK(CalvaneOptimum)->Unit(benchmark::kMillisecond);

void NonRectangularHyperbola(benchmark::State& state)
{
    const auto points = twentyPoints();
    for (auto _ : state) {
        const auto fit = fitAqHyperbola(points);
        benchmark::DoNotOptimize(fit.sse);
    }
    state.SetLabel(std::to_string(points.size()) + " points");
}
BENCHMARK(NonRectangularHyperbola)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
