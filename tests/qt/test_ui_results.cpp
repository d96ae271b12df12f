// Results on screen: out of date once the data change (marked, faded, dashed, asked
// about before an export), and the standard fit's values rounded to their errors.

#include "DesktopProgram.h"
#include "aci/ACi_Curve.h"
#include "aci/AciModel.h"
#include "aq/AQ_C3_Curve.h"
#include "core/TextFile.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/ChartPanel.h"
#include "ui/GridView.h"
#include "ui/ParameterPanel.h"
#include "ui/QtPlatform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtTest>

#include <cmath>

using namespace calvane;
using namespace calvane::ui;
using test::curveRows;

namespace {

// Saves where the test says, without a file dialog.
class SavingPlatform : public QtPlatform {
public:
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override
    {
        ++saveDialogs;
        return savePath;
    }
    std::string savePath;
    int saveDialogs = 0;
};

using Program = test::DesktopProgram<SavingPlatform>;

// Answers the message boxes that open while it lives with `answer`, keeping their
// titles and texts.
class MessageBoxAnswer {
public:
    explicit MessageBoxAnswer(QMessageBox::StandardButton answer)
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                texts << box->text();
                box->done(answer);
            }
        });
        timer_.start();
    }
    QStringList titles;
    QStringList texts;

private:
    QTimer timer_;
};

QLineSeries* lineNamed(ChartPanel* chart, const std::string& name)
{
    for (QAbstractSeries* series : chart->chart()->series())
        if (series->name() == QString::fromStdString(name))
            return qobject_cast<QLineSeries*>(series);
    return nullptr;
}

QLabel* checksText(QWidget& window) { return window.findChild<QLabel*>("checksText"); }

}  // namespace

class TestUiResults : public QObject {
    Q_OBJECT

private slots:
    void resultsGoOutOfDateWhenTheDataChangeAndExportAsksFirst()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        QTemporaryDir dir;
        p.platform.savePath = dir.filePath("leaf.txt").toStdString();
        aci.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&p.aci));
        aci.StringPaste(curveRows("aci/photosynthesis_S1_T25_0.csv").toStdString());
        p.aci.action(aci.aciMnuResultsComputeCurve)->trigger();
        QVERIFY(aci.staleResults.current());
        QTRY_VERIFY(lineNamed(p.aci.chartPanel(), aci.Series_Wc.title));
        QCOMPARE(lineNamed(p.aci.chartPanel(), aci.Series_Wc.title)->pen().style(), Qt::SolidLine);
        QLineEdit* vcmax = p.aci.fieldWidget(aci.aciEdit_Vcmax);
        QVERIFY(!vcmax->graphicsEffect());
        const auto before = aci.exportLines();

        // Typing in the grid, as the grid's editor does, after the command.
        QAbstractItemModel* model = p.aci.gridView()->model();
        QVERIFY(model->setData(model->index(1, 2), QStringLiteral("9.5")));
        QVERIFY(aci.staleResults.outOfDate());
        QCOMPARE(aci.checks.items().front(), std::string("Results are from earlier data"));
        QVERIFY(checksText(p.aci)->text().contains("Results are from earlier data"));
        QVERIFY(checksText(p.aci)->isVisible());
        QTRY_COMPARE(lineNamed(p.aci.chartPanel(), aci.Series_Wc.title)->pen().style(), Qt::DashLine);
        QVERIFY(vcmax->graphicsEffect());
        // A fixed value is the user's own, not a result: it keeps its look.
        aci.aciCheckBox_Vcmax.setChecked(true);
        QVERIFY(!vcmax->graphicsEffect());
        aci.aciCheckBox_Vcmax.setChecked(false);
        QVERIFY(vcmax->graphicsEffect());

        // No cancels before the save dialog; nothing is written.
        {
            MessageBoxAnswer no(QMessageBox::No);
            p.aci.action(aci.aciMnuFileExport)->trigger();
            QCOMPARE(no.titles, QStringList{"Results out of date"});
            QCOMPARE(no.texts, QStringList{"The results were computed before the data changed. Export anyway?"});
        }
        QCOMPARE(p.platform.saveDialogs, 0);
        QVERIFY(!QFile::exists(dir.filePath("leaf.txt")));

        // Yes exports the fields as they stand, as before the question existed.
        {
            MessageBoxAnswer yes(QMessageBox::Yes);
            p.aci.action(aci.aciMnuFileExport)->trigger();
            QCOMPARE(yes.titles.size(), 1);
        }
        QFile written(dir.filePath("leaf.txt"));
        QVERIFY(written.open(QIODevice::ReadOnly));
        auto changed = before;
        changed[12] = "  " + aci.aciSpreadSheetData.cell(1, 1) + ", 9.5";
        QCOMPARE(written.readAll().toStdString(), linesToFileBytes(changed));

        // The next Compute Curves brings the results up to date: no mark, no question.
        p.aci.action(aci.aciMnuResultsComputeCurve)->trigger();
        QVERIFY(!aci.staleResults.outOfDate());
        QVERIFY(aci.checks.items().empty() || aci.checks.items().front() != "Results are from earlier data");
        QTRY_COMPARE(lineNamed(p.aci.chartPanel(), aci.Series_Wc.title)->pen().style(), Qt::SolidLine);
        QVERIFY(!vcmax->graphicsEffect());
        p.platform.savePath = dir.filePath("leaf 2.txt").toStdString();
        MessageBoxAnswer none(QMessageBox::No);
        p.aci.action(aci.aciMnuFileExport)->trigger();
        QVERIFY(none.titles.isEmpty());
        QVERIFY(QFile::exists(dir.filePath("leaf 2.txt")));

        // A change that leaves the data as they are (a row inserted empty, a column
        // widened) keeps the results current.
        aci.aciSpreadSheetData.insertRow(3);
        aci.aciSpreadSheetData.setColWidth(1, 120);
        QVERIFY(aci.staleResults.current());
    }

    void theStandardFitClearsWhenTheDataChange()
    {
        Program p;
        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        aq.StringPaste(curveRows("aq/pecan_1aq.csv").toStdString());
        p.aq.action(aq.aqMnuResultsStandardFit)->trigger();
        QVERIFY(aq.standardOptimum() && aq.standardOptimum()->fitted);
        QVERIFY(!aq.Series_StdOptimum.empty());
        // No own fit yet: nothing goes out of date, but the group describes these data only.
        aq.StringPaste(curveRows("aq/ngeearctic_2193.csv").toStdString());
        QVERIFY(!aq.staleResults.outOfDate());
        QVERIFY(!aq.standardOptimum());
        QCOMPARE(aq.aqEdit_StdAmax.text(), std::string());
        QVERIFY(aq.Series_StdOptimum.empty() && aq.Series_StdHyperbola.empty());
    }

    void theStandardFitReadsAsValueAndErrorWithFullPrecisionOnCopy()
    {
        // Rounded to the error's second significant digit, its trailing zeros kept.
        QCOMPARE(roundedValue("100.800258541", "1.41234", 4), std::string("100.8"));
        QCOMPARE(roundedError("1.41234"), std::string("\u00B1 1.4"));
        QCOMPARE(roundedValue("0.0512345", "0.0069916879", 4), std::string("0.0512"));
        QCOMPARE(roundedError("0.0069916879"), std::string("\u00B1 0.0070"));
        QCOMPARE(roundedValue("1234.5", "0.996", 4), std::string("1234.5"));  // 0.996 rounds to 1.0
        QCOMPARE(roundedError("0.996"), std::string("\u00B1 1.0"));
        QCOMPARE(roundedValue("1008.3", "142", 4), std::string("1010"));
        QCOMPARE(roundedValue("-2.04", "3", 4), std::string("-2.0"));
        // Without a usable error: significant digits, or the text as it stands.
        QCOMPARE(roundedValue("1.471954", "", 3), std::string("1.47"));
        QCOMPARE(roundedValue("2.5", "", 3), std::string("2.50"));
        QCOMPARE(roundedValue("0.85", "fixed", 4), std::string("0.85"));
        QCOMPARE(roundedValue("", "", 4), std::string());
        QCOMPARE(roundedError("fixed"), std::string("fixed"));

        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        aci.StringPaste(curveRows("aci/photosynthesis_S1_T25_0.csv").toStdString());
        p.aci.action(aci.aciMnuResultsComputeCurve)->trigger();
        p.aci.action(aci.aciMnuResultsStandardFit)->trigger();
        QVERIFY2(aci.standardFit() && aci.standardFit()->fitted, aci.aciEdit_StdMessage.text().c_str());
        // The state keeps full precision (the export reads it); the screen rounds.
        const AciStandardFitResult& fit = *aci.standardFit();
        QCOMPARE(aci.aciEdit_StdVcmax.text(), formatNumber(fit.vcmax, '.'));
        QLineEdit* vcmax = p.aci.fieldWidget(aci.aciEdit_StdVcmax);
        QLineEdit* vcmaxSE = p.aci.fieldWidget(aci.aciEdit_StdVcmaxSE);
        const int place = significantPlace(fit.vcmaxSE, 2);
        QCOMPARE(vcmax->text().toStdString(), formatToPlace(fit.vcmax, place));
        QVERIFY(std::fabs(vcmax->text().toDouble() - fit.vcmax) <= 0.5 * std::pow(10.0, -place));
        QCOMPARE(vcmaxSE->text(),
                 QString::fromUtf8("\u00B1 ") + QString::fromStdString(formatSignificant(fit.vcmaxSE, 2)));
        QCOMPARE(vcmax->toolTip().toStdString(),
                 aci.aciEdit_StdVcmax.text() + " \u00B1 " + aci.aciEdit_StdVcmaxSE.text());
        QCOMPARE(p.aci.fieldWidget(aci.aciEdit_StdRMSE)->text().toStdString(), formatSignificant(fit.rmse, 3));
        QVERIFY(!vcmax->text().contains('E'));

        // Copy takes the full-precision number.
        vcmax->setFocus();
        vcmax->selectAll();
        QTest::keySequence(vcmax, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), aci.aciEdit_StdVcmax.text());

        // Beside the group, the window's own curve over the same points.
        QVERIFY(aci.ownCurveRmse() && *aci.ownCurveRmse() > 0);
        QVERIFY(aci.aciLabel_OwnRMSE.visible());
        QCOMPARE(aci.aciLabel_OwnRMSE.caption(), "Calvane's own curve: RMSE " +
                                                     formatSignificant(*aci.ownCurveRmse(), 3) + " over the same " +
                                                     std::to_string(fit.points) + " points");
    }

    void theOwnCurvesRmseIsTheOptimumsOnceTheOptimumIsUsed()
    {
        Program p;
        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        aq.StringPaste(curveRows("aq/pecan_1aq.csv").toStdString());
        p.aq.action(aq.aqMnuResultsStandardFit)->trigger();
        QVERIFY(aq.standardOptimum() && aq.standardOptimum()->fitted);
        QVERIFY(!aq.ownCurveRmse());  // no own fit yet
        aq.aqButton_StdUseOptimumClick();
        QVERIFY(aq.ownCurveRmse());
        const double own = *aq.ownCurveRmse(), optimum = aq.standardOptimum()->rmse;
        QVERIFY2(std::fabs(own - optimum) <= 1e-6 * optimum,
                 qPrintable(QStringLiteral("own %1, optimum %2").arg(own, 0, 'g', 17).arg(optimum, 0, 'g', 17)));
        // New data: the own curve no longer describes them.
        aq.StringPaste("0,-1.2\r\n50,1.1\r\n100,3.4\r\n");
        QVERIFY(!aq.ownCurveRmse());
        QVERIFY(!aq.aqLabel_OwnRMSE.visible());
    }
};

QTEST_MAIN(TestUiResults)
#include "test_ui_results.moc"
