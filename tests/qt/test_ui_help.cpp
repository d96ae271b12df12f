// Help > "Calvane Help" in both analysis windows: the menu is there without taking a
// key (F1 stays Compute Curves in the A/Ci window), and the manual opens beside the
// window and says what the fits do.

#include "aci/ACi_Curve.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/HelpDialog.h"
#include "ui/QtPlatform.h"

#include <QtGui/QAction>
#include <QtTest/QtTest>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QTextBrowser>

using namespace calvane;

namespace {

QMenu* helpMenu(QMainWindow& window)
{
    for (QAction* action : window.menuBar()->actions())
        if (action->menu() && action->text() == QStringLiteral("Help"))
            return action->menu();
    return nullptr;
}

}  // namespace

class UiHelpTest : public QObject {
    Q_OBJECT

private slots:
    void helpMenuOpensTheManual()
    {
        ui::QtPlatform platform;
        Calvane app(platform);
        ui::AqWindow aq(app.frmAQ_C3_Curve, platform);
        ui::AciWindow aci(app.frmACi_Curve, platform);

        for (ui::AnalysisWindow* window :
             {static_cast<ui::AnalysisWindow*>(&aci), static_cast<ui::AnalysisWindow*>(&aq)}) {
            QMenu* menu = helpMenu(*window);
            QVERIFY(menu);
            QCOMPARE(window->menuBar()->actions().last()->menu(), menu);  // the last menu, as usual
            QAction* help = window->action(ui::helpItem);
            QVERIFY(help && menu->actions().contains(help));
            QCOMPARE(help->text(), QStringLiteral("Calvane Help"));
            QVERIFY(help->shortcut().isEmpty());

            auto* dialog = window->findChild<ui::HelpDialog*>();
            QVERIFY(dialog && !dialog->isVisible());
            help->trigger();
            QVERIFY(dialog->isVisible());
            QVERIFY(!dialog->isModal());
            const QString text = dialog->browser()->toPlainText();
            for (const char* wanted : {"Why the two Vcmax values differ", "Convexity and θ", "Rd positive",
                                       "negative Respiration", "µmol mol⁻¹", "nonlinear least squares"})
                QVERIFY2(text.contains(QString::fromUtf8(wanted)), wanted);
            dialog->hide();
        }

        // F1 is still Compute Curves, and nothing else in the A/Ci window.
        QCOMPARE(aci.action(app.frmACi_Curve.aciMnuResultsComputeCurve)->shortcut(), QKeySequence(Qt::Key_F1));
        int f1 = 0;
        for (QAction* action : aci.findChildren<QAction*>())
            f1 += action->shortcut() == QKeySequence(Qt::Key_F1) ? 1 : 0;
        QCOMPARE(f1, 1);
    }
};

QTEST_MAIN(UiHelpTest)
#include "test_ui_help.moc"
