#include "ui/Printing.h"

#include "core/Errors.h"
#include "core/PrintLayout.h"

#include <QtGui/QAbstractTextDocumentLayout>
#include <QtGui/QFont>
#include <QtGui/QPainter>
#include <QtGui/QTextDocument>
#include <QtGui/QTextOption>
#include <QtPrintSupport/QPrintDialog>
#include <QtPrintSupport/QPrinter>
#include <QtWidgets/QGraphicsView>
#include <QtWidgets/QWidget>

#include <cmath>

// The resolution that QTextDocument's layout scales its distances from when it lays
// out for another device; Qt exports it, without a public header.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT extern int qt_defaultDpi();
QT_END_NAMESPACE

namespace calvane::ui {
namespace {

// Opens a job on the printer, or says why it cannot be done in the words the general
// error display shows.
void beginJob(QPainter& painter, QPrinter& printer)
{
    if (painter.begin(&printer))
        return;
    if (!printer.outputFileName().isEmpty())
        throw FileError::cannotCreate(printer.outputFileName().toStdString());
    throw CalvaneError("Cannot print on printer " + printer.printerName().toStdString());
}

QSize onScreenSize(const QWidget& widget)
{
    QSize size = widget.size();
    if (size.isEmpty())
        size = widget.sizeHint();
    if (size.isEmpty())
        size = QSize(4, 3);  // nothing to go by: an ordinary landscape chart
    return size;
}

}  // namespace

bool askForPrinter(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// The chart widget drawn into a rectangle centred on the printable page, sized from
// the widget's on-screen proportions.
void drawChartPage(QPainter& painter, QPrinter& printer, QWidget* chartView)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // The painter's origin is the printable area's top left corner.
    const int pageWidth = printer.width(), pageHeight = printer.height();
    const QSize chartSize = onScreenSize(*chartView);
    const ChartMargins margins = chartPrintMargins(pageWidth, pageHeight, chartSize.width(), chartSize.height(),
                                                   printer.logicalDpiX(), printer.logicalDpiY());
    const QRectF target(pageWidth * margins.left / 100.0, pageHeight * margins.top / 100.0,
                        pageWidth * (100 - margins.left - margins.right) / 100.0,
                        pageHeight * (100 - margins.top - margins.bottom) / 100.0);

    // The rectangle already keeps the chart's proportions on paper (printer pixels need
    // not be square), so the chart fills it exactly.
    if (auto* view = qobject_cast<QGraphicsView*>(chartView)) {
        view->render(&painter, target, view->viewport()->rect(), Qt::IgnoreAspectRatio);
    } else {
        painter.translate(target.topLeft());
        painter.scale(target.width() / chartSize.width(), target.height() / chartSize.height());
        chartView->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    painter.restore();
}

// The report laid out in printer pixels, so that the font, the half-inch tab stops and
// the page breaks are those of the paper.
void setUpReport(QTextDocument& document, QPrinter& printer, const std::vector<std::string>& lines, double pointSize)
{
    QStringList text;
    for (const auto& line : lines)
        text << QString::fromStdString(line);

    document.documentLayout()->setPaintDevice(&printer);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    // Tab stops are given at the layout's own resolution and scaled by the printer's
    // vertical one; the second factor keeps them half an inch apart across the page.
    option.setTabStopDistance(qt_defaultDpi() / 2.0 * printer.logicalDpiX() / printer.logicalDpiY());
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setDocumentMargin(0);
    document.setPlainText(text.join(QLatin1Char('\n')));
    document.setPageSize(QSizeF(printer.width(), printer.height()));
}

// The report's pages, the first on the printer's current page.
void drawReportPages(QPainter& painter, QPrinter& printer, QTextDocument& document)
{
    const QSizeF page = document.pageSize();
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);  // paper is white, whatever the screen theme
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer.newPage();
        const QRectF area(0, i * page.height(), page.width(), page.height());
        painter.save();
        painter.translate(0, -area.top());
        painter.setClipRect(area);
        context.clip = area;
        document.documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

}  // namespace

void printChartPage(QPrinter& printer, QWidget* chartView, const QString& jobName)
{
    if (!chartView)
        return;  // no chart on screen, nothing to print
    printer.setDocName(jobName);
    QPainter painter;
    beginJob(painter, printer);
    drawChartPage(painter, printer, chartView);
    painter.end();
}

void printReportLines(QPrinter& printer, const QString& title, const std::vector<std::string>& lines, double pointSize)
{
    printer.setDocName(title);
    QTextDocument document;
    setUpReport(document, printer, lines, pointSize);
    QPainter painter;
    beginJob(painter, printer);
    drawReportPages(painter, printer, document);
    painter.end();
}

void printChartAndReport(QPrinter& printer, QWidget* chartView, const QString& title,
                         const std::vector<std::string>& lines, double pointSize)
{
    printer.setDocName(title);
    QTextDocument document;
    setUpReport(document, printer, lines, pointSize);
    QPainter painter;
    beginJob(painter, printer);
    if (chartView) {
        drawChartPage(painter, printer, chartView);
        printer.newPage();
    }
    drawReportPages(painter, printer, document);
    painter.end();
}

}  // namespace calvane::ui
