// A CSV file loaded into a data grid: File > Import > "CSV Text" in the A/Ci window and
// a drop onto the light-response window, checked against the file's own lines.

#include "FuzzSupport.h"
#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "core/TextFile.h"
#include "import/DelimitedText.h"
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
    fuzz::runCommand(platform, [&] { LoadCSVFile(grid, "data.csv", platform); });

    const auto fileLines = splitLines(text);
    const auto rows = gridTextRows(text);
    FUZZ_CHECK(rows.size() == fileLines.size());
    const std::size_t width = rows.empty() ? 0 : rows.front().size();
    if (width == 0) {
        FUZZ_CHECK(grid.colCount() == 3 && grid.rowCount() == 33);
    } else {
        FUZZ_CHECK(grid.colCount() == static_cast<int>(width) + 1);
        FUZZ_CHECK(grid.rowCount() == static_cast<int>(fileLines.size()) + 1);
        FUZZ_CHECK(grid.cell(1, 0) == title);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const auto& items = rows[i];
            for (std::size_t k = 0; k < std::min(width, items.size()); ++k)
                FUZZ_CHECK(grid.cell(static_cast<int>(k) + 1, static_cast<int>(i) + 1) == items[k]);
        }
    }
    fuzz::runCommand(platform, [&] { aci.aciMnuResultsPlotDataClick(); });

    TfrmAQ_C3_Curve aq(platform, settings);
    fuzz::runCommand(platform, [&] { aq.KipFormDropFilesDropFiles({{"data.csv", false}}); });
    FUZZ_CHECK(aq.aqEdit_Status.text() == "data.csv");
    // A file that opens always loads; the one message says which rows are no numbers,
    // the same for both windows.
    FUZZ_CHECK(platform.errors.size() == 0 || platform.errors.size() == 2);
    for (const auto& error : platform.errors) {
        FUZZ_CHECK(error == platform.errors.front());
        FUZZ_CHECK(error.find(" of data.csv ") != std::string::npos);
    }
    fuzz::runCommand(platform, [&] { aq.aqMnuResultsPlotDataClick(); });
    return 0;
}
