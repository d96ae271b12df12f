#include "ui/AciWindow.h"

#include "aci/ACi_Curve.h"
#include "chart/drawing/WindowCharts.h"
#include "ui/Bindings.h"
#include "ui/ChartPanel.h"
#include "ui/ChartSaver.h"
#include "ui/GridView.h"
#include "ui/HelpDialog.h"
#include "ui/ParameterPanel.h"
#include "ui/QtPlatform.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace calvane::ui {

AciWindow::AciWindow(TfrmACi_Curve& state, QtPlatform& platform, QWidget* parent)
    : AnalysisWindow(platform, parent), state_(state)
{
    setWindowTitle(QString::fromStdString(state.caption));

    makeGrid(state.aciSpreadSheetData,
             [this](MouseButton button, int x, int y) { state_.aciSpreadSheetDataMouseDown(button, x, y); });
    makeChart([this] { return chart::aciChartDrawing(state_); }, state.aciChart_LightResponseCurve,
              {&state.Series_LightAssim, &state.Series_Wc, &state.Series_Wj, &state.Series_Wp,
               &state.Series_StandardFit, &state.Series_Excluded});
    // A click on a measured point leaves it out of the standard fit, or takes it back in.
    chartPanel_->onPointClicked(&state.Series_LightAssim, [this](int index) {
        run([this, index] {
            if (const int row = state_.measuredPointRow(index))
                state_.toggleStandardFitExclusion(row);
        });
    });
    QPointer<ChartPanel> chart(chartPanel_);
    state.aciCheckBox_StdShowCurve.clicked.connect([chart] {
        if (chart)
            chart->scheduleRefresh();
    });
    // The curves of the last Compute Curves, dashed once the data have changed.
    chartPanel_->dashWhile(
        {&state.Series_Wc, &state.Series_Wj, &state.Series_Wp}, [&state] { return state.staleResults.outOfDate(); },
        state.staleResults.changed);

    auto* identifierLabel = new QLabel(tr("Identifier:"));
    QLineEdit* identifier = makeField(state.aciEdit_Identifier);
    auto* identifierRow = new QHBoxLayout;
    identifierRow->addWidget(identifierLabel);
    identifierRow->addWidget(identifier, 1);

    auto* left = new QVBoxLayout;
    left->addLayout(identifierRow);
    left->addWidget(gridView_, 1);
    gridView_->setMinimumWidth(250);

    auto* right = new QVBoxLayout;
    right->addWidget(chartPanel_, 1);
    right->addWidget(makeChecksLine(state.checks, [this] { state_.runChecks(); }));
    // The standard fit can take a while: the Cancel button sits beside the status line.
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(makeField(state.aciEdit_Status), 1);
    bottom->addWidget(makeCancelButton());
    right->addLayout(bottom);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left, 0);
    layout->addWidget(makeParameters(), 0);
    layout->addLayout(right, 1);
    setCentralWidget(central);
    fadeWhileOutOfDate(*this, state, TfrmACi_Curve::parameterTable());

    makeMenus();
    makeDialogs(state.frmParseVerdex, state.dlgAbout);
    setPositions({&state.Left, &state.Top, &state.aciSpreadSheetData});
    setDropHandler([this](const std::vector<DroppedItem>& items) { state_.KipFormDropFilesDropFiles(items); });
    followVisibility(state.visible, state.visibilityChanged, [this] { state_.aciMnuFileExitClick(); });
    resize(1380, 720);
}

QWidget* AciWindow::makeParameters()
{
    auto* panel = new QWidget;
    panel->setFixedWidth(490);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox* group : makeParameterGroups(*this, state_, TfrmACi_Curve::parameterTable()))
        column->addWidget(group);
    column->addWidget(makeStandardFit());
    // Beside the standard fit, how well the window's own curve meets the same points.
    auto* ownRmse = new QLabel;
    ownRmse->setWordWrap(true);
    bindLabel(state_.aciLabel_OwnRMSE, ownRmse);
    column->addWidget(ownRmse);
    column->addStretch(1);
    return panel;
}

QWidget* AciWindow::makeStandardFit()
{
    TfrmACi_Curve& s = state_;
    auto* group = new QGroupBox;
    bindLabel(s.aciGroupBox_StandardFit, group);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);

    // Over the values, their standard errors, their values at 25 oC and their intervals.
    addCaption(grid, s.aciLabel_StdValue, 0, 1, Qt::AlignHCenter);
    addCaption(grid, s.aciLabel_StdSE, 0, 2, Qt::AlignHCenter);
    addCaption(grid, s.aciLabel_StdAt25, 0, 3, Qt::AlignHCenter);
    const int intervals = intervalColumn(TfrmACi_Curve::standardFitTable());
    grid->addWidget(new QLabel(tr("95 % interval")), 0, intervals, Qt::AlignHCenter);
    // The TPU row shows only after a fit that included TPU; the bindings follow the state.
    addResultCells(*this, grid, resultCells(s, TfrmACi_Curve::standardFitTable()), 60);
    // gm's unit right of its field, where the short caption leaves it room.
    auto* gmUnit = new QLabel(QStringLiteral("mol m\u207B\u00B2 s\u207B\u00B9 bar\u207B\u00B9"));
    gmUnit->setToolTip(QString::fromStdString(s.aciEdit_StdGm.hint()));
    const auto& rows = TfrmACi_Curve::standardFitTable().front().rows;
    const auto gm = std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row.name == "gm"; });
    grid->addWidget(gmUnit, gm->row, 2, 1, 2);

    // The settings the next fit reads, beside Patm.
    auto* fitTpu = new QCheckBox;
    bindCheckBox(platform(), s.aciCheckBox_StdTPU, fitTpu);
    auto* showCurve = new QCheckBox;
    bindCheckBox(platform(), s.aciCheckBox_StdShowCurve, showCurve);
    auto* checks = new QHBoxLayout;
    checks->addWidget(fitTpu);
    checks->addWidget(showCurve);
    checks->addStretch(1);
    grid->addLayout(checks, 8, 2, 1, 2);

    for (int column = 1; column <= intervals; ++column)
        grid->setColumnStretch(column, column == intervals ? 2 : 1);
    return group;
}

void AciWindow::makeMenus()
{
    TfrmACi_Curve& s = state_;
    QMenu* file = menuBar()->addMenu(QString::fromStdString(s.aciMnuFile.caption));
    QMenu* import = file->addMenu(QString::fromStdString(s.aciMnuFileImport.caption));
    addCommand(import, s.aciMnuFIleImportText, [&s] { s.aciMnuFIleImportTextClick(); });
    addCommand(import, s.aciMnuFileImortVerdex, [&s] { s.aciMnuFileImortVerdexClick(); });
    addCommand(file, s.aciMnuFileExport, [&s] { s.aciMnuFileExportClick(); });
    addCheckableCommand(file, state_.aciMnuFileExportStandardFit);
    auto* chartSaver = new ChartSaver(this, QStringLiteral("ACIChart"), [this] {
        return chart::aciFigure(state_, chart::figureFileName(state_.aciEdit_Status.text()));
    });
    addCommand(file, saveChartAsItem, [chartSaver] { chartSaver->saveAs(); });
    addCommand(file, s.aciMnuFileClear, [&s] { s.aciMnuFileClearClick(); });
    file->addSeparator();
    addCommand(file, s.aciMnuFilePrint, [this, &s] {
        chartPanel_->refreshNow();
        s.aciMnuFilePrintClick();
    });
    file->addSeparator();
    addCommand(file, s.aciMnuFileExit, [&s] { s.aciMnuFileExitClick(); });

    QMenu* results = menuBar()->addMenu(QString::fromStdString(s.aciMnuResults.caption));
    addCommand(results, s.aciMnuResultsPlotData, [&s] { s.aciMnuResultsPlotDataClick(); });
    addCommand(results, s.aciMnuResultsComputeCurve, [&s] { s.aciMnuResultsComputeCurveClick(); });
    addCommand(results, s.aciMnuResultsStandardFit, [&s] { s.aciMnuResultsStandardFitClick(); });
    menuBar()->addAction(addCommand(nullptr, s.aciMnuAbout, [&s] { s.aciMnuAboutClick(); }));
    QMenu* help = menuBar()->addMenu(tr("Help"));
    auto* helpDialog = new HelpDialog(this);
    addCommand(help, helpItem, [helpDialog] { helpDialog->showSection(QStringLiteral("aci")); });

    QMenu* gridMenu = makePopupMenu(s.aciPopupMenu);
    QAction* gridCopy = addCommand(
        gridMenu, s.aciPopupCopy, [&s] { s.aciPopupCopyClick(); }, false);
    QAction* gridPaste = addCommand(
        gridMenu, s.aciPopupPaste, [&s] { s.aciPopupPasteClick(); }, false);
    setGridClipboardKeys(gridCopy, gridPaste);
    gridMenu->addSeparator();
    QAction* gridExclude = addCommand(
        gridMenu, s.aciPopupExclude, [&s] { s.aciPopupExcludeClick(); }, false);
    followMenuItem(s.aciPopupExclude, gridExclude);

    QMenu* fieldMenu = makePopupMenu(s.aciPopupMenu2);
    addCommand(
        fieldMenu, s.aciPopup2Copy, [&s] { s.aciPopup2CopyClick(); }, false);
    QAction* copyAll = addCommand(
        fieldMenu, s.aciPopup2CopyAll, [&s] { s.aciPopUp2CopyAllClick(); }, false);
    addCommand(
        fieldMenu, s.aciPopup2Paste, [&s] { s.aciPopUp2PasteClick(); }, false);
    setFieldMenu(fieldMenu, copyAll);
}

}  // namespace calvane::ui
