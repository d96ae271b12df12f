#include "ui/AqWindow.h"

#include "aq/AQ_C3_Curve.h"
#include "ui/Bindings.h"
#include "ui/ChartPanel.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QVBoxLayout>

namespace calvane::ui {

namespace {
// The report prints in the window's own font: 13 pixels at 115 pixels per inch.
constexpr double reportPointSize = 13.0 * 72.0 / 115.0;
}  // namespace

AqWindow::AqWindow(TfrmAQ_C3_Curve& state, QtPlatform& platform, QWidget* parent)
    : AnalysisWindow(platform, parent), state_(state)
{
    setWindowTitle(QString::fromStdString(state.caption));

    makeGrid(state.aqSpreadSheetData,
             [this](MouseButton button, int x, int y) { state_.aqSpreadSheetDataMouseDown(button, x, y); });
    connect(gridView_, &GridView::keyReleased, this, [this] { run([this] { state_.aqSpreadSheetDataKeyUp(); }); });
    makeChart(
        "aqChart_LightResponseCurve",
        [this] {
            chart::ChartSpec spec;
            spec.titleLines = state_.aqChart_LightResponseCurve.lines();
            spec.bottomAxisTitle = state_.aqChart_BottomAxisTitle;
            spec.leftAxisTitle = state_.aqChart_LeftAxisTitle;
            spec.rightAxisTitle = state_.aqChart_RightAxisTitle;
            spec.gradientEnd = state_.aqChart_GradientEnd;
            spec.series = {&state_.Series_LightAssim, &state_.Series_ComputedA};
            spec.legendVisible = false;
            return spec;
        },
        state.aqChart_LightResponseCurve, {&state.Series_LightAssim, &state.Series_ComputedA});
    platform.setReportPointSize("AQ Curve Analysis for: ", reportPointSize);

    auto* identifierLabel = new QLabel;
    bindLabel(state.aqLabel_Identifier, identifierLabel);
    auto* identifierRow = new QHBoxLayout;
    identifierRow->addWidget(identifierLabel);
    identifierRow->addWidget(makeField(state.aqEdit_Identifier), 1);

    auto* left = new QVBoxLayout;
    left->addLayout(identifierRow);
    left->addWidget(gridView_, 1);
    gridView_->setMinimumWidth(260);

    progressBar_ = new QProgressBar;
    progressBar_->setMaximumWidth(220);
    bindProgress(state.aqProgressBar3D, progressBar_);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(makeField(state.aqEdit_Status), 1);
    bottom->addWidget(progressBar_);

    auto* right = new QVBoxLayout;
    right->addWidget(chartPanel_, 1);
    right->addLayout(bottom);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left, 0);
    layout->addWidget(makeParameters(), 0);
    layout->addLayout(right, 1);
    setCentralWidget(central);

    makeMenus();
    makeDialogs(state.frmParseVerdex, state.dlgAbout);
    setPositions({&state.Left, &state.Top, &state.aqSpreadSheetData});
    setDropHandler([this](const std::vector<DroppedItem>& items) { state_.KipFormDropFilesDropFiles(items); });
    followVisibility(state.visible, state.visibilityChanged, [this] { state_.aqMnuFileExitClick(); });
    resize(1180, 660);
}

QWidget* AqWindow::makeParameters()
{
    auto flagRow = [this](QGridLayout* grid, CheckBox& flag, TextField& field) {
        auto* box = new QCheckBox;
        bindCheckBox(platform(), flag, box);
        const int row = grid->rowCount();
        grid->addWidget(box, row, 0);
        grid->addWidget(makeParameterField(field), row, 1);
    };
    auto labelRow = [this](QGridLayout* grid, Label& label, TextField& field) {
        auto* caption = new QLabel;
        bindLabel(label, caption);
        const int row = grid->rowCount();
        grid->addWidget(caption, row, 0);
        grid->addWidget(makeParameterField(field), row, 1);
    };

    auto* fit = new QGroupBox;
    bindLabel(state_.aqGroupBox_FitParameters, fit);
    auto* fitGrid = new QGridLayout(fit);
    flagRow(fitGrid, state_.aqCheckBox_AQE, state_.aqNumEdit_AQE);
    flagRow(fitGrid, state_.aqCheckBox_Convexity, state_.aqNumEdit_Convexity);
    flagRow(fitGrid, state_.aqCheckBox_A0_Resp, state_.aqNumEdit_A0_Resp);
    flagRow(fitGrid, state_.aqCheckBox_Amax, state_.aqNumEdit_Amax);

    auto* light = new QGroupBox;
    bindLabel(state_.aqGroupBox_Light, light);
    auto* lightGrid = new QGridLayout(light);
    labelRow(lightGrid, state_.aqLabel_LightSatPoint, state_.aqNumEdit_LightSatPoint);
    labelRow(lightGrid, state_.aqLabel_LightCompPoint, state_.aqNumEdit_LightCompPoint);
    labelRow(lightGrid, state_.aqLabel_ParAbs, state_.aqNumEdit_ParAbs);

    auto* panel = new QWidget;
    panel->setFixedWidth(280);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(fit);
    column->addWidget(light);
    column->addStretch(1);
    return panel;
}

void AqWindow::makeMenus()
{
    TfrmAQ_C3_Curve& s = state_;
    QMenu* file = menuBar()->addMenu(QString::fromStdString(s.aqMnuFile.caption));
    QMenu* import = file->addMenu(QString::fromStdString(s.aqMnuFileImport.caption));
    addCommand(import, s.aqMnuFileImportCSV, "aqMnuFileImportCSV", [&s] { s.aqMnuFileImportCSVClick(); });
    addCommand(import, s.aqMnuFileImportVerdex, "aqMnuFileImportVerdex", [&s] { s.aqMnuFileImportVerdexClick(); });
    addCommand(file, s.aqMnuFileExport, "aqMnuFileExport", [&s] { s.aqMnuFileExportClick(); });
    addCommand(file, s.aqMnuFileClear, "aqMnuFileClear", [&s] { s.aqMnuFileClearClick(); });
    file->addSeparator();
    addCommand(file, s.aqMnuFilePrint, "aqMnuFilePrint", [this, &s] {
        chartPanel_->refreshNow();
        s.aqMnuFilePrintClick();
    });
    file->addSeparator();
    addCommand(file, s.aqMnuFileExit, "aqMnuFileExit", [&s] { s.aqMnuFileExitClick(); });

    QMenu* results = menuBar()->addMenu(QString::fromStdString(s.aqMnuResults.caption));
    addCommand(results, s.aqMnuResultsPlotData, "aqMnuResultsPlotData", [&s] { s.aqMnuResultsPlotDataClick(); });
    addCommand(results, s.aqMnuResultsFitCurve, "aqMnuResultsFitCurve", [&s] { s.aqMnuResultsFitCurveClick(); });
    addCommand(results, s.aqMnuResultsRefineCurve, "aqMnuResultsRefineCurve",
               [&s] { s.aqMnuResultsRefineCurveClick(); });
    menuBar()->addAction(addCommand(nullptr, s.aqMnuAbout, "aqMnuAbout", [&s] { s.aqMnuAboutClick(); }));

    QMenu* gridMenu = makePopupMenu("aqPopupMenu");
    addCommand(gridMenu, s.aqClipboardCopy, "aqClipboardCopy", [&s] { s.aqClipboardCopyClick(); }, false);
    addCommand(gridMenu, s.aqClipboardPaste, "aqClipboardPaste", [&s] { s.aqClipboardPasteClick(); }, false);

    QMenu* fieldMenu = makePopupMenu("aqPopupMenu2");
    addCommand(fieldMenu, s.aqPopupCopy, "aqPopupCopy", [&s] { s.aqPopupCopyClick(); }, false);
    QAction* copyAll =
        addCommand(fieldMenu, s.aqPopupCopyAll, "aqPopupCopyAll", [&s] { s.aqPopupCopyAllClick(); }, false);
    addCommand(fieldMenu, s.aqPopUpPaste, "aqPopUpPaste", [&s] { s.aqPopUpPasteClick(); }, false);
    setFieldMenu(fieldMenu, copyAll);
}

}  // namespace calvane::ui
