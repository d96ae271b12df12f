#pragma once
// The one self-updating line on a terminal that shows how far a many-curve run is.

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace calvane::batch {

class ProgressLine {
public:
    // Shows nothing unless `enabled` (standard error is a terminal and the run has
    // more than one curve).
    ProgressLine(std::ostream& terminal, bool enabled, std::size_t total);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Redraws the line: curves done out of total, the current curve, the time left.
    void show(std::size_t done, const std::string& current);
    // Removes the line, so that other output starts at the left margin.
    void clear();

    // "m:ss" (or "h:mm:ss") for a number of seconds.
    static std::string clock(double seconds);

private:
    std::ostream& terminal_;
    bool enabled_;
    bool shown_ = false;
    std::size_t total_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace calvane::batch
