#include "batch/Progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace calvane::batch {

namespace {
// Longer curve names are cut from the left, so the line stays on one terminal row.
constexpr std::size_t nameWidth = 40;
}  // namespace

ProgressLine::ProgressLine(std::ostream& terminal, bool enabled, std::size_t total)
    : terminal_(terminal), enabled_(enabled && total > 1), total_(total)
{
}

std::string ProgressLine::clock(double seconds)
{
    const long whole = std::lround(std::max(0.0, seconds));
    char text[32];
    if (whole >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

void ProgressLine::show(std::size_t done, const std::string& current)
{
    if (!enabled_)
        return;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::string left = "--:--";
    if (done > 0)
        left = clock(elapsed / static_cast<double>(done) * static_cast<double>(total_ - done));
    std::string name = current;
    if (name.size() > nameWidth)
        name = "..." + name.substr(name.size() - (nameWidth - 3));
    // Carriage return and erase-line keep it one line that rewrites itself.
    terminal_ << "\r\x1b[K" << done << "/" << total_ << " curves done, now " << name << ", " << left << " left"
              << std::flush;
    shown_ = true;
}

void ProgressLine::clear()
{
    if (!shown_)
        return;
    terminal_ << "\r\x1b[K" << std::flush;
    shown_ = false;
}

}  // namespace calvane::batch
