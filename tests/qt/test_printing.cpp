// Printing to PDF files, read back with poppler's pdftotext: the report's lines in
// order from the printable area's top left, half-inch tab stops, pages as needed, and
// the chart alone on its page in the centred rectangle.

#include "ui/Printing.h"

#include "core/Errors.h"

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCore/QProcess>
#include <QtCore/QRegularExpression>
#include <QtCore/QStandardPaths>
#include <QtCore/QTemporaryDir>
#include <QtPrintSupport/QPrinter>
#include <QtTest/QtTest>

namespace {

// The words of a PDF page with their boxes, in points from the paper's top left.
struct Word {
    QString text;
    double xMin, yMin, xMax, yMax;
};

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

int pageCount(const QString& pdf)
{
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(run("pdfinfo", {pdf})).captured(1).toInt();
}

QList<Word> words(const QString& pdf, int page)
{
    const QString html = run("pdftotext",
                             {"-bbox", "-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> result;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        result.append({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                       m.captured(4).toDouble()});
    }
    return result;
}

const Word* find(const QList<Word>& list, const QString& text)
{
    for (const Word& w : list) {
        if (w.text == text)
            return &w;
    }
    return nullptr;
}

// A4 in points with half-inch margins all round: the printable area starts 36 pt in.
void setUpPdf(QPrinter& printer, const QString& file)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(36, 36, 36, 36), QPageLayout::Point);
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty() ||
            QStandardPaths::findExecutable("pdfinfo").isEmpty())
            QSKIP("pdftotext and pdfinfo (poppler-utils) are needed to read the printed PDF files back");
        QVERIFY(dir.isValid());
        dir.setAutoRemove(qEnvironmentVariableIsEmpty("CALVANE_KEEP_PRINTS"));
        if (!dir.autoRemove())
            qInfo("prints kept in %s", qPrintable(dir.path()));
    }

    void reportFlowsOverPagesFromTheTopLeft()
    {
        std::vector<std::string> lines{"  ACi Curve Analysis for: Blatt µ1", " ",
                                       "  Parameters: ", "      Vcmax               \t61.5 Computed", "A\tB\tC"};
        for (int r = 0; r < 80; ++r)
            lines.push_back("  row" + std::to_string(r) + "   \tvalue" + std::to_string(r));
        std::string longLine = "  long";
        for (int i = 0; i < 60; ++i)
            longLine += " word" + std::to_string(i);
        lines.push_back(longLine);

        QPrinter printer(QPrinter::HighResolution);
        const QString pdf = dir.filePath("report.pdf");
        setUpPdf(printer, pdf);
        calvane::ui::printReportLines(printer, "ACi Curve Analysis for: Blatt µ1", lines);

        const int pages = pageCount(pdf);
        QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
        QString all;
        for (int p = 1; p <= pages; ++p)
            all += pageText(pdf, p);
        // Every line, in order, UTF-8 intact; the long line wraps but loses nothing.
        qsizetype at = 0;
        for (const QString& expected :
             {QStringLiteral("ACi Curve Analysis for: Blatt µ1"), QStringLiteral("Parameters:"),
              QStringLiteral("61.5 Computed"), QStringLiteral("row0"), QStringLiteral("value79"),
              QStringLiteral("word0"), QStringLiteral("word59")}) {
            const qsizetype found = all.indexOf(expected, at);
            QVERIFY2(found >= 0, qPrintable(expected));
            at = found;
        }
        QVERIFY(pageText(pdf, pages).contains("word59"));
        QVERIFY(!pageText(pdf, 1).contains("word59"));

        // No margins of its own: the first line at the printable area's top, a line
        // without leading spaces at its left edge.
        const QList<Word> first = words(pdf, 1);
        QVERIFY(!first.isEmpty());
        QVERIFY2(qAbs(first[0].yMin - 36) < 6, qPrintable(QString::number(first[0].yMin)));
        const Word* a = find(first, "A");
        QVERIFY(a);
        QVERIFY2(qAbs(a->xMin - 36) < 1.5, qPrintable(QString::number(a->xMin)));
        // Tab stops every half inch from the printable area's left edge.
        const Word* b = find(first, "B");
        const Word* c = find(first, "C");
        QVERIFY(b && c);
        QVERIFY2(qAbs(b->xMin - (36 + 36)) < 1.5, qPrintable(QString::number(b->xMin)));
        QVERIFY2(qAbs(c->xMin - (36 + 72)) < 1.5, qPrintable(QString::number(c->xMin)));
        // 13.5 point type: the line pitch is a little more than the size.
        const Word* vcmax = find(first, "Vcmax");
        const Word* parameters = find(first, "Parameters:");
        QVERIFY(vcmax && parameters);
        QVERIFY2(vcmax->yMin - parameters->yMin > 13.5 && vcmax->yMin - parameters->yMin < 20,
                 qPrintable(QString::number(vcmax->yMin - parameters->yMin)));
    }

    void chartHasAPageOfItsOwn()
    {
        auto* chart = new QChart;
        chart->setTitle("Chart page title");
        auto* series = new QLineSeries;
        series->append(0, 0);
        series->append(10, 5);
        chart->addSeries(series);
        chart->createDefaultAxes();
        QChartView view(chart);
        view.resize(497, 281);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        QPrinter printer(QPrinter::HighResolution);
        const QString pdf = dir.filePath("chart.pdf");
        setUpPdf(printer, pdf);
        calvane::ui::printChartPage(printer, &view, "aciChart_LightResponseCurve");

        QCOMPARE(pageCount(pdf), 1);
        const QList<Word> list = words(pdf, 1);
        const Word* title = find(list, "Chart");
        QVERIFY(title);
        // Wider than tall: 15 percent left and right, so the chart's middle is the
        // page's middle, and it stays in the upper-middle band that the margins leave.
        const double pageMiddle = 595.0 / 2;
        const Word* last = find(list, "title");
        QVERIFY(last);
        QVERIFY2(qAbs((title->xMin + last->xMax) / 2 - pageMiddle) < 20, qPrintable(QString::number(title->xMin)));
        const double printableHeight = 842 - 72;
        QVERIFY(title->yMin > 36 + printableHeight * 0.30);
    }

    void unwritableFileIsReported()
    {
        QPrinter printer(QPrinter::HighResolution);
        setUpPdf(printer, dir.filePath("no-such-folder/report.pdf"));
        try {
            calvane::ui::printReportLines(printer, "x", {"line"});
            QFAIL("no error raised");
        } catch (const calvane::FileError& error) {
            QCOMPARE(QString::fromStdString(error.what()),
                     "Cannot create file " + dir.filePath("no-such-folder/report.pdf"));
        }
    }
};

QTEST_MAIN(PrintingTest)
#include "test_printing.moc"
