#include "ui/QtPlatform.h"

#include "core/Controls.h"
#include "core/Errors.h"
#include "import/ParseVerdex.h"
#include "ui/Printing.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>

namespace calvane::ui {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

QWidget* dialogParent() { return QApplication::activeWindow(); }

// A modal dialog hands the keyboard back to the window that opened it, so that the
// window's shortcuts work at once (a desktop without a window manager leaves the
// keyboard nowhere).
class KeyboardBack {
public:
    KeyboardBack() : window_(QApplication::activeWindow()) {}
    ~KeyboardBack()
    {
        QWidget* const window = window_.data();
        if (window != nullptr && window->isVisible())
            window->activateWindow();
    }
    KeyboardBack(const KeyboardBack&) = delete;
    KeyboardBack& operator=(const KeyboardBack&) = delete;

private:
    QPointer<QWidget> window_;
};

}  // namespace

bool InputBlocker::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            platform_.requestCancel();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (platform_.isCancelButton(watched))
            return QObject::eventFilter(watched, event);
        return true;
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
        return true;
    case QEvent::Close: {
        // A window closed mid-task would come back to a command that still runs: the
        // task stops first, and the window closes after it.
        // The close box reaches the window's QWindow first, then its widget.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (auto* window = qobject_cast<QWindow*>(watched)) {
            for (QWidget* topLevel : QApplication::topLevelWidgets())
                if (topLevel->windowHandle() == window)
                    widget = topLevel;
        }
        if (widget && widget->isWindow() && widget->windowType() != Qt::Popup && widget->windowType() != Qt::ToolTip) {
            platform_.requestCancel();
            platform_.closeAfterTask(widget);
        }
        event->ignore();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

QtPlatform::QtPlatform() : postTarget_(std::make_unique<QObject>()) {}

QtPlatform::~QtPlatform() = default;

void QtPlatform::showError(const std::string& message)
{
    const KeyboardBack keyboardBack;
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), qs(message), QMessageBox::Ok,
                    dialogParent());
    box.exec();
}

bool QtPlatform::askYesNo(const std::string& question)
{
    const KeyboardBack keyboardBack;
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), qs(question),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtPlatform::confirm(const std::string& title, const std::string& question)
{
    QMessageBox box(QMessageBox::Question, qs(title), qs(question), QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QStringList QtPlatform::nameFilters(const std::string& filter)
{
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList filters;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        description.remove(trailingPatterns);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            // "*.*" means every file; on this platform it would skip names without a dot.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString QtPlatform::withCrLf(const QString& text)
{
    QString result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\n') && (i == 0 || text[i - 1] != QLatin1Char('\r')))
            result += QLatin1Char('\r');
        result += text[i];
    }
    return result;
}

std::optional<std::string> QtPlatform::runFileDialog(const FileDialogOptions& options, bool save)
{
    const KeyboardBack keyboardBack;
    QFileDialog dialog(dialogParent(), qs(options.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The windows ask about replacing a file themselves.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = nameFilters(options.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (options.filterIndex >= 1 && options.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[options.filterIndex - 1]);
    }
    QString suffix = qs(options.defaultExtension);
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    if (!suffix.isEmpty() && !suffix.contains(QLatin1Char('*')))
        dialog.setDefaultSuffix(suffix);
    if (!options.initialName.empty())
        dialog.selectFile(qs(options.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtPlatform::chooseSaveFile(const FileDialogOptions& options)
{
    return runFileDialog(options, true);
}

std::optional<std::string> QtPlatform::chooseOpenFile(const FileDialogOptions& options)
{
    return runFileDialog(options, false);
}

void QtPlatform::runImportDialog(TFrmParseVerdex& dialog)
{
    const KeyboardBack keyboardBack;
    const auto found = importDialogs_.find(&dialog);
    QDialog* const window = found == importDialogs_.end() ? nullptr : found->second.data();
    if (!window)
        throw std::logic_error("The import dialog has no window");
    dialog.visible = true;
    dialog.modalResult = TFrmParseVerdex::ModalResult::None;
    window->exec();
    dialog.visible = false;
}

char QtPlatform::decimalSeparator() const
{
    return '.';  // the user's locale never changes a number
}

std::string QtPlatform::clipboardText() { return withCrLf(QGuiApplication::clipboard()->text()).toStdString(); }

void QtPlatform::setClipboardText(const std::string& text) { QGuiApplication::clipboard()->setText(qs(text)); }

QPrinter& QtPlatform::printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

bool QtPlatform::showPrintDialog()
{
    const KeyboardBack keyboardBack;
    return askForPrinter(printer(), dialogParent());
}

void QtPlatform::printChart(const ChartTitle& chart)
{
    const auto found = charts_.find(&chart);
    if (!printer_ || found == charts_.end() || !found->second)
        return;
    printChartPage(*printer_, found->second, qs(chart.name));
}

void QtPlatform::printLines(const ReportText& report, const std::string& title, const std::vector<std::string>& lines)
{
    if (printer_)
        printReportLines(*printer_, qs(title), lines, report.pointSize);
}

void QtPlatform::printChartAndReport(const ChartTitle& chart, const ReportText& report, const std::string& title,
                                     const std::vector<std::string>& lines)
{
    if (!printer_)
        return;
    // A file printer writes every job to its one file, so a second job would replace
    // the chart page: to a file the whole print is one job.
    if (printer_->outputFileName().isEmpty()) {
        Platform::printChartAndReport(chart, report, title, lines);
        return;
    }
    const auto found = charts_.find(&chart);
    QWidget* const chartView = found == charts_.end() ? nullptr : found->second.data();
    ui::printChartAndReport(*printer_, chartView, qs(title), lines, report.pointSize);
}

bool QtPlatform::hasFocus(const void* control) const
{
    const auto found = focusTargets_.find(control);
    return found != focusTargets_.end() && found->second && found->second->hasFocus();
}

void QtPlatform::openPopupMenu(const PopupMenu& menu, int screenX, int screenY)
{
    if (QMenu* widget = popupMenu(menu))
        widget->popup(QPoint(screenX, screenY));
}

QMenu* QtPlatform::popupMenu(const PopupMenu& menu) const
{
    const auto found = menus_.find(&menu);
    return found == menus_.end() ? nullptr : found->second.data();
}

void QtPlatform::repaint() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

void QtPlatform::runLongTask(const std::function<void(const UiPost& post)>& work)
{
    if (busy_) {  // already off the user-interface thread's hands
        Platform::runLongTask(work);
        return;
    }

    // A posted function runs inside the event loop, where an exception must not get
    // loose; the first one is kept and raised once the task has ended.
    struct Failures {
        std::mutex mutex;
        std::exception_ptr posted;
    };
    auto failures = std::make_shared<Failures>();
    QObject* target = postTarget_.get();
    const UiPost post = [target, failures](std::function<void()> job) {
        QMetaObject::invokeMethod(
            target,
            [failures, job = std::move(job)] {
                try {
                    job();
                } catch (...) {
                    std::lock_guard lock(failures->mutex);
                    if (!failures->posted)
                        failures->posted = std::current_exception();
                }
            },
            Qt::QueuedConnection);
    };

    InputBlocker blocker(*this);
    qApp->installEventFilter(&blocker);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busy_ = true;
    cancel_ = false;
    closeAfterTask_.clear();
    auto enableCancelButtons = [this](bool enabled) {
        for (const auto& button : cancelButtons_)
            if (button)
                button->setEnabled(enabled);
    };
    enableCancelButtons(true);

    QEventLoop loop;
    std::exception_ptr workError;
    std::thread worker([&] {
        try {
            work(post);
        } catch (...) {
            workError = std::current_exception();
        }
        // Queued behind everything the work posted, so it runs after all of it.
        QMetaObject::invokeMethod(
            target, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();

    busy_ = false;
    enableCancelButtons(false);
    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(&blocker);

    // The windows closed meanwhile close once the command has put back what it changed.
    for (const auto& window : std::exchange(closeAfterTask_, {}))
        if (window)
            QTimer::singleShot(0, window, [window] { window->close(); });
    if (cancel_)
        throw Cancelled();
    if (workError)
        std::rethrow_exception(workError);
    if (failures->posted)
        std::rethrow_exception(failures->posted);
}

void QtPlatform::requestCancel()
{
    if (busy_)
        cancel_ = true;
}

void QtPlatform::closeAfterTask(QWidget* window)
{
    if (std::find(closeAfterTask_.begin(), closeAfterTask_.end(), window) == closeAfterTask_.end())
        closeAfterTask_.emplace_back(window);
}

void QtPlatform::registerCancelButton(QAbstractButton* button)
{
    button->setEnabled(busy_);
    cancelButtons_.emplace_back(button);
}

bool QtPlatform::isCancelButton(const QObject* object) const
{
    return std::any_of(cancelButtons_.begin(), cancelButtons_.end(),
                       [object](const QPointer<QAbstractButton>& button) { return button && button == object; });
}

void QtPlatform::registerChart(const ChartTitle* chart, QWidget* chartView) { charts_[chart] = chartView; }

void QtPlatform::registerPopupMenu(const PopupMenu* menu, QMenu* widget) { menus_[menu] = widget; }

void QtPlatform::registerFocusTarget(const void* control, QWidget* widget) { focusTargets_[control] = widget; }

void QtPlatform::registerImportDialog(const TFrmParseVerdex* dialog, QDialog* view) { importDialogs_[dialog] = view; }

}  // namespace calvane::ui
