// calvane-batch: runs analysis windows headless and writes their exports.

#include "batch/BatchPlatform.h"
#include "batch/BatchRun.h"

#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    calvane::batch::RunSettings settings;
    settings.progress = isatty(STDERR_FILENO) == 1;
    return calvane::batch::runBatch(args, std::cout, std::cerr, calvane::batch::localeDecimalSeparator(), settings);
}
