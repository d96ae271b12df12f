#include "chart/drawing/Figure.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace calvane::chart {

namespace {

constexpr double cmPerInch = 2.54;
// Sizes and resolutions beyond these are typing mistakes, not figures.
constexpr double maxCm = 200.0;
constexpr int maxDpi = 2400;
// A PNG is drawn whole in memory, four bytes a pixel.
constexpr long long maxPixels = 100'000'000;

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::optional<FigureFormat> figureFormatNamed(const std::string& name)
{
    const std::string lower = lowered(name);
    if (lower == "png")
        return FigureFormat::Png;
    if (lower == "svg")
        return FigureFormat::Svg;
    if (lower == "pdf")
        return FigureFormat::Pdf;
    return std::nullopt;
}

std::optional<FigureFormat> figureFormatOfPath(const std::string& path)
{
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension.size() < 2)
        return std::nullopt;
    return figureFormatNamed(extension.substr(1));
}

std::string figureExtension(FigureFormat format)
{
    switch (format) {
    case FigureFormat::Svg:
        return "svg";
    case FigureFormat::Pdf:
        return "pdf";
    case FigureFormat::Png:
        break;
    }
    return "png";
}

std::pair<long long, long long> figurePixels(const FigureOptions& options)
{
    auto pixels = [&](double cm) { return std::llround(cm / cmPerInch * options.dpi); };
    return {pixels(options.widthCm), pixels(options.heightCm)};
}

std::optional<std::string> figureOptionsProblem(const FigureOptions& options, FigureFormat format)
{
    auto usable = [](double cm) { return std::isfinite(cm) && cm > 0 && cm <= maxCm; };
    if (!usable(options.widthCm) || !usable(options.heightCm))
        return "a chart's width and height are centimetres above 0 and at most " +
               std::to_string(static_cast<int>(maxCm));
    if (options.dpi < 1 || options.dpi > maxDpi)
        return "the chart resolution is a whole number of dots per inch from 1 to " + std::to_string(maxDpi);
    if (format != FigureFormat::Png)
        return std::nullopt;
    const auto [width, height] = figurePixels(options);
    if (width < 1 || height < 1)
        return "the chart would be less than a pixel across at this resolution";
    if (width * height > maxPixels)
        return "the chart would be " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels; give a smaller size or resolution";
    return std::nullopt;
}

}  // namespace calvane::chart
