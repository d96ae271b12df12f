// A CSV file of 1,000,000 lines in the A/Ci window: the load (File > Import > "CSV
// Text"), Plot Data, Compute Curves and the export, each timed on its own. The file
// is made once, in the system's temporary folder.
//
//   build/bin/bench_hostile

#include "aci/ACi_Curve.h"
#include "core/ExportFile.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class BenchPlatform : public calvane::Platform {
public:
    void showError(const std::string&) override {}
    bool askYesNo(const std::string&) override { return true; }
    std::optional<std::string> chooseSaveFile(const calvane::FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> chooseOpenFile(const calvane::FileDialogOptions&) override { return std::nullopt; }
    void runImportDialog(calvane::TFrmParseVerdex&) override {}
    char decimalSeparator() const override { return '.'; }
    std::string clipboardText() override { return {}; }
    void setClipboardText(const std::string&) override {}
};

constexpr int lineCount = 1'000'000;

const std::string& millionLineCsv()
{
    static const std::string path = [] {
        const fs::path file = fs::temp_directory_path() / "calvane-bench-million.csv";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        for (int i = 0; i < lineCount; ++i)
            out << 50 + i % 1500 << ',' << 2 + (i % 1500) / 100.0 << "\r\n";
        return file.string();
    }();
    return path;
}

struct Window {
    BenchPlatform platform;
    calvane::ImportSettings settings;
    calvane::TfrmACi_Curve win{platform, settings};
};

void BM_LoadCsv(benchmark::State& state)
{
    const std::string& path = millionLineCsv();
    for (auto _ : state) {
        Window w;
        calvane::LoadCSVFile(w.win.aciSpreadSheetData, path, w.platform);
        benchmark::DoNotOptimize(w.win.aciSpreadSheetData.rowCount());
    }
}

void BM_PlotData(benchmark::State& state)
{
    Window w;
    calvane::LoadCSVFile(w.win.aciSpreadSheetData, millionLineCsv(), w.platform);
    for (auto _ : state)
        w.win.aciMnuResultsPlotDataClick();
    state.counters["points"] = w.win.Series_LightAssim.count();
}

void BM_ComputeCurves(benchmark::State& state)
{
    Window w;
    calvane::LoadCSVFile(w.win.aciSpreadSheetData, millionLineCsv(), w.platform);
    for (auto _ : state)
        w.win.aciMnuResultsComputeCurveClick();
}

void BM_Export(benchmark::State& state)
{
    Window w;
    calvane::LoadCSVFile(w.win.aciSpreadSheetData, millionLineCsv(), w.platform);
    w.win.aciMnuResultsComputeCurveClick();
    const std::string out = (fs::temp_directory_path() / "calvane-bench-ACIResults.txt").string();
    for (auto _ : state)
        calvane::writeExportFile(w.platform, out, w.win.exportLines());
    fs::remove(out);
}

}  // namespace

BENCHMARK(BM_LoadCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlotData)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ComputeCurves)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
