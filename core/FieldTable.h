#pragma once
// A window's fields described once. Its parameter table holds a row per parameter:
// the batch name, label and unit, the field and its fixed flag, what reset writes, and
// where each output lists it. Its result table holds the standard fit's results the
// same way. Reset, export, report, copy all, the focus order, the panels on screen and
// calvane-batch all read these tables, so a new parameter is one row plus its
// arithmetic. The rows point at the window's public members, which keep their names.

#include "core/Controls.h"
#include "core/NumberText.h"
#include "core/Platform.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvane {

// One parameter of a window. A table lists its rows in the order of the export file
// and the printed report; an output with an order of its own has a column for it, in
// which 1 comes first and 0 leaves the row out.
template <typename Window>
struct ParameterRow {
    std::string_view name{};   // the batch name: --set NAME, the summary's column
    std::string_view label{};  // the caption of its export and report lines
    std::string_view unit{};   // the unit of its summary column
    TextField Window::*field = nullptr;
    // The fixed flag and its click handler; none for a value that is always typed or
    // always computed. Without a handler of its own a click recolours the field.
    CheckBox Window::*flag = nullptr;
    void (Window::*flagClick)() = nullptr;
    // On screen: the group box it stands in, and the caption beside a field without a
    // flag (a flag is its own caption).
    Label Window::*group = nullptr;
    Label Window::*caption = nullptr;
    std::string_view hint{};      // the field's hint; empty for none
    const char* reset = nullptr;  // the text reset writes; none: reset keeps the field
    std::string_view copyName{};  // its name in Copy All
    int panelOrder = 0;           // top to bottom on screen, group after group
    int focusOrder = 0;           // the field pop-up menu's focus test, and Copy All
    int summaryOrder = 0;         // the batch summary's columns
    int resetOrder = 0;
    // The report pads the label to this width, and a line of one space comes before a
    // row that opens a block.
    std::size_t reportWidth = 0;
    bool reportBlockStart = false;
    // Written by the commands only (GammaStar, the light points): Batch Fit offers no
    // start value for it.
    bool resultOnly = false;
};

// When a standard-fit row's export line is written: always (while its field is shown),
// only when its field holds a text (a setting left empty changes nothing), or never (a
// setting that an estimate's own line reports).
enum class ResultExport { Always, WhenSet, Never };

// One result of a standard fit: a line of the export's section, a value (and its
// standard error) in the group on screen, a column (and its SE column) of the summary.
template <typename Window>
struct ResultRow {
    // The export line's name; empty: the caption's text as it stands (the A/Ci fit's
    // "J" or "Jmax", as its last fit found).
    std::string_view name{};
    TextField Window::*value = nullptr;
    TextField Window::*error = nullptr;  // the standard error: "name, value, error"
    std::string_view summary{};          // the summary's column after the section's prefix; empty: none
    std::string_view unit{};
    // The caption on screen: a control of the window, or plain text; neither for none.
    Label Window::*caption = nullptr;
    std::string_view captionText{};
    // Where the value stands in the group's grid (the caption in column 0 of its row,
    // the error right of the value).
    int row = 0;
    int column = 1;
    // A setting the user types for the next fit (the A/Ci fit's Patm): editable, kept
    // when results are cleared, and no summary column.
    bool setting = false;
    // A setting's check box ("Hold"), and the estimate it holds at the setting's value
    // while it is checked, by that estimate's batch name (--standard-hold NAME=VALUE).
    CheckBox Window::*flag = nullptr;
    std::string_view holds{};
    ResultExport exported = ResultExport::Always;
    // The ends of the estimate's 95 % interval: "name, value, error, lower, upper".
    TextField Window::*lower = nullptr;
    TextField Window::*upper = nullptr;
};

// One fit's part of the "Standard fit" group.
template <typename Window>
struct ResultSection {
    std::string_view heading{};        // the heading line of its export section
    std::string_view summaryPrefix{};  // before each of its summary columns: "standard Vcmax"
    // On screen: a title over its rows (none for a group of one fit), the rows, and the
    // message line across the grid.
    Label Window::*title = nullptr;
    int titleRow = 0;
    std::vector<ResultRow<Window>> rows{};  // in the export's order
    TextField Window::*message = nullptr;
    int messageRow = 0;
};

// The rows an output lists, in its order: `order` is one of the order columns.
template <typename Row>
std::vector<const Row*> inOrder(const std::vector<Row>& table, int Row::*order)
{
    std::vector<const Row*> rows;
    for (const Row& row : table) {
        if (row.*order > 0)
            rows.push_back(&row);
    }
    std::stable_sort(rows.begin(), rows.end(), [order](const Row* a, const Row* b) { return a->*order < b->*order; });
    return rows;
}

// A row by its batch name; nullptr when the table has none of that name.
template <typename Row>
const Row* findByName(const std::vector<Row>& table, std::string_view name)
{
    const auto found = std::find_if(table.begin(), table.end(), [name](const Row& row) { return row.name == name; });
    return found == table.end() ? nullptr : &*found;
}

// A report line's caption: six spaces, the label padded to `width`, and a tab.
inline std::string reportCaption(std::string_view label, std::size_t width)
{
    std::string caption(label);
    if (caption.size() < width)
        caption.resize(width, ' ');
    return "      " + caption + "\t";
}

// Connects a row's fixed flag to its click handler, or else to recolouring its field.
template <typename Window>
void connectFlag(Window& window, const ParameterRow<Window>& row)
{
    (window.*row.flag).clicked.connect([&window, &row] {
        if (row.flagClick)
            (window.*row.flagClick)();
        else
            window.setNumEditState(window.*row.field, window.*row.flag);
    });
}

// The export's parameter lines: "label, text", and for a row with a fixed flag the
// separator and the state word.
template <typename Window>
void appendParameterExportLines(const Window& window, std::vector<std::string>& lines, std::string_view separator)
{
    for (const auto& row : Window::parameterTable()) {
        std::string line = std::string(row.label) + ", " + (window.*row.field).text();
        if (row.flag) {
            std::string word;
            window.checkIndicator(window.*row.flag, word);
            line += std::string(separator) + word;
        }
        lines.push_back(std::move(line));
    }
}

// The report's parameter lines: the padded caption, the text, and for a row with a
// fixed flag the separator and the state word; a line of one space opens a block.
template <typename Window>
void appendParameterReportLines(const Window& window, std::vector<std::string>& lines, std::string_view separator)
{
    for (const auto& row : Window::parameterTable()) {
        if (row.reportBlockStart)
            lines.emplace_back(" ");
        std::string line = reportCaption(row.label, row.reportWidth) + (window.*row.field).text();
        if (row.flag) {
            std::string word;
            window.checkIndicator(window.*row.flag, word);
            line += std::string(separator) + word;
        }
        lines.push_back(std::move(line));
    }
}

// Copy All's name and text pairs: the identifier, then the parameters in focus order.
template <typename Window>
std::vector<std::pair<std::string, std::string>> copyAllRows(const Window& window, const TextField& identifier)
{
    using Row = ParameterRow<Window>;
    std::vector<std::pair<std::string, std::string>> rows{{"Identifier", identifier.text()}};
    for (const Row* row : inOrder(Window::parameterTable(), &Row::focusOrder))
        rows.emplace_back(std::string(row->copyName), (window.*row->field).text());
    return rows;
}

// The first parameter field in focus order that has the input focus; nullptr for none.
template <typename Window>
TextField* focusedField(Window& window, const Platform& platform)
{
    using Row = ParameterRow<Window>;
    for (const Row* row : inOrder(Window::parameterTable(), &Row::focusOrder)) {
        TextField& field = window.*row->field;
        if (platform.hasFocus(&field))
            return &field;
    }
    return nullptr;
}

// The fields a fit writes and the user does not: every result, error and message.
template <typename Window>
std::vector<TextField*> resultFields(Window& window, const std::vector<ResultSection<Window>>& sections)
{
    std::vector<TextField*> fields;
    for (const auto& section : sections) {
        for (const auto& row : section.rows) {
            if (row.setting)
                continue;
            fields.push_back(&(window.*row.value));
            for (TextField Window::*part : {row.error, row.lower, row.upper}) {
                if (part)
                    fields.push_back(&(window.*part));
            }
        }
        fields.push_back(&(window.*section.message));
    }
    return fields;
}

// The setting row that holds the estimate of that batch name; nullptr for none.
template <typename Window>
const ResultRow<Window>* findHoldRow(const std::vector<ResultSection<Window>>& table, std::string_view name)
{
    for (const auto& section : table) {
        for (const auto& row : section.rows) {
            if (!row.holds.empty() && row.holds == name)
                return &row;
        }
    }
    return nullptr;
}

// A section's export lines from its fields as they stand: an empty line, the heading,
// then "name, value[, error]" for every row whose field is shown. A note on the fit
// follows them where the window has one.
template <typename Window>
std::vector<std::string> resultExportLines(const Window& window, const ResultSection<Window>& section)
{
    std::vector<std::string> lines{"", std::string(section.heading)};
    for (const auto& row : section.rows) {
        const TextField& value = window.*row.value;
        if (!value.visible() || row.exported == ResultExport::Never ||
            (row.exported == ResultExport::WhenSet && value.text().empty()))
            continue;
        std::string line = row.name.empty() ? (window.*row.caption).caption() : std::string(row.name);
        line += ", " + value.text();
        for (TextField Window::*part : {row.error, row.lower, row.upper}) {
            if (part)
                line += ", " + (window.*part).text();
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// A section's lines in the printed report, from its fields as they stand: a line of
// one space, the heading, then the name, a tab, the value and its standard error for
// every row the export lists, the points the fit left out, and the message line when
// it says anything.
template <typename Window>
std::vector<std::string> resultReportLines(const Window& window, const ResultSection<Window>& section,
                                           const std::vector<std::pair<double, double>>& excluded = {})
{
    std::vector<std::string> lines{" ", "  " + std::string(section.heading)};
    for (const auto& row : section.rows) {
        const TextField& value = window.*row.value;
        if (!value.visible() || row.exported == ResultExport::Never ||
            (row.exported == ResultExport::WhenSet && value.text().empty()))
            continue;
        const std::string name = row.name.empty() ? (window.*row.caption).caption() : std::string(row.name);
        std::string line = reportCaption(name, 24) + value.text();
        const std::string error = row.error ? (window.*row.error).text() : std::string();
        // A number is an error; a word ("fixed") says why there is none.
        if (readNumber(error, '.'))
            line += " \u00B1 " + error;
        else if (!error.empty())
            line += " (" + error + ")";
        lines.push_back(std::move(line));
    }
    for (const auto& [x, y] : excluded)
        lines.push_back(reportCaption("Excluded point", 24) + formatNumber(x, '.') + ", " + formatNumber(y, '.'));
    if (const std::string& message = (window.*section.message).text(); !message.empty())
        lines.push_back("      " + message);
    return lines;
}

}  // namespace calvane
