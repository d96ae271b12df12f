// calvane-batch: runs an analysis window headless and writes its export.

#include "batch/BatchPlatform.h"
#include "batch/BatchRun.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return calvane::batch::runBatch(args, std::cout, std::cerr, calvane::batch::localeDecimalSeparator());
}
