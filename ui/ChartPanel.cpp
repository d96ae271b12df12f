#include "ui/ChartPanel.h"

#include "core/Controls.h"
#include "core/PointSeries.h"

#include <QPointer>

namespace calvane::ui {

ChartPanel::ChartPanel(std::function<chart::ChartDrawing()> drawing, QWidget* parent)
    // The chart goes to the constructor: QChartView(parent) would make a default chart
    // that a later setChart releases without deleting.
    : QChartView(chart::buildChart(drawing()), parent), drawing_(std::move(drawing))
{
    setRenderHint(QPainter::Antialiasing);
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, [this] { chart::updateChart(chart(), drawing_()); });
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
    chart::updateChart(chart(), drawing_());
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
