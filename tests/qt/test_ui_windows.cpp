// The analysis windows on screen: pop-up menus, clipboard, drops, menu commands, the
// general error display, visibility, and the platform's long tasks.

#include "DesktopProgram.h"
#include "core/Errors.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/ChartPanel.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtCharts/QChart>
#include <QtCharts/QXYSeries>
#include <QtTest>

#include <thread>

using namespace calvane;
using namespace calvane::ui;

namespace {

using Program = test::DesktopProgram<>;

void drop(QWidget& window, const QStringList& paths)
{
    QMimeData mime;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QXYSeries* chartSeries(ChartPanel* panel, const QString& name)
{
    for (QAbstractSeries* series : panel->chart()->series())
        if (series->name() == name)
            return qobject_cast<QXYSeries*>(series);
    return nullptr;
}

std::string text(const QLineEdit* edit) { return edit->text().toStdString(); }

}  // namespace

class TestUiWindows : public QObject {
    Q_OBJECT

private slots:
    void showingFollowsTheStateAndClosingOnlyHides()
    {
        Program p;
        QVERIFY(!p.aq.isVisible());
        p.app.frmMain.wbBtnAQCurveClick();
        QVERIFY(p.aq.isVisible());
        QVERIFY(!p.aci.isVisible());

        p.app.frmAQ_C3_Curve.aqEdit_Identifier.setText("leaf 7");
        p.aq.close();
        QVERIFY(!p.aq.isVisible());
        QVERIFY(!p.app.frmAQ_C3_Curve.visible);
        p.app.frmMain.wbBtnAQCurveClick();
        QVERIFY(p.aq.isVisible());
        QCOMPARE(text(p.aq.fieldWidget(p.app.frmAQ_C3_Curve.aqEdit_Identifier)), std::string("leaf 7"));

        p.aq.action(p.app.frmAQ_C3_Curve.aqMnuFileExit)->trigger();
        QVERIFY(!p.aq.isVisible());
    }

    void popupMenusOpenWhereTheirHandlersSay()
    {
        Program p;
        p.app.frmACi_Curve.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.aci));
        p.aci.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&p.aci));

        GridView* grid = p.aci.gridView();
        const QRect cell = grid->visualRect(grid->model()->index(2, 1));
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, cell.center());
        QMenu* gridMenu = p.platform.popupMenu(p.app.frmACi_Curve.aciPopupMenu);
        QTRY_COMPARE(QApplication::activePopupWidget(), gridMenu);
        // Window + grid + point, 40 down for the title bar.
        const QPoint inGrid = grid->viewport()->mapTo(grid, cell.center());
        const QPoint gridInWindow = grid->mapTo(&p.aci, QPoint(0, 0));
        QCOMPARE(gridMenu->pos(), p.aci.frameGeometry().topLeft() + gridInWindow + inGrid + QPoint(0, 40));
        gridMenu->close();

        // A parameter field's context menu is the field menu, and its Copy takes that field.
        QLineEdit* vcmax = p.aci.fieldWidget(p.app.frmACi_Curve.aciEdit_Vcmax);
        p.app.frmACi_Curve.aciEdit_Vcmax.setText("61.5");
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), vcmax->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(vcmax, &menuEvent);
        QMenu* fieldMenu = p.platform.popupMenu(p.app.frmACi_Curve.aciPopupMenu2);
        QTRY_COMPARE(QApplication::activePopupWidget(), fieldMenu);
        fieldMenu->close();
        QTRY_VERIFY(vcmax->hasFocus());
        p.aci.action(p.app.frmACi_Curve.aciPopup2Copy)->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("61.5"));

        // Ctrl+A in a parameter field is Copy All.
        QTest::keyClick(vcmax, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("Identifier\t\r\nKc\t0.0\r\n")));
        QVERIFY(QGuiApplication::clipboard()->text().contains(QStringLiteral("\r\nVcmax\t61.5\r\n")));
    }

    void pasteTakesLineFeedTextRowByRowAndCopyGivesItBack()
    {
        Program p;
        QGuiApplication::clipboard()->setText(QStringLiteral("50\t2.1\n100\t6.4\n"));
        p.aci.action(p.app.frmACi_Curve.aciPopupPaste)->trigger();
        const Grid& grid = p.app.frmACi_Curve.aciSpreadSheetData;
        // The text parser keeps the separator's blank on a line's first field.
        QCOMPARE(grid.cell(1, 1), std::string("50 "));
        QCOMPARE(grid.cell(2, 1), std::string("2.1"));
        QCOMPARE(grid.cell(1, 2), std::string("100 "));
        QCOMPARE(grid.cell(2, 2), std::string("6.4"));

        p.aci.action(p.app.frmACi_Curve.aciPopupCopy)->trigger();
        QVERIFY(
            QGuiApplication::clipboard()->text().startsWith(QStringLiteral("\t50 \t2.1\t\r\n\t100 \t6.4\t\r\n\t\t\t")));
    }

    void droppedFilesLoadTheFirstCsvAndErrorsShowInABox()
    {
        Program p;
        QTemporaryDir folder;
        const QString notes = folder.filePath("notes.txt");
        const QString data = folder.filePath("curve.CSV");
        writeFile(notes, "1,2\r\n");
        writeFile(data, "0,-1.25\r\n100,4.5\r\n");

        drop(p.aq, {notes, data});
        const TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        QTRY_COMPARE(aq.aqEdit_Status.text(), data.toStdString());
        QCOMPARE(aq.aqSpreadSheetData.rowCount(), 3);
        QCOMPARE(aq.aqSpreadSheetData.colCount(), 4);
        QCOMPARE(aq.aqSpreadSheetData.cell(2, 1), std::string("-1.25"));
        QCOMPARE(p.aq.gridView()->model()->rowCount(), 3);
        // The dark reading fixed the respiration.
        QCOMPARE(aq.aqNumEdit_A0_Resp.text(), std::string("-1.25"));
        QVERIFY(aq.aqCheckBox_A0_Resp.checked());

        // Nothing accepted: nothing happens.
        drop(p.aci, {notes});
        QTest::qWait(20);
        QCOMPARE(p.app.frmACi_Curve.aciEdit_Status.text(), std::string());

        // A dropped folder cannot be opened: the general error display says so.
        test::MessageBoxWatcher boxes;
        drop(p.aci, {folder.path()});
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts[0], QStringLiteral("Cannot open file ") + folder.path());
        QCOMPARE(p.app.frmACi_Curve.aciEdit_Status.text(), folder.path().toStdString());
    }

    void computeCurvesFromItsMenuFillsTheChart()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        aci.StringPaste("50,2.1\r\n100,6.4\r\n200,13.8\r\n400,22.5\r\n600,26\r\n800,27.2\r\n1000,27.9\r\n");
        p.aci.action(p.app.frmACi_Curve.aciMnuResultsComputeCurve)->trigger();
        QVERIFY(aci.Series_Wc.count() > 0);
        QTRY_VERIFY(chartSeries(p.aci.chartPanel(), "Wc (Rubisco)"));
        QTRY_COMPARE(chartSeries(p.aci.chartPanel(), "Wc (Rubisco)")->count(), aci.Series_Wc.count());
        QCOMPARE(chartSeries(p.aci.chartPanel(), "Ci (umol mol-1)")->count(), 7);
        QVERIFY(!aci.aciEdit_Vcmax.text().empty());
        QCOMPARE(text(p.aci.fieldWidget(aci.aciEdit_Vcmax)), aci.aciEdit_Vcmax.text());
    }

    void standardFitFillsItsGroupAndItsCurveFollowsShowCurve()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        QFile file(QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T25_0.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        file.readLine();  // header
        QByteArray rows;
        int measured = 0;
        for (; !file.atEnd(); ++measured)
            rows += file.readLine().trimmed() + "\r\n";
        aci.StringPaste(rows.toStdString());

        QAction* fit = p.aci.action(p.app.frmACi_Curve.aciMnuResultsStandardFit);
        QVERIFY(fit);
        QCOMPARE(fit->shortcut(), QKeySequence(Qt::Key_F3));
        fit->trigger();
        QVERIFY2(aci.standardFit() && aci.standardFit()->fitted, aci.aciEdit_StdMessage.text().c_str());
        QLineEdit* vcmax = p.aci.fieldWidget(aci.aciEdit_StdVcmax);
        bool isNumber = false;
        QVERIFY(vcmax->text().toDouble(&isNumber) > 0 && isNumber);
        QVERIFY(vcmax->isReadOnly());
        // Fitted without TPU, so its row stays hidden in the shown window.
        aci.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.aci));
        QVERIFY(vcmax->isVisible());
        QVERIFY(!p.aci.fieldWidget(aci.aciEdit_StdTPU)->isVisible());
        QVERIFY(!p.aci.fieldWidget(aci.aciEdit_StdTPUSE)->isVisible());

        ChartPanel* chart = p.aci.chartPanel();
        QTRY_VERIFY(chartSeries(chart, "Standard fit"));
        QVERIFY(aci.Series_StandardFit.count() > 0);
        QCOMPARE(chartSeries(chart, "Standard fit")->count(), aci.Series_StandardFit.count());

        QCheckBox* showCurve = nullptr;
        for (QCheckBox* box : p.aci.findChildren<QCheckBox*>())
            if (box->text() == QStringLiteral("Show curve"))
                showCurve = box;
        QVERIFY(showCurve && showCurve->isChecked());
        showCurve->click();
        QVERIFY(!aci.aciCheckBox_StdShowCurve.checked());
        QTRY_VERIFY(!chartSeries(chart, "Standard fit"));
        QCOMPARE(chartSeries(chart, "Ci (umol mol-1)")->count(), measured);
        showCurve->click();
        QTRY_VERIFY(chartSeries(chart, "Standard fit"));

        // A fit with TPU brings its row out.
        aci.aciCheckBox_StdTPU.setChecked(true);
        fit->trigger();
        QVERIFY2(aci.standardFit()->fitted, aci.aciEdit_StdMessage.text().c_str());
        QVERIFY(p.aci.fieldWidget(aci.aciEdit_StdTPU)->isVisible());
        QVERIFY(!p.aci.fieldWidget(aci.aciEdit_StdTPU)->text().isEmpty());

        // File > "Include Standard Fit", ticked by the fit, and its state move together,
        // both ways.
        QAction* include = p.aci.action(p.app.frmACi_Curve.aciMnuFileExportStandardFit);
        QVERIFY(include && include->isCheckable() && include->isChecked());
        include->trigger();
        QVERIFY(!aci.aciMnuFileExportStandardFit.checked());
        aci.aciMnuFileExportStandardFit.setChecked(true);
        QVERIFY(include->isChecked());
    }

    void fitCurveRunsToItsEndAndShowsTheCurve()
    {
        Program p;
        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        aq.StringPaste("0,-1.2\r\n50,1.1\r\n100,3.4\r\n200,7\r\n400,11.5\r\n800,15\r\n1500,16.8\r\n");
        // Two parameters fixed keeps the search short.
        aq.aqNumEdit_Amax.setText("18");
        aq.aqCheckBox_Amax.setChecked(true);
        aq.aqNumEdit_Convexity.setText("2");
        aq.aqCheckBox_Convexity.setChecked(true);
        p.aq.action(p.app.frmAQ_C3_Curve.aqMnuResultsFitCurve)->trigger();
        QVERIFY(aq.Series_ComputedA.count() == 500);
        QVERIFY(!aq.aqNumEdit_LightSatPoint.text().empty());
        QCOMPARE(p.aq.progressBar()->value(), 0);
        QCOMPARE(p.aq.progressBar()->text(), QStringLiteral("0 %"));
        QTRY_COMPARE(chartSeries(p.aq.chartPanel(), "ComputedA")->count(), 500);
        QCOMPARE(text(p.aq.fieldWidget(aq.aqNumEdit_AQE)), aq.aqNumEdit_AQE.text());
    }

    void typingADarkReadingInTheLightGridFixesTheRespiration()
    {
        Program p;
        p.app.frmAQ_C3_Curve.Show();
        GridView* grid = p.aq.gridView();
        grid->setFocus();
        grid->selectCell(1, 1);
        QTest::keyClick(grid, Qt::Key_0);
        QTest::keyClick(grid, Qt::Key_Tab);
        QTest::keyClick(grid, Qt::Key_Minus);
        QLineEdit* editor = nullptr;
        for (QLineEdit* open : grid->findChildren<QLineEdit*>())
            if (open->isVisible())
                editor = open;
        QVERIFY(editor);
        QTest::keyClicks(editor, "2.5");
        const TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        QCOMPARE(aq.aqNumEdit_A0_Resp.text(), std::string("-2.5"));
        QVERIFY(aq.aqCheckBox_A0_Resp.checked());
    }

    void longTasksRunOffTheWindowsThreadWithoutTakingInput()
    {
        QtPlatform platform;
        QPushButton button("Press");
        int presses = 0;
        connect(&button, &QPushButton::clicked, [&] { ++presses; });
        button.show();

        const auto uiThread = std::this_thread::get_id();
        std::thread::id workThread;
        std::vector<int> order;
        bool onUiThread = true;
        platform.runLongTask([&](const Platform::UiPost& post) {
            workThread = std::this_thread::get_id();
            for (int i = 0; i < 3; ++i)
                post([&, i] {
                    order.push_back(i);
                    onUiThread = onUiThread && std::this_thread::get_id() == uiThread;
                    QTest::mouseClick(&button, Qt::LeftButton);
                });
        });
        QVERIFY(workThread != uiThread);
        QCOMPARE(order, (std::vector<int>{0, 1, 2}));
        QVERIFY(onUiThread);
        QCOMPARE(presses, 0);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(presses, 1);

        bool thrown = false;
        try {
            platform.runLongTask(
                [](const Platform::UiPost&) { throw ArithmeticError("Floating point division by zero"); });
        } catch (const ArithmeticError& error) {
            thrown = std::string(error.what()) == "Floating point division by zero";
        }
        QVERIFY(thrown);
    }
};

QTEST_MAIN(TestUiWindows)
#include "test_ui_windows.moc"
