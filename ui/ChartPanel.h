#pragma once
// A window's chart on screen: a QChartView over the chart that chart/ builds from the
// window's series and titles. Changes are gathered and drawn once per turn of the
// event loop, so a command that refills a series point by point redraws only once.

#include "chart/qt/ChartBuilder.h"
#include "core/Signal.h"

#include <QTimer>
#include <QtCharts/QChartView>

#include <functional>
#include <vector>

namespace calvane {
class ChartTitle;
class PointSeries;
}  // namespace calvane

namespace calvane::ui {

class ChartPanel : public QChartView {
    Q_OBJECT
public:
    // `drawing` describes the chart as it stands; it is asked again on every update.
    explicit ChartPanel(std::function<chart::ChartDrawing()> drawing, QWidget* parent = nullptr);

    // Redraw soon after these change.
    void follow(PointSeries& series);
    void follow(ChartTitle& title);

    // Draws the chart now if a change is waiting (before a repaint or a print).
    void refreshNow();
    void scheduleRefresh();

    // The curves of `series` are drawn dashed while `outOfDate` says so; the panel
    // redraws when `changed` notifies.
    void dashWhile(std::vector<const PointSeries*> series, std::function<bool()> outOfDate, Signal<>& changed);

    // A left press within pointPickRadius pixels of a point of `series` (one of the
    // drawing's) runs `clicked` with the index of the nearest; a press elsewhere does
    // what it did before.
    void onPointClicked(const PointSeries* series, std::function<void(int)> clicked);
    // The index of the point of that series nearest to `at` (viewport pixels) within
    // pointPickRadius, or -1.
    int pointAt(QPointF at);
    static constexpr double pointPickRadius = 8.0;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void redraw();

    std::function<chart::ChartDrawing()> drawing_;
    QTimer pending_;
    std::vector<const PointSeries*> dashed_;
    std::function<bool()> outOfDate_;
    const PointSeries* clickable_ = nullptr;
    std::function<void(int)> clicked_;
};

}  // namespace calvane::ui
