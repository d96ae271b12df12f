// The instrument import dialog driven as a user drives it, on a real instrument log:
// from the window's menu, through the modal dialog, back into the window's grid.

#include "shell/Calvane.h"
#include "ui/AqWindow.h"
#include "ui/GridView.h"
#include "ui/ImportDialog.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace calvane;
using namespace calvane::ui;

class TestUiImport : public QObject {
    Q_OBJECT

private:
    // Selects a preview cell, opens the pop-up menu with a right click and picks an item.
    static void mark(ImportDialog* dialog, int column, int row, const QString& item)
    {
        GridView* preview = dialog->preview();
        preview->selectCell(column, row);
        preview->scrollTo(preview->model()->index(row, column));
        const QRect cell = preview->visualRect(preview->model()->index(row, column));
        QTest::mouseClick(preview->viewport(), Qt::RightButton, {}, cell.center());
        QTRY_COMPARE(QApplication::activePopupWidget(), dialog->popupMenu());
        for (QAction* action : dialog->popupMenu()->actions())
            if (action->text() == item && action->isVisible()) {
                dialog->popupMenu()->close();
                action->trigger();
                return;
            }
        QFAIL(qPrintable("no menu item " + item));
    }

private slots:
    void instrumentLogImportsIntoTheLightResponseGrid()
    {
        QtPlatform platform;
        Calvane app(platform);
        AqWindow window(app.frmAQ_C3_Curve, platform);
        TfrmAQ_C3_Curve& aq = app.frmAQ_C3_Curve;
        const QString log = QStringLiteral(CALVANE_DATA_DIR "/instrument/instrument_photosynthesis_1.txt");

        bool driven = false;
        QTimer::singleShot(0, [&] {
            ImportDialog* dialog = window.importDialog();
            QVERIFY(dialog->isVisible());
            QVERIFY(dialog->isModal());
            // A light-response import asks for the light column, not Ci.
            QVERIFY(dialog->qObsEdit()->isVisibleTo(dialog));
            QVERIFY(!dialog->ciEdit()->isVisibleTo(dialog));

            QTest::mouseClick(dialog->tabButton(), Qt::LeftButton);
            QVERIFY(aq.frmParseVerdex.RadioButtonTab.checked());
            QTest::keyClicks(dialog->fileNameEdit(), log.left(log.size() - 1));
            QCOMPARE(aq.frmParseVerdex.LblFileStatus.text(), std::string("File Does Not Exist!"));
            QTest::keyClicks(dialog->fileNameEdit(), log.right(1));
            QCOMPARE(aq.frmParseVerdex.LblFileStatus.text(), std::string());

            // The preview grows with the file and numbers its columns.
            QCOMPARE(dialog->preview()->model()->rowCount(), 96);
            QCOMPARE(dialog->preview()->model()->columnCount(), 289);
            QCOMPARE(dialog->preview()->model()->index(0, 112).data().toString(), QStringLiteral("112"));
            QCOMPARE(dialog->preview()->model()->index(71, 112).data().toString(), QStringLiteral("Qin"));

            mark(dialog, 1, 73, QStringLiteral("Start Of Data"));
            mark(dialog, 112, 73, QStringLiteral("Q Obs (Par)"));
            mark(dialog, 12, 73, QStringLiteral("Assimilation"));
            QCOMPARE(dialog->rowEdit()->text(), QStringLiteral("73"));
            QCOMPARE(dialog->qObsEdit()->text(), QStringLiteral("112"));
            QCOMPARE(dialog->assimilationEdit()->text(), QStringLiteral("12"));
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
            driven = true;
        });
        window.action(app.frmAQ_C3_Curve.aqMnuFileImportVerdex)->trigger();

        QVERIFY(driven);
        QVERIFY(!window.importDialog()->isVisible());
        const Grid& grid = aq.aqSpreadSheetData;
        // As the text parser cuts "x, y": the first field keeps the blank before the y.
        QCOMPARE(grid.cell(1, 1), std::string("1999.9872727272725 "));
        QCOMPARE(grid.cell(2, 1), std::string("33.13403038884378"));
        QCOMPARE(grid.cell(1, 21), std::string("0.0500055 "));
        QCOMPARE(grid.cell(2, 22), std::string("22.251223975500515"));
        QCOMPARE(aq.aqEdit_Status.text(), log.toStdString());
        QCOMPARE(app.importSettings.DataStartRow, 73);

        // Cancel the next time: nothing is pasted, the status empties.
        QTimer::singleShot(0, [&] { QTest::mouseClick(window.importDialog()->cancelButton(), Qt::LeftButton); });
        window.action(app.frmAQ_C3_Curve.aqMnuFileImportVerdex)->trigger();
        QCOMPARE(aq.aqEdit_Status.text(), std::string());
        QCOMPARE(grid.cell(1, 1), std::string("1999.9872727272725 "));
        QCOMPARE(app.importSettings.DataStartRow, 0);
    }

    void semicolonEndRowConditionsAndCurveFollowTheDialog()
    {
        QtPlatform platform;
        ImportSettings settings;
        TFrmParseVerdex state(platform, settings);
        ImportDialog dialog(state, platform);
        state.SetImportType(ImportKind::Aci);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTemporaryDir folder;
        const QString path = folder.filePath("log.csv");
        QFile log(path);
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write("Obs;Ci;A;Tleaf;ppfd\n1;300;10;25;100\n2;400;12;26;200\n3;500;13;27;200\n");
        log.close();

        QTest::keyClicks(dialog.fileNameEdit(), path);
        QCOMPARE(dialog.leafTempEdit()->text(), QStringLiteral("0"));  // Comma splits nothing here
        QTest::mouseClick(dialog.semicolonButton(), Qt::LeftButton);
        QVERIFY(state.RadioButtonSemicolon.checked());
        QVERIFY(!dialog.commaButton()->isChecked());
        QCOMPARE(dialog.leafTempEdit()->text(), QStringLiteral("4"));
        QVERIFY(dialog.leafTempEdit()->isVisibleTo(&dialog));

        dialog.rowEdit()->selectAll();
        QTest::keyClicks(dialog.rowEdit(), "2");
        QTest::keyClicks(dialog.endRowEdit(), "3");
        QCOMPARE(state.EdtEndRow.text(), std::string("3"));
        dialog.curveColumnEdit()->selectAll();
        QTest::keyClicks(dialog.curveColumnEdit(), "5");
        QComboBox* values = dialog.curveValueBox();
        QCOMPARE(values->count(), 2);
        QCOMPARE(values->currentText(), QStringLiteral("100"));
        QTest::keyClick(values, Qt::Key_Down);  // the user's choice
        QCOMPARE(state.CmbCurveValue.text(), std::string("200"));
        state.CmbCurveValue.setText("100");
        QCOMPARE(values->currentText(), QStringLiteral("100"));

        // The menu's new entries; the conditions only for an A/Ci import.
        QStringList entries;
        for (QAction* action : dialog.popupMenu()->actions())
            if (!action->isSeparator() && action->isVisible())
                entries << action->text();
        QCOMPARE(entries, (QStringList{"Start Of Data", "Ci PhotoSynth", "Assimilation", "End Of Data", "Leaf Temp",
                                       "Light", "Pressure", "Curve"}));
        state.SetImportType(ImportKind::LightResponse);
        QVERIFY(!dialog.leafTempEdit()->isVisibleTo(&dialog));
        QVERIFY(!dialog.pressureEdit()->isVisibleTo(&dialog));
        QVERIFY(dialog.curveColumnEdit()->isVisibleTo(&dialog));
    }
};

QTEST_MAIN(TestUiImport)
#include "test_ui_import.moc"
