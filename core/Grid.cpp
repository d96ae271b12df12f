#include "core/Grid.h"

#include <algorithm>

namespace calvane {

namespace {
const std::string emptyText;
}

Grid::Grid(int colCount, int rowCount) : colCount_(std::max(colCount, 0)), rowCount_(std::max(rowCount, 0)) {}

void Grid::setColCount(int count)
{
    count = std::max(count, 0);
    if (count == colCount_)
        return;
    colCount_ = count;
    layoutChanged.notify();
}

void Grid::setRowCount(int count)
{
    count = std::max(count, 0);
    if (count == rowCount_)
        return;
    rowCount_ = count;
    layoutChanged.notify();
}

const std::string& Grid::cell(int col, int row) const
{
    if (row < 0 || col < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return emptyText;
    const auto& cells = rows_[static_cast<std::size_t>(row)];
    if (static_cast<std::size_t>(col) >= cells.size())
        return emptyText;
    return cells[static_cast<std::size_t>(col)];
}

void Grid::setCell(int col, int row, std::string text)
{
    if (row < 0 || col < 0)
        return;
    const auto r = static_cast<std::size_t>(row);
    const auto c = static_cast<std::size_t>(col);
    if (text.empty() && cell(col, row).empty())
        return;
    if (r >= rows_.size())
        rows_.resize(r + 1);
    if (c >= rows_[r].size())
        rows_[r].resize(c + 1);
    if (rows_[r][c] == text)
        return;
    rows_[r][c] = std::move(text);
    cellChanged.notify(col, row);
}

int Grid::colWidth(int col) const
{
    if (col >= 0 && static_cast<std::size_t>(col) < widths_.size() && widths_[static_cast<std::size_t>(col)] > 0)
        return widths_[static_cast<std::size_t>(col)];
    return defaultColWidth;
}

void Grid::setColWidth(int col, int width)
{
    if (col < 0)
        return;
    if (static_cast<std::size_t>(col) >= widths_.size())
        widths_.resize(static_cast<std::size_t>(col) + 1, 0);
    widths_[static_cast<std::size_t>(col)] = width;
    layoutChanged.notify();
}

void Grid::insertRow(int row)
{
    if (row < 0 || row > rowCount_)
        return;
    if (static_cast<std::size_t>(row) < rows_.size())
        rows_.insert(rows_.begin() + row, std::vector<std::string>{});
    ++rowCount_;
    rowInserted.notify(row);
    layoutChanged.notify();
}

bool Grid::deleteRow(int row)
{
    if (rowCount_ < 3 || row < 0 || row >= rowCount_)
        return false;
    if (static_cast<std::size_t>(row) < rows_.size())
        rows_.erase(rows_.begin() + row);
    --rowCount_;
    if (selectedRow >= rowCount_)
        selectedRow = rowCount_ - 1;
    rowDeleted.notify(row);
    layoutChanged.notify();
    return true;
}

void Grid::clearRow(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return;
    rows_[static_cast<std::size_t>(row)].clear();
    layoutChanged.notify();
}

void Grid::emptyDataCells()
{
    for (int row = 1; row < rowCount_ && static_cast<std::size_t>(row) < rows_.size(); ++row) {
        auto& cells = rows_[static_cast<std::size_t>(row)];
        const auto end = std::min(cells.size(), static_cast<std::size_t>(std::max(colCount_, 0)));
        for (std::size_t col = 1; col < end; ++col)
            cells[col].clear();
    }
    layoutChanged.notify();
}

void Grid::emptyAllStoredDataCells()
{
    for (std::size_t row = 1; row < rows_.size(); ++row)
        for (std::size_t col = 1; col < rows_[row].size(); ++col)
            rows_[row][col].clear();
    layoutChanged.notify();
}

int rowAfterInsert(int row, int at) { return row >= at ? row + 1 : row; }

int rowAfterDelete(int row, int at)
{
    if (row == at)
        return 0;
    return row > at ? row - 1 : row;
}

}  // namespace calvane
