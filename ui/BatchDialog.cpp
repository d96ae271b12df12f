#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "batch/BatchJob.h"
#include "batch/BatchRun.h"
#include "core/FieldTable.h"
#include "core/NumberText.h"
#include "core/Platform.h"
#include "import/ParseVerdex.h"
#include "tresponse/TempResponse.h"

#include "ui/BatchDialog.h"

#include <QtCore/QSortFilterProxyModel>
#include <QtGui/QCloseEvent>
#include <QtGui/QStandardItemModel>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QFormLayout>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QTableView>
#include <QtWidgets/QTableWidget>
#include <QtWidgets/QVBoxLayout>

#include <cmath>
#include <memory>
#include <sstream>

namespace calvane::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

enum FieldColumn { NameColumn, ValueColumn, FixedColumn };

}  // namespace

BatchDialog::BatchDialog(TfrmACi_Curve& aci, TfrmAQ_C3_Curve& aq, Platform& platform, QWidget* parent)
    : QDialog(parent), aci_(aci), aq_(aq), platform_(platform)
{
    setWindowTitle(tr("Batch Fit"));
    resize(940, 780);

    windowType_ = new QComboBox(this);
    windowType_->addItem(tr("A/Ci curves"));
    windowType_->addItem(tr("Light-response curves"));

    // Inputs: files and folders (a folder stands for its .csv files).
    inputs_ = new QListWidget(this);
    inputs_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* addFiles = new QPushButton(tr("Add Files..."), this);
    auto* addFolder = new QPushButton(tr("Add Folder..."), this);
    auto* remove = new QPushButton(tr("Remove"), this);
    connect(addFiles, &QPushButton::clicked, this, [this] {
        addInputs(QFileDialog::getOpenFileNames(this, tr("Add Files"), {}, tr("CSV files (*.csv);;All files (*)")));
    });
    connect(addFolder, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Add Folder"));
        if (!folder.isEmpty())
            addInputs({folder});
    });
    connect(remove, &QPushButton::clicked, this, [this] { qDeleteAll(inputs_->selectedItems()); });
    auto* inputButtons = new QVBoxLayout;
    inputButtons->addWidget(addFiles);
    inputButtons->addWidget(addFolder);
    inputButtons->addWidget(remove);
    inputButtons->addStretch();
    auto* inputBox = new QGroupBox(tr("Files and folders"), this);
    auto* inputLayout = new QHBoxLayout(inputBox);
    inputLayout->addWidget(inputs_);
    inputLayout->addLayout(inputButtons);

    // One table of many curves, cut by a group column.
    tableGroup_ = new QGroupBox(tr("Each file is one table of many curves"), this);
    tableGroup_->setCheckable(true);
    tableGroup_->setChecked(false);
    groupColumn_ = new QLineEdit(tableGroup_);
    xColumn_ = new QLineEdit(tableGroup_);
    aColumn_ = new QLineEdit(tableGroup_);
    meanColumn_ = new QLineEdit(tableGroup_);
    meanLabel_ = new QLabel(tableGroup_);
    for (QLineEdit* column : {groupColumn_, xColumn_, aColumn_, meanColumn_})
        column->setPlaceholderText(tr("header text or column number"));
    auto* tableLayout = new QFormLayout(tableGroup_);
    tableLayout->addRow(tr("Curve column"), groupColumn_);
    tableLayout->addRow(tr("X column"), xColumn_);
    tableLayout->addRow(tr("A column"), aColumn_);
    tableLayout->addRow(meanLabel_, meanColumn_);

    // The fields every curve starts from, and the commands.
    fields_ = new QTableWidget(0, 3, this);
    fields_->setHorizontalHeaderLabels({tr("Field"), tr("Value"), tr("Fixed")});
    fields_->verticalHeader()->hide();
    fields_->horizontalHeader()->setStretchLastSection(true);
    // A batch starts clean unless the user asks otherwise: a window's fixed flags, set
    // for one curve, would hold every curve of the batch at that curve's values.
    fromWindow_ = new QCheckBox(tr("Start from the window's current fields"), this);
    fromWindow_->setToolTip(tr("Unticked: every field as in a fresh window, no value fixed"));
    connect(fromWindow_, &QCheckBox::toggled, this, [this] { startFields(); });
    command_ = new QComboBox(this);
    standardFit_ = new QCheckBox(tr("Standard fit as well"), this);
    auto* fieldBox = new QGroupBox(tr("Fields and commands"), this);
    auto* fieldLayout = new QVBoxLayout(fieldBox);
    fieldLayout->addWidget(fields_);
    fieldLayout->addWidget(fromWindow_);
    auto* commandRow = new QFormLayout;
    commandRow->addRow(tr("Command"), command_);
    commandRow->addRow(QString(), standardFit_);
    // The A/Ci standard fit's settings, as the window's "Fit TPU" and "gm"; a batch
    // starts without them.
    fitTpu_ = new QCheckBox(tr("Fit TPU"), this);
    fitTpu_->setToolTip(tr("Let TPU limit the high-Ci points of every curve's standard fit"));
    gm_ = new QLineEdit(this);
    gm_->setPlaceholderText(tr("empty: the fit on Ci"));
    gm_->setToolTip(tr("Mesophyll conductance (mol m-2 s-1 bar-1) for every curve's standard fit"));
    commandRow->addRow(QString(), fitTpu_);
    commandRow->addRow(tr("gm (mol m\u207B\u00B2 s\u207B\u00B9 bar\u207B\u00B9)"), gm_);
    commandRows_ = commandRow;
    for (QWidget* option : {static_cast<QWidget*>(fitTpu_), static_cast<QWidget*>(gm_)}) {
        option->setEnabled(false);
        connect(standardFit_, &QCheckBox::toggled, option, &QWidget::setEnabled);
    }
    fieldLayout->addLayout(commandRow);

    outputFolder_ = new QLineEdit(this);
    outputFolder_->setPlaceholderText(tr("no export files"));
    auto* browse = new QPushButton(tr("Browse..."), this);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Output Folder"), outputFolder_->text());
        if (!folder.isEmpty())
            outputFolder_->setText(folder);
    });
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(new QLabel(tr("Export files to"), this));
    outputRow->addWidget(outputFolder_, 1);
    outputRow->addWidget(browse);

    progress_ = new QProgressBar(this);
    progress_->setValue(0);
    runButton_ = new QPushButton(tr("Run"), this);
    runButton_->setDefault(true);
    cancelButton_ = new QPushButton(tr("Cancel"), this);
    cancelButton_->setEnabled(false);
    connect(runButton_, &QPushButton::clicked, this, [this] { run(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });
    auto* runRow = new QHBoxLayout;
    runRow->addWidget(progress_, 1);
    runRow->addWidget(runButton_);
    runRow->addWidget(cancelButton_);

    // The summary: a row per curve, sortable by any column.
    summary_ = new QStandardItemModel(this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(summary_);
    sorted_->setSortRole(Qt::UserRole);
    summaryView_ = new QTableView(this);
    summaryView_->setModel(sorted_);
    summaryView_->setSortingEnabled(true);
    summaryView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    copyButton_ = new QPushButton(tr("Copy Table"), this);
    copyButton_->setToolTip(tr("Copy the summary as tab-separated text, ready for a spreadsheet"));
    connect(copyButton_, &QPushButton::clicked, this, [this] { copySummary(); });
    saveButton_ = new QPushButton(tr("Save Summary..."), this);
    saveButton_->setToolTip(tr("Save the summary as a CSV file, as calvane-batch --summary writes it"));
    saveButton_->setEnabled(false);
    connect(saveButton_, &QPushButton::clicked, this, [this] { saveSummary(); });
    temperatureResponseButton_ = new QPushButton(tr("Temperature Response..."), this);
    temperatureResponseButton_->setToolTip(
        tr("Fit the temperature response of the standard-fit Vcmax or Jmax of the curves shown"));
    auto* responseMenu = new QMenu(temperatureResponseButton_);
    for (const char* name : {"Vcmax", "Jmax"})
        connect(responseMenu->addAction(tr("Standard %1").arg(QLatin1String(name))), &QAction::triggered, this,
                [this, name] { openTemperatureResponse(name); });
    temperatureResponseButton_->setMenu(responseMenu);
    messages_ = new QPlainTextEdit(this);
    messages_->setReadOnly(true);
    messages_->setPlaceholderText(tr("Messages of the run"));
    messages_->setMaximumHeight(70);

    auto* settings = new QWidget(this);
    auto* settingsLayout = new QVBoxLayout(settings);
    settingsLayout->setContentsMargins(0, 0, 0, 0);
    auto* typeRow = new QFormLayout;
    typeRow->addRow(tr("Window"), windowType_);
    settingsLayout->addLayout(typeRow);
    settingsLayout->addWidget(inputBox);
    settingsLayout->addWidget(tableGroup_);
    settingsLayout->addLayout(outputRow);
    auto* top = new QHBoxLayout;
    top->addWidget(settings, 3);
    top->addWidget(fieldBox, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(runRow);
    summaryView_->setMinimumHeight(220);
    layout->addWidget(summaryView_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(messages_, 1);
    auto* summaryButtons = new QVBoxLayout;
    summaryButtons->addWidget(copyButton_);
    summaryButtons->addWidget(saveButton_);
    summaryButtons->addWidget(temperatureResponseButton_);
    summaryButtons->addStretch();
    bottom->addLayout(summaryButtons);
    layout->addLayout(bottom);

    connect(windowType_, &QComboBox::currentIndexChanged, this, [this] { windowTypeChanged(); });
    windowTypeChanged();
}

BatchDialog::~BatchDialog()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

bool BatchDialog::lightResponse() const { return windowType_->currentIndex() == 1; }

namespace {

// The fields a curve starts from, in the summary's order; GammaStar and the light
// points are results only.
template <typename Window>
void appendStartFields(Window& window, std::vector<BatchDialog::Field>& fields)
{
    using Row = ParameterRow<Window>;
    for (const Row* row : inOrder(Window::parameterTable(), &Row::summaryOrder)) {
        if (!row->resultOnly)
            fields.push_back(
                {std::string(row->name), &(window.*row->field), row->flag ? &(window.*row->flag) : nullptr});
    }
}

}  // namespace

void BatchDialog::startFields()
{
    std::vector<Field> fields;
    if (fromWindow_->isChecked()) {
        if (lightResponse())
            appendStartFields(aq_, fields);
        else
            appendStartFields(aci_, fields);
        fillFieldTable(fields, true);
        return;
    }
    // A fresh window of the type, as calvane-batch starts each curve from.
    ImportSettings settings;
    if (lightResponse()) {
        TfrmAQ_C3_Curve fresh(platform_, settings);
        appendStartFields(fresh, fields);
        fillFieldTable(fields, false);
    } else {
        TfrmACi_Curve fresh(platform_, settings);
        appendStartFields(fresh, fields);
        fillFieldTable(fields, false);
    }
}

void BatchDialog::followWindows()
{
    if (fromWindow_->isChecked())
        startFields();
}

void BatchDialog::fillFieldTable(const std::vector<Field>& fields, bool withFlags)
{
    fields_->setRowCount(static_cast<int>(fields.size()));
    for (int row = 0; row < static_cast<int>(fields.size()); ++row) {
        const Field& field = fields[static_cast<std::size_t>(row)];
        auto* name = new QTableWidgetItem(qs(field.name));
        name->setFlags(Qt::ItemIsEnabled);
        fields_->setItem(row, NameColumn, name);
        fields_->setItem(row, ValueColumn, new QTableWidgetItem(qs(field.text->text())));
        auto* fixed = new QTableWidgetItem;
        if (field.flag) {
            fixed->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            fixed->setCheckState(withFlags && field.flag->checked() ? Qt::Checked : Qt::Unchecked);
        } else {
            fixed->setFlags(Qt::NoItemFlags);
        }
        fields_->setItem(row, FixedColumn, fixed);
    }
    fields_->resizeColumnsToContents();
}

void BatchDialog::windowTypeChanged()
{
    const bool aq = lightResponse();
    auto* form = static_cast<QFormLayout*>(tableGroup_->layout());
    if (auto* label = qobject_cast<QLabel*>(form->labelForField(xColumn_)))
        label->setText(aq ? tr("Light column") : tr("Ci column"));
    meanLabel_->setText(aq ? tr("Par Abs column (mean)") : tr("Leaf temperature column (mean)"));
    commandRows_->setRowVisible(fitTpu_, !aq);
    commandRows_->setRowVisible(gm_, !aq);
    command_->clear();
    auto addCommand = [this](const QString& caption, batch::Command command) {
        command_->addItem(caption, static_cast<int>(command));
    };
    if (aq) {
        addCommand(tr("Fit Curve"), batch::Command::Fit);
        addCommand(tr("Refine Curve"), batch::Command::Refine);
    } else {
        addCommand(tr("Compute Curves"), batch::Command::Compute);
    }
    startFields();
}

void BatchDialog::addInputs(const QStringList& paths)
{
    for (const QString& path : paths)
        if (!path.isEmpty() && inputs_->findItems(path, Qt::MatchExactly).isEmpty())
            inputs_->addItem(path);
}

batch::BatchJob BatchDialog::job() const
{
    using What = batch::FieldAction::What;
    batch::BatchJob job;
    job.kind = lightResponse() ? batch::WindowKind::Aq : batch::WindowKind::Aci;
    // A column's mean fills the leaf temperature or Par Abs of each curve; typing the
    // field as well would overwrite it.
    std::string meanField;
    if (tableGroup_->isChecked()) {
        job.group = ss(groupColumn_->text().trimmed());
        job.xColumn = ss(xColumn_->text().trimmed());
        job.aColumn = ss(aColumn_->text().trimmed());
        if (!meanColumn_->text().trimmed().isEmpty()) {
            job.means.push_back({lightResponse() ? batch::MeanField::ParAbs : batch::MeanField::LeafTemperature,
                                 ss(meanColumn_->text().trimmed())});
            meanField = lightResponse() ? "ParAbs" : "Temp";
        }
    }
    for (int row = 0; row < fields_->rowCount(); ++row) {
        const std::string name = ss(fields_->item(row, NameColumn)->text());
        if (name == meanField)
            continue;
        const std::string value = ss(fields_->item(row, ValueColumn)->text());
        const QTableWidgetItem* fixed = fields_->item(row, FixedColumn);
        const bool hasFlag = fixed->flags() & Qt::ItemIsUserCheckable;
        if (hasFlag && fixed->checkState() == Qt::Checked) {
            job.fields.push_back({What::Fix, name, value});
        } else {
            job.fields.push_back({What::Set, name, value});
            if (hasFlag)
                job.fields.push_back({What::Free, name, std::nullopt});
        }
    }
    job.commands.push_back(static_cast<batch::Command>(command_->currentData().toInt()));
    job.standardFit = standardFit_->isChecked();
    if (job.standardFit && !lightResponse()) {
        job.standardOptions.fitTpu = fitTpu_->isChecked();
        if (const QString gm = gm_->text().trimmed(); !gm.isEmpty())
            job.standardOptions.gm = ss(gm);
    }
    if (!outputFolder_->text().trimmed().isEmpty())
        job.outDir = ss(outputFolder_->text().trimmed());
    for (int row = 0; row < inputs_->count(); ++row)
        job.inputs.push_back(ss(inputs_->item(row)->text()));
    return job;
}

void BatchDialog::run()
{
    if (running())
        return;
    if (inputs_->count() == 0) {
        platform_.showError("Add at least one file or folder to fit");
        return;
    }
    // Refused here rather than by every curve's fit in turn.
    if (const auto gm = this->job().standardOptions.gm) {
        const auto value = readNumber(*gm, '.');
        if (!value || !(*value > 0) || !std::isfinite(*value)) {
            platform_.showError("gm \"" + *gm +
                                "\" is not a positive number of mol m-2 s-1 bar-1; leave it empty for the fit on Ci");
            return;
        }
    }
    const batch::BatchJob job = this->job();
    const char separator = platform_.decimalSeparator();
    cancel_ = false;
    summary_->clear();
    summaryFile_.clear();
    saveButton_->setEnabled(false);
    messages_->clear();
    setRunning(true);
    worker_ = std::thread([this, job, separator] {
        batch::RunSettings settings;
        settings.cancel = &cancel_;
        settings.onProgress = [this](std::size_t done, std::size_t total, const std::string& current) {
            QMetaObject::invokeMethod(
                this, [this, done, total, current = qs(current)] { showProgress(done, total, current); },
                Qt::QueuedConnection);
        };
        std::ostream exports(nullptr);  // exports go to their files, or nowhere
        std::ostringstream messages;
        auto outcome = std::make_shared<batch::BatchOutcome>();
        try {
            *outcome = batch::runBatch(job, exports, messages, separator, settings);
        } catch (const std::exception& error) {
            messages << error.what() << '\n';
            outcome->status = batch::exitUsage;
        }
        if (outcome->usageError)
            messages << *outcome->usageError << '\n';
        QMetaObject::invokeMethod(
            this, [this, outcome, text = qs(messages.str())] { runEnded(*outcome, text); }, Qt::QueuedConnection);
    });
}

void BatchDialog::showProgress(std::size_t done, std::size_t total, const QString& current)
{
    progress_->setMaximum(static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
    progress_->setFormat(current.isEmpty() ? tr("%v of %m curves") : tr("%v of %m curves, now %1").arg(current));
}

void BatchDialog::runEnded(const batch::BatchOutcome& outcome, const QString& messages)
{
    worker_.join();
    setRunning(false);
    QString text = messages;
    if (cancel_)
        text += tr("Cancelled: the curves after the last row shown were not fitted.\n");
    else if (outcome.status == batch::exitClean)
        text += tr("Every curve ran without a message.\n");
    messages_->setPlainText(text);
    showSummary(outcome);
    Q_EMIT finished();
}

void BatchDialog::showSummary(const batch::BatchOutcome& outcome)
{
    summary_->clear();
    if (outcome.summaryHeader.empty())
        return;
    QStringList header;
    for (const auto& name : outcome.summaryHeader)
        header.append(qs(name));
    summary_->setHorizontalHeaderLabels(header);
    for (const auto& curve : outcome.curves) {
        QList<QStandardItem*> row;
        for (const auto& field : curve.summaryRow) {
            auto* item = new QStandardItem(qs(field));
            // Numbers sort as numbers; the summary writes them with '.' whatever the locale.
            bool number = false;
            const double value = QString::fromStdString(field).toDouble(&number);
            item->setData(number ? QVariant(value) : QVariant(qs(field)), Qt::UserRole);
            row.append(item);
        }
        summary_->appendRow(row);
    }
    // In input order until the user sorts by a column.
    summaryView_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    sorted_->sort(-1);
    summaryView_->resizeColumnsToContents();
    summaryFile_ = batch::summaryCsv(outcome);
    saveButton_->setEnabled(true);
}

void BatchDialog::copySummary()
{
    // As shown, sorted or not: a header line and a line per curve, tab between columns.
    auto clean = [](QString text) { return text.replace('\t', ' ').replace('\r', ' ').replace('\n', ' '); };
    QStringList lines;
    QStringList header;
    for (int col = 0; col < sorted_->columnCount(); ++col)
        header.append(clean(sorted_->headerData(col, Qt::Horizontal).toString()));
    lines.append(header.join('\t'));
    for (int row = 0; row < sorted_->rowCount(); ++row) {
        QStringList cells;
        for (int col = 0; col < sorted_->columnCount(); ++col)
            cells.append(clean(sorted_->index(row, col).data().toString()));
        lines.append(cells.join('\t'));
    }
    platform_.setClipboardText(ss(lines.join("\r\n") + "\r\n"));
}

void BatchDialog::saveSummary()
{
    if (summaryFile_.empty())
        return;
    FileDialogOptions options;
    options.title = "Save Summary";
    options.filter = "CSV file (*.csv)|*.csv|All files (*.*)|*.*";
    options.defaultExtension = "csv";
    options.initialName = "summary.csv";
    const auto path = platform_.chooseSaveFile(options);
    if (!path)
        return;
    try {
        platform_.writeFile(*path, summaryFile_);
    } catch (const std::exception& error) {
        platform_.showError(error.what());
    }
}

void BatchDialog::openTemperatureResponse(const std::string& name)
{
    // The curves as shown: sorted as the table is, none that a filter hides.
    std::vector<std::string> header;
    for (int col = 0; col < sorted_->columnCount(); ++col)
        header.push_back(ss(sorted_->headerData(col, Qt::Horizontal).toString()));
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < sorted_->rowCount(); ++row) {
        std::vector<std::string> cells;
        for (int col = 0; col < sorted_->columnCount(); ++col)
            cells.push_back(ss(sorted_->index(row, col).data().toString()));
        rows.push_back(std::move(cells));
    }
    try {
        const auto pairs = TempResponse::pairsFromTable(header, rows, name);
        if (openTemperatureResponse_)
            openTemperatureResponse_(pairs, name + " (umol m-2 s-1)");
    } catch (const std::exception& error) {
        platform_.showError(error.what());
    }
}

void BatchDialog::setRunning(bool running)
{
    runButton_->setEnabled(!running);
    cancelButton_->setEnabled(running);
    windowType_->setEnabled(!running);
    if (running) {
        progress_->setMaximum(0);  // busy until the first curve is counted
        progress_->setValue(0);
    }
}

void BatchDialog::closeEvent(QCloseEvent* event)
{
    if (running()) {
        cancel_ = true;  // the dialog closes once the curves already running are done
        connect(this, &BatchDialog::finished, this, &QDialog::hide, Qt::SingleShotConnection);
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void BatchDialog::reject()
{
    if (running()) {
        cancel_ = true;
        connect(this, &BatchDialog::finished, this, &QDialog::hide, Qt::SingleShotConnection);
        return;
    }
    QDialog::reject();
}

}  // namespace calvane::ui
