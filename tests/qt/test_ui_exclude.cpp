// Leaving points out of the standard fits on screen: the grid pop-up's Exclude Point /
// Include Point for the row under the right press, and a click on a measured point of
// the chart; an excluded point is drawn hollow.

#include "DesktopProgram.h"
#include "ui/ChartPanel.h"
#include "ui/GridView.h"

#include <QAction>
#include <QMenu>
#include <QtCharts/QChart>
#include <QtCharts/QXYSeries>
#include <QtTest>

#include <set>

using namespace calvane;
using namespace calvane::ui;

namespace {

using Program = test::DesktopProgram<>;

const char* const curve = "50,2.1\r\n100,6.4\r\n200,13.8\r\n400,22.5\r\n600,26\r\n800,27.2\r\n1000,27.9\r\n";

QXYSeries* chartSeries(ChartPanel* panel, const QString& name)
{
    for (QAbstractSeries* series : panel->chart()->series())
        if (series->name() == name)
            return qobject_cast<QXYSeries*>(series);
    return nullptr;
}

void showWindow(QMainWindow& window, std::function<void()> show)
{
    show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Where a point of `series` lies in the chart's viewport.
QPoint onScreen(ChartPanel* panel, const QString& series, QPointF point)
{
    QChart* chart = panel->chart();
    return panel->mapFromScene(chart->mapToScene(chart->mapToPosition(point, chartSeries(panel, series))));
}

}  // namespace

class TestUiExclude : public QObject {
    Q_OBJECT

private slots:
    void theGridPopupExcludesAndIncludesThePressedRow()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        aci.StringPaste(curve);
        p.aci.action(aci.aciMnuResultsPlotData)->trigger();
        showWindow(p.aci, [&] { aci.Show(); });
        p.aci.chartPanel()->refreshNow();
        QVERIFY(!chartSeries(p.aci.chartPanel(), "Excluded"));

        GridView* grid = p.aci.gridView();
        QMenu* menu = p.platform.popupMenu(aci.aciPopupMenu);
        QAction* exclude = p.aci.action(aci.aciPopupExclude);
        QVERIFY(exclude && menu->actions().contains(exclude));
        auto rightClick = [&](int row) {
            QTest::mouseClick(grid->viewport(), Qt::RightButton, {},
                              grid->visualRect(grid->model()->index(row, 1)).center());
            QTRY_COMPARE(QApplication::activePopupWidget(), menu);
        };

        // The selection stays on row 1; the item acts on the pressed row 3.
        rightClick(3);
        QCOMPARE(aci.aciSpreadSheetData.selectedRow, 1);
        QCOMPARE(exclude->text(), QStringLiteral("Exclude Point"));
        QVERIFY(exclude->isEnabled());
        menu->close();
        exclude->trigger();
        QCOMPARE(aci.standardFitExcludedRows(), std::set<int>{3});
        QCOMPARE(exclude->text(), QStringLiteral("Include Point"));
        // Drawn hollow over its cross: (200, 13.8).
        QTRY_VERIFY(chartSeries(p.aci.chartPanel(), "Excluded"));
        QXYSeries* hollow = chartSeries(p.aci.chartPanel(), "Excluded");
        QCOMPARE(hollow->points(), QList<QPointF>{QPointF(200, 13.8)});

        rightClick(3);
        QCOMPARE(exclude->text(), QStringLiteral("Include Point"));
        menu->close();
        exclude->trigger();
        QVERIFY(aci.standardFitExcludedRows().empty());
        QTRY_VERIFY(!chartSeries(p.aci.chartPanel(), "Excluded"));

        // From the keyboard: the menu key on the current cell opens the same pop-up for
        // its row.
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(5, 2));
        QTest::keyClick(grid, Qt::Key_Menu);
        QTRY_COMPARE(QApplication::activePopupWidget(), menu);
        QCOMPARE(aci.aciSpreadSheetData.pressedRow, 5);
        menu->close();
        exclude->trigger();
        QCOMPARE(aci.standardFitExcludedRows(), std::set<int>{5});
        exclude->trigger();

        // A row without a point: nothing to exclude.
        rightClick(12);
        QVERIFY(!exclude->isEnabled());
        QCOMPARE(exclude->text(), QStringLiteral("Exclude Point"));
        menu->close();
        exclude->trigger();
        QVERIFY(aci.standardFitExcludedRows().empty());
    }

    void aClickOnAMeasuredPointTogglesIt()
    {
        Program p;
        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        aq.StringPaste("0,-1.2\r\n50,1.5\r\n100,4.1\r\n200,8.3\r\n400,13\r\n800,16.1\r\n1600,17\r\n");
        p.aq.action(aq.aqMnuResultsPlotData)->trigger();
        showWindow(p.aq, [&] { aq.Show(); });
        ChartPanel* panel = p.aq.chartPanel();
        panel->refreshNow();

        // Q 200 is on row 4; its point is the fourth from the end, the grid being read bottom-up.
        const int point = aq.Series_LightAssim.count() - 4;
        const auto [qa, a] = aq.Series_LightAssim.points()[std::size_t(point)];
        QCOMPARE(a, 8.3);
        QPoint at = onScreen(panel, "Light_Assimiliation", QPointF(qa, a));
        QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, at + QPoint(3, -2));
        QCOMPARE(aq.standardFitExcludedRows(), std::set<int>{4});
        QTRY_VERIFY(chartSeries(panel, "Excluded"));
        // Where the point lies now that the chart has been drawn again.
        panel->refreshNow();
        at = onScreen(panel, "Light_Assimiliation", QPointF(qa, a));

        // Away from every point nothing happens; on the point again it is back in.
        QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, at + QPoint(0, 30));
        QCOMPARE(aq.standardFitExcludedRows(), std::set<int>{4});
        QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(aq.standardFitExcludedRows().empty());
    }
};

QTEST_MAIN(TestUiExclude)
#include "test_ui_exclude.moc"
