#pragma once
// Grid operations that both analysis windows share: the CSV load, the paste of
// delimited text into the x and A columns, the CSV Text import command and the
// file-drop filter.

#include "core/Controls.h"
#include "core/Grid.h"
#include "core/Platform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

// Cuts one CSV line into items: blanks before an item are skipped; a quoted item
// runs to the next undoubled quote ("" stands for one quote); any other item runs to
// the first blank or comma; after an item blanks and then one comma with the blanks
// after it are skipped.
std::vector<std::string> csvItems(std::string_view line);

// The items of a decoded text as the grid's CSV load cuts them, one list per line:
// comma-separated text by csvItems, semicolon- and tab-separated text (see
// detectValueSeparator) by separatedItems, its decimal commas becoming points.
std::vector<std::vector<std::string>> gridTextRows(std::string_view text);

// Whether some line holds a number in both its first and its second item.
bool holdsAPoint(const std::vector<std::vector<std::string>>& rows);

// The grid's CSV load: line i of the file becomes row i, the first line fixes the
// width k, the grid gets k + 1 columns and n + 1 rows, row 0 stays, cells beyond a
// short line keep their text, column 0 gets width 20. An empty file, or one whose
// first line has no items, leaves the grid as it was. A file that cannot be opened
// raises FileError "Cannot open file <name>". When lines after the first (a header
// line) bring no number into the x or A column (a line with neither is blank), the
// loaded grid stays and DataError "<N> rows of <name> are not numbers (the first is
// line <L>)" is raised ("1 row of <name> is not a number (line <L>)" for one).
void LoadCSVFile(Grid& grid, const std::string& fileName, Platform& platform);

// File > Import > "CSV Text": the open dialog, then the status field and the load.
// Returns false when the user cancelled.
bool importCsvText(Platform& platform, Grid& grid, TextField& status);

// The paste of delimited text (StringPaste of both windows): semicolon- and
// tab-separated text is cut at its separator and its decimal commas become points
// (pasteWithDecimalPoints), then the text parser (CR LF lines) reads it; line 0 goes
// to row 0 when it is a header line, otherwise to row 1; fields 0 and 1 of each line go
// to columns 1 and 2. Rows are added at the end of the grid when a line would fall
// below its last row, so no line is lost.
void pasteIntoGrid(Grid& grid, std::string_view text, char decimalSeparator);

// A drop onto a window's grid: the first accepted item's name goes into the status
// field, then the grid loads it. Returns false when nothing was accepted.
bool loadDroppedCsv(Platform& platform, Grid& grid, TextField& status, const std::vector<DroppedItem>& items);

// The first dropped item that the ".csv" filter accepts (any case; folders are
// always accepted), in the platform's order.
std::optional<std::string> firstAcceptedDrop(const std::vector<DroppedItem>& items);

}  // namespace calvane
