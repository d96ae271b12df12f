#pragma once
// A chart as a figure file for a paper, a slide or a lab notebook: PNG at a given
// resolution, SVG and PDF as vector graphics with real text (fonts embedded in the PDF).
// The chart is built by buildChart from the same drawing the window draws on screen. Needs
// a QApplication (Qt Charts draws with widgets' styles) and runs on its thread.

#include "chart/drawing/ChartDrawing.h"
#include "chart/drawing/Figure.h"

#include <optional>
#include <string>

namespace calvane::chart {

// The file's bytes, laid out at `options`' size on paper; nothing when the chart cannot
// be drawn (no memory for the picture, say).
std::optional<std::string> figureBytes(const ChartDrawing& drawing, FigureFormat format,
                                       const FigureOptions& options = {});

// Writes the figure to `path` through a temporary file in its folder renamed over it, so
// that a failure leaves any earlier file as it was. Raises FileError "Cannot create file
// PATH" when the chart cannot be drawn or written.
void writeFigure(const std::string& path, const ChartDrawing& drawing, FigureFormat format,
                 const FigureOptions& options = {});

}  // namespace calvane::chart
