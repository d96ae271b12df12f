#include "ui/AqWindow.h"

#include "aq/AQ_C3_Curve.h"
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
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace calvane::ui {

AqWindow::AqWindow(TfrmAQ_C3_Curve& state, QtPlatform& platform, QWidget* parent)
    : AnalysisWindow(platform, parent), state_(state)
{
    setWindowTitle(QString::fromStdString(state.caption));

    makeGrid(state.aqSpreadSheetData,
             [this](MouseButton button, int x, int y) { state_.aqSpreadSheetDataMouseDown(button, x, y); });
    connect(gridView_, &GridView::keyReleased, this, [this] { run([this] { state_.aqSpreadSheetDataKeyUp(); }); });
    makeChart([this] { return chart::aqChartDrawing(state_); }, state.aqChart_LightResponseCurve,
              {&state.Series_LightAssim, &state.Series_ComputedA, &state.Series_StdOptimum, &state.Series_StdHyperbola,
               &state.Series_Excluded});
    // A click on an observed point leaves it out of the standard fits, or takes it back in.
    chartPanel_->onPointClicked(&state.Series_LightAssim, [this](int index) {
        run([this, index] {
            if (const int row = state_.measuredPointRow(index))
                state_.toggleStandardFitExclusion(row);
        });
    });
    QPointer<ChartPanel> chart(chartPanel_);
    for (CheckBox* show : {&state.aqCheckBox_StdShowOptimum, &state.aqCheckBox_StdShowHyperbola}) {
        show->clicked.connect([chart] {
            if (chart)
                chart->scheduleRefresh();
        });
    }
    // The curve of the last fit, dashed once the data have changed.
    chartPanel_->dashWhile(
        {&state.Series_ComputedA}, [&state] { return state.staleResults.outOfDate(); }, state.staleResults.changed);

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
    bottom->addWidget(makeCancelButton());

    auto* right = new QVBoxLayout;
    right->addWidget(chartPanel_, 1);
    right->addWidget(makeChecksLine(state.checks, [this] { state_.runChecks(); }));
    right->addLayout(bottom);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left, 0);
    layout->addWidget(makeParameters(), 0);
    layout->addLayout(right, 1);
    setCentralWidget(central);
    fadeWhileOutOfDate(*this, state, TfrmAQ_C3_Curve::parameterTable());

    makeMenus();
    makeDialogs(state.frmParseVerdex, state.dlgAbout);
    setPositions({&state.Left, &state.Top, &state.aqSpreadSheetData});
    setDropHandler([this](const std::vector<DroppedItem>& items) { state_.KipFormDropFilesDropFiles(items); });
    followVisibility(state.visible, state.visibilityChanged, [this] { state_.aqMnuFileExitClick(); });
    resize(1500, 720);
}

QWidget* AqWindow::makeParameters()
{
    // The two parameter groups keep their width; the standard fits' group beside them
    // needs room for two models' values and errors.
    auto* panel = new QWidget;
    auto* columns = new QHBoxLayout(panel);
    columns->setContentsMargins(0, 0, 0, 0);
    auto* own = new QWidget;
    own->setFixedWidth(280);
    auto* column = new QVBoxLayout(own);
    column->setContentsMargins(0, 0, 0, 0);
    for (QGroupBox* group : makeParameterGroups(*this, state_, TfrmAQ_C3_Curve::parameterTable()))
        column->addWidget(group);
    column->addStretch(1);
    columns->addWidget(own);
    auto* standard = new QVBoxLayout;
    standard->addWidget(makeStandardFit());
    standard->addWidget(makeKok());
    // Beside the standard fits, how well the window's own curve meets the same points.
    auto* ownRmse = new QLabel;
    ownRmse->setWordWrap(true);
    ownRmse->setMaximumWidth(430);
    bindLabel(state_.aqLabel_OwnRMSE, ownRmse);
    standard->addWidget(ownRmse);
    standard->addStretch(1);
    columns->addLayout(standard);
    return panel;
}

QWidget* AqWindow::makeStandardFit()
{
    TfrmAQ_C3_Curve& s = state_;
    auto* group = new QGroupBox;
    bindLabel(s.aqGroupBox_StandardFit, group);
    group->setFixedWidth(430);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    addResultCells(*this, grid, resultCells(s, TfrmAQ_C3_Curve::standardFitTable()), 50);

    auto* showOptimum = new QCheckBox;
    bindCheckBox(platform(), s.aqCheckBox_StdShowOptimum, showOptimum);
    auto* showHyperbola = new QCheckBox;
    bindCheckBox(platform(), s.aqCheckBox_StdShowHyperbola, showHyperbola);
    auto* useOptimum = new QPushButton(QString::fromStdString(s.aqButton_StdUseOptimum.caption));
    useOptimum->setObjectName("aqButton_StdUseOptimum");
    useOptimum->setToolTip(QString::fromStdString(s.aqButton_StdUseOptimum.hint));
    connect(useOptimum, &QPushButton::clicked, this, [this] { run([this] { state_.aqButton_StdUseOptimumClick(); }); });
    const int row = grid->rowCount();
    grid->addWidget(showOptimum, row, 0);
    grid->addWidget(showHyperbola, row, 1, 1, 2);
    grid->addWidget(useOptimum, row + 1, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return group;
}

QWidget* AqWindow::makeKok()
{
    auto* group = new QGroupBox;
    bindLabel(state_.aqGroupBox_Kok, group);
    group->setFixedWidth(430);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    addResultCells(*this, grid, resultCells(state_, TfrmAQ_C3_Curve::kokTable()), 50);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return group;
}

void AqWindow::makeMenus()
{
    TfrmAQ_C3_Curve& s = state_;
    QMenu* file = menuBar()->addMenu(QString::fromStdString(s.aqMnuFile.caption));
    QMenu* import = file->addMenu(QString::fromStdString(s.aqMnuFileImport.caption));
    addCommand(import, s.aqMnuFileImportCSV, [&s] { s.aqMnuFileImportCSVClick(); });
    addCommand(import, s.aqMnuFileImportVerdex, [&s] { s.aqMnuFileImportVerdexClick(); });
    addCommand(file, s.aqMnuFileExport, [&s] { s.aqMnuFileExportClick(); });
    addCheckableCommand(file, state_.aqMnuFileExportStandardFit);
    auto* chartSaver = new ChartSaver(this, QStringLiteral("AQChart"), [this] {
        return chart::aqFigure(state_, chart::figureFileName(state_.aqEdit_Status.text()));
    });
    addCommand(file, saveChartAsItem, [chartSaver] { chartSaver->saveAs(); });
    addCommand(file, s.aqMnuFileClear, [&s] { s.aqMnuFileClearClick(); });
    file->addSeparator();
    addCommand(file, s.aqMnuFilePrint, [this, &s] {
        chartPanel_->refreshNow();
        s.aqMnuFilePrintClick();
    });
    file->addSeparator();
    addCommand(file, s.aqMnuFileExit, [&s] { s.aqMnuFileExitClick(); });

    QMenu* results = menuBar()->addMenu(QString::fromStdString(s.aqMnuResults.caption));
    addCommand(results, s.aqMnuResultsPlotData, [&s] { s.aqMnuResultsPlotDataClick(); });
    addCommand(results, s.aqMnuResultsFitCurve, [&s] { s.aqMnuResultsFitCurveClick(); });
    addCommand(results, s.aqMnuResultsRefineCurve, [&s] { s.aqMnuResultsRefineCurveClick(); });
    addCommand(results, s.aqMnuResultsStandardFit, [&s] { s.aqMnuResultsStandardFitClick(); });
    addCommand(results, s.aqMnuResultsKok, [&s] { s.aqMnuResultsKokClick(); });
    menuBar()->addAction(addCommand(nullptr, s.aqMnuAbout, [&s] { s.aqMnuAboutClick(); }));
    QMenu* help = menuBar()->addMenu(tr("Help"));
    auto* helpDialog = new HelpDialog(this);
    addCommand(help, helpItem, [helpDialog] { helpDialog->showSection(QStringLiteral("aq")); });

    QMenu* gridMenu = makePopupMenu(s.aqPopupMenu);
    QAction* gridCopy = addCommand(
        gridMenu, s.aqClipboardCopy, [&s] { s.aqClipboardCopyClick(); }, false);
    QAction* gridPaste = addCommand(
        gridMenu, s.aqClipboardPaste, [&s] { s.aqClipboardPasteClick(); }, false);
    setGridClipboardKeys(gridCopy, gridPaste);
    gridMenu->addSeparator();
    QAction* gridExclude = addCommand(
        gridMenu, s.aqPopupExclude, [&s] { s.aqPopupExcludeClick(); }, false);
    followMenuItem(s.aqPopupExclude, gridExclude);

    QMenu* fieldMenu = makePopupMenu(s.aqPopupMenu2);
    addCommand(
        fieldMenu, s.aqPopupCopy, [&s] { s.aqPopupCopyClick(); }, false);
    QAction* copyAll = addCommand(
        fieldMenu, s.aqPopupCopyAll, [&s] { s.aqPopupCopyAllClick(); }, false);
    addCommand(
        fieldMenu, s.aqPopUpPaste, [&s] { s.aqPopUpPasteClick(); }, false);
    setFieldMenu(fieldMenu, copyAll);
}

}  // namespace calvane::ui
