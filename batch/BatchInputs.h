#pragma once
// The curves of a run, from its inputs: files, folders standing for their .csv files,
// tables and instrument logs cut into one curve per group value; and the names of
// their export and figure files under --out-dir.

#include "batch/BatchJob.h"
#include "batch/Conditions.h"
#include "chart/drawing/Figure.h"

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace calvane::batch {

// One curve of a run, in input order.
struct Curve {
    std::string source;                  // the file as named, or as found in a folder
    std::optional<std::string> group;    // the group value of a table's curve
    std::optional<std::string> csv;      // a table's curve, handed to the window from memory
    std::vector<double> means;           // a table's curve: one per mean column (others take theirs as they run)
    std::optional<std::string> failure;  // why the curve cannot be read
    std::string exportPath;              // under --out-dir

    std::string label() const;  // "SOURCE", or "SOURCE [GROUP]"
};

// How the job drives File > Import > "Verdex Output".
InstrumentImport instrumentImport(const BatchJob& job);

// Every curve of the inputs, in order. A folder without .csv files is a curve that
// cannot be opened, as a folder named as a file always was; a folder's file that is
// no curve goes to `skipped` instead.
std::vector<Curve> collectCurves(const BatchJob& job, std::vector<std::string>& skipped);

// A name that any file system can hold: no path separators, no characters that some
// systems refuse, never empty, "." or "..".
std::string safeFileName(const std::string& name);

// The path as the file system knows it, so that two spellings of one file compare equal.
std::filesystem::path canonicalOf(const std::string& path);

// DIR/NAME.txt for every curve, and DIR/NAME.png (.svg, .pdf) beside it when charts
// are asked for: unique within the run (letter case ignored, as some file systems do),
// and never one of the files in `keep`.
void nameExports(std::vector<Curve>& curves, const std::string& folder, const std::set<std::filesystem::path>& keep,
                 std::optional<chart::FigureFormat> charts);

}  // namespace calvane::batch
