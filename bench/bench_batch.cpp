// calvane-batch on many curves: the 111 A/Ci curves and the first 40 light-response
// curves of tests/data, run one after another (each light-response search using every
// hardware thread, as one-file runs do) and on the worker pool. The pool's benchmarks
// report their speed-up over the sequential run as the counter "speedup".
//
//   build/bin/bench_batch

#include "batch/BatchOptions.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The curve files of a data folder, by name, without its index.
std::vector<std::string> curveFiles(const std::string& folder, std::size_t limit)
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::path(CALVANE_DATA_DIR) / folder))
        if (entry.path().extension() == ".csv" && entry.path().filename() != "index.csv")
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    files.resize(std::min(files.size(), limit));
    return files;
}

std::vector<std::string> arguments(const std::string& kind)
{
    std::vector<std::string> args{kind};
    if (kind == "aq")
        args.push_back("--drop");
    const auto files = kind == "aci" ? curveFiles("aci", 111) : curveFiles("aq", 40);
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

// One whole run; the exports are kept in memory and dropped.
double runOnce(const std::vector<std::string>& args, unsigned workers)
{
    std::ostringstream out, err;
    const auto start = std::chrono::steady_clock::now();
    calvane::batch::RunSettings settings;
    settings.workers = workers;
    const int status = calvane::batch::runBatch(args, out, err, '.', settings);
    benchmark::DoNotOptimize(status);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The sequential time of a kind, measured once and shared by the pool's benchmarks.
std::map<std::string, double> sequentialSeconds;

void Sequential(benchmark::State& state, const std::string& kind)
{
    const auto args = arguments(kind);
    double total = 0;
    for (auto _ : state)
        total += runOnce(args, 1);
    sequentialSeconds[kind] = total / static_cast<double>(state.iterations());
    state.counters["curves"] = static_cast<double>(args.size() - (kind == "aq" ? 2 : 1));
}

void Pool(benchmark::State& state, const std::string& kind)
{
    const auto args = arguments(kind);
    double total = 0;
    for (auto _ : state)
        total += runOnce(args, 0);
    const double seconds = total / static_cast<double>(state.iterations());
    if (!sequentialSeconds.count(kind))
        sequentialSeconds[kind] = runOnce(args, 1);
    state.counters["speedup"] = sequentialSeconds[kind] / seconds;
}

}  // namespace

BENCHMARK_CAPTURE(Sequential, aci, std::string("aci"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Pool, aci, std::string("aci"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Sequential, aq, std::string("aq"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Pool, aq, std::string("aq"))->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
