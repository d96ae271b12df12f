// The instrument import dialog: a file split into the preview, the number fields typed
// by hand, Ok, GetData, and the handed-back text pasted into the window's grid.
//
// Input: a first line "ROW|XCOL|ACOL|FLAGS" (the texts typed into the start-row and
// column fields; FLAGS holding 't' for the Tab delimiter and 'c' for an A/Ci import),
// then the file's bytes.

#include "FuzzSupport.h"
#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "core/NumberText.h"

using namespace calvane;

namespace {

std::vector<std::string> settingTexts(std::string_view line)
{
    std::vector<std::string> parts(1);
    for (char c : line) {
        if (c == '|' && parts.size() < 4)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    parts.resize(4);
    return parts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input = fuzz::asText(data, size);
    const auto lf = input.find('\n');
    const auto settingsLine = input.substr(0, lf);
    const std::string file(lf == std::string_view::npos ? std::string_view{} : input.substr(lf + 1));
    const auto texts = settingTexts(settingsLine);
    const bool tab = texts[3].find('t') != std::string::npos;
    const bool aciImport = texts[3].find('c') != std::string::npos;

    fuzz::MemoryPlatform platform;
    platform.files["instrument.txt"] = file;
    ImportSettings settings;
    TfrmACi_Curve aci(platform, settings);
    TfrmAQ_C3_Curve aq(platform, settings);
    TFrmParseVerdex& dialog = aciImport ? aci.frmParseVerdex : aq.frmParseVerdex;
    platform.importDialogScript = [&](TFrmParseVerdex& shown) {
        FUZZ_CHECK(&shown == &dialog);
        (tab ? shown.RadioButtonTab : shown.RadioButtonComma).setChecked(true);
        shown.EdtVerdexFileName.setText("instrument.txt");
        shown.EdtRow.setText(texts[0]);
        (aciImport ? shown.EdtCi : shown.EdtQObs).setText(texts[1]);
        shown.EdtAssimilation.setText(texts[2]);
        shown.BtnOkClick();
    };

    if (aciImport)
        aci.aciMnuFileImortVerdexClick();
    else
        aq.aqMnuFileImportVerdexClick();
    // The one message an import may show: a pressure column whose mean is not in kPa.
    for (const auto& error : platform.errors)
        FUZZ_CHECK(aciImport && error.rfind("The mean of the pressure column, ", 0) == 0);

    // GetData hands back one "x, y" line for each preview row from the start row on
    // whose first cell is not empty.
    const std::string handedBack = dialog.GetData();
    const Grid& preview = dialog.parseSpreadSheet;
    std::size_t expectedLines = 0;
    for (int row = std::max(1, settings.DataStartRow); row < preview.rowCount(); ++row)
        expectedLines += preview.cell(1, row).empty() ? 0 : 1;
    if (settings.DataStartRow < 1)
        expectedLines = 0;
    std::size_t crlf = 0;
    for (auto at = handedBack.find("\r\n"); at != std::string::npos; at = handedBack.find("\r\n", at + 2))
        ++crlf;
    FUZZ_CHECK(crlf == expectedLines);
    FUZZ_CHECK((aciImport ? aci.aciEdit_Status : aq.aqEdit_Status).text() == "instrument.txt");

    if (aciImport)
        fuzz::runCommand(platform, [&] { aci.aciMnuResultsPlotDataClick(); });
    else
        fuzz::runCommand(platform, [&] { aq.aqMnuResultsPlotDataClick(); });
    return 0;
}
