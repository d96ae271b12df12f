#pragma once
// What calvane-batch needs of one kind of analysis window: its fields by their batch
// names, its commands, its loading, its export and chart, its checks and its columns
// of the run summary. One session owns one fresh window.

#include "batch/BatchJob.h"
#include "chart/drawing/ChartDrawing.h"
#include "core/Controls.h"
#include "core/Errors.h"
#include "core/FieldTable.h"
#include "core/Platform.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace calvane {
class TFrmParseVerdex;
struct ImportSettings;
}  // namespace calvane

namespace calvane::batch {

class BatchPlatform;

// A field of a window by its batch name, and its fixed flag where it has one.
struct FieldRef {
    TextField* field;
    CheckBox* flag;
};

// Units of the summary's columns, in its plain ASCII spelling.
inline constexpr const char* rateUnit = "umol m-2 s-1";
inline constexpr const char* squaredRateUnit = "(umol m-2 s-1)2";
inline constexpr const char* ciUnit = "umol mol-1";
inline constexpr const char* dimensionless = "dimensionless";

// "NAME (UNIT)", or NAME alone without a unit.
std::string withUnit(const std::string& name, const std::string& unit);

// A window's parameters by their batch names, their order in the summary and their
// units, all read from its parameter table.
template <typename Window>
std::map<std::string, FieldRef> tableFields(Window& window)
{
    std::map<std::string, FieldRef> fields;
    for (const auto& row : Window::parameterTable())
        fields.emplace(row.name, FieldRef{&(window.*row.field), row.flag ? &(window.*row.flag) : nullptr});
    return fields;
}

template <typename Window>
std::vector<std::string> tableSummaryOrder()
{
    using Row = ParameterRow<Window>;
    std::vector<std::string> names;
    for (const Row* row : inOrder(Window::parameterTable(), &Row::summaryOrder))
        names.emplace_back(row->name);
    return names;
}

template <typename Window>
std::string tableUnit(const std::string& name)
{
    const auto* row = findByName(Window::parameterTable(), name);
    return row ? std::string(row->unit) : std::string();
}

class WindowSession {
public:
    virtual ~WindowSession() = default;
    virtual std::map<std::string, FieldRef> fields() = 0;
    virtual TextField& identifier() = 0;
    virtual std::map<Command, std::function<void()>> commands() = 0;
    virtual Command defaultCommand() const = 0;
    virtual void importCsvText() = 0;
    virtual void drop(const std::vector<DroppedItem>& items) = 0;
    virtual void importInstrument() = 0;
    virtual TextField& instrumentXColumn() = 0;
    virtual TFrmParseVerdex& importDialog() = 0;
    virtual std::vector<std::string> exportLines() const = 0;
    // The window's chart as it stands, as a figure; `fileName` names the curve when its
    // identifier is empty.
    virtual chart::ChartCopy figure(const std::string& fileName) const = 0;
    // The window's plausibility checks as it stands: one sentence each that fails.
    virtual std::vector<std::string> runChecks() = 0;

    // Many curves: the search threads a window may use, the means of --tleaf, --light,
    // --patm or --parabs into their fields, the measured points the window holds, and its
    // columns of the run summary: every parameter (and its state word), then what the
    // window adds.
    virtual void setSearchThreads(unsigned threads) = 0;
    virtual void applyMeans(const std::vector<MeanColumn>& columns, const std::vector<double>& means,
                            char decimalSeparator) = 0;
    virtual int pointCount() const = 0;
    virtual std::vector<std::string> summaryOrder() const = 0;
    // The unit of a parameter's summary column; empty for none.
    virtual std::string unit(const std::string& name) const = 0;
    virtual std::vector<std::string> extraHeader() const = 0;
    virtual std::vector<std::string> extraFields() const = 0;
    // The standard fit: asked for once before anything runs, so that the summary's
    // columns and the export's section follow; run after the other commands.
    virtual bool hasStandardFit() const { return false; }
    virtual void useStandardFit() {}
    // Types the standard fit's settings into its group; an error the window would show.
    virtual void applyStandardFitOptions(const StandardFitOptions&) {}
    // Whether --standard-hold NAME is an estimate the standard fit can hold.
    virtual bool canHold(const std::string&) const { return false; }
    virtual void runStandardFit() {}
    // Respiration in the light (Kok) likewise, with the light window's limits as typed
    // (none: the window's own); its columns follow the standard fit's.
    virtual bool hasKok() const { return false; }
    virtual void useKok(const std::vector<std::string>& light) { (void)light; }
    virtual void runKok() {}
    // Its columns stand between the window's own and the status.
    virtual std::vector<std::string> standardFitHeader() const { return {}; }
    virtual std::vector<std::string> standardFitFields() const { return {}; }

    std::vector<std::string> summaryHeader();
    std::vector<std::string> summaryFields(char separator);
};

// The command line's excluded data rows (counted from 1 in the curve's order) and held
// values, set on a window's standard fit as its controls would set them. A row past
// the curve's end is an error of that curve.
template <typename Window>
void applyExclusionsAndHolds(Window& window, const StandardFitOptions& options)
{
    const std::vector<int> rows = window.pointRows();
    for (const int n : options.excluded) {
        if (n > static_cast<int>(rows.size()))
            throw DataError("--exclude " + std::to_string(n) + ": the curve has " + std::to_string(rows.size()) +
                            " data rows");
        const int row = rows[static_cast<std::size_t>(n - 1)];
        if (!window.standardFitExcludedRows().count(row))
            window.toggleStandardFitExclusion(row);
    }
    for (const auto& [name, text] : options.holds) {
        const auto* row = findHoldRow(Window::standardFitTable(), name);
        (window.*row->value).setText(text);
        (window.*row->flag).setChecked(true);
    }
}

// A fresh window of that kind, at program start.
std::unique_ptr<WindowSession> makeSession(WindowKind kind, BatchPlatform& platform, ImportSettings& settings);
// The A/Ci window (batch/AciSession.cpp) and the light-response window
// (batch/AqSession.cpp), with their standard fits.
std::unique_ptr<WindowSession> makeAciSession(Platform& platform, ImportSettings& settings);
std::unique_ptr<WindowSession> makeAqSession(Platform& platform, ImportSettings& settings);

// Checks the job's field names, flags and commands against the window: a UsageError
// before anything runs.
void checkAgainstWindow(const BatchJob& job, WindowSession& session);

// Types a field option into the window.
void applyField(const FieldAction& action, WindowSession& session);

}  // namespace calvane::batch
