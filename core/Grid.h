#pragma once
// The data grid: text cells addressed by (column, row). Row 0 holds the column
// headers and column 0 the row numbers the view draws itself.
//
// Cells are kept by position, independent of the row and column counts: shrinking
// the grid hides cells without erasing them, growing it shows them again, and any
// position can be read (empty when never written). Inserting or deleting a row
// moves every stored row below it.

#include "core/Signal.h"

#include <string>
#include <vector>

namespace calvane {

class Grid {
public:
    Grid(int colCount, int rowCount);

    int colCount() const { return colCount_; }
    int rowCount() const { return rowCount_; }
    void setColCount(int count);
    void setRowCount(int count);

    const std::string& cell(int col, int row) const;
    void setCell(int col, int row, std::string text);

    int colWidth(int col) const;
    void setColWidth(int col, int width);

    // Shift+Ins: an empty row at `row`, that row and all below it one row down.
    void insertRow(int row);
    // Shift+Del: removes `row` unless the grid has fewer than 3 rows. Returns whether
    // a row was removed.
    bool deleteRow(int row);

    // Empties every stored cell of one row, hidden columns included.
    void clearRow(int row);
    // Empties every visible non-fixed cell (rows 1.., columns 1..).
    void emptyDataCells();
    // Empties every stored non-fixed cell, also those hidden beyond the counts.
    void emptyAllStoredDataCells();

    // The cell the user selected last (column, row).
    int selectedCol = 1;
    int selectedRow = 1;

    // The grid's position inside its window, kept current by the view: pop-up menus
    // open at screen points computed from it.
    int left = 0;
    int top = 0;

    std::string hint = "Shift+Ins to add row, Shift+Del to remove row";
    static constexpr int defaultColWidth = 64;

    // The row under the last mouse press on the grid, kept by the view before it reports
    // the press; 0 when the press was on no data row.
    int pressedRow = 0;

    Signal<int, int> cellChanged;  // (column, row)
    Signal<> layoutChanged;        // counts, widths, inserted or deleted rows, bulk changes
    // The row an insertRow put in, or the row a deleteRow took out, told before
    // layoutChanged so that what is kept by row can move with its rows first.
    Signal<int> rowInserted;
    Signal<int> rowDeleted;

private:
    int colCount_;
    int rowCount_;
    std::vector<std::vector<std::string>> rows_;  // rows_[row][col], as far as written
    std::vector<int> widths_;
};

// Where a row's contents stand after insertRow(at), and after deleteRow(at): 0 for the
// deleted row itself.
int rowAfterInsert(int row, int at);
int rowAfterDelete(int row, int at);

}  // namespace calvane
