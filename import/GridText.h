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

// The grid's CSV load: line i of the file becomes row i, the first line fixes the
// width k, the grid gets k + 1 columns and n + 1 rows, row 0 stays, cells beyond a
// short line keep their text, column 0 gets width 20. An empty file, or one whose
// first line has no items, leaves the grid as it was. A file that cannot be opened
// raises FileError "Cannot open file <name>".
void LoadCSVFile(Grid& grid, const std::string& fileName, Platform& platform);

// File > Import > "CSV Text": the open dialog, then the status field and the load.
// Returns false when the user cancelled.
bool importCsvText(Platform& platform, Grid& grid, TextField& status);

// The paste of delimited text (StringPaste of both windows): parsed with the text
// parser (CR LF lines); line 0 goes to row 0 when it is a header line, otherwise to
// row 1; fields 0 and 1 of each line go to columns 1 and 2. Rows are added at the
// end of the grid when a line would fall below its last row, so no line is lost.
void pasteIntoGrid(Grid& grid, std::string_view text, char decimalSeparator);

// A drop onto a window's grid: the first accepted item's name goes into the status
// field, then the grid loads it. Returns false when nothing was accepted.
bool loadDroppedCsv(Platform& platform, Grid& grid, TextField& status, const std::vector<DroppedItem>& items);

// The first dropped item that the ".csv" filter accepts (any case; folders are
// always accepted), in the platform's order.
std::optional<std::string> firstAcceptedDrop(const std::vector<DroppedItem>& items);

}  // namespace calvane
