#pragma once
// Tables that hold many curves: a delimited text with a header line (read by
// import/DelimitedText.h), cut into one curve per value of a group column, in order of
// first appearance.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane::batch {

// A column of a header line: its text, matched exactly, or else a 1-based number.
// Nothing when there is no such column.
std::optional<std::size_t> findColumn(const std::vector<std::string>& header, const std::string& name);

struct TableColumns {
    std::string group;
    std::string x;
    std::string a;
    std::optional<std::string> mean;      // a column whose mean the curve also needs
    std::vector<std::string> means = {};  // further such columns, in order
};

struct TablePoint {
    std::string x;
    std::string a;
};

struct TableCurve {
    std::string group;
    std::vector<TablePoint> points;    // the cells' texts, in the table's order
    double mean = 0;                   // of the mean column over the curve's rows
    std::optional<std::string> error;  // why the curve cannot be used: names the line
    std::vector<double> means = {};    // of the further mean columns, in their order
};

struct TableSplit {
    std::optional<std::string> error;  // the whole table cannot be used
    std::vector<TableCurve> curves;
};

// Splits the decoded text of table `name` into curves. The named columns must hold a
// number on every row, with '.' as its decimal separator, or in a semicolon- or
// tab-delimited table also with a decimal comma, which is handed on as '.'. Rows with
// an empty group value form a curve of their own that reports the first of them.
TableSplit splitTable(std::string_view text, const std::string& name, const TableColumns& columns);

// The curve as the lines of a two-column CSV file that the grid's CSV load reads back
// to exactly these texts.
std::string curveAsCsv(const TableCurve& curve);

}  // namespace calvane::batch
