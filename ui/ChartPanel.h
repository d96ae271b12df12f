#pragma once
// A window's chart on screen: a QChartView over the chart that chart/ builds from the
// window's series and titles. Changes are gathered and drawn once per turn of the
// event loop, so a command that refills a series point by point redraws only once.

#include "chart/qt/ChartBuilder.h"

#include <QTimer>
#include <QtCharts/QChartView>

#include <functional>

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

private:
    std::function<chart::ChartDrawing()> drawing_;
    QTimer pending_;
};

}  // namespace calvane::ui
