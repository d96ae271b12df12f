#pragma once
// Tools > "Batch Fit...": many curves through calvane-batch's engine, from the desktop.
// The user picks files, folders or one table of many curves, the window type, the
// field values and fixed flags (those of a fresh window, no flag fixed, unless the
// user asks for the open window's), the standard fit and an output folder; the run
// goes on a worker thread with a progress bar and Cancel, and its summary shows as a
// table in input order that sorts, copies to a spreadsheet and saves as the summary
// file calvane-batch writes.

#include <QtWidgets/QDialog>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;
class QTableWidget;

namespace calvane {
class CheckBox;
class Platform;
class TextField;
class TfrmACi_Curve;
class TfrmAQ_C3_Curve;
}  // namespace calvane

namespace calvane::batch {
struct BatchJob;
struct BatchOutcome;
}  // namespace calvane::batch

namespace calvane::ui {

class BatchDialog : public QDialog {
    Q_OBJECT
public:
    BatchDialog(TfrmACi_Curve& aci, TfrmAQ_C3_Curve& aq, Platform& platform, QWidget* parent = nullptr);
    ~BatchDialog() override;

    // A field a curve starts from, by its calvane-batch name.
    struct Field {
        std::string name;
        TextField* text;
        CheckBox* flag;  // none for a field without a fixed flag
    };

    // The run the dialog's settings stand for.
    batch::BatchJob job() const;
    // Fills the field table: with "Start from the window's current fields" ticked, from
    // the chosen window's fields and flags as they are now; otherwise from those of a
    // fresh window of that type, with no flag fixed.
    void startFields();
    // The dialog opens again: a table taken from the window follows it, a clean one
    // keeps what the user typed.
    void followWindows();
    void addInputs(const QStringList& paths);

    // Starts the run on a worker thread, on calvane-batch's engine; finished() follows
    // when it has ended, with the curves' summary rows in the table.
    void run();
    bool running() const { return worker_.joinable(); }

    QComboBox* windowType() const { return windowType_; }
    QTableWidget* fieldTable() const { return fields_; }
    QGroupBox* tableGroup() const { return tableGroup_; }
    QLineEdit* groupColumn() const { return groupColumn_; }
    QLineEdit* xColumn() const { return xColumn_; }
    QLineEdit* aColumn() const { return aColumn_; }
    QLineEdit* meanColumn() const { return meanColumn_; }
    QCheckBox* standardFit() const { return standardFit_; }
    // The A/Ci standard fit's settings for the whole batch: TPU fitted, and gm.
    QCheckBox* fitTpu() const { return fitTpu_; }
    QLineEdit* gm() const { return gm_; }
    QCheckBox* fromWindow() const { return fromWindow_; }
    QLineEdit* outputFolder() const { return outputFolder_; }
    QTableView* summaryView() const { return summaryView_; }
    QStandardItemModel* summary() const { return summary_; }
    QPlainTextEdit* messages() const { return messages_; }
    QProgressBar* progress() const { return progress_; }
    QPushButton* copyButton() const { return copyButton_; }
    QPushButton* saveButton() const { return saveButton_; }

    // "Temperature Response...": the leaf temperatures and the standard-fit Vcmax or
    // Jmax (`name`) of the curves shown, handed to the temperature-response window.
    using TemperatureResponseOpener =
        std::function<void(const std::vector<std::pair<double, double>>& pairs, const std::string& valueName)>;
    void setTemperatureResponseOpener(TemperatureResponseOpener opener)
    {
        openTemperatureResponse_ = std::move(opener);
    }
    void openTemperatureResponse(const std::string& name);
    QPushButton* temperatureResponseButton() const { return temperatureResponseButton_; }

Q_SIGNALS:
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void fillFieldTable(const std::vector<Field>& fields, bool withFlags);
    bool lightResponse() const;
    void windowTypeChanged();
    void showProgress(std::size_t done, std::size_t total, const QString& current);
    void runEnded(const batch::BatchOutcome& outcome, const QString& messages);
    void showSummary(const batch::BatchOutcome& outcome);
    void copySummary();
    void saveSummary();
    void setRunning(bool running);

    TfrmACi_Curve& aci_;
    TfrmAQ_C3_Curve& aq_;
    Platform& platform_;

    QComboBox* windowType_;
    QListWidget* inputs_;
    QGroupBox* tableGroup_;
    QLineEdit* groupColumn_;
    QLineEdit* xColumn_;
    QLineEdit* aColumn_;
    QLabel* meanLabel_;
    QLineEdit* meanColumn_;
    QTableWidget* fields_;
    QComboBox* command_;
    QCheckBox* standardFit_;
    QFormLayout* commandRows_;
    QCheckBox* fitTpu_;
    QLineEdit* gm_;
    QCheckBox* fromWindow_;
    QLineEdit* outputFolder_;
    QProgressBar* progress_;
    QPushButton* runButton_;
    QPushButton* cancelButton_;
    QPushButton* copyButton_;
    QPushButton* saveButton_;
    QPushButton* temperatureResponseButton_;
    TemperatureResponseOpener openTemperatureResponse_;
    QTableView* summaryView_;
    QStandardItemModel* summary_;
    QSortFilterProxyModel* sorted_;
    QPlainTextEdit* messages_;
    std::string summaryFile_;  // the last run's summary, as calvane-batch --summary writes it

    std::thread worker_;
    std::atomic<bool> cancel_{false};
};

}  // namespace calvane::ui
