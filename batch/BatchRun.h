#pragma once
// calvane-batch: one analysis window's commands run headless, on the same code as
// the desktop program, ending with what File > Export writes.

#include <iosfwd>
#include <string>
#include <vector>

namespace calvane::batch {

// Exit statuses.
constexpr int exitClean = 0;      // no message was shown
constexpr int exitMessages = 1;   // at least one message was shown
constexpr int exitUsage = 2;      // a usage error, or a FILE that cannot be opened

// Runs calvane-batch with `args` (without the program name). The export goes to `out`
// (or to the -o file), messages to `err`.
int runBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, char decimalSeparator);

}  // namespace calvane::batch
