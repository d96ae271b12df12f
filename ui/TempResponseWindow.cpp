#include "ui/TempResponseWindow.h"

#include "chart/drawing/TempResponseChart.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "tresponse/TempResponse.h"
#include "ui/Bindings.h"
#include "ui/ChartPanel.h"
#include "ui/ChartSaver.h"
#include "ui/Command.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QtCore/QPointer>
#include <QtGui/QAction>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QDialog>
#include <QtWidgets/QDialogButtonBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

namespace calvane::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// The column a name suggests, else `fallback`.
int suggestedColumn(const QStringList& columns, const QStringList& hints, int fallback)
{
    for (const QString& hint : hints)
        for (int k = 0; k < columns.size(); ++k)
            if (columns[k].contains(hint, Qt::CaseInsensitive))
                return k;
    return std::min(fallback, static_cast<int>(columns.size()) - 1);
}

}  // namespace

TempResponseWindow::TempResponseWindow(TempResponse& state, QtPlatform& platform, QWidget* parent)
    : QMainWindow(parent), state_(state), platform_(platform)
{
    setWindowTitle(tr("Temperature Response"));

    gridView_ = new GridView(platform, state.grid);
    gridView_->setMinimumWidth(230);
    chartPanel_ = new ChartPanel([this] { return chart::tempResponseChartDrawing(state_); });
    chartPanel_->follow(state.Series_Measured);
    chartPanel_->follow(state.Series_Fitted);
    chartPanel_->follow(state.chartTitle);
    chartPanel_->setMinimumSize(480, 360);

    auto* identifier = new QLineEdit;
    bindTextField(platform, state.identifier, identifier);
    auto* identifierRow = new QHBoxLayout;
    identifierRow->addWidget(new QLabel(tr("Identifier:")));
    identifierRow->addWidget(identifier, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(identifierRow);
    left->addWidget(gridView_, 1);

    // The model, Hd and Fit, then the results and the fit's message.
    model_ = new QComboBox;
    model_->addItem(qs(temperatureModelName(TemperatureModel::Arrhenius)));
    model_->addItem(qs(temperatureModelName(TemperatureModel::Peaked)));
    auto* hd = new QLineEdit;
    bindTextField(platform, state.hd, hd);
    auto* hdLabel = new QLabel(tr("Hd (J mol-1)"));
    auto followModel = [this, hd, hdLabel] {
        const bool peaked = state_.model() == TemperatureModel::Peaked;
        model_->setCurrentIndex(peaked ? 1 : 0);
        hd->setEnabled(peaked);
        hdLabel->setEnabled(peaked);
    };
    followModel();
    QPointer<QComboBox> guard(model_);
    state.modelChanged.connect([guard, followModel] {
        if (guard)
            followModel();
    });
    connect(model_, &QComboBox::currentIndexChanged, this, [this](int index) {
        run([this, index] { state_.setModel(index == 1 ? TemperatureModel::Peaked : TemperatureModel::Arrhenius); });
    });
    fitButton_ = new QPushButton(tr("Fit"));
    fitButton_->setToolTip(tr("Fit the model to the pairs in the grid (F6)"));
    connect(fitButton_, &QPushButton::clicked, this, [this] { run([this] { state_.fitClick(); }); });

    auto* settings = new QGroupBox(tr("Model"));
    auto* form = new QFormLayout(settings);
    form->addRow(tr("Function"), model_);
    form->addRow(hdLabel, hd);
    form->addRow(QString(), fitButton_);

    results_ = new QTableWidget(0, 5);
    results_->setHorizontalHeaderLabels(
        {tr("Result"), tr("Value"), tr("Std. error"), tr("95 % lower"), tr("95 % upper")});
    results_->verticalHeader()->hide();
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->horizontalHeader()->setStretchLastSection(true);
    results_->setToolTip(tr("Ea, Hd in J mol-1; dS in J mol-1 K-1; Topt in degrees C; the 95 % profile interval "
                            "beside each fitted parameter, an end empty where it does not close"));
    auto* message = new QLineEdit;
    bindTextField(platform, state.message, message);
    auto* resultsBox = new QGroupBox(tr("Results"));
    auto* resultsLayout = new QVBoxLayout(resultsBox);
    resultsLayout->addWidget(results_, 1);
    resultsLayout->addWidget(message);

    auto* middle = new QVBoxLayout;
    middle->addWidget(settings);
    middle->addWidget(resultsBox, 1);
    auto* middleWidget = new QWidget;
    middleWidget->setLayout(middle);
    middleWidget->setFixedWidth(400);

    auto* central = new QWidget;
    auto* layout = new QHBoxLayout(central);
    layout->addLayout(left, 0);
    layout->addWidget(middleWidget, 0);
    layout->addWidget(chartPanel_, 1);
    setCentralWidget(central);

    // The results follow the fit, and go when the pairs or settings change.
    QPointer<QTableWidget> table(results_);
    auto refresh = [this, table] {
        if (table)
            showResults();
    };
    state.message.textChanged.connect(refresh);
    state.grid.cellChanged.connect([refresh](int, int) { refresh(); });
    state.modelChanged.connect(refresh);
    showResults();

    QMenu* file = menuBar()->addMenu(tr("File"));
    QAction* load = file->addAction(tr("Load CSV..."));
    load->setStatusTip(tr("Load two columns of a table: leaf temperature and value"));
    connect(load, &QAction::triggered, this, [this] { loadCsv(); });
    QAction* paste = file->addAction(tr("Paste Pairs"));
    paste->setStatusTip(tr("Paste temperature and value pairs over the grid"));
    connect(paste, &QAction::triggered, this, [this] { run([this] { state_.pasteClick(); }); });
    QAction* exportAction = file->addAction(tr("Export"));
    exportAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    connect(exportAction, &QAction::triggered, this, [this] { run([this] { state_.exportClick(); }); });
    auto* chartSaver = new ChartSaver(this, QStringLiteral("TResponseChart"),
                                      [this] { return chart::ChartCopy(chart::tempResponseChartDrawing(state_)); });
    QAction* saveChart = file->addAction(qs(saveChartAsItem.caption));
    connect(saveChart, &QAction::triggered, this, [this, chartSaver] {
        chartPanel_->refreshNow();
        run([chartSaver] { chartSaver->saveAs(); });
    });
    QAction* clear = file->addAction(tr("Clear"));
    connect(clear, &QAction::triggered, this, [this] { run([this] { state_.clearClick(); }); });
    file->addSeparator();
    QAction* close = file->addAction(tr("Close"));
    connect(close, &QAction::triggered, this, &QWidget::hide);
    QMenu* results = menuBar()->addMenu(tr("Results"));
    QAction* fit = results->addAction(tr("Fit"));
    fit->setShortcut(QKeySequence(Qt::Key_F6));
    connect(fit, &QAction::triggered, this, [this] { run([this] { state_.fitClick(); }); });

    resize(1200, 620);
}

void TempResponseWindow::run(const std::function<void()>& command)
{
    runCommand(platform_, command);
    showResults();
}

void TempResponseWindow::showResults()
{
    const auto lines = state_.resultLines();
    results_->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const auto& line = lines[static_cast<std::size_t>(row)];
        results_->setItem(row, 0, new QTableWidgetItem(qs(line.name)));
        results_->setItem(row, 1, new QTableWidgetItem(qs(line.value)));
        results_->setItem(row, 2, new QTableWidgetItem(line.error ? qs(*line.error) : QString()));
        results_->setItem(row, 3, new QTableWidgetItem(line.lower ? qs(*line.lower) : QString()));
        results_->setItem(row, 4, new QTableWidgetItem(line.upper ? qs(*line.upper) : QString()));
    }
    results_->resizeColumnsToContents();
}

void TempResponseWindow::showPairs(const std::vector<std::pair<double, double>>& pairs, const std::string& valueName)
{
    state_.setPoints(pairs, valueName);
    show();
    raise();
    activateWindow();
    run([this] { state_.fitClick(); });
}

void TempResponseWindow::loadCsv()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("Load CSV"), {},
                                                      tr("CSV files (*.csv);;Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    run([this, path] {
        const auto bytes = readFileBytes(path.toStdString());
        if (!bytes)
            throw FileError::cannotOpen(path.toStdString());
        const std::string text = decodeText(*bytes);
        QStringList columns;
        for (const auto& name : TempResponse::tableColumns(text))
            columns.append(qs(name));

        // Which two columns: leaf temperature and value.
        QDialog dialog(this);
        dialog.setWindowTitle(tr("Choose Columns"));
        auto* temp = new QComboBox(&dialog);
        auto* value = new QComboBox(&dialog);
        temp->addItems(columns);
        value->addItems(columns);
        temp->setCurrentIndex(suggestedColumn(columns, {QStringLiteral("tleaf"), QStringLiteral("temp")}, 0));
        value->setCurrentIndex(suggestedColumn(columns, {QStringLiteral("vcmax"), QStringLiteral("jmax")}, 1));
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        auto* form = new QFormLayout(&dialog);
        form->addRow(tr("Leaf temperature (\u00B0C)"), temp);
        form->addRow(tr("Value"), value);
        form->addRow(buttons);
        if (dialog.exec() != QDialog::Accepted)
            return;
        // By number, so that two columns of one name stay apart.
        state_.loadColumns(text, std::to_string(temp->currentIndex() + 1), std::to_string(value->currentIndex() + 1));
    });
}

}  // namespace calvane::ui
