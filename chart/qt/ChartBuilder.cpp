#include "chart/qt/ChartBuilder.h"

#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtGui/QImage>
#include <QtGui/QLinearGradient>
#include <QtGui/QPainter>
#include <QtWidgets/QGraphicsLayout>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace calvane::chart {
namespace {

// Axes are told apart by name, so an update finds the ones buildChart made.
const char* const bottomAxisName = "calvaneBottomAxis";
const char* const leftAxisName = "calvaneLeftAxis";
const char* const rightAxisName = "calvaneRightAxis";

QColor toQColor(Colour c, QColor systemFallback)
{
    if (isSystemColour(c))
        return systemFallback;
    return QColor(int(redOf(c)), int(greenOf(c)), int(blueOf(c)));
}

QString titleHtml(const std::vector<std::string>& lines)
{
    // Qt Charts lays titles out as rich text: escape what the user typed (an
    // identifier may hold '<' or '&') and break lines explicitly.
    QStringList escaped;
    for (const auto& line : lines)
        escaped << QString::fromStdString(line).toHtmlEscaped();
    return escaped.join(QStringLiteral("<br>"));
}

// Measured points are drawn as small crosses in the series colour; Qt Charts has no
// cross shape, so the marker is an image.
QImage crossMarker(const QColor& colour)
{
    const int size = 28;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 6, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(size / 2.0, 0), QPointF(size / 2.0, size));
    painter.drawLine(QPointF(0, size / 2.0), QPointF(size, size / 2.0));
    return image;
}

constexpr qreal crossMarkerSize = 8.0;  // pixels on screen

// A point a fit leaves out: the cross as an outline filled white, a little larger, so
// that drawn over the measured cross it hides it.
QImage hollowCrossMarker(const QColor& colour)
{
    const int size = 28;
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    const qreal low = 2, high = size - 2, inner = size / 2.0 - 5, outer = size / 2.0 + 5;
    const QPointF outline[] = {{inner, low},   {outer, low},   {outer, inner}, {high, inner},
                               {high, outer},  {outer, outer}, {outer, high},  {inner, high},
                               {inner, outer}, {low, outer},   {low, inner},   {inner, inner}};
    painter.drawPolygon(outline, int(std::size(outline)));
    return image;
}

constexpr qreal hollowMarkerSize = 12.0;

QXYSeries* makeSeries(PointSeries::Kind kind)
{
    if (kind == PointSeries::Kind::Points)
        return new QScatterSeries;
    return new QLineSeries;
}

bool isKind(const QAbstractSeries* series, PointSeries::Kind kind)
{
    const auto wanted = kind == PointSeries::Kind::Points ? QAbstractSeries::SeriesTypeScatter
                                                          : QAbstractSeries::SeriesTypeLine;
    return series->type() == wanted;
}

void styleSeries(QXYSeries* series, const PointSeries& source)
{
    const QColor colour = toQColor(source.colour, Qt::black);
    series->setName(QString::fromStdString(source.title));
    series->setPointLabelsVisible(false);
    if (auto* scatter = qobject_cast<QScatterSeries*>(series)) {
        scatter->setColor(colour);
        scatter->setBorderColor(colour);
        scatter->setMarkerSize(source.hollow ? hollowMarkerSize : crossMarkerSize);
        if (scatter->lightMarker().isNull() || scatter->property("calvaneMarkerColour").value<QColor>() != colour ||
            scatter->property("calvaneMarkerHollow").toBool() != source.hollow) {
            scatter->setLightMarker(source.hollow ? hollowCrossMarker(colour) : crossMarker(colour));
            scatter->setProperty("calvaneMarkerColour", colour);
            scatter->setProperty("calvaneMarkerHollow", source.hollow);
        }
    } else {
        QPen pen = series->pen();
        pen.setColor(colour);
        pen.setWidthF(2.0);
        series->setPen(pen);
        series->setPointsVisible(false);
    }
}

void fillSeries(QXYSeries* series, const PointSeries& source)
{
    QList<QPointF> points;
    points.reserve(source.count());
    // A point off the number line, or so far out that an axis spanning it would
    // overflow (and Qt's drawing with it), cannot be placed; it is left out rather than
    // let it spoil the axes. Such data are refused or flagged by the window's checks.
    constexpr double placeable = 1e100;
    for (const auto& [x, y] : source.points()) {
        if (std::isfinite(x) && std::isfinite(y) && std::abs(x) <= placeable && std::abs(y) <= placeable)
            points.append(QPointF(x, y));
    }
    series->replace(points);
}

QValueAxis* findAxis(QChart* chart, const char* name)
{
    for (QAbstractAxis* axis : chart->axes()) {
        if (axis->objectName() == QLatin1String(name))
            return qobject_cast<QValueAxis*>(axis);
    }
    return nullptr;
}

QValueAxis* ensureAxis(QChart* chart, const char* name, Qt::Alignment alignment)
{
    if (QValueAxis* axis = findAxis(chart, name))
        return axis;
    auto* axis = new QValueAxis;
    axis->setObjectName(QLatin1String(name));
    axis->setLabelFormat(QStringLiteral("%g"));  // 250, not 250.0
    chart->addAxis(axis, alignment);
    return axis;
}

struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void take(double v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool empty() const { return low > high; }
};

// Round tick steps: 1, 2, 2.5 and 5 times a power of ten.
double niceStepAtLeast(double raw)
{
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double mantissa : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (mantissa * power >= raw * (1 - 1e-12))
            return mantissa * power;
    }
    return 10 * power;
}

// A range with a little room around the points, never crossing zero on its own, cut at
// round ticks: the tightest such range with at most maxIntervals intervals. An empty
// chart gets 0 to 10.
void applyRange(QValueAxis* axis, Range range, int maxIntervals)
{
    if (range.empty()) {
        range.low = 0;
        range.high = 10;
    } else {
        const double span = range.high - range.low;
        const double pad = span > 0 ? span * 0.05 : std::max(std::abs(range.high) * 0.1, 1.0);
        double low = range.low - pad, high = range.high + pad;
        if (range.low >= 0 && low < 0)
            low = 0;
        if (range.high <= 0 && high > 0)
            high = 0;
        if (std::isfinite(low) && std::isfinite(high)) {
            range.low = low;
            range.high = high;
        }
    }

    const double span = range.high - range.low;
    int intervals = 5;
    if (span > 0 && std::isfinite(span)) {
        // Widening the step can move both ends outwards, so try the next step up too.
        double step = niceStepAtLeast(span / maxIntervals);
        for (int attempt = 0; attempt < 3; ++attempt) {
            const double low = std::floor(range.low / step) * step;
            const double high = std::ceil(range.high / step) * step;
            const double count = std::round((high - low) / step);
            if (count <= maxIntervals) {
                range.low = low;
                range.high = high;
                intervals = int(count);
                break;
            }
            step = niceStepAtLeast(step * 1.01);
        }
    }
    axis->setRange(range.low, range.high);
    axis->setTickCount(std::max(intervals, 1) + 1);
}

void applyBackground(QChart* chart, Colour gradientEnd)
{
    // The gradient runs from white at the top to the window's colour at the bottom,
    // scaled to the chart whatever its size.
    QLinearGradient gradient(0, 0, 0, 1);
    gradient.setCoordinateMode(QGradient::ObjectMode);
    gradient.setColorAt(0, Qt::white);
    gradient.setColorAt(1, toQColor(gradientEnd, Qt::white));
    chart->setBackgroundBrush(gradient);
    chart->setBackgroundVisible(true);
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundVisible(false);  // the back wall is clear
}

}  // namespace

QChart* buildChart(const ChartDrawing& drawing)
{
    auto* chart = new QChart;
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Points show their cross, curves a stroke of their colour.
    chart->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    // The chart fills its view or page; the background is its own frame.
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    updateChart(chart, drawing);
    return chart;
}

void updateChart(QChart* chart, const ChartDrawing& drawing)
{
    chart->setTitle(titleHtml(drawing.titleLines));
    applyBackground(chart, drawing.gradientEnd);
    chart->legend()->setVisible(drawing.legendVisible);

    QValueAxis* bottom = ensureAxis(chart, bottomAxisName, Qt::AlignBottom);
    QValueAxis* left = ensureAxis(chart, leftAxisName, Qt::AlignLeft);
    bottom->setTitleText(QString::fromStdString(drawing.bottomAxisTitle));
    left->setTitleText(QString::fromStdString(drawing.leftAxisTitle));

    std::vector<const PointSeries*> sources;
    for (const PointSeries* source : drawing.series) {
        if (source)
            sources.push_back(source);
    }

    // The same series in the same kinds are updated in place; anything else is rebuilt
    // so that the order of drawing and of the legend follows the series list.
    QList<QAbstractSeries*> existing = chart->series();
    bool sameShape = existing.size() == qsizetype(sources.size());
    for (std::size_t i = 0; sameShape && i < sources.size(); ++i)
        sameShape = isKind(existing[qsizetype(i)], sources[i]->kind);
    if (!sameShape) {
        chart->removeAllSeries();
        for (const PointSeries* source : sources) {
            QXYSeries* series = makeSeries(source->kind);
            chart->addSeries(series);
            series->attachAxis(bottom);
            series->attachAxis(left);
        }
        existing = chart->series();
    }

    Range xs, ys;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        auto* series = static_cast<QXYSeries*>(existing[qsizetype(i)]);
        // Styled after adding: the chart's theme colours a series as it joins.
        styleSeries(series, *sources[i]);
        fillSeries(series, *sources[i]);
        for (const QPointF& p : series->points()) {
            xs.take(p.x());
            ys.take(p.y());
        }
    }
    // Charts are wider than tall: fewer, roomier ticks up the side keep their labels
    // legible in a small window.
    applyRange(bottom, xs, 10);
    applyRange(left, ys, 6);

    // No series is drawn against the right axis; it repeats the left scale so that its
    // ticks meet the same grid lines.
    QValueAxis* right = findAxis(chart, rightAxisName);
    if (drawing.rightAxisTitle.empty()) {
        if (right) {
            chart->removeAxis(right);
            delete right;
        }
    } else {
        right = ensureAxis(chart, rightAxisName, Qt::AlignRight);
        right->setTitleText(QString::fromStdString(drawing.rightAxisTitle));
        right->setRange(left->min(), left->max());
        right->setTickCount(left->tickCount());
        right->setGridLineVisible(false);
    }
}

}  // namespace calvane::chart
