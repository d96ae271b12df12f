#pragma once
// TTextParser: cuts a block of pasted text into lines, and lines into fields at
// blanks, tabs and commas, and tells whether a line holds column titles.

#include <string>
#include <string_view>
#include <vector>

namespace calvane {

class TTextParser {
public:
    TTextParser(std::string_view text, std::string lineDelimiter, char decimalSeparator);

    int LineCount() const;
    // The trimmed text of line i; empty when there is no such line.
    std::string GetLine(int i) const;
    // Field j of line i; every field but the last of its line keeps the one space
    // that ended it. Empty when the line or the field does not exist.
    std::string GetField(int i, int j) const;
    // True when field j of line i is not a number (a missing field is not one);
    // false when line i does not exist.
    bool IsTextField(int i, int j) const;
    // True when line i exists, is not empty and has at least one non-number field.
    bool IsHeaderLine(int i) const;

    const std::string& LineDelimiter() const { return lineDelimiter_; }

private:
    std::vector<std::string> fields(int i) const;

    std::vector<std::string> lines_;
    std::string lineDelimiter_;
    char decimalSeparator_;
};

}  // namespace calvane
