#include "import/GridText.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/TextParser.h"

#include <algorithm>
#include <cctype>

namespace calvane {

namespace {
// The CSV reader's blanks are the characters of code 1 to 32.
bool isCsvBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}
}  // namespace

std::vector<std::string> csvItems(std::string_view line)
{
    std::vector<std::string> items;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto skipBlanks = [&] {
        while (i < n && isCsvBlank(line[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string item;
        if (line[i] == '"') {
            ++i;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += line[i++];
            }
        } else {
            while (i < n && !isCsvBlank(line[i]) && line[i] != ',')
                item += line[i++];
        }
        items.push_back(std::move(item));
        skipBlanks();
        if (i < n && line[i] == ',') {
            ++i;
            skipBlanks();
        }
    }
    return items;
}

void LoadCSVFile(Grid& grid, const std::string& fileName, Platform& platform)
{
    const auto bytes = platform.readFile(fileName);
    if (!bytes)
        throw FileError::cannotOpen(fileName);
    const std::vector<std::string> lines = splitLines(decodeText(*bytes));
    if (lines.empty())
        return;
    const std::size_t width = csvItems(lines.front()).size();
    if (width == 0)
        return;

    grid.setColCount(static_cast<int>(width) + 1);
    grid.setRowCount(static_cast<int>(lines.size()) + 1);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        const auto items = csvItems(lines[i]);
        grid.setCell(0, row, {});
        for (std::size_t k = 0; k < std::min(width, items.size()); ++k)
            grid.setCell(static_cast<int>(k) + 1, row, items[k]);
    }
    grid.setColWidth(0, 20);
}

bool importCsvText(Platform& platform, Grid& grid, TextField& status)
{
    FileDialogOptions options;
    options.title = "Select the CSV file to import.";
    options.filter = "CSV Text file|*.csv|All files|*.*";
    options.defaultExtension = "*.csv";
    options.filterIndex = 1;
    const auto name = platform.chooseOpenFile(options);
    if (!name)
        return false;
    status.setText(*name);
    LoadCSVFile(grid, *name, platform);
    return true;
}

void pasteIntoGrid(Grid& grid, std::string_view text, char decimalSeparator)
{
    if (trimView(text).empty())
        return;
    const TTextParser parser(text, "\r\n", decimalSeparator);
    const int startRow = parser.IsHeaderLine(0) ? 0 : 1;
    for (int i = 0; i < parser.LineCount(); ++i) {
        const int row = startRow + i;
        if (row >= grid.rowCount()) {  // never drop a pasted line: grow by an empty row
            grid.clearRow(row);
            grid.setRowCount(row + 1);
        }
        grid.setCell(1, row, parser.GetField(i, 0));
        grid.setCell(2, row, parser.GetField(i, 1));
    }
}

bool loadDroppedCsv(Platform& platform, Grid& grid, TextField& status, const std::vector<DroppedItem>& items)
{
    const auto name = firstAcceptedDrop(items);
    if (!name)
        return false;
    status.setText(*name);
    LoadCSVFile(grid, *name, platform);
    return true;
}

std::optional<std::string> firstAcceptedDrop(const std::vector<DroppedItem>& items)
{
    for (const auto& item : items) {
        if (item.isFolder)
            return item.path;
        const auto slash = item.path.find_last_of('/');
        const auto dot = item.path.find_last_of('.');
        if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
            continue;
        std::string extension = item.path.substr(dot);
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".csv")
            return item.path;
    }
    return std::nullopt;
}

}  // namespace calvane
