#include "batch/Summary.h"

#include "core/NumberText.h"

#include <cmath>

namespace calvane::batch {

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string csvRow(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0)
            row += ',';
        row += csvField(fields[k]);
    }
    return row + "\r\n";
}

std::string withDecimalPoint(const std::string& text, char separator)
{
    if (!readNumber(text, separator))
        return text;
    std::string converted = trim(text);
    for (char& c : converted)
        if (c == separator)
            c = '.';
    return converted;
}

std::string summaryNumber(long double value) { return std::isnan(value) ? std::string() : formatNumber(value, '.'); }

}  // namespace calvane::batch
