#pragma once
// The run summary of calvane-batch: one CSV file (UTF-8, comma, RFC 4180 quoting,
// '.' as the decimal separator) with a row per curve.

#include <string>
#include <string_view>
#include <vector>

namespace calvane::batch {

// One field, quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);
// The fields of one row, separated by commas and ended by CR LF.
std::string csvRow(const std::vector<std::string>& fields);

// A field's text for the summary: a number written with the locale's separator gets
// '.' instead; any other text stays as it is.
std::string withDecimalPoint(const std::string& text, char separator);

// A computed number, written the default way with '.'; empty for NaN.
std::string summaryNumber(long double value);

}  // namespace calvane::batch
