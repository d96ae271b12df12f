// Tools > Batch Fit: the dialog's settings become the batch command's arguments, the
// run goes off the user-interface thread, and its summary sorts and copies.

#include "shell/Calvane.h"
#include "ui/BatchDialog.h"
#include "ui/QtPlatform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>

using namespace calvane;
using namespace calvane::ui;

namespace {

QString dataFile(const char* name) { return QStringLiteral(CALVANE_DATA_DIR "/") + name; }

bool has(const std::vector<std::string>& args, std::initializer_list<const char*> run)
{
    const std::vector<std::string> wanted(run.begin(), run.end());
    return std::search(args.begin(), args.end(), wanted.begin(), wanted.end()) != args.end();
}

}  // namespace

class UiBatchTest : public QObject {
    Q_OBJECT

private slots:
    void settingsBecomeTheBatchArguments()
    {
        QtPlatform platform;
        Calvane app(platform);
        app.frmAQ_C3_Curve.aqNumEdit_Convexity.setText("2,5");
        app.frmAQ_C3_Curve.aqCheckBox_Convexity.setChecked(true);
        BatchDialog dialog(app.frmACi_Curve, app.frmAQ_C3_Curve, platform);
        dialog.windowType()->setCurrentIndex(1);  // light response: the window's fields come along
        dialog.tableGroup()->setChecked(true);
        dialog.groupColumn()->setText("curve");
        dialog.xColumn()->setText("PAR");
        dialog.aColumn()->setText("3");
        dialog.meanColumn()->setText("absorptance");
        dialog.addInputs({"/data/all curves.csv"});
        const auto args = dialog.arguments("/tmp/s.csv");
        QCOMPARE(args.front(), std::string("aq"));
        QVERIFY(has(args, {"--group", "curve", "--x", "PAR", "--a", "3", "--parabs", "absorptance"}));
        QVERIFY(has(args, {"--fix", "Convexity=2,5"}));
        QVERIFY(!has(args, {"--set", "ParAbs=0.85"}));  // the column's mean fills it
        QVERIFY(has(args, {"--set", "Amax=", "--free", "Amax"}));
        QVERIFY(has(args, {"--fit", "--summary", "/tmp/s.csv", "/data/all curves.csv"}));
    }

    void aRunFillsASortableSummaryThatCopiesToASpreadsheet()
    {
        QtPlatform platform;
        Calvane app(platform);
        app.frmACi_Curve.aciEdit_Temp.setText("25");
        BatchDialog dialog(app.frmACi_Curve, app.frmAQ_C3_Curve, platform);
        dialog.addInputs({dataFile("aci/photosynthesis_S1_T30_0.csv"), dataFile("aci/photosynthesis_S1_T25_0.csv")});
        QSignalSpy finished(&dialog, &BatchDialog::finished);
        dialog.run();
        QVERIFY(dialog.running());
        QVERIFY(finished.wait(30000));
        QVERIFY(!dialog.running());

        QStandardItemModel* summary = dialog.summary();
        QCOMPARE(summary->rowCount(), 2);
        QCOMPARE(summary->horizontalHeaderItem(0)->text(), QString("source"));
        QVERIFY(summary->item(0, 0)->text().endsWith("photosynthesis_S1_T30_0.csv"));  // input order

        int vcmax = -1;
        for (int col = 0; col < summary->columnCount(); ++col)
            if (summary->horizontalHeaderItem(col)->text() == "Vcmax (umol m-2 s-1)")
                vcmax = col;
        QVERIFY(vcmax >= 0);
        dialog.summaryView()->sortByColumn(vcmax, Qt::AscendingOrder);
        const auto* view = dialog.summaryView()->model();
        QVERIFY(view->index(0, vcmax).data(Qt::UserRole).toDouble() <=
                view->index(1, vcmax).data(Qt::UserRole).toDouble());

        QGuiApplication::clipboard()->clear();
        dialog.copyButton()->click();
        const QStringList lines = QGuiApplication::clipboard()->text().split(QRegularExpression("\r?\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("source\tgroup\tidentifier\tpoints\t"));
        QCOMPARE(lines[1].split('\t').size(), summary->columnCount());
    }
};

QTEST_MAIN(UiBatchTest)
#include "test_ui_batch.moc"
