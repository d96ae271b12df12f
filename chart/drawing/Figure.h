#pragma once
// Figure files of a chart, as settings: the format, the printed size and the PNG's
// resolution. No Qt here, so that calvane-batch can check its options without drawing;
// chart/qt/FigureFile.h draws and writes.

#include <optional>
#include <string>
#include <utility>

namespace calvane::chart {

enum class FigureFormat { Png, Svg, Pdf };

struct FigureOptions {
    // The figure's size on paper. 16 cm is a full text width in most journals.
    double widthCm = 16.0;
    double heightCm = 10.0;
    // Pixels per inch of a PNG; SVG and PDF are vector graphics and take no resolution.
    int dpi = 300;
};

// "png", "svg" or "pdf" (any case); nothing for anything else.
std::optional<FigureFormat> figureFormatNamed(const std::string& name);
// The format a path's extension names (".png", ".svg", ".pdf", any case).
std::optional<FigureFormat> figureFormatOfPath(const std::string& path);
// "png", "svg" or "pdf".
std::string figureExtension(FigureFormat format);

// A PNG's width and height in pixels: the size in inches times the resolution, rounded.
std::pair<long long, long long> figurePixels(const FigureOptions& options);

// Why the options cannot make a figure in this format, or nothing when they can: a size
// or resolution out of range, or a PNG too large to hold in memory.
std::optional<std::string> figureOptionsProblem(const FigureOptions& options, FigureFormat format);

}  // namespace calvane::chart
