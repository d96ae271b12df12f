#pragma once
// What the light-response benchmarks share: a platform that answers nothing and shows
// nothing, and a curve of tests/data/aq as its (Q, A) text pairs.

#include "core/Platform.h"
#include "core/TextFile.h"
#include "qt/QtTestPlatform.h"

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace calvane::bench {

// The tests' platform that answers nothing and shows nothing (toolkit-free).
using test::QuietPlatform;

using Rows = std::vector<std::pair<std::string, std::string>>;

// The data lines of tests/data/aq/`file`, split at the first comma; the header is left out.
inline Rows aqCurveRows(const std::string& file)
{
    std::ifstream in(std::string(CALVANE_DATA_DIR) + "/aq/" + file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    Rows rows;
    for (const auto& line : splitLines(bytes.str())) {
        const auto comma = line.find(',');
        if (comma == std::string::npos || line.rfind("PAR", 0) == 0)
            continue;
        rows.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    }
    return rows;
}

}  // namespace calvane::bench
