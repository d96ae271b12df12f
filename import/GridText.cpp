#include "import/GridText.h"

#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/DelimitedText.h"
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
            i = readQuoted(line, i, item);
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

std::vector<std::vector<std::string>> gridTextRows(std::string_view text)
{
    const std::vector<std::string> lines = splitLines(text);
    const ValueSeparator separator = detectValueSeparator(lines);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(lines.size());
    for (const auto& line : lines)
        rows.push_back(separator == ValueSeparator::Comma ? csvItems(line)
                                                          : separatedItems(line, separatorChar(separator)));
    return rows;
}

namespace {

bool isNumber(const std::vector<std::string>& items, std::size_t k)
{
    return k < items.size() && readNumber(items[k], '.').has_value();
}

// The rows after the first that bring no number into the x or A column of a grid
// loaded `width` items wide; their lines from 1. A row with neither item is blank.
std::vector<std::size_t> linesWithoutNumbers(const std::vector<std::vector<std::string>>& rows, std::size_t width)
{
    std::vector<std::size_t> lines;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const auto& items = rows[i];
        auto text = [&](std::size_t k) {
            return k < width && k < items.size() ? trimView(items[k]) : std::string_view{};
        };
        if (text(0).empty() && text(1).empty())
            continue;
        if (!(width > 1 && isNumber(items, 0) && isNumber(items, 1)))
            lines.push_back(i + 1);
    }
    return lines;
}

}  // namespace

bool holdsAPoint(const std::vector<std::vector<std::string>>& rows)
{
    return std::any_of(rows.begin(), rows.end(),
                       [](const auto& items) { return isNumber(items, 0) && isNumber(items, 1); });
}

void LoadCSVFile(Grid& grid, const std::string& fileName, Platform& platform)
{
    const auto bytes = platform.readFile(fileName);
    if (!bytes)
        throw FileError::cannotOpen(fileName);
    const std::vector<std::vector<std::string>> rows = gridTextRows(decodeText(*bytes));
    if (rows.empty())
        return;
    const std::size_t width = rows.front().size();
    if (width == 0)
        return;

    grid.setColCount(static_cast<int>(width) + 1);
    grid.setRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        const auto& items = rows[i];
        grid.setCell(0, row, {});
        for (std::size_t k = 0; k < std::min(width, items.size()); ++k)
            grid.setCell(static_cast<int>(k) + 1, row, items[k]);
    }
    grid.setColWidth(0, 20);

    // The grid keeps what was loaded; the message says what in it is no curve.
    const auto bad = linesWithoutNumbers(rows, width);
    if (bad.size() == 1)
        throw DataError("1 row of " + fileName + " is not a number (line " + std::to_string(bad[0]) + ")");
    if (!bad.empty())
        throw DataError(std::to_string(bad.size()) + " rows of " + fileName + " are not numbers (the first is line " +
                        std::to_string(bad[0]) + ")");
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
    const TTextParser parser(pasteWithDecimalPoints(text), "\r\n", decimalSeparator);
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
