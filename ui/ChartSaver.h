#pragma once
// File > "Save Chart As..." of an analysis window: a save dialog offering PNG, SVG and
// PDF, and the window's chart written there as a figure for a paper (chart/qt/FigureFile.h,
// chart/drawing/WindowCharts.h). The folder and the filter chosen last are proposed next time, for
// as long as the window lives.

#include "chart/drawing/ChartDrawing.h"
#include "chart/drawing/Figure.h"
#include "core/Controls.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace calvane::ui {

// The menu item; no shortcut, so none of the window's keys changes.
extern const MenuItem saveChartAsItem;

// The format of a chosen file: its extension's (.png, .svg, .pdf, any case), otherwise
// that of the filter chosen in the dialog (0 PNG, 1 SVG, 2 PDF).
chart::FigureFormat chosenFigureFormat(const QString& path, int filterIndex);

class ChartSaver : public QObject {
public:
    // `parent`, the window, owns the saver and parents its dialog; `defaultName` is the
    // file name first proposed, without extension; `figure` gives the chart as a figure.
    ChartSaver(QWidget* parent, QString defaultName, std::function<chart::ChartCopy()> figure);

    // Asks for a file and writes the chart there at the default figure size. Does
    // nothing when the dialog is cancelled. Raises FileError when the file cannot be
    // written; an earlier file at the path stays as it was.
    void saveAs();

    // Where the dialog opens next time.
    const QString& folder() const { return folder_; }

private:
    QWidget* window_;
    QString defaultName_;
    std::function<chart::ChartCopy()> figure_;
    QString folder_;
    int filter_ = 0;
};

}  // namespace calvane::ui
