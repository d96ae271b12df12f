// The A/Ci window end to end: fuzzed field texts and grid cells, then Compute Curves,
// the export lines and the report.
//
// Input: a first line of fixed flags ('1' checks Kc, Ko, Tau, Respiration, Vcmax, Jmax
// and TPU in this order), nine lines of field texts (leaf temperature, light, Kc, Ko,
// Tau, Respiration, Vcmax, Jmax, TPU), then one grid row per line, its Ci and A
// separated by a tab.

#include "FuzzSupport.h"
#include "aci/ACi_Curve.h"
#include "core/ExportFile.h"
#include "core/NumberText.h"

#include <algorithm>
#include <cmath>

using namespace calvane;

namespace {
constexpr std::size_t maxRows = 200;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::lines(fuzz::asText(data, size));
    fuzz::MemoryPlatform platform;
    ImportSettings settings;
    TfrmACi_Curve win(platform, settings);

    const std::vector<std::pair<TextField*, CheckBox*>> parameters{
        {&win.aciEdit_Kc, &win.aciCheckBox_Kc},       {&win.aciEdit_Ko, &win.aciCheckBox_Ko},
        {&win.aciEdit_Tau, &win.aciCheckBox_Tau},     {&win.aciEdit_Respiration, &win.aciCheckBox_Respiration},
        {&win.aciEdit_Vcmax, &win.aciCheckBox_Vcmax}, {&win.aciEdit_Jmax, &win.aciCheckBox_Jmax},
        {&win.aciEdit_TPU, &win.aciCheckBox_TPU}};
    const std::string_view flags = input[0];
    for (std::size_t i = 0; i < parameters.size(); ++i)
        parameters[i].second->setChecked(i < flags.size() && flags[i] == '1');

    const std::vector<TextField*> fields{&win.aciEdit_Temp,  &win.aciEdit_Light, &win.aciEdit_Kc,
                                         &win.aciEdit_Ko,    &win.aciEdit_Tau,   &win.aciEdit_Respiration,
                                         &win.aciEdit_Vcmax, &win.aciEdit_Jmax,  &win.aciEdit_TPU};
    for (std::size_t i = 0; i < fields.size() && i + 1 < input.size(); ++i)
        fields[i]->setText(std::string(input[i + 1]));

    Grid& grid = win.aciSpreadSheetData;
    const std::size_t firstRowLine = fields.size() + 1;
    const std::size_t rows = std::min(maxRows, input.size() > firstRowLine ? input.size() - firstRowLine : 0);
    grid.setRowCount(std::max<int>(grid.rowCount(), static_cast<int>(rows) + 1));
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string_view line = input[firstRowLine + r];
        const auto tab = line.find('\t');
        grid.setCell(1, static_cast<int>(r) + 1, std::string(line.substr(0, tab)));
        if (tab != std::string_view::npos)
            grid.setCell(2, static_cast<int>(r) + 1, std::string(line.substr(tab + 1)));
    }

    fuzz::runCommand(platform, [&] { win.aciMnuResultsComputeCurveClick(); });
    // A computation that reported nothing wrote a number into every computed field.
    if (platform.errors.empty()) {
        FUZZ_CHECK(readNumber(win.aciEdit_GammaStar.text(), '.').has_value());
        for (const auto& [field, flag] : parameters)
            if (!flag->checked())
                FUZZ_CHECK(readNumber(field->text(), '.').has_value());
    }
    for (const PointSeries* series : {&win.Series_Wc, &win.Series_Wj, &win.Series_Wp})
        for (const auto& [x, y] : series->points())
            FUZZ_CHECK(std::isfinite(x) && std::isfinite(y));

    writeExportFile(platform, "ACIResults.txt", win.exportLines());
    FUZZ_CHECK(platform.files["ACIResults.txt"].size() >= 2);
    (void)win.reportLines();
    return 0;
}
