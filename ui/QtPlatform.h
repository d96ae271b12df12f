#pragma once
// QtPlatform: the Qt side of Platform. Message boxes, file dialogs, the clipboard,
// printing and the locale come from Qt; the windows register the widgets that the
// toolkit-free windows hold (charts, pop-up menus, focusable fields, import dialogs)
// so that a command reaches them by the control.

#include "core/Platform.h"

#include <QObject>
#include <QPointer>
#include <QPrinter>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QDialog;
class QMenu;
class QWidget;

namespace calvane::ui {

class QtPlatform;

// Swallows user input while a long task runs, so the windows keep painting without
// taking clicks or keys (and nothing is replayed afterwards). Only the ways to stop the
// task get through: Escape, the Cancel buttons, and closing a window, which stops the
// task and closes the window once it has ended.
class InputBlocker : public QObject {
    Q_OBJECT
public:
    explicit InputBlocker(QtPlatform& platform) : platform_(platform) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QtPlatform& platform_;
};

class QtPlatform : public Platform {
public:
    QtPlatform();
    ~QtPlatform() override;

    void showError(const std::string& message) override;
    bool askYesNo(const std::string& question) override;
    bool confirm(const std::string& title, const std::string& question) override;
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override;
    std::optional<std::string> chooseOpenFile(const FileDialogOptions& options) override;
    void runImportDialog(TFrmParseVerdex& dialog) override;
    char decimalSeparator() const override;
    std::string clipboardText() override;
    void setClipboardText(const std::string& text) override;

    bool showPrintDialog() override;
    void printChart(const ChartTitle& chart) override;
    void printLines(const ReportText& report, const std::string& title, const std::vector<std::string>& lines) override;
    // To a printer, the chart's job and the report's; to a file, one file with both.
    void printChartAndReport(const ChartTitle& chart, const ReportText& report, const std::string& title,
                             const std::vector<std::string>& lines) override;

    bool hasFocus(const void* control) const override;
    void openPopupMenu(const PopupMenu& menu, int screenX, int screenY) override;
    void repaint() override;
    void runLongTask(const std::function<void(const UiPost& post)>& work) override;
    bool cancelRequested() const override { return cancel_.load(std::memory_order_relaxed); }

    // Asks the long task that runs to stop (nothing when none runs). A window closed
    // meanwhile closes once the task has ended.
    void requestCancel();
    void closeAfterTask(QWidget* window);
    // A button that stops the long task: enabled only while one runs, and clickable then.
    void registerCancelButton(QAbstractButton* button);
    bool isCancelButton(const QObject* object) const;

    // The widgets of the toolkit-free windows' controls.
    void registerChart(const ChartTitle* chart, QWidget* chartView);
    void registerPopupMenu(const PopupMenu* menu, QMenu* widget);
    void registerFocusTarget(const void* control, QWidget* widget);
    void registerImportDialog(const TFrmParseVerdex* dialog, QDialog* view);

    QMenu* popupMenu(const PopupMenu& menu) const;
    // The printer the print dialog sets up and the print jobs after it use.
    QPrinter& printer();
    // True while a long task runs.
    bool busy() const { return busy_; }

    // Qt's "a|b" filter pairs ("Desc|*.ext|...") as QFileDialog name filters.
    static QStringList nameFilters(const std::string& filter);
    // A lone LF becomes CR LF, so that text from a program that ends lines with LF
    // reads line by line.
    static QString withCrLf(const QString& text);

private:
    std::optional<std::string> runFileDialog(const FileDialogOptions& options, bool save);

    std::map<const ChartTitle*, QPointer<QWidget>> charts_;
    std::map<const PopupMenu*, QPointer<QMenu>> menus_;
    std::map<const void*, QPointer<QWidget>> focusTargets_;
    std::map<const TFrmParseVerdex*, QPointer<QDialog>> importDialogs_;
    std::unique_ptr<QObject> postTarget_;  // lives on the user-interface thread
    std::unique_ptr<QPrinter> printer_;    // chosen by the print dialog, used by the jobs after it
    bool busy_ = false;
    std::atomic<bool> cancel_{false};
    std::vector<QPointer<QAbstractButton>> cancelButtons_;
    std::vector<QPointer<QWidget>> closeAfterTask_;
};

}  // namespace calvane::ui
