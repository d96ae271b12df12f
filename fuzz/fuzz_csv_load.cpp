// A CSV file loaded into a data grid: File > Import > "CSV Text" in the A/Ci window and
// a drop onto the light-response window, checked against the file's own lines.

#include "FuzzSupport.h"
#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <algorithm>

using namespace calvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(fuzz::asText(data, size));

    // Every byte of a file that is neither UTF-16 nor UTF-8 comes back from the
    // decoding as itself.
    const std::string text = decodeText(bytes);
    FUZZ_CHECK(isValidUtf8(text));
    const bool utf16 = bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0;
    if (!utf16 && !isValidUtf8(bytes))
        FUZZ_CHECK(encodeWindows1252(text) == bytes);

    fuzz::MemoryPlatform platform;
    platform.files["data.csv"] = bytes;
    ImportSettings settings;
    TfrmACi_Curve aci(platform, settings);
    Grid& grid = aci.aciSpreadSheetData;
    const std::string title = grid.cell(1, 0);
    LoadCSVFile(grid, "data.csv", platform);

    const auto fileLines = splitLines(text);
    const std::size_t width = fileLines.empty() ? 0 : csvItems(fileLines.front()).size();
    if (width == 0) {
        FUZZ_CHECK(grid.colCount() == 3 && grid.rowCount() == 33);
    } else {
        FUZZ_CHECK(grid.colCount() == static_cast<int>(width) + 1);
        FUZZ_CHECK(grid.rowCount() == static_cast<int>(fileLines.size()) + 1);
        FUZZ_CHECK(grid.cell(1, 0) == title);
        for (std::size_t i = 0; i < fileLines.size(); ++i) {
            const auto items = csvItems(fileLines[i]);
            for (std::size_t k = 0; k < std::min(width, items.size()); ++k)
                FUZZ_CHECK(grid.cell(static_cast<int>(k) + 1, static_cast<int>(i) + 1) == items[k]);
        }
    }
    fuzz::runCommand(platform, [&] { aci.aciMnuResultsPlotDataClick(); });

    TfrmAQ_C3_Curve aq(platform, settings);
    aq.KipFormDropFilesDropFiles({{"data.csv", false}});
    FUZZ_CHECK(aq.aqEdit_Status.text() == "data.csv");
    FUZZ_CHECK(platform.errors.empty());  // a file that opens always loads
    fuzz::runCommand(platform, [&] { aq.aqMnuResultsPlotDataClick(); });
    return 0;
}
