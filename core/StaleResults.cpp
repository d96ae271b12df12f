#include "core/StaleResults.h"

#include "core/Platform.h"

#include <algorithm>
#include <utility>

namespace calvane {

StaleResults::StaleResults(Grid& grid, std::vector<int> dataColumns) : grid_(grid), columns_(std::move(dataColumns))
{
    cells_ = dataCells();
    // The grid and this object belong to the same window and end together.
    grid_.cellChanged.connect([this](int col, int row) { cellChanged(col, row); });
    grid_.layoutChanged.connect([this] { layoutChanged(); });
}

StaleResults::Rows StaleResults::dataCells() const
{
    Rows rows;
    for (int row = 1; row < grid_.rowCount(); ++row) {
        std::vector<std::string> cells;
        for (int col : columns_)
            cells.push_back(grid_.cell(col, row));
        rows.push_back(std::move(cells));
    }
    return rows;
}

StaleResults::Rows StaleResults::withoutEmptyRows(const Rows& rows)
{
    Rows kept;
    for (const auto& cells : rows) {
        if (std::any_of(cells.begin(), cells.end(), [](const std::string& text) { return !text.empty(); }))
            kept.push_back(cells);
    }
    return kept;
}

void StaleResults::cellChanged(int col, int row)
{
    // A cell notifies only a real change; the header row and other columns hold no data.
    if (changedSinceRead_ || row < 1 || row >= grid_.rowCount() ||
        std::find(columns_.begin(), columns_.end(), col) == columns_.end())
        return;
    dataDidChange();
}

void StaleResults::layoutChanged()
{
    // Also column widths and counts: only a difference in the data counts. Once a
    // change is reported nothing is compared until the next read, so that a paste
    // that grows the grid row by row stays linear.
    if (changedSinceRead_)
        return;
    Rows cells = dataCells();
    const bool differs = withoutEmptyRows(cells) != withoutEmptyRows(cells_);
    cells_ = std::move(cells);
    if (differs)
        dataDidChange();
}

void StaleResults::dataDidChange()
{
    changedSinceRead_ = true;
    if (computed_)
        setOutOfDate(true);
    dataChanged.notify();
}

void StaleResults::markRead()
{
    cells_ = dataCells();
    changedSinceRead_ = false;
}

void StaleResults::markComputed()
{
    markRead();
    computed_ = true;
    setOutOfDate(false);
}

void StaleResults::forget()
{
    markRead();
    computed_ = false;
    setOutOfDate(false);
}

void StaleResults::setOutOfDate(bool outOfDate)
{
    if (outOfDate_ == outOfDate)
        return;
    outOfDate_ = outOfDate;
    changed.notify();
}

void noteOutOfDate(const StaleResults& results, std::vector<std::string>& checks)
{
    if (!results.outOfDate())
        return;
    std::vector<std::string> noted;
    noted.reserve(checks.size() + 1);
    noted.emplace_back(outOfDateSentence);
    for (std::string& sentence : checks)
        noted.push_back(std::move(sentence));
    checks = std::move(noted);
}

bool confirmOutOfDate(Platform& platform, const StaleResults& results)
{
    return !results.outOfDate() || platform.confirm(std::string(outOfDateTitle), std::string(outOfDateQuestion));
}

}  // namespace calvane
