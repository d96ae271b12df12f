#include "ui/ChartPanel.h"

#include "core/Controls.h"
#include "core/PointSeries.h"

#include <QPointer>
#include <QtCharts/QLineSeries>

#include <algorithm>

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
