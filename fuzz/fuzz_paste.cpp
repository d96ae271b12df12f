// A paste: the text parser's lines and fields, then StringPaste into both windows'
// grids (in the light-response window through the clipboard command, which also takes
// the respiration from a dark row).

#include "FuzzSupport.h"
#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "core/NumberText.h"
#include "import/DelimitedText.h"
#include "import/TextParser.h"

using namespace calvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);

    const TTextParser parser(text, "\r\n", '.');
    const int lineCount = parser.LineCount();
    FUZZ_CHECK(lineCount >= 0);
    for (int i = 0; i < lineCount; ++i) {
        const std::string line = parser.GetLine(i);
        FUZZ_CHECK(line == trim(line));
        FUZZ_CHECK(i == 0 || !line.empty());  // only the first line can be blank
        bool anyText = false;
        for (int j = 0;; ++j) {
            const std::string field = parser.GetField(i, j);
            if (field.empty())
                break;
            // A field is one run of non-separators, with at most the space that ended it.
            FUZZ_CHECK(trimView(field).find(' ') == std::string_view::npos);
            FUZZ_CHECK(parser.IsTextField(i, j) == !readNumber(field, '.').has_value());
            anyText = anyText || parser.IsTextField(i, j);
        }
        FUZZ_CHECK(parser.IsHeaderLine(i) == anyText);
    }
    FUZZ_CHECK(parser.GetLine(lineCount).empty() && !parser.IsHeaderLine(lineCount));

    fuzz::MemoryPlatform platform;
    ImportSettings settings;
    TfrmACi_Curve aci(platform, settings);
    aci.StringPaste(text);
    // Semicolon and tab texts are pasted cut at their separator, with decimal points;
    // a text with neither goes to the parser exactly as it was.
    const std::string prepared = pasteWithDecimalPoints(text);
    if (text.find_first_of(";\t") == std::string_view::npos)
        FUZZ_CHECK(prepared == text);
    const TTextParser pasted(prepared, "\r\n", '.');
    // No pasted line is lost: the grid grows to hold the last one.
    const int pastedLines = pasted.LineCount();
    const int firstRow = pasted.IsHeaderLine(0) ? 0 : 1;
    if (pastedLines > 0) {
        FUZZ_CHECK(aci.aciSpreadSheetData.rowCount() >= firstRow + pastedLines);
        FUZZ_CHECK(aci.aciSpreadSheetData.cell(1, firstRow + pastedLines - 1) == pasted.GetField(pastedLines - 1, 0));
    }
    fuzz::runCommand(platform, [&] { aci.aciMnuResultsPlotDataClick(); });

    TfrmAQ_C3_Curve aq(platform, settings);
    platform.clipboard = std::string(text);
    aq.aqClipboardPasteClick();
    FUZZ_CHECK(platform.errors.empty());  // a paste itself never fails
    fuzz::runCommand(platform, [&] { aq.aqMnuResultsPlotDataClick(); });
    return 0;
}
