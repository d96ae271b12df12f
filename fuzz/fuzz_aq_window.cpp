// The light-response window end to end: fuzzed field texts and grid cells, then Fit
// Curve with three of the four parameters fixed (one free parameter keeps a run short),
// the export lines and the report.
//
// Input: a first line whose first character picks the free parameter ('A' Amax, 'Q'
// AQE, 'C' convexity, 'R' respiration; any other by its code), five lines of field
// texts (Amax, AQE, convexity, respiration, Par Abs), then one grid row per line, its Q
// and A separated by a tab.

#include "FuzzSupport.h"
#include "aq/AQ_C3_Curve.h"
#include "core/ExportFile.h"
#include "core/NumberText.h"

#include <algorithm>
#include <cmath>

using namespace calvane;

namespace {
constexpr std::size_t maxRows = 40;

std::size_t freeParameter(std::string_view line)
{
    if (line.empty())
        return 1;
    switch (line[0]) {
    case 'A':
        return 0;
    case 'Q':
        return 1;
    case 'C':
        return 2;
    case 'R':
        return 3;
    default:
        return static_cast<unsigned char>(line[0]) % 4;
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto input = fuzz::lines(fuzz::asText(data, size));
    fuzz::MemoryPlatform platform;
    ImportSettings settings;
    TfrmAQ_C3_Curve win(platform, settings);
    win.searchThreads = 1;

    const std::vector<std::pair<TextField*, CheckBox*>> parameters{
        {&win.aqNumEdit_Amax, &win.aqCheckBox_Amax},
        {&win.aqNumEdit_AQE, &win.aqCheckBox_AQE},
        {&win.aqNumEdit_Convexity, &win.aqCheckBox_Convexity},
        {&win.aqNumEdit_A0_Resp, &win.aqCheckBox_A0_Resp}};
    const std::size_t free = freeParameter(input[0]);
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (i + 1 < input.size())
            parameters[i].first->setText(std::string(input[i + 1]));
        parameters[i].second->setChecked(i != free);
    }
    if (input.size() > 5)
        win.aqNumEdit_ParAbs.setText(std::string(input[5]));

    Grid& grid = win.aqSpreadSheetData;
    const std::size_t firstRowLine = 6;
    const std::size_t rows = std::min(maxRows, input.size() > firstRowLine ? input.size() - firstRowLine : 0);
    grid.setRowCount(std::max<int>(grid.rowCount(), static_cast<int>(rows) + 1));
    for (std::size_t r = 0; r < rows; ++r) {
        const std::string_view line = input[firstRowLine + r];
        const auto tab = line.find('\t');
        grid.setCell(1, static_cast<int>(r) + 1, std::string(line.substr(0, tab)));
        if (tab != std::string_view::npos)
            grid.setCell(2, static_cast<int>(r) + 1, std::string(line.substr(tab + 1)));
    }

    fuzz::runCommand(platform, [&] { win.aqMnuResultsFitCurveClick(); });
    // The fixed parameters keep their fields' values.
    for (std::size_t i = 0; i < parameters.size(); ++i)
        if (i != free)
            FUZZ_CHECK(parameters[i].second->checked());
    FUZZ_CHECK(win.aqProgressBar3D.position() == 0);
    for (const PointSeries* series : {&win.Series_LightAssim, &win.Series_ComputedA})
        for (const auto& [x, y] : series->points())
            FUZZ_CHECK(std::isfinite(x) && std::isfinite(y));

    writeExportFile(platform, "AQResults.txt", win.exportLines());
    FUZZ_CHECK(platform.files["AQResults.txt"].size() >= 2);
    (void)win.reportLines();
    return 0;
}
