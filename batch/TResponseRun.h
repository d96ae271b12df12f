#pragma once
// calvane-batch tresponse: temperature responses fitted to the columns of one table,
// one fit per group, each through a temperature-response window of its own
// (tresponse/TempResponse.h), so that its export section is what the window's Export
// writes for the same values.
//
//     calvane-batch tresponse --x COLUMN --y COLUMN [--group COLUMN]
//         [--model arrhenius|peaked] [--hd VALUE] [--summary PATH] [--chart PATH] TABLE

#include "batch/BatchJob.h"
#include "batch/BatchRun.h"
#include "fit/TemperatureResponse.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace calvane::batch {

struct TResponseJob {
    std::string table;
    std::string xColumn, yColumn;  // a header text, matched exactly, or a 1-based number
    std::optional<std::string> group;
    TemperatureResponseSettings settings;
    std::optional<std::string> summary;
    std::optional<std::string> chart;
};

using TResponseCommandLine = ParsedCommandLine<TResponseJob>;

// The arguments after "tresponse".
TResponseCommandLine parseTResponseCommandLine(const std::vector<std::string>& args);

// Runs it: the export sections on `out`, messages and warnings on `err`, the summary
// and the chart to their files (the chart through settings.writeChart). Returns the
// exit status: 2 for a usage error or a table that cannot be opened, 1 when a group
// could not be fitted or a row could not be read, else 0.
int runTResponse(const TResponseCommandLine& commandLine, std::ostream& out, std::ostream& err,
                 const RunSettings& settings = {});

}  // namespace calvane::batch
