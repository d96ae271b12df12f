// The light-response window's Fit Curve as the desktop runs it (the menu command on an
// AqWindow, the search off the user-interface thread, progress and fields posted back),
// beside the same fit of the same window state run headless as calvane-batch runs it.
// The two must take about as long (the window at most 1.2 times the batch). Each runs
// on a 1000-point curve (one arctic curve repeated) in two states: every parameter free,
// and Respiration fixed over an empty field after File > Clear (Amax, AQE and Convexity
// empty), the state in which the desktop was reported to be many times slower. The
// labels show the fitted fields, which must agree. Time is wall-clock time: the search
// runs on other threads than the benchmark's.
//
//   QT_QPA_PLATFORM=offscreen build/bin/bench_aq_window

#include "BenchCurves.h"
#include "aq/AQ_C3_Curve.h"
#include "shell/Calvane.h"
#include "ui/AqWindow.h"
#include "ui/QtPlatform.h"

#include <QAction>
#include <QApplication>

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace calvane;
using namespace calvane::bench;

Rows longCurve(int points)
{
    const Rows one = aqCurveRows("ngeearctic_1994.csv");
    Rows rows;
    for (int i = 0; i < points; ++i)
        rows.push_back(one[static_cast<std::size_t>(i) % one.size()]);
    return rows;
}

enum class FitState { AllFree = 0, RespirationFixedEmpty = 1 };

// The state before each fit: the curve in the grid and the fields as the state says.
void prepare(TfrmAQ_C3_Curve& window, const Rows& rows, FitState state)
{
    window.aqCheckBox_A0_Resp.setChecked(state == FitState::RespirationFixedEmpty);
    window.aqMnuFileClearClick();
    window.aqSpreadSheetData.setRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        window.aqSpreadSheetData.setCell(1, static_cast<int>(i) + 1, rows[i].first);
        window.aqSpreadSheetData.setCell(2, static_cast<int>(i) + 1, rows[i].second);
    }
}

std::string fitted(const TfrmAQ_C3_Curve& window)
{
    return window.aqNumEdit_Amax.text() + " " + window.aqNumEdit_AQE.text() + " " + window.aqNumEdit_Convexity.text() +
           " " + window.aqNumEdit_A0_Resp.text();
}

void HeadlessFit(benchmark::State& state)
{
    const Rows rows = longCurve(1000);
    QuietPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window(platform, settings);
    for (auto _ : state) {
        state.PauseTiming();
        prepare(window, rows, static_cast<FitState>(state.range(0)));
        state.ResumeTiming();
        window.aqMnuResultsFitCurveClick();
    }
    state.SetLabel(fitted(window));
}
BENCHMARK(HeadlessFit)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void WindowFit(benchmark::State& state)
{
    const Rows rows = longCurve(1000);
    ui::QtPlatform platform;
    Calvane app{platform};
    ui::AqWindow view(app.frmAQ_C3_Curve, platform);
    TfrmAQ_C3_Curve& window = app.frmAQ_C3_Curve;
    app.frmMain.wbBtnAQCurveClick();  // shown, as the launcher shows it
    QAction* fit = view.action(window.aqMnuResultsFitCurve);
    for (auto _ : state) {
        state.PauseTiming();
        prepare(window, rows, static_cast<FitState>(state.range(0)));
        QApplication::processEvents();
        state.ResumeTiming();
        fit->trigger();
        QApplication::processEvents();
    }
    state.SetLabel(fitted(window));
}
BENCHMARK(WindowFit)->Arg(0)->Arg(1)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
