#include "core/ClipboardText.h"

namespace calvane {

std::string gridRowsText(const Grid& grid, int firstCol)
{
    std::string text;
    for (int row = 1; row < grid.rowCount(); ++row) {
        if (row > 1)
            text += "\r\n";
        for (int col = firstCol; col < grid.colCount(); ++col) {
            text += grid.cell(col, row);
            text += '\t';
        }
    }
    return text;
}

std::string fieldPasteValue(std::string_view text)
{
    // A break or a space at the very start does not cut: it would leave nothing.
    const auto cut = [&](char c) -> std::size_t {
        const auto at = text.find(c);
        return at == std::string_view::npos ? 0 : at;
    };
    std::size_t n = cut('\r');
    if (n < 1)
        n = cut(' ');
    if (n < 1)
        n = text.size();
    return std::string(text.substr(0, n));
}

}  // namespace calvane
