// Free Fit Curve passes (1,166,886 combinations each) on real light-response curves of
// 10, 20 and 40 points, by the literal reference pass and by the window's search, and a
// 300,000-point pass with AQE and convexity fixed. The labels show the fitted fields, so
// a run also shows that both searches agree.
//
//   build/bin/bench_aq_fit --benchmark_filter=Free
//   build/bin/bench_aq_fit --benchmark_filter=Long

#include "BenchCurves.h"
#include "aq/AQ_C3_Curve.h"
#include "aq_oracle/LiteralFitPass.h"
#include "import/ParseVerdex.h"

#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace calvane;
using namespace calvane::bench;

// 10 points: one pecan curve; 20: one arctic curve; 40: two arctic curves of the same
// species measured one after the other, read as one.
Rows benchCurve(int points)
{
    if (points == 10)
        return aqCurveRows("pecan_1aq.csv");
    Rows rows = aqCurveRows("ngeearctic_1994.csv");
    if (points == 40) {
        const Rows more = aqCurveRows("ngeearctic_1996.csv");
        rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
}

void LiteralFreePass(benchmark::State& state)
{
    const Rows rows = benchCurve(static_cast<int>(state.range(0)));
    aq_oracle::Sheet sheet;
    for (const auto& [q, a] : rows) {
        sheet.qObs.push_back(q);
        sheet.assimilation.push_back(a);
        sheet.qa.emplace_back();
    }
    for (auto _ : state) {
        sheet.amax = sheet.aqe = sheet.convexity = sheet.respiration = "";
        aq_oracle::fitCurvePass(sheet, '.');
    }
    state.counters["points"] = static_cast<double>(rows.size());
    state.SetLabel(sheet.amax + " " + sheet.aqe + " " + sheet.convexity + " " + sheet.respiration);
}
BENCHMARK(LiteralFreePass)->Arg(10)->Arg(20)->Arg(40)->Iterations(1)->Unit(benchmark::kMillisecond);

void FastFreePass(benchmark::State& state)
{
    const Rows rows = benchCurve(static_cast<int>(state.range(0)));
    QuietPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window(platform, settings);
    window.aqSpreadSheetData.setRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        window.aqSpreadSheetData.setCell(1, static_cast<int>(i) + 1, rows[i].first);
        window.aqSpreadSheetData.setCell(2, static_cast<int>(i) + 1, rows[i].second);
    }
    for (auto _ : state) {
        // Every pass starts from the same empty fields, so every pass does the same work.
        window.aqNumEdit_Amax.setText("");
        window.aqNumEdit_AQE.setText("");
        window.aqNumEdit_Convexity.setText("");
        window.aqNumEdit_A0_Resp.setText("");
        benchmark::DoNotOptimize(window.FitCurve());
    }
    state.counters["points"] = window.Series_LightAssim.count();
    state.SetLabel(window.aqNumEdit_Amax.text() + " " + window.aqNumEdit_AQE.text() + " " +
                   window.aqNumEdit_Convexity.text() + " " + window.aqNumEdit_A0_Resp.text());
}
BENCHMARK(FastFreePass)->Arg(10)->Arg(20)->Arg(40)->Unit(benchmark::kMillisecond);

// 300,000 points (the 20-point curve repeated), AQE and convexity fixed: the long-file case.
void LongCurveFixedAqeAndConvexity(benchmark::State& state)
{
    const Rows rows = benchCurve(20);
    const int points = 300000;
    QuietPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window(platform, settings);
    window.aqSpreadSheetData.setRowCount(points + 1);
    for (int i = 0; i < points; ++i) {
        const auto& [q, a] = rows[static_cast<std::size_t>(i) % rows.size()];
        window.aqSpreadSheetData.setCell(1, i + 1, q);
        window.aqSpreadSheetData.setCell(2, i + 1, a);
    }
    window.aqCheckBox_AQE.setChecked(true);
    window.aqCheckBox_Convexity.setChecked(true);
    for (auto _ : state) {
        window.aqNumEdit_Amax.setText("");
        window.aqNumEdit_AQE.setText("0.05");
        window.aqNumEdit_Convexity.setText("2");
        window.aqNumEdit_A0_Resp.setText("");
        benchmark::DoNotOptimize(window.FitCurve());
    }
    state.SetLabel(window.aqNumEdit_Amax.text() + " " + window.aqNumEdit_A0_Resp.text());
}
BENCHMARK(LongCurveFixedAqeAndConvexity)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
