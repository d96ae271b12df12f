#pragma once
// The measuring conditions of calvane-batch's curves (--tleaf, --light, --patm,
// --parabs: the mean of a column over each curve's rows) for header CSV files and
// instrument logs, and the instrument import as the command line drives it, with
// --group cutting a log into one curve per value of a column.

#include "core/Controls.h"
#include "import/LogColumns.h"
#include "import/ParseVerdex.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane::batch {

// The fields a column's mean goes into: the A/Ci window's Leaf Temp, Light and the
// standard fit's Patm; the light-response window's Par Abs.
enum class MeanField { LeafTemperature, Light, Pressure, ParAbs };

// A column whose mean goes into a field (--tleaf, --light, --patm, --parabs).
struct MeanColumn {
    MeanField field = MeanField::LeafTemperature;
    std::string column;  // a column name, or a 1-based number
};

// One mean per MeanColumn, in their order, or why they cannot be had (naming the file).
struct Means {
    std::vector<double> values;
    std::optional<std::string> error;
};

// A CSV file as the grid's CSV load reads it. A column is named by the text of the
// file's first line or by its number; the rows are the other lines with a field (and
// the first line too when it holds only numbers). Every row must hold a number there.
Means csvFileMeans(std::string_view text, const std::string& name, const std::vector<MeanColumn>& columns,
                   char decimalSeparator);

// An instrument log after the import dialog's Ok: a column is named as on the log's
// column-names row or by its number; the means are over the rows the dialog hands back.
Means instrumentMeans(const TFrmParseVerdex& dialog, const std::string& name, const std::vector<MeanColumn>& columns);

// How the command line drives File > Import > "Verdex Output".
struct InstrumentImport {
    // --tab or --semicolon; without either, the file's own delimiter, as the dialog
    // picks it when a file is browsed to.
    std::optional<LogDelimiter> delimiter;
    std::vector<std::string> parts;          // ROW, XCOL, ACOL, as given
    std::optional<std::string> groupColumn;  // --group: one curve per value of this column
};

// Fills the dialog as a user would and presses Ok: the delimiter, the file, the start
// row, the x column (`xColumn`, the window's Ci or Q field) and the A column; with a
// group column, that column and `groupValue`, so only that curve's rows come back.
// The conditions the dialog recognised are set to none: calvane-batch takes a
// condition only when an option asks for it. Raises std::runtime_error, naming the
// file, when the group column is not in the log.
void runInstrumentImport(TFrmParseVerdex& dialog, TextField& xColumn, const std::string& file,
                         const InstrumentImport& import, const std::optional<std::string>& groupValue);

// The values of the group column in the log, from the start row on, in order of first
// appearance: one curve each.
struct InstrumentSplit {
    std::vector<std::string> values;
    std::optional<std::string> error;  // naming the file
};
InstrumentSplit splitInstrumentLog(const std::string& file, const InstrumentImport& import, char decimalSeparator);

}  // namespace calvane::batch
