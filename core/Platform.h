#pragma once
// Platform: the one interface through which a window reaches the outside world.
// The desktop program implements it with Qt, calvane-batch with a headless
// implementation, and the tests with scripted answers. Nothing in the toolkit-free
// layers talks to the user, the clipboard or the disk any other way.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace calvane {

class ChartTitle;
struct PopupMenu;
struct ReportText;
class TFrmParseVerdex;

struct FileDialogOptions {
    std::string title;
    std::string filter;            // description|pattern pairs: "Text file (*.txt)|*.txt|All files (*.*)|*.*"
    std::string defaultExtension;  // without the dot
    std::string initialName;
    int filterIndex = 1;  // 1-based, as the filter string counts its pairs
};

// One item of a drop onto a window, in the order the platform reports them.
struct DroppedItem {
    std::string path;
    bool isFolder = false;
};

class Platform {
public:
    virtual ~Platform() = default;

    // An error box with an OK button.
    virtual void showError(const std::string& message) = 0;
    // A Yes/No confirmation box; true for Yes.
    virtual bool askYesNo(const std::string& question) = 0;
    // A Yes/No box with a title of its own; true for Yes. Headless platforms answer as
    // askYesNo does.
    virtual bool confirm(const std::string& title, const std::string& question)
    {
        (void)title;
        return askYesNo(question);
    }

    // File dialogs: the chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> chooseOpenFile(const FileDialogOptions& options) = 0;

    // Shows the instrument import dialog modally; returns when it has closed.
    virtual void runImportDialog(TFrmParseVerdex& dialog) = 0;

    // The decimal separator of the numbers in fields, grids, files and the clipboard:
    // '.' in every locale for the desktop program and calvane-batch alike.
    virtual char decimalSeparator() const = 0;

    // The clipboard as text (UTF-8 here; the platform converts).
    virtual std::string clipboardText() = 0;
    virtual void setClipboardText(const std::string& text) = 0;

    // Printing. The print dialog: true for OK, which picks the printer that the print
    // jobs after it use. A window's chart on a page of its own, as a job named after
    // the chart's control; a list of text lines, laid out in a window's report control,
    // as a titled job that flows over as many pages as it needs. Headless there is no
    // printer: the dialog answers Cancel and the jobs do nothing.
    virtual bool showPrintDialog() { return false; }
    virtual void printChart(const ChartTitle& chart) { (void)chart; }
    virtual void printLines(const ReportText& report, const std::string& title, const std::vector<std::string>& lines)
    {
        (void)report;
        (void)title;
        (void)lines;
    }
    // A window's whole print: the chart page, then the report. A platform that prints
    // to a file puts both in the one file; the default runs the two jobs above.
    virtual void printChartAndReport(const ChartTitle& chart, const ReportText& report, const std::string& title,
                                     const std::vector<std::string>& lines)
    {
        printChart(chart);
        printLines(report, title, lines);
    }

    // Whether a control has the input focus; nothing has it headless.
    virtual bool hasFocus(const void* control) const
    {
        (void)control;
        return false;
    }
    // Opens a window's pop-up menu at a screen point.
    virtual void openPopupMenu(const PopupMenu& menu, int screenX, int screenY)
    {
        (void)menu;
        (void)screenX;
        (void)screenY;
    }

    // Lets a user interface repaint during a long command. Does nothing headless.
    virtual void repaint() {}

    // Hands a function to the user-interface thread; may be called from any thread.
    using UiPost = std::function<void(std::function<void()>)>;
    // Runs a long computation to its end. A desktop platform runs `work` off the
    // user-interface thread while its windows take no input and keep painting; every
    // function that `work` posts runs on the user-interface thread, in the order posted,
    // before this returns. An exception that leaves `work` is rethrown here. The default
    // runs `work` right here and each posted function at once.
    virtual void runLongTask(const std::function<void(const UiPost& post)>& work);
    // True once the user has asked to stop the long task that runs; any thread may ask,
    // and `work` should ask often. A desktop platform then raises Cancelled from
    // runLongTask once `work` has returned. Never headless.
    virtual bool cancelRequested() const { return false; }

    // Files; the defaults work on the local file system.
    // True for an existing file that is not a folder.
    virtual bool fileExists(const std::string& path);
    // The file's bytes, or nothing when it cannot be opened (a folder included).
    virtual std::optional<std::string> readFile(const std::string& path);
    // Replaces the file's content by `bytes` through a temporary file in the same
    // folder, so that a failed write leaves any earlier file as it was. Raises
    // FileError "Cannot create file <path>" on failure.
    virtual void writeFile(const std::string& path, const std::string& bytes);
};

}  // namespace calvane
