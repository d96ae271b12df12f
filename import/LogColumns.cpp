#include "import/LogColumns.h"

#include "core/NumberText.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace calvane {

namespace {

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

LogDelimiter detectLogDelimiter(std::string_view text)
{
    long tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == '\r' || c == '\n')
            quoted = false;  // an unbalanced quote ends with its line
        else if (quoted)
            continue;
        else if (c == '\t')
            ++tabs;
        else if (c == ';')
            ++semicolons;
        else if (c == ',')
            ++commas;
    }
    if (tabs > 0 && tabs >= semicolons && tabs >= commas)
        return LogDelimiter::Tab;
    if (semicolons > 0 && 2 * semicolons >= commas)
        return LogDelimiter::Semicolon;
    return LogDelimiter::Comma;
}

std::vector<std::string> splitLogFields(std::string_view line, LogDelimiter delimiter)
{
    std::string tabbed;
    char separator = delimiter == LogDelimiter::Semicolon ? ';' : ',';
    if (delimiter == LogDelimiter::Tab) {
        tabbed.assign(line);
        std::replace(tabbed.begin(), tabbed.end(), '\t', ',');
        line = trimView(tabbed);
    }
    std::vector<std::string> fields;
    std::string_view rest = line;
    while (!rest.empty()) {
        const auto at = rest.find(separator);
        fields.push_back(trim(rest.substr(0, at)));
        rest = at == std::string_view::npos ? std::string_view{} : trimView(rest.substr(at + 1));
    }
    return fields;
}

std::string columnName(std::string_view cell)
{
    std::string_view name = trimView(cell);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = trimView(name.substr(1, name.size() - 2));
    return std::string(name);
}

int findColumnNamesRow(const Grid& preview)
{
    int best = 0;
    std::size_t mostWords = 0;
    for (int row = 1; row < preview.rowCount(); ++row) {
        std::set<std::string_view> words;
        for (int col = 1; col < preview.colCount(); ++col) {
            const std::string& cell = preview.cell(col, row);
            if (!cell.empty() && !readLogNumber(cell, true))
                words.insert(cell);
        }
        if (words.size() > mostWords) {
            mostWords = words.size();
            best = row;
        }
    }
    return best;
}

const std::vector<std::string>& conditionNames(LogCondition condition)
{
    // The measured quantity first: PPFD is often a set point where Qin or PARi is read.
    static const std::vector<std::string> leafTemperature{"Tleaf",
                                                          "Tleaf \u00B0"
                                                          "C",
                                                          "Tleaf (\u00B0"
                                                          "C)",
                                                          "TleafCnd"};
    static const std::vector<std::string> light{"PARi", "Qin", "PPFD", "PAR"};
    static const std::vector<std::string> pressure{"Press", "Pa", "Patm", "Pamb"};
    switch (condition) {
    case LogCondition::LeafTemperature:
        return leafTemperature;
    case LogCondition::Light:
        return light;
    case LogCondition::Pressure:
        break;
    }
    return pressure;
}

int recogniseConditionColumn(const Grid& preview, int row, LogCondition condition)
{
    if (row < 1)
        return 0;
    for (const auto& wanted : conditionNames(condition))
        for (int col = 1; col < preview.colCount(); ++col)
            if (sameNameIgnoringCase(columnName(preview.cell(col, row)), wanted))
                return col;
    return 0;
}

std::optional<double> readLogNumber(std::string_view cell, bool decimalComma)
{
    if (const auto value = readNumber(cell, '.'))
        return value;
    return decimalComma ? readNumber(cell, ',') : std::nullopt;
}

bool isPlausiblePressureKPa(double pressure) { return pressure >= 30 && pressure <= 120; }

}  // namespace calvane
