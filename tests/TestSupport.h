#pragma once
// What the tests share: a Platform with scripted answers, a scratch folder, file
// helpers and a tolerance check that prints expected, actual and the difference.

#include "core/Controls.h"
#include "core/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace calvane::test {

class ScriptedPlatform : public Platform {
public:
    void showError(const std::string& message) override { errors.push_back(message); }
    bool askYesNo(const std::string& question) override
    {
        questions.push_back(question);
        return answerYes;
    }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions& options) override
    {
        saveDialogs.push_back(options);
        return nextFileName(saveAnswers);
    }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions& options) override
    {
        openDialogs.push_back(options);
        return nextFileName(openAnswers);
    }
    void runImportDialog(TFrmParseVerdex& dialog) override
    {
        ++importDialogRuns;
        if (importDialogScript)
            importDialogScript(dialog);
    }
    char decimalSeparator() const override { return separator; }
    std::string clipboardText() override { return clipboard; }
    void setClipboardText(const std::string& text) override { clipboard = text; }
    void repaint() override { ++repaints; }
    bool showPrintDialog() override
    {
        ++printDialogs;
        return answerPrintOk;
    }
    void printChart(const ChartTitle& chart) override { printJobs.push_back({chart.name, {}}); }
    void printLines(const ReportText& report, const std::string& title, const std::vector<std::string>& lines) override
    {
        printJobs.push_back({title, lines, report.pointSize});
    }
    bool hasFocus(const void* control) const override
    {
        return std::find(focused.begin(), focused.end(), control) != focused.end();
    }
    void openPopupMenu(const PopupMenu& menu, int screenX, int screenY) override
    {
        openedMenus.push_back({menu.name, screenX, screenY});
    }
    // The user's stop request, as `stopWhen` says (asked from the search's threads too).
    bool cancelRequested() const override { return stopWhen && stopWhen(); }

    struct PrintJob {
        std::string title;  // a chart's job: the chart control's name, no lines
        std::vector<std::string> lines;
        double pointSize = 0;  // a report's font size
    };
    struct OpenedMenu {
        std::string name;
        int x = 0;
        int y = 0;
    };

    std::function<bool()> stopWhen;
    char separator = '.';
    bool answerYes = true;
    std::deque<std::optional<std::string>> saveAnswers;  // empty: the user cancels
    std::deque<std::optional<std::string>> openAnswers;
    std::function<void(TFrmParseVerdex&)> importDialogScript;
    std::string clipboard;
    bool answerPrintOk = true;
    std::vector<const void*> focused;  // the controls that report the input focus

    std::vector<std::string> errors;
    std::vector<std::string> questions;
    std::vector<FileDialogOptions> saveDialogs;
    std::vector<FileDialogOptions> openDialogs;
    int importDialogRuns = 0;
    int repaints = 0;
    int printDialogs = 0;
    std::vector<PrintJob> printJobs;
    std::vector<OpenedMenu> openedMenus;

private:
    static std::optional<std::string> nextFileName(std::deque<std::optional<std::string>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A fresh, empty folder for one test, removed when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    const std::filesystem::path& dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

void writeBytes(const std::string& path, const std::string& bytes);
std::string readBytes(const std::string& path);
// What a program run through the shell gave: its exit status (-1 when it did not exit),
// its standard output and its standard error.
struct ProgramOutcome {
    int status = -1;
    std::string out;
    std::string err;
};
// A shell word that stands for `arg` exactly.
std::string shellQuoted(const std::string& arg);
// The exit status of a shell command line; -1 when it did not exit.
int shellStatus(const std::string& command);
// Runs `program` with `args` through the shell after `prefix` (settings such as
// "LC_ALL=C"), with no input and its output caught in files of `dir`.
ProgramOutcome runProgram(const ScratchDir& dir, const std::string& program, const std::vector<std::string>& args,
                          const std::string& prefix = "LC_ALL=C");

// A file of the shipped test data (tests/data/...).
std::string dataFile(const std::string& relativePath);
// A CSV table of the test data (tests/data/`relativePath`): one map from column name to
// text per row, under its header line; a quoted field may hold commas.
std::vector<std::map<std::string, std::string>> csvTable(const std::string& relativePath);
// A two-column curve file in file order: its "x,y" lines as numbers, a header line (one
// that does not start with a number) left out.
std::vector<std::pair<double, double>> curvePoints(const std::filesystem::path& file);

// A comma-separated file's text as a spreadsheet saves it with another separator:
// every comma becomes `separator`, and with `decimalComma` every point a comma.
std::string withSeparator(const std::string& csv, char separator, bool decimalComma);

// |actual - expected| <= tolerance, reporting all three numbers when it fails.
::testing::AssertionResult near(double actual, double expected, double tolerance);

// An order column of a field table numbers the rows it lists 1, 2, 3, ... with no
// number twice, so no two rows compete for a place; with `everyRow` it lists them all.
template <typename Row>
::testing::AssertionResult numbersItsRows(const std::vector<Row>& table, int Row::*order, bool everyRow)
{
    std::vector<int> places;
    for (const Row& row : table) {
        if (row.*order > 0)
            places.push_back(row.*order);
        else if (everyRow)
            return ::testing::AssertionFailure() << "row " << row.name << " is not listed";
    }
    std::sort(places.begin(), places.end());
    for (std::size_t k = 0; k < places.size(); ++k) {
        if (places[k] != static_cast<int>(k) + 1)
            return ::testing::AssertionFailure() << "place " << k + 1 << " is taken by " << places[k];
    }
    return ::testing::AssertionSuccess();
}

}  // namespace calvane::test
