// One free Fit Curve pass (1,166,886 combinations) on a real light-response curve: the
// number a faster search has to beat while reproducing the same fields.

#include "aq/AQ_C3_Curve.h"
#include "import/GridText.h"
#include "import/ParseVerdex.h"

#include <benchmark/benchmark.h>

#include <optional>
#include <string>

namespace {

using namespace calvane;

// A platform that answers nothing and shows nothing: the pass needs only the decimal
// separator and the file reader.
class QuietPlatform : public Platform {
public:
    void showError(const std::string&) override {}
    bool askYesNo(const std::string&) override { return false; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions&) override { return std::nullopt; }
    void runImportDialog(TFrmParseVerdex&) override {}
    char decimalSeparator() const override { return '.'; }
    std::string clipboardText() override { return {}; }
    void setClipboardText(const std::string&) override {}
};

void FreeFitCurvePass(benchmark::State& state)
{
    QuietPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve window(platform, settings);
    LoadCSVFile(window.aqSpreadSheetData, std::string(CALVANE_DATA_DIR) + "/aq/pecan_1aq.csv", platform);
    for (auto _ : state) {
        // Every pass starts from the same empty fields, so every pass does the same work.
        window.aqNumEdit_Amax.setText("");
        window.aqNumEdit_AQE.setText("");
        window.aqNumEdit_Convexity.setText("");
        window.aqNumEdit_A0_Resp.setText("");
        benchmark::DoNotOptimize(window.FitCurve());
    }
    state.counters["points"] = window.Series_LightAssim.count();
    state.SetLabel("Amax " + window.aqNumEdit_Amax.text() + ", AQE " + window.aqNumEdit_AQE.text() +
                   ", convexity " + window.aqNumEdit_Convexity.text() + ", A0 " + window.aqNumEdit_A0_Resp.text());
}
BENCHMARK(FreeFitCurvePass)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
