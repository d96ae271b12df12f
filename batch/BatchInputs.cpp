#include "batch/BatchInputs.h"

#include "batch/CurveTable.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "import/GridText.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace calvane::batch {

namespace fs = std::filesystem;

namespace {

bool endsWithCsv(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string extension = name.substr(name.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".csv";
}

// The .csv files of a folder (not of its subfolders), sorted by name.
std::vector<std::string> csvFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        const std::string name = it->path().filename().string();
        if (endsWithCsv(name) && !it->is_directory(ignored))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> files;
    files.reserve(names.size());
    for (const auto& name : names)
        files.push_back((fs::path(folder) / name).string());
    return files;
}

// Whether a file found in a folder is no curve for the grid's CSV load (a folder's
// index, say): no line holds a number in both the x and the A column. A file that
// cannot be read is left to the run, which says so.
bool isNoCurve(const BatchJob& job, const std::string& file)
{
    if (job.loading == Loading::Instrument)
        return false;  // an instrument log's columns are chosen, not the first two
    const auto bytes = readFileBytes(file);
    return bytes && !holdsAPoint(gridTextRows(decodeText(*bytes)));
}

// The curves of an instrument log cut by --group, one per value of the group column.
void appendLogCurves(std::vector<Curve>& curves, const BatchJob& job, const std::string& file, char decimalSeparator)
{
    const InstrumentSplit split = splitInstrumentLog(file, instrumentImport(job), decimalSeparator);
    if (split.error)
        curves.push_back({file, {}, {}, {}, split.error, {}});
    for (const auto& value : split.values)
        curves.push_back({file, value, {}, {}, {}, {}});
}

}  // namespace

InstrumentImport instrumentImport(const BatchJob& job) { return {job.delimiter, job.instrumentParts, job.group}; }

std::string Curve::label() const { return group ? source + " [" + *group + "]" : source; }

std::vector<Curve> collectCurves(const BatchJob& job, std::vector<std::string>& skipped)
{
    std::vector<Curve> curves;
    for (const auto& input : job.inputs) {
        std::error_code error;
        std::vector<std::string> files{input};
        const bool folder = fs::is_directory(input, error);
        if (folder) {
            files = csvFilesIn(input);
            if (files.empty()) {
                curves.push_back({input, {}, {}, {}, FileError::cannotOpen(input).what(), {}});
                continue;
            }
        }
        for (const auto& file : files) {
            if (!job.group && folder && isNoCurve(job, file)) {
                skipped.push_back(file);
                continue;
            }
            if (!job.group) {
                curves.push_back({file, {}, {}, {}, {}, {}});
                continue;
            }
            if (job.loading == Loading::Instrument) {
                appendLogCurves(curves, job, file, '.');
                continue;
            }
            const auto bytes = readFileBytes(file);
            if (!bytes) {
                curves.push_back({file, {}, {}, {}, FileError::cannotOpen(file).what(), {}});
                continue;
            }
            TableColumns columns{*job.group, *job.xColumn, *job.aColumn, std::nullopt};
            for (const auto& mean : job.means)
                columns.means.push_back(mean.column);
            const TableSplit split = splitTable(decodeText(*bytes), file, columns);
            if (split.error)
                curves.push_back({file, {}, {}, {}, split.error, {}});
            for (const auto& tableCurve : split.curves) {
                curves.push_back(
                    {file, tableCurve.group, curveAsCsv(tableCurve), tableCurve.means, tableCurve.error, {}});
            }
        }
    }
    return curves;
}

std::string safeFileName(const std::string& name)
{
    std::string safe = name;
    for (char& c : safe) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
            c = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        safe = "_";
    return safe;
}

std::filesystem::path canonicalOf(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? fs::absolute(path, error) : canonical;
}

void nameExports(std::vector<Curve>& curves, const std::string& folder, const std::set<fs::path>& keep,
                 std::optional<chart::FigureFormat> charts)
{
    std::set<std::string> taken;
    for (auto& curve : curves) {
        const std::string base = safeFileName(curve.group ? *curve.group : fs::path(curve.source).stem().string());
        for (int n = 1;; ++n) {
            const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
            std::string key = name;
            for (char& c : key)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            const std::string path = (fs::path(folder) / (name + ".txt")).string();
            const std::string chartPath =
                charts ? (fs::path(folder) / (name + "." + chart::figureExtension(*charts))).string() : "";
            if (taken.count(key) || keep.count(canonicalOf(path)) || (charts && keep.count(canonicalOf(chartPath))))
                continue;
            taken.insert(key);
            curve.exportPath = path;
            break;
        }
    }
}

}  // namespace calvane::batch
