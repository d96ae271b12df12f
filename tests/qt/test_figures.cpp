// Figure files of a real A/Ci curve's chart, checked with real readers: the PNG's size
// and resolution with Qt's image reader, the SVG parsed as XML with its text present,
// the PDF's text, fonts and page read back with poppler's tools. A failed write keeps
// the earlier file; File > "Save Chart As..." in both windows goes through the dialog.

#include "QtTestPlatform.h"
#include "aci/ACi_Curve.h"
#include "chart/drawing/WindowCharts.h"
#include "chart/qt/FigureFile.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/ChartSaver.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QXmlStreamReader>
#include <QtTest/QtTest>

#include <cerrno>
#include <functional>
#include <memory>

using namespace calvane;

namespace {

QByteArray bytesOf(const std::optional<std::string>& bytes)
{
    return bytes ? QByteArray::fromStdString(*bytes) : QByteArray();
}

// Runs a poppler tool; an empty result when it is not installed.
std::optional<QString> poppler(const QString& tool, const QStringList& args)
{
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty())
        return std::nullopt;
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Rich text lays runs of spaces out as one; compare texts that way.
QString spacesAsOne(QString text) { return text.replace(QChar(0xa0), u' ').simplified(); }

// Answers the next modal dialogs while it lives: a file dialog with `answer`, a message
// box with OK, keeping its text.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QFileDialog&)> answer) : answer_(std::move(answer))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                ++fileDialogs;
                answer_(*dialog);
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                messages << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }
    int fileDialogs = 0;
    QStringList messages;

private:
    std::function<void(QFileDialog&)> answer_;
    QTimer timer_;
};

void choose(QFileDialog& dialog, const QString& filter, const QString& path)
{
    dialog.selectNameFilter(filter);
    Q_EMIT dialog.filterSelected(filter);  // as a click on the filter box does
    // Typed, as a user does: selectFile leaves a focused name field alone.
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name);
    name->setText(path);
    static_cast<QDialog&>(dialog).accept();  // QFileDialog's own, through the public slot
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

}  // namespace

class FiguresTest : public QObject {
    Q_OBJECT

    test::QuietPlatform platform;
    ImportSettings settings;
    std::unique_ptr<TfrmACi_Curve> win;
    chart::ChartCopy figure;
    chart::ChartDrawing drawing;

private slots:
    void initTestCase()
    {
        win = std::make_unique<TfrmACi_Curve>(platform, settings);
        QFile file(QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T25_0.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        file.readLine();  // header
        for (int row = 1; !file.atEnd();) {
            const QList<QByteArray> fields = file.readLine().trimmed().split(',');
            if (fields.size() < 2)
                continue;
            if (row == win->aciSpreadSheetData.rowCount())
                win->aciSpreadSheetData.setRowCount(row + 1);
            win->aciSpreadSheetData.setCell(1, row, fields[0].toStdString());
            win->aciSpreadSheetData.setCell(2, row, fields[1].toStdString());
            ++row;
        }
        win->aciEdit_Identifier.setText("S1 25 oC");
        win->aciMnuResultsComputeCurveClick();
        QVERIFY(!win->Series_Wc.empty());
        figure = chart::aciFigure(*win, "photosynthesis_S1_T25_0");
        drawing = figure.drawing();
    }

    void modelCurvesStayOverTheMeasuredRange()
    {
        // The window's TPU level starts at Ci 0; the figure's, 5 % of the range below the
        // lowest Ci, at the same height. The points stay as measured.
        const double low = win->Series_LightAssim.minX(), high = win->Series_LightAssim.maxX();
        const double from = low - 0.05 * (high - low), to = high + 0.05 * (high - low);
        QCOMPARE(drawing.series.size(), std::size_t(4));
        QCOMPARE(drawing.series[0]->points(), win->Series_LightAssim.points());
        for (const PointSeries* curve : {drawing.series[1], drawing.series[2], drawing.series[3]}) {
            QVERIFY(!curve->empty());
            QVERIFY2(curve->minX() >= from - 1e-9 && curve->maxX() <= to + 1e-9,
                     qPrintable(QString("%1: %2 to %3, not within %4 to %5")
                                    .arg(QString::fromStdString(curve->title))
                                    .arg(curve->minX())
                                    .arg(curve->maxX())
                                    .arg(from)
                                    .arg(to)));
        }
        const PointSeries& tpu = *drawing.series[3];
        QCOMPARE(tpu.title, std::string("TPU-limited"));
        QCOMPARE(tpu.count(), 2);
        QCOMPARE(tpu.x(0), from);
        QCOMPARE(tpu.y(0), win->Series_Wp.y(0));
        QCOMPARE(tpu.x(1), high);  // the window's line ends at the highest Ci
    }

    void pngHasPrintSizeAndResolution()
    {
        for (const auto& [options, width, height] : {std::tuple{chart::FigureOptions{}, 1890, 1181},
                                                     std::tuple{chart::FigureOptions{8.5, 6, 150}, 502, 354}}) {
            QByteArray bytes = bytesOf(chart::figureBytes(drawing, chart::FigureFormat::Png, options));
            QBuffer buffer(&bytes);
            QImageReader reader(&buffer, "png");
            QCOMPARE(reader.size(), QSize(width, height));
            const QImage image = reader.read();
            QCOMPARE(qRound(image.dotsPerMeterX() * 0.0254), options.dpi);
            // Drawn, not blank: the red points and the green RuBP curve are there.
            bool red = false, green = false;
            for (int y = 0; y < image.height(); y += 2) {
                for (int x = 0; x < image.width(); x += 2) {
                    const QColor c = image.pixelColor(x, y);
                    red = red || (c.red() > 200 && c.green() < 60 && c.blue() < 60);
                    green = green || (c.red() < 40 && c.green() > 100 && c.green() < 150 && c.blue() < 40);
                }
            }
            QVERIFY(red && green);
        }
    }

    void svgIsVectorWithRealText()
    {
        const QByteArray bytes = bytesOf(chart::figureBytes(drawing, chart::FigureFormat::Svg));
        QXmlStreamReader xml(bytes);
        QStringList texts;
        QString width;
        int paths = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"svg")
                width = xml.attributes().value(QLatin1String("width")).toString();
            else if (xml.name() == u"path" || xml.name() == u"polyline")
                ++paths;
            else if (xml.name() == u"text")
                texts << spacesAsOne(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // The axis titles with their units (Ci's subscript a run of its own), the curve's
        // name, the legend's names; no right axis: its title gone, no tick label twice.
        for (const QString& wanted :
             {QStringLiteral("S1 25 oC"), QStringLiteral("A (µmol m⁻² s⁻¹)"), QStringLiteral("C"), QStringLiteral("i"),
              QStringLiteral("(µmol mol⁻¹)"), QStringLiteral("Measured"), QStringLiteral("Rubisco-limited"),
              QStringLiteral("RuBP-limited"), QStringLiteral("TPU-limited")})
            QVERIFY2(texts.contains(wanted), qPrintable(wanted + " not among: " + texts.join(u'|')));
        QVERIFY2(!texts.contains(QStringLiteral("Qa")), qPrintable(texts.join(u'|')));
        QCOMPARE(texts.count(QStringLiteral("20")), 1);
        QVERIFY(paths > 0);
        QVERIFY(width.endsWith(u"mm"));
        QVERIFY(qAbs(width.chopped(2).toDouble() - 160.0) < 0.5);
    }

    void pdfHoldsTextFontsAndPage()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("chart.pdf"));
        chart::writeFigure(path.toStdString(), drawing, chart::FigureFormat::Pdf);
        const auto text = poppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        if (!text)
            QSKIP("pdftotext (poppler-utils) is not installed");
        for (const char* wanted : {"S1 25 oC", "A (µmol m⁻² s⁻¹)", "Rubisco-limited", "TPU-limited", "Ci (µmol mol⁻¹)"})
            QVERIFY2(spacesAsOne(*text).contains(QString::fromUtf8(wanted)), wanted);

        // Every font embedded: the "emb" column of each font line says yes.
        const auto fonts = poppler(QStringLiteral("pdffonts"), {path});
        QVERIFY(fonts);
        const QStringList lines = fonts->split(u'\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY(!lines.isEmpty());
        for (const QString& line : lines)
            QVERIFY2(line.contains(
                         QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"))),
                     qPrintable(line));

        // One page of 16 x 10 cm (453.5 x 283.5 points).
        const auto info = poppler(QStringLiteral("pdfinfo"), {path});
        QVERIFY(info);
        const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(*info);
        QVERIFY(size.hasMatch());
        QVERIFY(qAbs(size.captured(1).toDouble() - 453.5) < 1.0);
        QVERIFY(qAbs(size.captured(2).toDouble() - 283.5) < 1.0);
    }

    void failedWriteKeepsEarlierFile()
    {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("chart.png")).toStdString();
        {
            QFile earlier(QString::fromStdString(path));
            QVERIFY(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier");
        }
        setFileWriteHooks({{}, [](const char*, const char*) {
                               errno = EACCES;
                               return -1;
                           }});
        QString message;
        try {
            chart::writeFigure(path, drawing, chart::FigureFormat::Png);
        } catch (const FileError& error) {
            message = QString::fromStdString(error.what());
        }
        setFileWriteHooks({});
        QCOMPARE(message, QString::fromStdString("Cannot create file " + path));
        QFile kept(QString::fromStdString(path));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier"));
        QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("chart.png")});

        const std::string nowhere = dir.filePath(QStringLiteral("missing/chart.svg")).toStdString();
        QVERIFY_THROWS_EXCEPTION(FileError, chart::writeFigure(nowhere, drawing, chart::FigureFormat::Svg));
    }

    void formatFromExtensionOrFilter()
    {
        QCOMPARE(ui::chosenFigureFormat(QStringLiteral("/a/fig.PDF"), 0), chart::FigureFormat::Pdf);
        QCOMPARE(ui::chosenFigureFormat(QStringLiteral("/a/fig.svg"), 2), chart::FigureFormat::Svg);
        QCOMPARE(ui::chosenFigureFormat(QStringLiteral("/a/fig.v2"), 1), chart::FigureFormat::Svg);
        QCOMPARE(ui::chosenFigureFormat(QStringLiteral("/a/fig"), 2), chart::FigureFormat::Pdf);
    }

    void saveChartAsInBothWindows()
    {
        ui::QtPlatform qtPlatform;
        Calvane app{qtPlatform};
        ui::AqWindow aq{app.frmAQ_C3_Curve, qtPlatform};
        ui::AciWindow aci{app.frmACi_Curve, qtPlatform};
        QTemporaryDir dir;

        for (ui::AnalysisWindow* window :
             {static_cast<ui::AnalysisWindow*>(&aci), static_cast<ui::AnalysisWindow*>(&aq)}) {
            const bool isAci = window == &aci;
            QAction* save = window->action(ui::saveChartAsItem);
            QVERIFY(save);
            QCOMPARE(save->text(), QStringLiteral("Save Chart As..."));
            QVERIFY(save->shortcut().isEmpty());
            QVERIFY(window->menuBar()->actions().first()->menu()->actions().contains(save));
            // No two commands of the window share a key.
            QList<QKeySequence> keys;
            for (QAction* action : window->actions()) {
                if (action->shortcut().isEmpty())
                    continue;
                QVERIFY2(!keys.contains(action->shortcut()), qPrintable(action->shortcut().toString()));
                keys << action->shortcut();
            }

            // A name without an extension takes the chosen filter's: an SVG.
            const QString stem = dir.filePath(isAci ? QStringLiteral("aci") : QStringLiteral("aq"));
            QString proposed;
            {
                DialogDriver driver([&](QFileDialog& dialog) {
                    proposed = dialog.selectedFiles().value(0);
                    choose(dialog, dialog.nameFilters().at(1), stem);
                });
                save->trigger();
                QCOMPARE(driver.fileDialogs, 1);
                QVERIFY2(driver.messages.isEmpty(), qPrintable(driver.messages.join(u'|')));
            }
            QVERIFY(proposed.endsWith(isAci ? u"ACIChart.png" : u"AQChart.png"));
            QFile svg(stem + QStringLiteral(".svg"));
            QVERIFY2(svg.open(QIODevice::ReadOnly), qPrintable(folderEntries(dir.path()).join(u'|')));
            const QByteArray svgBytes = svg.readAll();
            QVERIFY(svgBytes.startsWith("<?xml"));
            // The figure's look, not the window's: named after the curve, plain legend names.
            QVERIFY(svgBytes.contains(isAci ? ">A/Ci curve</text>" : ">Light-response curve</text>"));
            QVERIFY(svgBytes.contains(">Measured</text>"));

            // The folder and the filter of the last save are proposed again; an
            // extension the user types wins over the filter.
            QString folder, filter;
            {
                DialogDriver driver([&](QFileDialog& dialog) {
                    folder = dialog.directory().absolutePath();
                    filter = dialog.selectedNameFilter();
                    choose(dialog, filter, stem + QStringLiteral(".pdf"));
                });
                save->trigger();
            }
            QCOMPARE(folder, QDir(dir.path()).absolutePath());
            QCOMPARE(filter, QStringLiteral("SVG drawing (*.svg)"));
            QFile pdf(stem + QStringLiteral(".pdf"));
            QVERIFY2(pdf.open(QIODevice::ReadOnly),
                     qPrintable(folderEntries(dir.path()).join(u'|') + " " + QDir::currentPath()));
            QVERIFY(pdf.readAll().startsWith("%PDF"));
        }

        // A file that cannot be written: the general error display, and nothing left.
        QTemporaryDir failing;
        const QString path = failing.filePath(QStringLiteral("chart.png"));
        setFileWriteHooks({{}, [](const char*, const char*) {
                               errno = EACCES;
                               return -1;
                           }});
        DialogDriver driver([&](QFileDialog& dialog) { choose(dialog, dialog.nameFilters().at(0), path); });
        aci.action(ui::saveChartAsItem)->trigger();
        setFileWriteHooks({});
        QCOMPARE(driver.messages, QStringList{QStringLiteral("Cannot create file ") + path});
        QVERIFY(folderEntries(failing.path()).isEmpty());
    }
};

QTEST_MAIN(FiguresTest)
#include "test_figures.moc"
