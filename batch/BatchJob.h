#pragma once
// One calvane-batch run as a value: the kind of window, the curves, how each is loaded,
// the fields and commands every curve gets, and where the results go. The command line
// (batch/BatchOptions.h) and the desktop's Batch Fit dialog both build one, and
// runBatch (batch/BatchRun.h) runs it.

#include "batch/Conditions.h"
#include "chart/drawing/Figure.h"
#include "import/LogColumns.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace calvane::batch {

enum class WindowKind { Aci, Aq };

// How each curve's file comes into its window.
enum class Loading {
    CsvText,     // File > Import > "CSV Text"
    Drop,        // a file dropped onto the window
    Instrument,  // File > Import > "Verdex Output"
};

// The windows' menu commands; each window has some of them.
enum class Command { Compute, Fit, Refine, Plot, Clear };

// The option that names a command on the command line: "--compute", "--fit", ...
std::string commandOption(Command command);

// A field option, applied after loading in the order given.
struct FieldAction {
    enum class What { Identifier, Set, Fix, Free };
    What what = What::Set;
    std::string name;                 // the field's batch name (none for the identifier)
    std::optional<std::string> text;  // typed as it stands; none to change the flag only
};

// The standard fit's own settings, typed into its group before it runs.
struct StandardFitOptions {
    bool fitTpu = false;  // --fit-tpu (A/Ci)
    // --standard-hold NAME=VALUE: an estimate held at a value, in the order given.
    std::vector<std::pair<std::string, std::string>> holds;

    std::optional<std::string> gm;  // --gm VALUE (A/Ci), typed as it stands

    // --exclude N[,N...]: data rows (from 1, as loaded, a header line not counted) the
    // standard fits leave out.
    std::vector<int> excluded;

    bool any() const { return fitTpu || !holds.empty() || gm || !excluded.empty(); }
};

struct BatchJob {
    WindowKind kind = WindowKind::Aci;
    std::vector<std::string> inputs;  // files, and folders standing for their .csv files

    Loading loading = Loading::CsvText;
    std::vector<std::string> instrumentParts;  // ROW, XCOL, ACOL as typed into the import dialog
    std::optional<LogDelimiter> delimiter;     // a log's delimiter; none for the log's own

    // Tables of many curves, and instrument logs, cut into one curve per group value.
    std::optional<std::string> group;
    std::optional<std::string> xColumn;  // tables only: logs name theirs in instrumentParts
    std::optional<std::string> aColumn;
    std::vector<MeanColumn> means;  // each curve's mean of a column into a field, in order

    std::vector<FieldAction> fields;
    std::vector<Command> commands;       // none: the window's default command
    bool none = false;                   // run no command at all
    bool standardFit = false;            // after the commands, with its export section and columns
    StandardFitOptions standardOptions;  // the standard fit's settings (with --standard-fit only)
    // Respiration in the light (Kok), after the standard fit, with its export section and
    // columns; the light window's two limits as typed, none for the window's own.
    bool kok = false;
    std::vector<std::string> kokLight;

    std::optional<std::string> output;   // one curve's export file; else standard output
    std::optional<std::string> outDir;   // one export per curve, DIR/NAME.txt
    std::optional<std::string> summary;  // the run summary's CSV file

    std::optional<std::string> chart;                // one curve's figure file
    std::optional<chart::FigureFormat> chartFormat;  // the figures' format (--chart's, or one per curve)
    std::optional<chart::FigureOptions> figure;      // size and resolution; none for the defaults

    bool wantsCharts() const { return chart || chartFormat; }
};

// A job that cannot run as it stands, said as the command line's usage error.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a command line's arguments (without the program name) ask for: the usage text
// (--help or -h alone), a job, or neither, with the usage error that says why.
template <typename Job>
struct ParsedCommandLine {
    bool help = false;
    std::optional<Job> job;
    std::optional<std::string> usageError;
};

// Reads the arguments with `parse`, which returns the job or raises UsageError, unless
// they ask for help.
template <typename Job, typename Parse>
ParsedCommandLine<Job> parseArguments(const std::vector<std::string>& args, Parse parse)
{
    ParsedCommandLine<Job> commandLine;
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        commandLine.help = true;
        return commandLine;
    }
    try {
        commandLine.job = parse(args);
    } catch (const UsageError& error) {
        commandLine.usageError = error.what();
    }
    return commandLine;
}

// Raises UsageError when the job's parts do not go together (no input, --x without
// --group, -o with --out-dir, a command with --none, figure settings without a figure,
// ...), in the order the command line has always checked them. Touches no file.
void checkJob(const BatchJob& job);

}  // namespace calvane::batch
