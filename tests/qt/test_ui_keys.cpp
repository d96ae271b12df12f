// The keyboard in the analysis windows: every menu shortcut from every kind of focus,
// the keys a field keeps, Ctrl+C and Ctrl+V in the grid, and stopping a long fit with
// Escape, the Cancel button or by closing the window.

#include "DesktopProgram.h"
#include "aq/AQ_C3_Curve.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace calvane;
using namespace calvane::ui;

namespace {

using Program = test::DesktopProgram<>;

// Rejects every modal dialog (file, print, message) that a command opens while it lives.
class DialogCloser {
public:
    DialogCloser()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

// Under X11 a line edit claims Ctrl+E (end of line) and other editing keys for itself
// before any shortcut sees them; the offscreen platform has no such key bindings. So
// that the test meets what a user meets, the focused widget here claims every key.
class ClaimsEveryKey : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        event->accept();
        return true;
    }
};

// One kind of focus in a window: what takes it.
struct Focus {
    const char* kind;
    std::function<QWidget*()> take;
};

std::vector<Focus> focusKinds(AnalysisWindow& window, QLineEdit* parameterField, QLineEdit* identifier)
{
    GridView* grid = window.gridView();
    return {
        {"parameter field", [=] { return parameterField; }},
        {"identifier field", [=] { return identifier; }},
        {"grid", [=] { return static_cast<QWidget*>(grid); }},
        {"cell editor",
         [=]() -> QWidget* {
             const QModelIndex cell = grid->model()->index(2, 1);
             // The editor may take the focus only after a turn of the event loop, and one
             // the last command left open may first have to go: ask until it has it.
             QLineEdit* editor = nullptr;
             const bool opened = QTest::qWaitFor(
                 [&] {
                     grid->setCurrentIndex(cell);
                     grid->edit(cell);
                     editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
                     return editor && grid->isAncestorOf(editor);
                 },
                 2000);
             return opened ? editor : nullptr;
         }},
        {"check box", [&window] { return static_cast<QWidget*>(window.findChild<QCheckBox*>()); }},
        {"button",
         [&window]() -> QWidget* {
             for (QPushButton* button : window.findChildren<QPushButton*>())
                 if (button->isVisible() && button->focusPolicy() != Qt::NoFocus)
                     return button;
             return nullptr;
         }},
    };
}

// Presses every window shortcut of `window` with each kind of focus and checks that the
// shortcut's command ran, once.
void everyShortcutFromEveryFocus(AnalysisWindow& window, const std::function<void()>& show,
                                 const std::vector<Focus>& kinds)
{
    DialogCloser closer;
    std::vector<QAction*> commands;
    for (QAction* action : window.actions())
        if (!action->shortcut().isEmpty())
            commands.push_back(action);
    QVERIFY(commands.size() >= 8);
    for (const Focus& focus : kinds) {
        for (QAction* command : commands) {
            show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QWidget* target = focus.take();
            if (!target && QByteArray(focus.kind) == "button")
                continue;  // the A/Ci window has no button that takes the focus
            QVERIFY2(target, focus.kind);
            target->setFocus();
            QTRY_VERIFY2(target->hasFocus(), focus.kind);

            int ran = 0;
            const auto connection = QObject::connect(command, &QAction::triggered, [&] { ++ran; });
            const QKeyCombination key = command->shortcut()[0];
            ClaimsEveryKey claim;  // leaves the target's filters when it goes
            target->installEventFilter(&claim);
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
            QObject::disconnect(connection);
            QVERIFY2(ran == 1, qPrintable(QStringLiteral("%1 with the focus in the %2 ran %3 times")
                                              .arg(command->shortcut().toString(), focus.kind)
                                              .arg(ran)));
            for (QDialog* dialog : window.findChildren<QDialog*>())
                dialog->hide();
        }
    }
}

// A long light-response curve: one real curve over and over.
void loadLongCurve(TfrmAQ_C3_Curve& w, int points)
{
    std::ifstream in(std::string(CALVANE_DATA_DIR) + "/aq/ngeearctic_1994.csv");
    std::vector<std::pair<std::string, std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto comma = line.find(',');
        if (comma != std::string::npos && line.rfind("PAR", 0) != 0)
            rows.emplace_back(line.substr(0, comma), line.substr(comma + 1));
    }
    QVERIFY(!rows.empty());
    w.aqSpreadSheetData.setRowCount(points + 1);
    for (int i = 0; i < points; ++i) {
        const auto& [q, a] = rows[static_cast<std::size_t>(i) % rows.size()];
        w.aqSpreadSheetData.setCell(1, i + 1, q);
        w.aqSpreadSheetData.setCell(2, i + 1, a);
    }
}

std::vector<std::string> fitFields(const TfrmAQ_C3_Curve& w)
{
    return {w.aqNumEdit_Amax.text(),    w.aqNumEdit_AQE.text(),           w.aqNumEdit_Convexity.text(),
            w.aqNumEdit_A0_Resp.text(), w.aqNumEdit_LightSatPoint.text(), w.aqNumEdit_LightCompPoint.text()};
}

}  // namespace

class TestUiKeys : public QObject {
    Q_OBJECT

private slots:
    void everyAqShortcutWorksFromEveryFocus()
    {
        Program p;
        TfrmAQ_C3_Curve& s = p.app.frmAQ_C3_Curve;
        const auto kinds = focusKinds(p.aq, p.aq.fieldWidget(s.aqNumEdit_AQE), p.aq.fieldWidget(s.aqEdit_Identifier));
        everyShortcutFromEveryFocus(
            p.aq, [&] { p.app.frmMain.wbBtnAQCurveClick(); }, kinds);
    }

    void everyAciShortcutWorksFromEveryFocus()
    {
        Program p;
        TfrmACi_Curve& s = p.app.frmACi_Curve;
        const auto kinds = focusKinds(p.aci, p.aci.fieldWidget(s.aciEdit_Vcmax),
                                      p.aci.fieldWidget(s.aciEdit_Identifier));
        everyShortcutFromEveryFocus(
            p.aci, [&] { p.app.frmMain.wbBtnACiCurveClick(); }, kinds);
    }

    void fieldsKeepTheKeysNoCommandHolds()
    {
        Program p;
        TfrmAQ_C3_Curve& s = p.app.frmAQ_C3_Curve;
        p.app.frmMain.wbBtnAQCurveClick();
        p.aq.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.aq));

        // The identifier's Ctrl+A selects its text; a parameter field's is Copy All.
        QLineEdit* identifier = p.aq.fieldWidget(s.aqEdit_Identifier);
        s.aqEdit_Identifier.setText("leaf 7");
        identifier->setFocus();
        QTest::keyClick(identifier, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(identifier->selectedText(), QStringLiteral("leaf 7"));
        QLineEdit* aqe = p.aq.fieldWidget(s.aqNumEdit_AQE);
        aqe->setFocus();
        QTest::keyClick(aqe, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Identifier\tleaf 7\r\n")));

        // Ctrl+V in a field pastes into the field, not into the grid.
        QGuiApplication::clipboard()->setText(QStringLiteral("0.07"));
        aqe->clear();
        QTest::keyClick(aqe, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(aqe->text(), QStringLiteral("0.07"));
        QCOMPARE(s.aqSpreadSheetData.cell(1, 1), std::string());
    }

    void ctrlVAndCtrlCInTheGridAreItsPasteAndCopy()
    {
        Program p;
        TfrmACi_Curve& s = p.app.frmACi_Curve;
        p.app.frmMain.wbBtnACiCurveClick();
        p.aci.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.aci));
        GridView* grid = p.aci.gridView();
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(3, 2));

        // Every line to its row, as the pop-up's Paste does (a first field keeps the
        // separator's space); no editor opens.
        QGuiApplication::clipboard()->setText(QStringLiteral("50\t2.1\r\n100\t6.4\r\n"));
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("50\t2.1\r\n100\t6.4\r\n"));
        QCOMPARE(s.aciSpreadSheetData.cell(1, 1), std::string("50 "));
        QCOMPARE(s.aciSpreadSheetData.cell(2, 2), std::string("6.4"));
        QCOMPARE(s.aciSpreadSheetData.cell(2, 3), std::string());
        QVERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));  // no cell editor opened

        QGuiApplication::clipboard()->clear();
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("\t50 \t2.1\t\r\n\t100 \t6.4\t\r\n")));

        // An open cell editor keeps Ctrl+V for its own text.
        QGuiApplication::clipboard()->setText(QStringLiteral("7"));
        const QModelIndex cell = grid->model()->index(5, 1);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), QStringLiteral("7"));
        QCOMPARE(s.aciSpreadSheetData.cell(1, 1), std::string("50 "));
    }

    // Escape, the Cancel button and the close box each stop a running fit, which puts
    // the fields back; the close box then closes the window.
    void aLongFitStopsOnEscapeCancelOrClose()
    {
        Program p;
        TfrmAQ_C3_Curve& s = p.app.frmAQ_C3_Curve;
        p.app.frmMain.wbBtnAQCurveClick();
        loadLongCurve(s, 1500);
        QAction* fit = p.aq.action(s.aqMnuResultsFitCurve);
        QAction* refine = p.aq.action(s.aqMnuResultsRefineCurve);
        auto* cancel = p.aq.findChild<QPushButton*>("cancelButton");
        QVERIFY(cancel);
        QVERIFY(!cancel->isEnabled());

        const std::vector<std::pair<const char*, std::function<void()>>> stops{
            {"Escape", [&] { QTest::keyClick(p.aq.fieldWidget(s.aqEdit_Identifier), Qt::Key_Escape); }},
            {"Cancel",
             [&] {
                 QVERIFY(cancel->isEnabled());
                 QTest::mouseClick(cancel, Qt::LeftButton);
             }},
            {"close box", [&] { p.aq.close(); }},
        };
        std::function<void()> onProgress;
        s.aqProgressBar3D.changed.connect([&] {
            if (onProgress)
                onProgress();
        });
        for (QAction* command : {fit, refine}) {
            for (const auto& [how, stop] : stops) {
                p.app.frmMain.wbBtnAQCurveClick();
                s.aqNumEdit_Amax.setText("");
                s.aqNumEdit_AQE.setText("0.04");
                s.aqNumEdit_Convexity.setText("");
                s.aqNumEdit_A0_Resp.setText("-1");
                const auto before = fitFields(s);
                bool stopped = false;
                // Once the search is under way (the first progress step has been shown).
                onProgress = [&, stop = stop] {
                    if (!stopped && p.platform.busy()) {
                        stopped = true;
                        QTimer::singleShot(0, stop);
                    }
                };
                command->trigger();
                onProgress = nullptr;
                QVERIFY2(stopped, how);
                QVERIFY2(fitFields(s) == before,
                         qPrintable(QStringLiteral("%1: %2").arg(how, QString::fromStdString(fitFields(s)[0]))));
                QCOMPARE(s.aqProgressBar3D.position(), 0);
                QVERIFY(!cancel->isEnabled());
                QCoreApplication::processEvents();
                QCOMPARE(s.visible, QByteArray(how) != "close box");
            }
        }
    }
};

QTEST_MAIN(TestUiKeys)
#include "test_ui_keys.moc"
