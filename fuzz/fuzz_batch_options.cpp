// calvane-batch's options, one argument per line: parsing and the check against the
// window never fail other than with a usage message, and the usage of the documented
// forms stays accepted.

#include "FuzzSupport.h"
#include "batch/BatchOptions.h"

using namespace calvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    if (size > 0)
        for (const auto line : fuzz::lines(fuzz::asText(data, size)))
            args.emplace_back(line);
    const std::string problem = batch::checkArguments(args);
    // Anything accepted names a window kind and at least one input.
    if (problem.empty())
        FUZZ_CHECK(args.size() >= 2 && (args[0] == "aci" || args[0] == "aq"));
    return 0;
}
