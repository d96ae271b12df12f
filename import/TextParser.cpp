#include "import/TextParser.h"

#include "core/NumberText.h"

#include <algorithm>

namespace calvane {

TTextParser::TTextParser(std::string_view text, std::string lineDelimiter, char decimalSeparator)
    : lineDelimiter_(std::move(lineDelimiter)), decimalSeparator_(decimalSeparator)
{
    // Tabs, commas and spaces all separate fields. The trim comes before the commas
    // turn into spaces, so commas at the very start leave blanks in the first line.
    std::string all(text);
    std::replace(all.begin(), all.end(), '\t', ' ');
    all = trim(all);
    std::replace(all.begin(), all.end(), ',', ' ');

    std::string_view rest = all;
    while (!rest.empty()) {
        const auto at = lineDelimiter_.empty() ? std::string_view::npos : rest.find(lineDelimiter_);
        if (at == std::string_view::npos) {
            lines_.emplace_back(rest);
            break;
        }
        lines_.emplace_back(rest.substr(0, at));
        rest = trimView(rest.substr(at + lineDelimiter_.size()));
    }
}

int TTextParser::LineCount() const { return static_cast<int>(lines_.size()); }

std::string TTextParser::GetLine(int i) const
{
    if (i < 0 || i >= LineCount())
        return {};
    return trim(lines_[static_cast<std::size_t>(i)]);
}

std::vector<std::string> TTextParser::fields(int i) const
{
    std::vector<std::string> result;
    std::string_view s = i >= 0 && i < LineCount() ? trimView(lines_[static_cast<std::size_t>(i)]) : std::string_view{};
    while (!s.empty()) {
        const auto space = s.find(' ');
        const std::size_t length = space == std::string_view::npos ? s.size() : space + 1;
        result.emplace_back(s.substr(0, length));  // keeps the space that ended it
        s = trimView(s.substr(length));
    }
    return result;
}

std::string TTextParser::GetField(int i, int j) const
{
    const auto all = fields(i);
    if (j < 0 || static_cast<std::size_t>(j) >= all.size())
        return {};
    return all[static_cast<std::size_t>(j)];
}

bool TTextParser::IsTextField(int i, int j) const
{
    if (i < 0 || i >= LineCount())
        return false;
    return !readNumber(GetField(i, j), decimalSeparator_).has_value();
}

bool TTextParser::IsHeaderLine(int i) const
{
    if (GetLine(i).empty())
        return false;
    const auto all = fields(i);
    return std::any_of(all.begin(), all.end(),
                       [&](const std::string& field) { return !readNumber(field, decimalSeparator_).has_value(); });
}

}  // namespace calvane
