// A seeded monkey on the desktop program: thousands of random key presses, clicks,
// typed texts, pastes, drops and menu commands on both analysis windows, on real,
// empty and hostile data. Nothing may crash or hang (CTest's timeout), every export
// written must be whole, and the sanitizer build runs the same test for leaks and
// undefined behaviour. CALVANE_MONKEY_SEED and CALVANE_MONKEY_STEPS replay or lengthen
// a run; CALVANE_MONKEY_TRACE logs every step and command, to find the one that failed.

#include "DesktopProgram.h"
#include "core/TextFile.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/ChartPanel.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace calvane;
using namespace calvane::ui;

namespace {

// Real and hostile inputs for the file dialogs, the drops and the clipboard.
const std::vector<std::string>& sampleTexts()
{
    static const std::vector<std::string> texts{
        "Ci,A\n50,1.2\n100,5.1\n200,10.4\n300,14.2\n400,16.9\n600,19.8\n800,21.0\n1000,21.5\n",
        "Qobs,A\n0,-1.1\n25,0.2\n50,1.5\n100,3.9\n200,7.4\n400,11.2\n800,13.9\n1200,14.6\n1600,14.8\n",
        "",
        "\n\n\n",
        "Ci;A\n50;1,2\n100;5,1\n200;10,4\n",
        "x,y\n1e308,1e308\n-1e308,-1e308\nnan,inf\n0,0\n",
        "1,2\n1,2\n1,2\n1,2\n",
        "\"a\",\"b\nc\",\"\"\"\n,,,,\n;;;;\n\t\t\t\n",
        "0,0\n",
        std::string("\0\1\2\xff\xfe", 5),
        "Ci\tA\n-50\t-1\n0\t0\n1e-300\t1e-300\n",
    };
    return texts;
}

// Message boxes, dialogs and pop-up menus that open while a command runs are answered
// at random or closed, so that the monkey never waits on a modal loop.
class ModalCloser {
public:
    explicit ModalCloser(std::mt19937& rng) : rng_(rng)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (QWidget* popup = QApplication::activePopupWidget())
                popup->close();
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                box->done(rng_() % 2 ? QMessageBox::Yes : QMessageBox::No);
            else if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        timer_.start();
    }

private:
    std::mt19937& rng_;
    QTimer timer_;
};

// The platform with its questions answered by the monkey, and every file it writes
// read back and compared with what the window meant to write.
class MonkeyPlatform : public QtPlatform {
public:
    MonkeyPlatform(std::mt19937& rng, QString folder) : rng_(rng), folder_(std::move(folder))
    {
        for (std::size_t k = 0; k < sampleTexts().size(); ++k) {
            const QString path = folder_ + QStringLiteral("/in%1.csv").arg(k);
            QFile file(path);
            if (file.open(QIODevice::WriteOnly))
                file.write(QByteArray::fromStdString(sampleTexts()[k]));
            inputs.push_back(path.toStdString());
        }
        inputs.push_back((folder_ + QStringLiteral("/missing.csv")).toStdString());
    }

    void showError(const std::string&) override { ++errors; }
    bool askYesNo(const std::string&) override { return rng_() % 2 == 0; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override
    {
        if (rng_() % 6 == 0)
            return std::nullopt;
        return (folder_ + QStringLiteral("/out%1.txt").arg(rng_() % 4)).toStdString();
    }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions&) override
    {
        if (rng_() % 6 == 0)
            return std::nullopt;
        return inputs[rng_() % inputs.size()];
    }
    // The instrument dialog closes without Ok.
    void runImportDialog(TFrmParseVerdex&) override {}
    bool showPrintDialog() override { return false; }
    void writeFile(const std::string& path, const std::string& bytes) override
    {
        QtPlatform::writeFile(path, bytes);
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::ReadOnly) || file.readAll().toStdString() != bytes)
            ++incompleteFiles;
        else
            ++filesWritten;
    }

    std::vector<std::string> inputs;
    int errors = 0;
    int filesWritten = 0;
    int incompleteFiles = 0;

private:
    std::mt19937& rng_;
    QString folder_;
};

using Program = test::DesktopProgram<MonkeyPlatform>;

template <typename T>
T* pick(const QList<T*>& items, std::mt19937& rng)
{
    return items.isEmpty() ? nullptr : items[static_cast<qsizetype>(rng() % static_cast<unsigned>(items.size()))];
}

const std::vector<std::pair<int, Qt::KeyboardModifiers>>& keys()
{
    static const std::vector<std::pair<int, Qt::KeyboardModifiers>> list{
        {Qt::Key_1, Qt::NoModifier},         {Qt::Key_5, Qt::NoModifier},         {Qt::Key_0, Qt::NoModifier},
        {Qt::Key_Period, Qt::NoModifier},    {Qt::Key_Comma, Qt::NoModifier},     {Qt::Key_Minus, Qt::NoModifier},
        {Qt::Key_E, Qt::NoModifier},         {Qt::Key_X, Qt::NoModifier},         {Qt::Key_Backspace, Qt::NoModifier},
        {Qt::Key_Delete, Qt::NoModifier},    {Qt::Key_Tab, Qt::NoModifier},       {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Return, Qt::NoModifier},    {Qt::Key_Escape, Qt::NoModifier},    {Qt::Key_Up, Qt::NoModifier},
        {Qt::Key_Down, Qt::NoModifier},      {Qt::Key_Left, Qt::NoModifier},      {Qt::Key_Right, Qt::NoModifier},
        {Qt::Key_Space, Qt::NoModifier},     {Qt::Key_F2, Qt::NoModifier},        {Qt::Key_A, Qt::ControlModifier},
        {Qt::Key_C, Qt::ControlModifier},    {Qt::Key_V, Qt::ControlModifier},    {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier},    {Qt::Key_Delete, Qt::ShiftModifier}, {Qt::Key_Insert, Qt::NoModifier},
        {Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_End, Qt::ControlModifier},
    };
    return list;
}

class TestMonkey : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void randomSessionsLeaveEveryWindowWhole();
};

void TestMonkey::randomSessionsLeaveEveryWindowWhole()
{
    const unsigned seed = qEnvironmentVariableIsSet("CALVANE_MONKEY_SEED")
                              ? static_cast<unsigned>(qEnvironmentVariableIntValue("CALVANE_MONKEY_SEED"))
                              : 20261208u;
    const int steps = qEnvironmentVariableIsSet("CALVANE_MONKEY_STEPS")
                          ? qEnvironmentVariableIntValue("CALVANE_MONKEY_STEPS")
                          : 3000;
    const bool trace = qEnvironmentVariableIsSet("CALVANE_MONKEY_TRACE");
    std::mt19937 rng(seed);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    Program program(rng, folder.path());
    ModalCloser closer(rng);
    const std::vector<AnalysisWindow*> windows{&program.aq, &program.aci};
    for (AnalysisWindow* window : windows) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    int commands = 0;
    for (int step = 0; step < steps; ++step) {
        AnalysisWindow* window = windows[rng() % windows.size()];
        if (!window->isVisible())
            window->show();
        window->activateWindow();
        const unsigned what = rng() % 100;
        if (trace)
            qInfo("step %d: %s action %u", step, window == &program.aq ? "aq" : "aci", what);
        if (what < 35) {
            // A key into whatever has the focus, as a user types.
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
            const auto& [key, modifiers] = keys()[rng() % keys().size()];
            QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
        } else if (what < 50) {
            // A field or a grid cell takes the focus and a typed text.
            QList<QWidget*> targets;
            for (QLineEdit* edit : window->findChildren<QLineEdit*>())
                if (edit->isVisible() && edit->isEnabled())
                    targets << edit;
            targets << window->gridView();
            if (QWidget* target = pick(targets, rng)) {
                target->setFocus();
                if (auto* grid = qobject_cast<QTableView*>(target); grid && grid->model())
                    grid->setCurrentIndex(
                        grid->model()->index(static_cast<int>(rng() % 30), static_cast<int>(rng() % 3)));
                static const char* typed[] = {"12.5", "-3", "0", "1e400", "abc", "9,06", "", "  7 ", "nan", "-0.0001"};
                QTest::keyClicks(target, QString::fromLatin1(typed[rng() % std::size(typed)]));
            }
        } else if (what < 62) {
            // A button or a check box.
            QList<QAbstractButton*> buttons;
            for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
                if (button->isVisible() && button->isEnabled())
                    buttons << button;
            if (QAbstractButton* button = pick(buttons, rng))
                QTest::mouseClick(button, Qt::LeftButton);
        } else if (what < 70) {
            // The clipboard takes a sample, the grid or a field takes it with Ctrl+V.
            QGuiApplication::clipboard()->setText(QString::fromStdString(sampleTexts()[rng() % sampleTexts().size()]));
            QWidget* target = rng() % 2 ? static_cast<QWidget*>(window->gridView())
                                        : pick(window->findChildren<QLineEdit*>(), rng);
            if (target && target->isVisible()) {
                target->setFocus();
                QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
            }
        } else if (what < 76) {
            // Files dropped onto the window.
            QMimeData mime;
            QList<QUrl> urls;
            const unsigned count = 1 + rng() % 3;
            for (unsigned k = 0; k < count; ++k)
                urls << QUrl::fromLocalFile(
                    QString::fromStdString(program.platform.inputs[rng() % program.platform.inputs.size()]));
            mime.setUrls(urls);
            QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window, &enter);
            QDropEvent drop(QPointF(40, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(window, &drop);
        } else if (what < 80) {
            // A click on the chart, which may fall on a measured point and toggle it.
            QWidget* chart = window->chartPanel()->viewport();
            QTest::mouseClick(chart, Qt::LeftButton, {},
                              QPoint(static_cast<int>(rng() % static_cast<unsigned>(std::max(1, chart->width()))),
                                     static_cast<int>(rng() % static_cast<unsigned>(std::max(1, chart->height())))));
        } else if (what < 84) {
            // A right press on a grid row: the pop-up's items then act on that row.
            QTableView* grid = window->gridView();
            const QRect cell = grid->visualRect(grid->model()->index(static_cast<int>(rng() % 20), 1));
            if (cell.isValid())
                QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cell.center());
        } else {
            // A menu command: import, export, clear, print, the fits, Copy All, ...
            QList<QAction*> actions;
            for (QAction* action : window->findChildren<QAction*>())
                if (action->isEnabled() && !action->menu() && !action->isSeparator())
                    actions << action;
            if (QAction* action = pick(actions, rng)) {
                if (trace)
                    qInfo("  %s", qPrintable(action->text()));
                action->trigger();
                ++commands;
            }
        }
        QApplication::processEvents();
        if (program.platform.incompleteFiles != 0)
            QFAIL(qPrintable(QStringLiteral("seed %1, step %2: an export was not written whole").arg(seed).arg(step)));
    }

    // The run did what it says: commands ran and files were written, and both windows
    // still answer.
    QVERIFY2(commands > steps / 10, qPrintable(QStringLiteral("only %1 commands ran").arg(commands)));
    QVERIFY(program.platform.filesWritten > 0);
    for (AnalysisWindow* window : windows) {
        window->show();
        QVERIFY(window->isVisible());
    }
}

}  // namespace

QTEST_MAIN(TestMonkey)
#include "test_ui_monkey.moc"
