#pragma once
// calvane-batch's command line: its arguments read into a BatchJob, with the usage text
// and the usage errors the command has always given.

#include "batch/BatchJob.h"
#include "batch/BatchRun.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace calvane::batch {

using CommandLine = ParsedCommandLine<BatchJob>;

CommandLine parseCommandLine(const std::vector<std::string>& args);

// Runs what the command line asks for: prints the usage text, or the usage error and
// the usage text on `err` (exitUsage), or runs the job. Returns the exit status.
int runCommandLine(const CommandLine& commandLine, std::ostream& out, std::ostream& err, char decimalSeparator,
                   const RunSettings& settings = {});

// parseCommandLine, then runCommandLine: calvane-batch without its Qt start-up.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, char decimalSeparator,
             const RunSettings& settings = {});

// The arguments' first check, as the run makes it before it reads or writes anything:
// empty when they are usable, otherwise the usage error. Touches no file.
std::string checkArguments(const std::vector<std::string>& args);

}  // namespace calvane::batch
