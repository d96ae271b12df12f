// The About dialog and the launcher over their states: what they show, and that the
// buttons, menus and close boxes reach the state's handlers.

#include "QtTestPlatform.h"
#include "core/About.h"
#include "shell/Calvane.h"
#include "ui/AboutDialog.h"
#include "ui/LauncherWindow.h"

#include <QtCore/QRegularExpression>
#include <QtGui/QAction>
#include <QtTest/QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

using namespace calvane;

class ShellWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void aboutFollowsItsState()
    {
        TdlgAbout state;
        ui::AboutDialog dialog(state);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("About this Photosynthisis Tool"));
        QCOMPARE(dialog.size(), QSize(390, 254));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        QVERIFY(dialog.memo()->isReadOnly());
        QVERIFY(dialog.okButton()->isDefault());
        QVERIFY(!dialog.isVisible());

        state.Display(AboutModule::LightResponse);
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.isModal());
        QCOMPARE(dialog.memo()->toPlainText(),
                 QStringLiteral("Light Response Curve\nThe equations used in this analysis were taken from\n"
                                "Norvale Application Note #105"));
        // The version the project declares, under the memo's text.
        QVERIFY(dialog.versionLabel()->isVisible());
        QVERIFY2(QRegularExpression(QStringLiteral("^Calvane version \\d+(\\.\\d+)+$"))
                     .match(dialog.versionLabel()->text())
                     .hasMatch(),
                 qPrintable(dialog.versionLabel()->text()));

        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QVERIFY(!state.visible);
        QVERIFY(!dialog.isVisible());

        // The close box hides through the state too; the text stays until the next Display.
        state.Display(static_cast<AboutModule>(2));
        QCOMPARE(dialog.memo()->toPlainText(), QStringLiteral("Invalid Module specified"));
        dialog.close();
        QVERIFY(!state.visible);
        QCOMPARE(dialog.memo()->toPlainText(), QStringLiteral("Invalid Module specified"));
    }

    void launcherShowsWindowsAndEndsTheProgram()
    {
        test::QuietPlatform platform;
        Calvane app(platform);
        ui::LauncherWindow window(app.frmMain);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.windowTitle(), QStringLiteral("Calvane"));
        QCOMPARE(window.aqButton()->text(), QStringLiteral("AQ Curve"));
        QCOMPARE(window.aciButton()->text(), QStringLiteral("ACi Curve"));
        QVERIFY(window.aqButton()->x() + window.aqButton()->width() <= window.aciButton()->x());
        QCOMPARE(window.aqButton()->y(), window.aciButton()->y());
        QStringList menus;
        for (QAction* menu : window.menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, QStringList({"File", "Tools"}));
        QCOMPARE(window.aciAction()->text(), QStringLiteral("ACI Curve"));
        for (QAction* item : {window.exitAction(), window.aqAction(), window.aciAction()})
            QVERIFY(item->shortcut().isEmpty());

        QTest::mouseClick(window.aqButton(), Qt::LeftButton);
        QVERIFY(app.frmAQ_C3_Curve.visible);
        QVERIFY(!app.frmACi_Curve.visible);
        window.aciAction()->trigger();
        QVERIFY(app.frmACi_Curve.visible);

        int closed = 0;
        app.frmMain.closed.connect([&closed] { ++closed; });
        window.close();  // the close box
        QCOMPARE(closed, 1);
        QVERIFY(!app.frmMain.visible);
    }
};

QTEST_MAIN(ShellWindowsTest)
#include "test_shell_windows.moc"
