// Printing a window to a PDF file: the chart job and the report job must both survive,
// although a file printer writes every job to the file it was given.

#include "aci/ACi_Curve.h"
#include "import/ParseVerdex.h"
#include "ui/AciWindow.h"
#include "ui/QtPlatform.h"

#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtCore/QTemporaryDir>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QtTest>

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class UiPrintingTest : public QObject {
    Q_OBJECT

private slots:
    void reportFileNameSitsBesideTheChartFile()
    {
        using calvane::ui::QtPlatform;
        QCOMPARE(QtPlatform::reportFileName("/tmp/run 1/leaf.pdf"), QString("/tmp/run 1/leaf-report.pdf"));
        QCOMPARE(QtPlatform::reportFileName("/tmp/leaf"), QString("/tmp/leaf-report"));
        QCOMPARE(QtPlatform::reportFileName("/tmp/leaf.v2.pdf"), QString("/tmp/leaf.v2-report.pdf"));
    }

    void printingToAFileKeepsTheChartPageAndTheReport()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the printed files back");
        QTemporaryDir dir;
        calvane::ui::QtPlatform platform;
        calvane::ImportSettings settings;
        calvane::TfrmACi_Curve state(platform, settings);
        calvane::ui::AciWindow window(state, platform);
        state.aciEdit_Identifier.setText("leaf 7");

        const QString chartFile = dir.filePath("aci.pdf");
        platform.printer().setOutputFormat(QPrinter::PdfFormat);
        platform.printer().setOutputFileName(chartFile);
        platform.printChart(state.aciChart_LightResponseCurve);
        platform.printLines(state.aciRichEdit, "ACi Curve Analysis for: leaf 7", state.reportLines());

        QVERIFY(run("pdfinfo", {chartFile}).contains(QRegularExpression("Pages:\\s+1\\b")));
        const QString chart = run("pdftotext", {chartFile, "-"});
        QVERIFY(chart.contains("ACi Curve"));  // the chart's title
        QVERIFY(!chart.contains("Vcmax"));     // and not the report
        const QString report = run("pdftotext", {"-layout", dir.filePath("aci-report.pdf"), "-"});
        QVERIFY(report.contains("ACi Curve Analysis for: leaf 7"));
        QVERIFY(report.contains("Vcmax"));
        QCOMPARE(platform.printer().outputFileName(), chartFile);  // ready for the next print
    }
};

QTEST_MAIN(UiPrintingTest)
#include "test_ui_printing.moc"
