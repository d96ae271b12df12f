#include "core/Errors.h"
#include "core/Grid.h"
#include "core/PointSeries.h"

#include <gtest/gtest.h>

using namespace calvane;

namespace {
Grid numberedGrid(int cols, int rows)
{
    Grid grid(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.setCell(c, r, std::to_string(c) + ":" + std::to_string(r));
    return grid;
}
}  // namespace

TEST(Grid, AnyPositionReadsEmptyUntilWritten)
{
    Grid grid(3, 33);
    EXPECT_EQ(grid.cell(2, 32), "");
    EXPECT_EQ(grid.cell(100, 1000), "");
    EXPECT_EQ(grid.cell(-1, -1), "");
    grid.setCell(7, 50, "far");  // beyond the counts: stored, hidden
    EXPECT_EQ(grid.cell(7, 50), "far");
    EXPECT_EQ(grid.rowCount(), 33);
    EXPECT_EQ(grid.colCount(), 3);
}

TEST(Grid, ChangingTheCountsHidesCellsWithoutErasingThem)
{
    Grid grid = numberedGrid(4, 10);
    grid.setRowCount(3);
    grid.setColCount(2);
    EXPECT_EQ(grid.cell(3, 9), "3:9");
    grid.setRowCount(10);
    grid.setColCount(4);
    EXPECT_EQ(grid.cell(3, 9), "3:9");
}

TEST(Grid, InsertAndDeleteMoveTheRowsBelowIncludingHiddenOnes)
{
    Grid grid = numberedGrid(3, 6);
    grid.setRowCount(4);  // rows 4 and 5 hidden
    grid.insertRow(2);
    EXPECT_EQ(grid.rowCount(), 5);
    EXPECT_EQ(grid.cell(1, 2), "");
    EXPECT_EQ(grid.cell(1, 3), "1:2");
    EXPECT_EQ(grid.cell(1, 6), "1:5");
    EXPECT_TRUE(grid.deleteRow(1));
    EXPECT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.cell(1, 1), "");
    EXPECT_EQ(grid.cell(1, 2), "1:2");
    EXPECT_EQ(grid.cell(1, 0), "1:0");
}

TEST(Grid, DeleteRefusesBelowThreeRowsAndKeepsTheSelectionInside)
{
    Grid grid = numberedGrid(3, 3);
    grid.selectedRow = 2;
    EXPECT_TRUE(grid.deleteRow(2));
    EXPECT_EQ(grid.selectedRow, 1);
    EXPECT_FALSE(grid.deleteRow(1));
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.cell(1, 1), "1:1");
}

TEST(Grid, EmptyingDataCellsKeepsHeadersAndHiddenCells)
{
    Grid grid = numberedGrid(3, 5);
    grid.setCell(5, 2, "hidden");
    grid.emptyDataCells();
    EXPECT_EQ(grid.cell(1, 0), "1:0");
    EXPECT_EQ(grid.cell(0, 3), "0:3");
    EXPECT_EQ(grid.cell(1, 3), "");
    EXPECT_EQ(grid.cell(5, 2), "hidden");
    grid.emptyAllStoredDataCells();
    EXPECT_EQ(grid.cell(5, 2), "");
    EXPECT_EQ(grid.cell(2, 0), "2:0");
}

TEST(Grid, ReportsCellChangesOnlyWhenTheTextChanges)
{
    Grid grid(3, 5);
    int changes = 0;
    grid.cellChanged.connect([&](int col, int row) {
        EXPECT_EQ(col, 1);
        EXPECT_EQ(row, 2);
        ++changes;
    });
    grid.setCell(1, 2, "x");
    grid.setCell(1, 2, "x");
    grid.setCell(1, 2, "");
    EXPECT_EQ(changes, 2);
}

TEST(Grid, ColumnWidthsDefaultTo64)
{
    Grid grid(3, 3);
    grid.setColWidth(0, 20);
    EXPECT_EQ(grid.colWidth(0), 20);
    EXPECT_EQ(grid.colWidth(2), 64);
}

TEST(PointSeries, KeepsInsertionOrderAndGivesZeroExtremesWhenEmpty)
{
    PointSeries series("s", PointSeries::Kind::Points, 0);
    EXPECT_EQ(series.maxX(), 0.0);
    EXPECT_EQ(series.minY(), 0.0);
    series.add(300, 15);
    series.add(-5, 2);
    series.add(100, -5);
    ASSERT_EQ(series.count(), 3);
    EXPECT_EQ(series.x(0), 300);
    EXPECT_EQ(series.y(2), -5);
    EXPECT_EQ(series.maxX(), 300);
    EXPECT_EQ(series.minX(), -5);
    EXPECT_EQ(series.maxY(), 15);
    EXPECT_EQ(series.minY(), -5);
    series.clear();
    EXPECT_EQ(series.count(), 0);
}

TEST(PointSeries, NegativeOnlyValuesGiveANegativeMaximum)
{
    PointSeries series("s", PointSeries::Kind::Points, 0);
    series.add(-3, -7);
    series.add(-1, -9);
    EXPECT_EQ(series.maxX(), -1);
    EXPECT_EQ(series.maxY(), -7);
}

TEST(PointSeries, ReadingAMissingPointRaises)
{
    PointSeries series("s", PointSeries::Kind::Points, 0);
    try {
        series.x(0);
        FAIL() << "no error";
    } catch (const IndexError& e) {
        EXPECT_STREQ(e.what(), "Point index out of range (0)");
    }
}
