#include "import/DelimitedText.h"

#include "core/NumberText.h"

#include <algorithm>

namespace calvane {

namespace {

// The CSV reader's blanks: the characters of code 1 to 32.
bool isItemBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

bool isBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), isItemBlank); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

struct Item {
    std::string text;         // trimmed and unquoted
    bool bareComma = false;   // a comma outside its quotes
};

std::vector<Item> cutLine(std::string_view line, char separator)
{
    std::vector<Item> items;
    if (isBlankLine(line))
        return items;
    const std::size_t n = line.size();
    std::size_t i = 0;
    for (;;) {
        while (i < n && line[i] != separator && isItemBlank(line[i]))
            ++i;
        Item item;
        std::size_t keep = 0;  // a quoted part never loses its blanks
        if (i < n && line[i] == '"') {
            ++i;
            while (i < n) {
                if (line[i] == '"') {
                    if (i + 1 < n && line[i + 1] == '"') {
                        item.text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item.text += line[i++];
            }
            keep = item.text.size();
        }
        for (; i < n && line[i] != separator; ++i) {
            item.bareComma = item.bareComma || line[i] == ',';
            item.text += line[i];
        }
        while (item.text.size() > keep && isItemBlank(item.text.back()))
            item.text.pop_back();
        items.push_back(std::move(item));
        if (i >= n)
            break;
        ++i;  // the separator
    }
    return items;
}

bool separatedBy(const std::vector<std::string>& lines, char separator)
{
    bool found = false;
    for (std::size_t i = lines.size() > 1 ? 1 : 0; i < lines.size(); ++i) {
        if (isBlankLine(lines[i]))
            continue;
        const std::vector<Item> items = cutLine(lines[i], separator);
        if (items.size() < 2) {
            if (items[0].bareComma)
                return false;  // a line cut at commas, or one too short to tell
            continue;          // a lone value says nothing
        }
        for (const auto& item : items)
            if (item.bareComma && !isDecimalCommaNumber(item.text))
                return false;
        found = true;
    }
    return found;
}

}  // namespace

bool isDecimalCommaNumber(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; i < n && isDigit(text[i]); ++i)
        ++digits;
    if (i >= n || text[i] != ',')
        return false;
    for (++i; i < n && isDigit(text[i]); ++i)
        ++digits;
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t start = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == start)
            return false;
    }
    return i == n;
}

ValueSeparator detectValueSeparator(const std::vector<std::string>& lines)
{
    if (separatedBy(lines, ';'))
        return ValueSeparator::Semicolon;
    if (separatedBy(lines, '\t'))
        return ValueSeparator::Tab;
    return ValueSeparator::Comma;
}

char separatorChar(ValueSeparator separator)
{
    switch (separator) {
    case ValueSeparator::Semicolon:
        return ';';
    case ValueSeparator::Tab:
        return '\t';
    case ValueSeparator::Comma:
        break;
    }
    return ',';
}

std::vector<std::string> separatedItems(std::string_view line, char separator)
{
    std::vector<std::string> items;
    for (auto& item : cutLine(line, separator)) {
        if (isDecimalCommaNumber(item.text))
            std::replace(item.text.begin(), item.text.end(), ',', '.');
        items.push_back(std::move(item.text));
    }
    return items;
}

std::string pasteWithDecimalPoints(std::string_view text)
{
    // Lines as the text parser finds them: in the trimmed text, at CR LF.
    std::vector<std::string> lines;
    std::string_view rest = trimView(text);
    while (!rest.empty()) {
        const auto end = rest.find("\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest = rest.substr(end + 2);
    }
    const ValueSeparator separator = detectValueSeparator(lines);
    if (separator == ValueSeparator::Comma)
        return std::string(text);
    std::string pasted;
    for (const auto& line : lines) {
        const auto items = separatedItems(line, separatorChar(separator));
        for (std::size_t k = 0; k < items.size(); ++k)
            pasted += (k == 0 ? "" : "\t") + items[k];
        pasted += "\r\n";
    }
    return pasted;
}

}  // namespace calvane
