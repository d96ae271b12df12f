#include "batch/Conditions.h"

#include "batch/BatchPlatform.h"
#include "batch/CurveTable.h"
#include "core/Errors.h"
#include "core/NumberText.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <algorithm>
#include <stdexcept>

namespace calvane::batch {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// A column of a loaded log, by its name on the column-names row or by its number.
int logColumn(const TFrmParseVerdex& dialog, const std::string& file, const std::string& column)
{
    if (const auto found = dialog.FindColumn(column))
        return *found;
    if (dialog.ColumnNamesRow() >= 1)
        throw std::runtime_error(file + " line " + std::to_string(dialog.ColumnNamesRow()) +
                                 ": the column-names line has no column " + quoted(column));
    throw std::runtime_error(file + ": no line of the file names its columns; give column " + quoted(column) +
                             " by its number");
}

void fillInstrumentDialog(TFrmParseVerdex& dialog, TextField& xColumn, const std::string& file,
                          const InstrumentImport& import)
{
    LogDelimiter delimiter = LogDelimiter::Comma;
    if (import.delimiter)
        delimiter = *import.delimiter;
    else if (const auto bytes = readFileBytes(file))
        delimiter = detectLogDelimiter(decodeText(*bytes));
    switch (delimiter) {
    case LogDelimiter::Tab:
        dialog.RadioButtonTab.setChecked(true);
        break;
    case LogDelimiter::Semicolon:
        dialog.RadioButtonSemicolon.setChecked(true);
        break;
    case LogDelimiter::Comma:
        dialog.RadioButtonComma.setChecked(true);
        break;
    }
    dialog.EdtVerdexFileName.setText(file);
    for (TextField* condition : {&dialog.EdtLeafTemp, &dialog.EdtLight, &dialog.EdtPressure})
        condition->setText("0");
    dialog.EdtRow.setText(import.parts.at(0));
    xColumn.setText(import.parts.at(1));
    dialog.EdtAssimilation.setText(import.parts.at(2));
}

}  // namespace

Means csvFileMeans(std::string_view text, const std::string& name, const std::vector<MeanColumn>& columns,
                   char decimalSeparator)
{
    Means means;
    const std::vector<std::string> lines = splitLines(text);
    const std::vector<std::string> first = lines.empty() ? std::vector<std::string>{} : csvItems(lines.front());
    const bool headerLine = std::any_of(first.begin(), first.end(), [&](const std::string& item) {
        return !readNumber(item, decimalSeparator).has_value();
    });

    struct Column {
        std::size_t index = 0;
        std::string label;  // as a message names it
    };
    std::vector<Column> resolved;
    // A first line of numbers names no column: only numbers count there.
    const std::vector<std::string> names = headerLine ? first : std::vector<std::string>(first.size());
    for (const auto& column : columns) {
        const auto index = findColumn(names, column.column);
        if (!index) {
            means.error = name + " line 1: the first line has no column " + quoted(column.column);
            return means;
        }
        const bool named = headerLine && !first[*index].empty();
        resolved.push_back({*index, "column " + (named ? quoted(first[*index]) : std::to_string(*index + 1))});
    }

    std::vector<long double> sums(columns.size(), 0);
    long double rows = 0;
    for (std::size_t i = headerLine ? 1 : 0; i < lines.size(); ++i) {
        const std::vector<std::string> items = csvItems(lines[i]);
        if (std::all_of(items.begin(), items.end(), [](const std::string& item) { return item.empty(); }))
            continue;
        auto fail = [&](const std::string& why) -> Means {
            return {{}, name + " line " + std::to_string(i + 1) + ": " + why};
        };
        for (std::size_t c = 0; c < resolved.size(); ++c) {
            const std::string cell = resolved[c].index < items.size() ? items[resolved[c].index] : std::string();
            if (cell.empty())
                return fail(resolved[c].label + " is empty");
            const auto value = readNumber(cell, decimalSeparator);
            if (!value)
                return fail(quoted(cell) + " in " + resolved[c].label + " is not a number");
            sums[c] += *value;
        }
        ++rows;
    }
    if (rows == 0) {
        means.error = name + ": no rows below the first line";
        return means;
    }
    for (const long double sum : sums)
        means.values.push_back(static_cast<double>(sum / rows));
    return means;
}

Means instrumentMeans(const TFrmParseVerdex& dialog, const std::string& name, const std::vector<MeanColumn>& columns)
{
    Means means;
    try {
        for (const auto& column : columns) {
            const auto mean = dialog.ColumnMean(logColumn(dialog, name, column.column));
            if (!mean)
                throw std::runtime_error(name + ": column " + quoted(column.column) +
                                         " holds no number in the rows imported");
            means.values.push_back(*mean);
        }
    } catch (const std::runtime_error& error) {
        means.values.clear();
        means.error = error.what();
    }
    return means;
}

void runInstrumentImport(TFrmParseVerdex& dialog, TextField& xColumn, const std::string& file,
                         const InstrumentImport& import, const std::optional<std::string>& groupValue)
{
    fillInstrumentDialog(dialog, xColumn, file, import);
    if (import.groupColumn) {
        dialog.EdtCurveColumn.setText(std::to_string(logColumn(dialog, file, *import.groupColumn)));
        dialog.CmbCurveValue.setText(groupValue.value_or(std::string()));
    }
    dialog.BtnOkClick();
}

InstrumentSplit splitInstrumentLog(const std::string& file, const InstrumentImport& import, char decimalSeparator)
{
    InstrumentSplit split;
    BatchPlatform platform(decimalSeparator);
    if (!platform.fileExists(file)) {
        split.error = FileError::cannotOpen(file).what();
        return split;
    }
    ImportSettings settings;
    TFrmParseVerdex dialog(platform, settings);
    try {
        fillInstrumentDialog(dialog, dialog.EdtCi, file, import);
        const int column = logColumn(dialog, file, import.groupColumn.value_or(std::string()));
        const int startRow = TFrmParseVerdex::numEditValue(dialog.EdtRow);
        dialog.EdtCurveColumn.setText(std::to_string(column));
        if (startRow >= 1)
            split.values = dialog.CmbCurveValue.items();
        if (split.values.empty())
            split.error = file + ": column " + quoted(*import.groupColumn) + " has no value from row " +
                          std::to_string(startRow) + " on";
    } catch (const std::runtime_error& error) {
        split.error = error.what();
    }
    return split;
}

}  // namespace calvane::batch
