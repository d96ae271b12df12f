#include "ui/AciWindow.h"

#include "aci/ACi_Curve.h"
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
#include <QVBoxLayout>

namespace calvane::ui {

AciWindow::AciWindow(TfrmACi_Curve& state, QtPlatform& platform, QWidget* parent)
    : AnalysisWindow(platform, parent), state_(state)
{
    setWindowTitle(QString::fromStdString(state.caption));

    makeGrid(state.aciSpreadSheetData,
             [this](MouseButton button, int x, int y) { state_.aciSpreadSheetDataMouseDown(button, x, y); });
    makeChart(
        "aciChart_LightResponseCurve",
        [this] {
            chart::ChartSpec spec;
            spec.titleLines = state_.aciChart_LightResponseCurve.lines();
            spec.leftAxisTitle = state_.aciChart_LeftAxisTitle;
            spec.rightAxisTitle = state_.aciChart_RightAxisTitle;
            spec.gradientEnd = state_.aciChart_GradientEnd;
            spec.series = {&state_.Series_LightAssim, &state_.Series_Wc, &state_.Series_Wj, &state_.Series_Wp};
            return spec;
        },
        state.aciChart_LightResponseCurve,
        {&state.Series_LightAssim, &state.Series_Wc, &state.Series_Wj, &state.Series_Wp});

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
    resize(1180, 660);
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
    panel->setFixedWidth(300);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(temperature);
    column->addWidget(light);
    column->addStretch(1);
    return panel;
}

void AciWindow::makeMenus()
{
    TfrmACi_Curve& s = state_;
    QMenu* file = menuBar()->addMenu(QString::fromStdString(s.aciMnuFile.caption));
    QMenu* import = file->addMenu(QString::fromStdString(s.aciMnuFileImport.caption));
    addCommand(import, s.aciMnuFIleImportText, "aciMnuFIleImportText", [&s] { s.aciMnuFIleImportTextClick(); });
    addCommand(import, s.aciMnuFileImortVerdex, "aciMnuFileImortVerdex", [&s] { s.aciMnuFileImortVerdexClick(); });
    addCommand(file, s.aciMnuFileExport, "aciMnuFileExport", [&s] { s.aciMnuFileExportClick(); });
    addCommand(file, s.aciMnuFileClear, "aciMnuFileClear", [&s] { s.aciMnuFileClearClick(); });
    file->addSeparator();
    addCommand(file, s.aciMnuFilePrint, "aciMnuFilePrint", [this, &s] {
        chartPanel_->refreshNow();
        s.aciMnuFilePrintClick();
    });
    file->addSeparator();
    addCommand(file, s.aciMnuFileExit, "aciMnuFileExit", [&s] { s.aciMnuFileExitClick(); });

    QMenu* results = menuBar()->addMenu(QString::fromStdString(s.aciMnuResults.caption));
    addCommand(results, s.aciMnuResultsPlotData, "aciMnuResultsPlotData", [&s] { s.aciMnuResultsPlotDataClick(); });
    addCommand(results, s.aciMnuResultsComputeCurve, "aciMnuResultsComputeCurve",
               [&s] { s.aciMnuResultsComputeCurveClick(); });
    menuBar()->addAction(addCommand(nullptr, s.aciMnuAbout, "aciMnuAbout", [&s] { s.aciMnuAboutClick(); }));

    QMenu* gridMenu = makePopupMenu("aciPopupMenu");
    addCommand(gridMenu, s.aciPopupCopy, "aciPopupCopy", [&s] { s.aciPopupCopyClick(); }, false);
    addCommand(gridMenu, s.aciPopupPaste, "aciPopupPaste", [&s] { s.aciPopupPasteClick(); }, false);

    QMenu* fieldMenu = makePopupMenu("aciPopupMenu2");
    addCommand(fieldMenu, s.aciPopup2Copy, "aciPopup2Copy", [&s] { s.aciPopup2CopyClick(); }, false);
    QAction* copyAll =
        addCommand(fieldMenu, s.aciPopup2CopyAll, "aciPopup2CopyAll", [&s] { s.aciPopUp2CopyAllClick(); }, false);
    addCommand(fieldMenu, s.aciPopup2Paste, "aciPopup2Paste", [&s] { s.aciPopUp2PasteClick(); }, false);
    setFieldMenu(fieldMenu, copyAll);
}

}  // namespace calvane::ui
