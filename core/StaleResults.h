#pragma once
// Whether a window's results still describe the data in its grid. A command that
// computes results from the grid marks them current; a later change of the data
// columns (a typed cell, a paste, an import, a dropped file, a row inserted or
// deleted) puts them out of date until the next such command. Export and Print ask
// before writing results that are out of date; the window's own Checks line says so.

#include "core/Grid.h"
#include "core/Signal.h"

#include <string>
#include <string_view>
#include <vector>

namespace calvane {

class Platform;

class StaleResults {
public:
    // Follows the data columns `dataColumns` of `grid`, which must outlive this object.
    StaleResults(Grid& grid, std::vector<int> dataColumns);
    StaleResults(const StaleResults&) = delete;
    StaleResults& operator=(const StaleResults&) = delete;

    // Results exist and were computed from the data as they stand.
    bool current() const { return computed_ && !outOfDate_; }
    // Results exist and the data changed after they were computed.
    bool outOfDate() const { return outOfDate_; }

    // A command read the data as they stand (the standard fit): their next change is
    // reported again.
    void markRead();
    // A command computed results from the grid as it stands.
    void markComputed();
    // No results are left (Clear).
    void forget();

    Signal<> changed;  // outOfDate() turned
    // The data columns changed since the last command read them, whether results exist
    // or not: once until the next read, so a paste of many rows costs one notice.
    Signal<> dataChanged;

private:
    using Rows = std::vector<std::vector<std::string>>;
    // The data cells of every data row, row by row.
    Rows dataCells() const;
    // The rows that hold data: a row inserted or deleted empty changes nothing.
    static Rows withoutEmptyRows(const Rows& rows);
    void cellChanged(int col, int row);
    void layoutChanged();
    void dataDidChange();
    void setOutOfDate(bool outOfDate);

    Grid& grid_;
    std::vector<int> columns_;
    Rows cells_;  // as the last read saw them, and layout changes since that kept the data
    bool changedSinceRead_ = false;
    bool computed_ = false;
    bool outOfDate_ = false;
};

// The Checks line's sentence and the question before an export or a print.
inline constexpr std::string_view outOfDateSentence = "Results are from earlier data";
inline constexpr std::string_view outOfDateTitle = "Results out of date";
inline constexpr std::string_view outOfDateQuestion =
    "The results were computed before the data changed. Export anyway?";

// Puts the sentence first among a window's checks while its results are out of date.
void noteOutOfDate(const StaleResults& results, std::vector<std::string>& checks);

// True to go on with an export or a print: at once when the results are not out of
// date, else when the user answers Yes.
bool confirmOutOfDate(Platform& platform, const StaleResults& results);

}  // namespace calvane
