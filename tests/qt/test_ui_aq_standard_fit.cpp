// Results > Standard Fit in the light-response window on screen: the command and its
// shortcut, the group's fields, the two curves and their show boxes, Use optimum and
// File > "Include Standard Fit".

#include "shell/Calvane.h"
#include "ui/AqWindow.h"
#include "ui/ChartPanel.h"
#include "ui/ParameterPanel.h"
#include "ui/QtPlatform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtCharts/QChart>
#include <QtCharts/QXYSeries>
#include <QtTest>

#include <set>

using namespace calvane;
using namespace calvane::ui;

namespace {

QXYSeries* chartSeries(ChartPanel* panel, const QString& name)
{
    for (QAbstractSeries* series : panel->chart()->series()) {
        if (series->name() == name)
            return qobject_cast<QXYSeries*>(series);
    }
    return nullptr;
}

template <typename Widget>
Widget* byText(QWidget& window, const QString& text)
{
    for (Widget* w : window.findChildren<Widget*>()) {
        if (w->text() == text)
            return w;
    }
    return nullptr;
}

}  // namespace

class TestUiAqStandardFit : public QObject {
    Q_OBJECT

private slots:
    void standardFitShowsBothFitsAndTheirCurves()
    {
        QtPlatform platform;
        Calvane app{platform};
        AqWindow window{app.frmAQ_C3_Curve, platform};
        TfrmAQ_C3_Curve& aq = app.frmAQ_C3_Curve;
        aq.StringPaste("0,-1.2\r\n50,1.1\r\n100,3.4\r\n200,7\r\n400,11.5\r\n800,15\r\n1500,16.8\r\n");
        aq.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // A new command on a key no other command of the window uses.
        QAction* fit = window.action(aq.aqMnuResultsStandardFit);
        QVERIFY(fit);
        QCOMPARE(fit->shortcut(), QKeySequence(Qt::Key_F8));
        std::multiset<QString> shortcuts;
        for (QAction* action : window.findChildren<QAction*>()) {
            if (!action->shortcut().isEmpty())
                shortcuts.insert(action->shortcut().toString());
        }
        for (const QString& key : shortcuts)
            QVERIFY2(shortcuts.count(key) == 1, qPrintable(key));

        fit->trigger();
        QVERIFY2(aq.standardOptimum() && aq.standardOptimum()->fitted, aq.aqEdit_StdMessage.text().c_str());
        QLineEdit* amax = window.fieldWidget(aq.aqEdit_StdAmax);
        QVERIFY(amax && amax->isVisible() && amax->isReadOnly());
        // Rounded on screen, at full precision in the tooltip.
        QCOMPARE(amax->text().toStdString(), roundedValue(aq.aqEdit_StdAmax.text(), aq.aqEdit_StdAmaxSE.text(), 4));
        QVERIFY(amax->toolTip().startsWith(QString::fromStdString(aq.aqEdit_StdAmax.text())));
        QVERIFY(!window.fieldWidget(aq.aqEdit_NrhTheta)->text().isEmpty());

        ChartPanel* chart = window.chartPanel();
        QTRY_VERIFY(chartSeries(chart, "Least-squares optimum") && chartSeries(chart, "Non-rectangular hyperbola"));
        QCOMPARE(chartSeries(chart, "Least-squares optimum")->count(), aq.Series_StdOptimum.count());
        // The observed points keep their look.
        QXYSeries* observed = chartSeries(chart, "Light_Assimiliation");
        QVERIFY(observed);
        QCOMPARE(observed->count(), 7);

        QCheckBox* showHyperbola = byText<QCheckBox>(window, "Show hyperbola");
        QVERIFY(showHyperbola && showHyperbola->isChecked());
        showHyperbola->click();
        QVERIFY(!aq.aqCheckBox_StdShowHyperbola.checked());
        QTRY_VERIFY(!chartSeries(chart, "Non-rectangular hyperbola"));
        QVERIFY(chartSeries(chart, "Least-squares optimum"));

        // Use optimum fills the parameter fields.
        QPushButton* use = byText<QPushButton>(window, "Use optimum");
        QVERIFY(use);
        use->click();
        QCOMPARE(window.fieldWidget(aq.aqNumEdit_Amax)->text().toStdString(), aq.aqEdit_StdAmax.text());

        // File > "Include Standard Fit", ticked by the fit, and its state move together,
        // both ways.
        QAction* include = window.action(aq.aqMnuFileExportStandardFit);
        QVERIFY(include && include->isCheckable() && include->isChecked());
        include->trigger();
        QVERIFY(!aq.aqMnuFileExportStandardFit.checked());
        aq.aqMnuFileExportStandardFit.setChecked(true);
        QVERIFY(include->isChecked());
    }
};

QTEST_MAIN(TestUiAqStandardFit)
#include "test_ui_aq_standard_fit.moc"
