#pragma once
// What the import dialog recognises in an instrument log by itself: the delimiter the
// log is written with, the line that names its columns, and on that line the columns
// of the measuring conditions (leaf temperature, light, pressure). The user can change
// every one of them; nothing here selects data.

#include "core/Grid.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

enum class LogDelimiter { Tab, Comma, Semicolon };

// The delimiter of a log, from the whole text (quoted parts and their delimiters
// ignored): Tab when tabs are the most frequent; else Semicolon when semicolons are at
// least half as frequent as commas (a ';' log may carry a decimal comma in every
// field); else Comma.
LogDelimiter detectLogDelimiter(std::string_view text);

// One line cut into fields as the import dialog reads it: at commas (Comma), at tabs
// and commas (Tab), or at semicolons only (Semicolon, whose fields may hold decimal
// commas). Each field is trimmed; a delimiter at the very end of the line adds no field.
std::vector<std::string> splitLogFields(std::string_view line, LogDelimiter delimiter);

// A cell as a column name: trimmed, and without one pair of enclosing double quotes.
std::string columnName(std::string_view cell);

// The row of the preview that names the columns: the row with the most distinct cells
// that are neither empty nor numbers (the first of equals). Names outnumber the few
// words of a units or column-group row, of a setting and of a data row. 0 when no row
// holds a word.
int findColumnNamesRow(const Grid& preview);

// The conditions a log records beside each reading.
enum class LogCondition { LeafTemperature, Light, Pressure };

// The names each condition goes by, most wanted first; compared with a column name
// without regard to letter case.
const std::vector<std::string>& conditionNames(LogCondition condition);

// The column of `row` that holds the condition: the column of the first name in
// conditionNames that a cell of the row carries (its leftmost such cell); 0 for none.
int recogniseConditionColumn(const Grid& preview, int row, LogCondition condition);

// A log cell as a number: '.' as the decimal separator (',' as well when
// `decimalComma`), whatever the user's locale.
std::optional<double> readLogNumber(std::string_view cell, bool decimalComma);

// Whether a pressure taken as kPa is one a leaf can be measured at (30 to 120 kPa).
// A log in hPa or mbar (around 1000) is not.
bool isPlausiblePressureKPa(double pressure);

}  // namespace calvane
