#include "chart/qt/FigureFile.h"

#include "chart/qt/ChartBuilder.h"
#include "core/Errors.h"
#include "core/TextFile.h"

#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCore/QBuffer>
#include <QtCore/QByteArray>
#include <QtGui/QFontMetricsF>
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QImageWriter>
#include <QtGui/QPageSize>
#include <QtGui/QPainter>
#include <QtGui/QPdfWriter>
#include <QtGui/QScreen>
#include <QtSvg/QSvgGenerator>
#include <QtWidgets/QGraphicsLayout>
#include <QtWidgets/QGraphicsScene>

#include <algorithm>
#include <cmath>
#include <memory>

namespace calvane::chart {

namespace {

constexpr double cmPerInch = 2.54;

// Text in the chart is laid out with the screen's font metrics. Drawing at the same
// resolution keeps every label in the box the layout gave it; a larger picture comes
// from scaling the painter, which enlarges text, lines and markers alike.
int layoutDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? qRound(dpi) : 96;
}

// Qt's PNG quality, which it maps to zlib's level as (100 - quality) * 9 / 91: 89 is
// level 1. A chart is mostly flat colour, which the fastest levels already pack well,
// while the default level takes several times as long on a 300 dpi page.
constexpr int pngQuality = 89;

int dotsPerMetre(double dpi) { return int(std::lround(dpi / cmPerInch * 100.0)); }

// The chart in a scene of its own, laid out at `size` (layout pixels).
class LaidOutChart {
public:
    LaidOutChart(const ChartDrawing& drawing, QSizeF size) : size_(size)
    {
        QStringList lines;
        for (const auto& line : drawing.titleLines)
            lines << QString::fromStdString(line);
        title_ = lines.join(QLatin1Char(' '));
        chart_ = buildChart(drawing);
        scene_.addItem(chart_);  // the scene owns it from here
        fitLegend(size.width());
        chart_->setGeometry(QRectF(QPointF(0, 0), size));
        // Qt Charts lays out when asked by a posted request; a file is drawn at once.
        chart_->layout()->activate();
    }

    // The title as one line of plain text, for the file's own title.
    const QString& title() const { return title_; }

    // Draws the whole chart into `target` of the painter's device.
    void render(QPainter& painter, const QRectF& target)
    {
        scene_.render(&painter, target, QRectF(QPointF(0, 0), size_), Qt::IgnoreAspectRatio);
    }

private:
    // A legend row wider than the figure would have its labels cut short ("Non-rectang...");
    // a figure cannot be hovered for the rest, so its legend gets a smaller type instead.
    void fitLegend(qreal width)
    {
        QLegend* legend = chart_->legend();
        QFont font = legend->font();
        if (!legend->isVisible() || font.pointSizeF() <= 0)
            return;
        auto rowWidth = [legend](const QFont& f) {
            const QFontMetricsF metrics(f);
            qreal total = 0;
            for (const QLegendMarker* marker : legend->markers())
                total += metrics.horizontalAdvance(marker->label()) + 4.0 * metrics.height();  // marker and gaps
            return total;
        };
        const qreal minimum = std::min(font.pointSizeF(), 6.5);
        while (rowWidth(font) > width * 0.9 && font.pointSizeF() > minimum)
            font.setPointSizeF(std::max(minimum, font.pointSizeF() - 0.5));
        legend->setFont(font);
    }

    QGraphicsScene scene_;
    QChart* chart_ = nullptr;
    QSizeF size_;
    QString title_;
};

void prepare(QPainter& painter)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
}

std::optional<QByteArray> pngBytes(LaidOutChart& chart, QSizeF layout, const FigureOptions& options, int dpi)
{
    const auto [width, height] = figurePixels(options);
    // Opaque: a figure is drawn on white, and a PNG without an alpha channel is a
    // quarter smaller to compress.
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    image.fill(Qt::white);
    image.setDotsPerMeterX(dotsPerMetre(dpi));
    image.setDotsPerMeterY(dotsPerMetre(dpi));
    {
        QPainter painter(&image);
        prepare(painter);
        painter.scale(double(width) / layout.width(), double(height) / layout.height());
        chart.render(painter, QRectF(QPointF(0, 0), layout));
    }
    // The file says how large to print it.
    image.setDotsPerMeterX(dotsPerMetre(options.dpi));
    image.setDotsPerMeterY(dotsPerMetre(options.dpi));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setQuality(pngQuality);
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> svgBytes(LaidOutChart& chart, QSizeF layout, int dpi)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(dpi);  // width and height come out in millimetres
    svg.setSize(layout.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), layout));
    svg.setTitle(chart.title());
    svg.setDescription(QStringLiteral("Calvane chart"));
    QPainter painter;
    if (!painter.begin(&svg))
        return std::nullopt;
    prepare(painter);
    chart.render(painter, QRectF(QPointF(0, 0), layout));
    if (!painter.end())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> pdfBytes(LaidOutChart& chart, const FigureOptions& options, int dpi)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        // One page the size of the figure, no margins: it goes into a document as it is.
        pdf.setPageSize(QPageSize(QSizeF(options.widthCm * 10.0, options.heightCm * 10.0), QPageSize::Millimeter,
                                  QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(dpi);
        pdf.setTitle(chart.title());
        pdf.setCreator(QStringLiteral("Calvane"));
        QPainter painter;
        if (!painter.begin(&pdf))
            return std::nullopt;
        prepare(painter);
        // The page at this resolution is the layout's size give or take rounding.
        const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
        chart.render(painter, page);
        if (!painter.end())
            return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<std::string> figureBytes(const ChartDrawing& drawing, FigureFormat format, const FigureOptions& options)
{
    if (figureOptionsProblem(options, format))
        return std::nullopt;
    const int dpi = layoutDpi();
    const QSizeF layout(options.widthCm / cmPerInch * dpi, options.heightCm / cmPerInch * dpi);
    LaidOutChart chart(drawing, layout);
    std::optional<QByteArray> bytes;
    switch (format) {
    case FigureFormat::Png:
        bytes = pngBytes(chart, layout, options, dpi);
        break;
    case FigureFormat::Svg:
        bytes = svgBytes(chart, layout, dpi);
        break;
    case FigureFormat::Pdf:
        bytes = pdfBytes(chart, options, dpi);
        break;
    }
    if (!bytes || bytes->isEmpty())
        return std::nullopt;
    return bytes->toStdString();
}

void writeFigure(const std::string& path, const ChartDrawing& drawing, FigureFormat format,
                 const FigureOptions& options)
{
    const std::optional<std::string> bytes = figureBytes(drawing, format, options);
    if (!bytes)
        throw FileError::cannotCreate(path);
    replaceFileContents(path, *bytes);
}

}  // namespace calvane::chart
