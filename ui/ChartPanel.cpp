#include "ui/ChartPanel.h"

#include "core/Controls.h"
#include "core/PointSeries.h"

#include <QLineF>
#include <QMouseEvent>
#include <QPointer>
#include <QtCharts/QLineSeries>

#include <algorithm>
#include <cmath>

namespace calvane::ui {

ChartPanel::ChartPanel(std::function<chart::ChartDrawing()> drawing, QWidget* parent)
    // The chart goes to the constructor: QChartView(parent) would make a default chart
    // that a later setChart releases without deleting.
    : QChartView(chart::buildChart(drawing()), parent), drawing_(std::move(drawing))
{
    setRenderHint(QPainter::Antialiasing);
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, [this] { redraw(); });
}

void ChartPanel::redraw()
{
    const chart::ChartDrawing drawing = drawing_();
    chart::updateChart(chart(), drawing);
    if (!outOfDate_)
        return;
    // The chart's series follow the drawing's, in its order.
    const bool dash = outOfDate_();
    const QList<QAbstractSeries*> shown = chart()->series();
    for (qsizetype i = 0; i < shown.size() && i < qsizetype(drawing.series.size()); ++i) {
        auto* line = qobject_cast<QLineSeries*>(shown[i]);
        const PointSeries* source = drawing.series[std::size_t(i)];
        if (!line || std::find(dashed_.begin(), dashed_.end(), source) == dashed_.end())
            continue;
        QPen pen = line->pen();
        pen.setStyle(dash ? Qt::DashLine : Qt::SolidLine);
        line->setPen(pen);
    }
}

void ChartPanel::dashWhile(std::vector<const PointSeries*> series, std::function<bool()> outOfDate, Signal<>& changed)
{
    dashed_ = std::move(series);
    outOfDate_ = std::move(outOfDate);
    QPointer<ChartPanel> self(this);
    changed.connect([self] {
        if (self)
            self->scheduleRefresh();
    });
    scheduleRefresh();
}

void ChartPanel::scheduleRefresh()
{
    if (!pending_.isActive())
        pending_.start();
}

void ChartPanel::refreshNow()
{
    if (!pending_.isActive())
        return;
    pending_.stop();
    redraw();
}

void ChartPanel::onPointClicked(const PointSeries* series, std::function<void(int)> clicked)
{
    clickable_ = series;
    clicked_ = std::move(clicked);
}

int ChartPanel::pointAt(QPointF at)
{
    if (!clickable_)
        return -1;
    // The axes as the points will be drawn.
    refreshNow();
    const chart::ChartDrawing drawing = drawing_();
    std::vector<const PointSeries*> sources;
    for (const PointSeries* source : drawing.series) {
        if (source)
            sources.push_back(source);
    }
    const auto found = std::find(sources.begin(), sources.end(), clickable_);
    const QList<QAbstractSeries*> shown = chart()->series();
    const auto position = found - sources.begin();
    if (found == sources.end() || position >= shown.size())
        return -1;
    QAbstractSeries* series = shown[position];
    int nearest = -1;
    double best = 0;
    const auto& points = clickable_->points();
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto& [x, y] = points[i];
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        const QPointF inChart = chart()->mapToPosition(QPointF(x, y), series);
        const QPointF inView = mapFromScene(chart()->mapToScene(inChart));
        const double distance = QLineF(inView, at).length();
        if (distance <= pointPickRadius && (nearest < 0 || distance < best)) {
            best = distance;
            nearest = int(i);
        }
    }
    return nearest;
}

void ChartPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && clicked_) {
        const int index = pointAt(event->position());
        if (index >= 0) {
            event->accept();
            clicked_(index);
            return;
        }
    }
    QChartView::mousePressEvent(event);
}

void ChartPanel::follow(PointSeries& series)
{
    QPointer<ChartPanel> self(this);
    series.changed.connect([self] {
        if (self)
            self->scheduleRefresh();
    });
}

void ChartPanel::follow(ChartTitle& title)
{
    QPointer<ChartPanel> self(this);
    title.changed.connect([self] {
        if (self)
            self->scheduleRefresh();
    });
}

}  // namespace calvane::ui
