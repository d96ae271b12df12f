#include "ui/AciWindow.h"

#include "aci/ACi_Curve.h"
#include "chart/WindowCharts.h"
#include "ui/Bindings.h"
#include "ui/ChartPanel.h"
#include "ui/ChartSaver.h"
#include "ui/GridView.h"
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
#include <QVBoxLayout>

namespace calvane::ui {

AciWindow::AciWindow(TfrmACi_Curve& state, QtPlatform& platform, QWidget* parent)
    : AnalysisWindow(platform, parent), state_(state)
{
    setWindowTitle(QString::fromStdString(state.caption));

    makeGrid(state.aciSpreadSheetData,
             [this](MouseButton button, int x, int y) { state_.aciSpreadSheetDataMouseDown(button, x, y); });
    makeChart(
        [this] { return chart::aciChartSpec(state_); },
        state.aciChart_LightResponseCurve,
        {&state.Series_LightAssim, &state.Series_Wc, &state.Series_Wj, &state.Series_Wp, &state.Series_StandardFit});
    QPointer<ChartPanel> chart(chartPanel_);
    state.aciCheckBox_StdShowCurve.clicked.connect([chart] {
        if (chart)
            chart->scheduleRefresh();
    });

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
    right->addWidget(makeField(state.aciEdit_Status));

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left, 0);
    layout->addWidget(makeParameters(), 0);
    layout->addLayout(right, 1);
    setCentralWidget(central);

    makeMenus();
    makeDialogs(state.frmParseVerdex, state.dlgAbout);
    setPositions({&state.Left, &state.Top, &state.aciSpreadSheetData});
    setDropHandler([this](const std::vector<DroppedItem>& items) { state_.KipFormDropFilesDropFiles(items); });
    followVisibility(state.visible, state.visibilityChanged, [this] { state_.aciMnuFileExitClick(); });
    resize(1260, 700);
}

QWidget* AciWindow::makeParameters()
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

    auto* temperature = new QGroupBox;
    bindLabel(state_.aciGroupBox_TempDependent, temperature);
    auto* temperatureGrid = new QGridLayout(temperature);
    flagRow(temperatureGrid, state_.aciCheckBox_Kc, state_.aciEdit_Kc);
    flagRow(temperatureGrid, state_.aciCheckBox_Ko, state_.aciEdit_Ko);
    flagRow(temperatureGrid, state_.aciCheckBox_Tau, state_.aciEdit_Tau);
    labelRow(temperatureGrid, state_.aciLabel_Temp, state_.aciEdit_Temp);
    labelRow(temperatureGrid, state_.aciLabel_Light, state_.aciEdit_Light);

    auto* light = new QGroupBox;
    bindLabel(state_.aciGroupBox_LightDependent, light);
    auto* lightGrid = new QGridLayout(light);
    labelRow(lightGrid, state_.aciLabel_GammaStar, state_.aciEdit_GammaStar);
    flagRow(lightGrid, state_.aciCheckBox_Respiration, state_.aciEdit_Respiration);
    flagRow(lightGrid, state_.aciCheckBox_Vcmax, state_.aciEdit_Vcmax);
    flagRow(lightGrid, state_.aciCheckBox_Jmax, state_.aciEdit_Jmax);
    flagRow(lightGrid, state_.aciCheckBox_TPU, state_.aciEdit_TPU);

    auto* panel = new QWidget;
    panel->setFixedWidth(380);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(temperature);
    column->addWidget(light);
    column->addWidget(makeStandardFit());
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

    // A widget not yet shown already counts as hidden, so the bindings leave a control
    // hidden from the start showing; its first state is set here explicitly.
    auto caption = [grid](Label& label, int row, int column, Qt::Alignment align = {}) {
        auto* widget = new QLabel;
        bindLabel(label, widget);
        widget->setHidden(!label.visible());
        grid->addWidget(widget, row, column, align);
    };
    // Results come at full precision: a narrow field shows their leading digits and
    // the whole text as its tooltip.
    auto showStart = [](TextField& field, QLineEdit* edit) {
        QPointer<QLineEdit> guarded(edit);
        auto apply = [&field, guarded] {
            if (!guarded)
                return;
            guarded->setToolTip(QString::fromStdString(field.text()));
            guarded->setCursorPosition(0);
        };
        apply();
        field.textChanged.connect(apply);
        field.appearanceChanged.connect(apply);
    };
    auto result = [this, grid, showStart](TextField& field, int row, int column, int span = 1) {
        QLineEdit* edit = makeField(field);
        edit->setMinimumWidth(60);
        showStart(field, edit);
        edit->setHidden(!field.visible());
        grid->addWidget(edit, row, column, 1, span);
    };

    caption(s.aciLabel_StdValue, 0, 1, Qt::AlignHCenter);
    caption(s.aciLabel_StdSE, 0, 2, Qt::AlignHCenter);
    caption(s.aciLabel_StdAt25, 0, 3, Qt::AlignHCenter);

    caption(s.aciLabel_StdVcmax, 1, 0);
    result(s.aciEdit_StdVcmax, 1, 1);
    result(s.aciEdit_StdVcmaxSE, 1, 2);
    result(s.aciEdit_StdVcmax25, 1, 3);
    caption(s.aciLabel_StdJmax, 2, 0);
    result(s.aciEdit_StdJmax, 2, 1);
    result(s.aciEdit_StdJmaxSE, 2, 2);
    result(s.aciEdit_StdJmax25, 2, 3);
    caption(s.aciLabel_StdRd, 3, 0);
    result(s.aciEdit_StdRd, 3, 1);
    result(s.aciEdit_StdRdSE, 3, 2);
    // Shown only after a fit that included TPU; the bindings follow the state's flags.
    caption(s.aciLabel_StdTPU, 4, 0);
    result(s.aciEdit_StdTPU, 4, 1);
    result(s.aciEdit_StdTPUSE, 4, 2);

    caption(s.aciLabel_StdRMSE, 5, 0);
    result(s.aciEdit_StdRMSE, 5, 1);
    caption(s.aciLabel_StdTransitionCi, 6, 0);
    result(s.aciEdit_StdTransitionCi, 6, 1);
    result(s.aciEdit_StdMessage, 7, 0, 4);

    // The settings the next fit reads.
    caption(s.aciLabel_StdPatm, 8, 0);
    QLineEdit* patm = makeField(s.aciEdit_StdPatm);
    patm->setMinimumWidth(60);
    grid->addWidget(patm, 8, 1);
    auto* fitTpu = new QCheckBox;
    bindCheckBox(platform(), s.aciCheckBox_StdTPU, fitTpu);
    auto* showCurve = new QCheckBox;
    bindCheckBox(platform(), s.aciCheckBox_StdShowCurve, showCurve);
    auto* checks = new QHBoxLayout;
    checks->addWidget(fitTpu);
    checks->addWidget(showCurve);
    checks->addStretch(1);
    grid->addLayout(checks, 8, 2, 1, 2);

    for (int column = 1; column < 4; ++column)
        grid->setColumnStretch(column, 1);
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
    auto* chartSaver = new ChartSaver(this, QStringLiteral("ACIChart"), [this] { return chart::aciChartSpec(state_); });
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

    QMenu* gridMenu = makePopupMenu(s.aciPopupMenu);
    addCommand(gridMenu, s.aciPopupCopy, [&s] { s.aciPopupCopyClick(); }, false);
    addCommand(gridMenu, s.aciPopupPaste, [&s] { s.aciPopupPasteClick(); }, false);

    QMenu* fieldMenu = makePopupMenu(s.aciPopupMenu2);
    addCommand(fieldMenu, s.aciPopup2Copy, [&s] { s.aciPopup2CopyClick(); }, false);
    QAction* copyAll = addCommand(fieldMenu, s.aciPopup2CopyAll, [&s] { s.aciPopUp2CopyAllClick(); }, false);
    addCommand(fieldMenu, s.aciPopup2Paste, [&s] { s.aciPopUp2PasteClick(); }, false);
    setFieldMenu(fieldMenu, copyAll);
}

}  // namespace calvane::ui
