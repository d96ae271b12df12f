// Printing a window to a PDF file: one file holds the chart page and the report,
// which carries the standard fit while "Include Standard Fit" is ticked.

#include "aci/ACi_Curve.h"
#include "import/ParseVerdex.h"
#include "ui/AciWindow.h"
#include "ui/ChartPanel.h"
#include "ui/QtPlatform.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QProcess>
#include <QtCore/QStandardPaths>
#include <QtCore/QTemporaryDir>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QtTest>

#include <algorithm>

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pageText(const QString& pdf, int page)
{
    return run("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
}

// The print dialog's OK with "Print to file" chosen.
class FilePrintPlatform : public calvane::ui::QtPlatform {
public:
    bool showPrintDialog() override
    {
        printer().setOutputFormat(QPrinter::PdfFormat);
        printer().setOutputFileName(file);
        return true;
    }
    QString file;
};

}  // namespace

class UiPrintingTest : public QObject {
    Q_OBJECT

private slots:
    void printingToAFileWritesOneFileWithTheChartAndTheReport()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the printed file back");
        QTemporaryDir dir;
        FilePrintPlatform platform;
        platform.file = dir.filePath("aci.pdf");
        calvane::ImportSettings settings;
        calvane::TfrmACi_Curve state(platform, settings);
        calvane::ui::AciWindow window(state, platform);
        state.aciEdit_Identifier.setText("leaf 7");
        QFile data(QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T25_0.csv"));
        QVERIFY(data.open(QIODevice::ReadOnly | QIODevice::Text));
        data.readLine();  // header
        state.StringPaste(data.readAll().replace("\n", "\r\n").toStdString());
        state.aciMnuResultsComputeCurveClick();

        // Unticked, the report ends with the grid.
        const auto plain = state.reportLines();
        QCOMPARE(plain.back(), std::string("     \t"));
        state.aciMnuResultsStandardFitClick();
        QVERIFY(state.aciMnuFileExportStandardFit.checked());
        const auto lines = state.reportLines();
        QVERIFY(std::equal(plain.begin(), plain.end(), lines.begin()));
        const std::vector<std::string> section(lines.begin() + qsizetype(plain.size()), lines.end());
        QCOMPARE(section.at(0), std::string(" "));
        QCOMPARE(section.at(1), std::string("  Standard fit (Farquhar-von Caemmerer-Berry)"));
        QCOMPARE(section.at(2), "      Vcmax                   \t" + state.aciEdit_StdVcmax.text() + " \u00B1 " +
                                    state.aciEdit_StdVcmaxSE.text());
        QCOMPARE(section.back(), "      " + state.aciEdit_StdMessage.text());

        window.chartPanel()->refreshNow();
        state.aciMnuFilePrintClick();

        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"aci.pdf"});
        // The chart alone on the first page, the report from the second on.
        const int pages =
            QRegularExpression("Pages:\\s+(\\d+)").match(run("pdfinfo", {platform.file})).captured(1).toInt();
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        const QString chart = pageText(platform.file, 1);
        QVERIFY(chart.contains("ACi Curve for: leaf 7"));  // the chart's title
        QVERIFY(!chart.contains("Parameters:"));
        QString report;
        for (int page = 2; page <= pages; ++page)
            report += pageText(platform.file, page);
        QVERIFY(report.contains("ACi Curve Analysis for: leaf 7"));
        QVERIFY(report.contains("(Farquhar-von Caemmerer-Berry)"));  // "fi" may come out as a ligature
        QVERIFY(report.contains(QString::fromStdString(state.aciEdit_StdVcmax.text())));
        QCOMPARE(platform.printer().outputFileName(), platform.file);
    }
};

QTEST_MAIN(UiPrintingTest)
#include "test_ui_printing.moc"
