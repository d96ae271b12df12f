#pragma once
// The clipboard texts both analysis windows exchange: grid rows, and the value a
// field takes from a pasted text.

#include "core/Grid.h"

#include <string>
#include <string_view>

namespace calvane {

// Data rows 1.. of the grid, columns firstCol.. each followed by a tab, rows joined
// by CR LF with none after the last.
std::string gridRowsText(const Grid& grid, int firstCol);

// The part of a pasted text that a one-value field takes: the first line when a CR
// follows the first character, else the text before the first space when one
// follows the first character, else the whole text.
std::string fieldPasteValue(std::string_view text);

}  // namespace calvane
