#pragma once
// The parameter groups and the "Standard fit" group of an analysis window, built from
// the window's field tables, so that both windows show their fields the same way.

#include "core/FieldTable.h"
#include "core/StaleResults.h"

#include <QString>
#include <Qt>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

class QGridLayout;
class QGroupBox;

namespace calvane::ui {

class AnalysisWindow;

// A parameter as its group shows it: the fixed flag (or else the caption) beside the
// field, which gets the field pop-up menu.
struct PanelRow {
    Label* group;
    CheckBox* flag;
    Label* caption;
    TextField* field;
};

// The parameter group boxes, in the order their rows come.
std::vector<QGroupBox*> makeParameterGroups(AnalysisWindow& window, const std::vector<PanelRow>& rows);

template <typename Window>
std::vector<QGroupBox*> makeParameterGroups(AnalysisWindow& window, Window& state,
                                            const std::vector<ParameterRow<Window>>& table)
{
    std::vector<PanelRow> rows;
    for (const auto* row : inOrder(table, &ParameterRow<Window>::panelOrder)) {
        rows.push_back({&(state.*row->group), row->flag ? &(state.*row->flag) : nullptr,
                        row->caption ? &(state.*row->caption) : nullptr, &(state.*row->field)});
    }
    return makeParameterGroups(window, rows);
}

// One cell of a result grid: a caption following a control or a fixed one, a field (a
// result the window writes, or a setting the user types), a check box captioned
// `text`, or a result's 95 % interval.
struct GridCell {
    int row = 0;
    int column = 0;
    int span = 1;
    Qt::Alignment alignment = {};
    Label* label = nullptr;
    QString text{};
    TextField* field = nullptr;
    bool setting = false;
    // How a result reads on screen: a value beside its standard error `error`, the
    // standard error itself, or else rounded to `digits` significant digits (0: the
    // text as it stands, as for a message).
    TextField* error = nullptr;
    bool isError = false;
    int digits = 0;
    CheckBox* flag = nullptr;
    // The interval's ends: "[lower, upper]" beside `field` and its error `error`; `text`
    // names it to assistive tools.
    TextField* lower = nullptr;
    TextField* upper = nullptr;
};

// A value as the group shows it: rounded to the place of the second significant digit
// of its standard error `error` when that is a positive number ("100.8" beside 1.41),
// its text as it stands beside a word ("fixed"), else to `digits` significant digits
// (0: as it stands). A text that is no number stays as it is.
std::string roundedValue(const std::string& value, const std::string& error, int digits);
// A standard error as the group shows it: "± " and two significant digits.
std::string roundedError(const std::string& error);
// A 95 % interval as the group shows it: "[lower, upper]", each end rounded as its
// value is, "open" for an end the profile did not reach. Empty without a value or
// without a numeric standard error (a held estimate has no interval).
std::string roundedInterval(const std::string& value, const std::string& error, const std::string& lower,
                            const std::string& upper);

// A caption that follows its control, hidden from the start when the control is.
void addCaption(QGridLayout* grid, Label& label, int row, int column, Qt::Alignment alignment = {});

// Adds the cells row by row, left to right (so the tab order follows the grid). Fields
// are at least `fieldWidth` wide; results show rounded, with their full-precision text
// as a tooltip and on Copy.
void addResultCells(AnalysisWindow& window, QGridLayout* grid, std::vector<GridCell> cells, int fieldWidth);

// The column of the results' 95 % intervals: right of every other column.
template <typename Window>
int intervalColumn(const std::vector<ResultSection<Window>>& table)
{
    int columns = 1;
    for (const auto& section : table) {
        for (const auto& row : section.rows)
            columns = std::max(columns, row.column + (row.error ? 2 : 1));
    }
    return columns;
}

// The cells of a result table: each section's title over the standard errors and the
// intervals, its rows' captions (or "Hold" check boxes), values, errors and intervals
// where the table puts them, and its message line across the grid.
template <typename Window>
std::vector<GridCell> resultCells(Window& state, const std::vector<ResultSection<Window>>& table)
{
    const int interval = intervalColumn(table);
    std::vector<GridCell> cells;
    for (const auto& section : table) {
        if (section.title) {
            cells.push_back({.row = section.titleRow, .span = 2, .label = &(state.*section.title)});
            cells.push_back({.row = section.titleRow,
                             .column = 2,
                             .alignment = Qt::AlignHCenter,
                             .text = QStringLiteral("Std. error")});
            cells.push_back({.row = section.titleRow,
                             .column = interval,
                             .alignment = Qt::AlignHCenter,
                             .text = QStringLiteral("95 % interval")});
        }
        for (const auto& row : section.rows) {
            const QString captionText = QString::fromUtf8(row.captionText.data(),
                                                          static_cast<qsizetype>(row.captionText.size()));
            if (row.flag)
                cells.push_back(
                    {.row = row.row, .column = row.column - 1, .text = captionText, .flag = &(state.*row.flag)});
            else if (row.caption)
                cells.push_back({.row = row.row, .label = &(state.*row.caption)});
            else if (!row.captionText.empty())
                cells.push_back({.row = row.row, .text = captionText});
            // Measures of the whole fit to three significant digits, other values without
            // an error of their own to four.
            const int digits = row.name == "RMSE" || row.name == "SSE" ? 3 : 4;
            cells.push_back({.row = row.row,
                             .column = row.column,
                             .field = &(state.*row.value),
                             .setting = row.setting,
                             .error = row.error ? &(state.*row.error) : nullptr,
                             .digits = row.setting ? 0 : digits});
            if (row.error) {
                cells.push_back(
                    {.row = row.row, .column = row.column + 1, .field = &(state.*row.error), .isError = true});
            }
            if (row.lower && row.upper) {
                const std::string_view name = row.name.empty() ? row.summary : row.name;
                cells.push_back({.row = row.row,
                                 .column = interval,
                                 .text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) +
                                         QStringLiteral(" 95 % interval"),
                                 .field = &(state.*row.value),
                                 .error = row.error ? &(state.*row.error) : nullptr,
                                 .lower = &(state.*row.lower),
                                 .upper = &(state.*row.upper)});
            }
        }
        cells.push_back({.row = section.messageRow, .span = interval + 1, .field = &(state.*section.message)});
    }
    return cells;
}

// The window's own results fade while they are out of date: each field that a command
// writes, a result or a parameter whose fixed flag is clear. A fixed value, which the
// user typed, keeps its look.
struct FadingField {
    const TextField* field;
    const CheckBox* flag;
};
void fadeWhileOutOfDate(AnalysisWindow& window, const StaleResults& results, std::vector<FadingField> fields,
                        const std::vector<Signal<>*>& changes);

template <typename Window>
void fadeWhileOutOfDate(AnalysisWindow& window, Window& state, const std::vector<ParameterRow<Window>>& table)
{
    std::vector<FadingField> fields;
    std::vector<Signal<>*> changes{&state.staleResults.changed};
    for (const auto& row : table) {
        if (!row.flag && !row.resultOnly)
            continue;
        fields.push_back({&(state.*row.field), row.flag ? &(state.*row.flag) : nullptr});
        if (row.flag)
            changes.push_back(&(state.*row.flag).clicked);
    }
    fadeWhileOutOfDate(window, state.staleResults, std::move(fields), changes);
}

}  // namespace calvane::ui
