#pragma once
// Printing for both analysis windows: the print dialog, the chart on a page of its
// own, and the text report as a titled job that flows over as many pages as it needs.

#include <QtCore/QString>

#include <string>
#include <vector>

class QPrinter;
class QWidget;

namespace calvane::ui {

// The print dialog; true for OK, which leaves the chosen printer in `printer`.
bool askForPrinter(QPrinter& printer, QWidget* parent);

// One page, one job named `jobName`: the chart widget drawn into a rectangle centred on
// the printable page, sized from the widget's on-screen proportions. Raises
// CalvaneError when the printer cannot be opened.
void printChartPage(QPrinter& printer, QWidget* chartView, const QString& jobName);

// A job titled `title`: the lines (UTF-8) from the top left of the printable area, no
// margins, header or footer of its own, long lines wrapped, tab stops every half inch,
// continuing on new pages. Both windows print in "MS Sans Serif" (the nearest
// sans-serif where it is missing); the light-response report asks for its smaller size.
// Raises CalvaneError when the printer cannot be opened.
void printReportLines(QPrinter& printer, const QString& title, const std::vector<std::string>& lines,
                      double pointSize = 13.5);

// The chart page, then the report's pages, as one job titled `title`: what printing
// to a file writes, so that one file holds the whole print. Without a chart widget
// the report alone. Raises CalvaneError when the printer cannot be opened.
void printChartAndReport(QPrinter& printer, QWidget* chartView, const QString& title,
                         const std::vector<std::string>& lines, double pointSize = 13.5);

}  // namespace calvane::ui
