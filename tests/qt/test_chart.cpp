// The chart builder on a real A/Ci curve: series in legend order with their kinds,
// titles and colours, axes that hold every point, and updates that follow the window.

#include "QtTestPlatform.h"
#include "aci/ACi_Curve.h"
#include "chart/qt/ChartBuilder.h"

#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtCore/QFile>
#include <QtTest/QtTest>

#include <memory>

using namespace calvane;

namespace {

QValueAxis* axisAt(QChart* chart, Qt::Alignment alignment)
{
    for (QAbstractAxis* axis : chart->axes()) {
        if (axis->alignment() == alignment)
            return qobject_cast<QValueAxis*>(axis);
    }
    return nullptr;
}

chart::ChartDrawing aciDrawing(const TfrmACi_Curve& win)
{
    return {win.aciChart_LightResponseCurve.lines(),
            "",
            win.aciChart_LeftAxisTitle,
            win.aciChart_RightAxisTitle,
            win.aciChart_GradientEnd,
            {&win.Series_LightAssim, &win.Series_Wc, &win.Series_Wj, &win.Series_Wp}};
}

void checkAxesHoldPoints(QChart* chart)
{
    QValueAxis* bottom = axisAt(chart, Qt::AlignBottom);
    QValueAxis* left = axisAt(chart, Qt::AlignLeft);
    QVERIFY(bottom && left);
    for (QAbstractSeries* s : chart->series()) {
        for (const QPointF& p : static_cast<QXYSeries*>(s)->points()) {
            QVERIFY2(p.x() >= bottom->min() && p.x() <= bottom->max(), qPrintable(s->name()));
            QVERIFY2(p.y() >= left->min() && p.y() <= left->max(), qPrintable(s->name()));
        }
    }
}

}  // namespace

class ChartBuilderTest : public QObject {
    Q_OBJECT

    test::QuietPlatform platform;
    ImportSettings settings;
    std::unique_ptr<TfrmACi_Curve> win;

private slots:
    void init()
    {
        win = std::make_unique<TfrmACi_Curve>(platform, settings);
        QFile file(QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T25_0.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        file.readLine();  // header
        int row = 1;
        while (!file.atEnd()) {
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
        QVERIFY2(platform.lastError.empty(), platform.lastError.c_str());
        QVERIFY(win->Series_Wc.count() > 0 && win->Series_Wj.count() > 0);
    }

    void buildsEverySeriesOfTheWindow()
    {
        std::unique_ptr<QChart> chart(chart::buildChart(aciDrawing(*win)));

        const QList<QAbstractSeries*> series = chart->series();
        QCOMPARE(series.size(), 4);
        const std::vector<const PointSeries*> sources{&win->Series_LightAssim, &win->Series_Wc, &win->Series_Wj,
                                                      &win->Series_Wp};
        QCOMPARE(series[0]->type(), QAbstractSeries::SeriesTypeScatter);
        for (int i = 1; i < 4; ++i)
            QCOMPARE(series[i]->type(), QAbstractSeries::SeriesTypeLine);
        for (int i = 0; i < 4; ++i) {
            auto* xy = static_cast<QXYSeries*>(series[i]);
            const PointSeries& source = *sources[std::size_t(i)];
            QCOMPARE(xy->name(), QString::fromStdString(source.title));
            QCOMPARE(xy->color(),
                     QColor(int(redOf(source.colour)), int(greenOf(source.colour)), int(blueOf(source.colour))));
            QCOMPARE(xy->count(), source.count());
            // Insertion order, never sorted: the measured points come bottom-up.
            QCOMPARE(xy->at(0), QPointF(source.x(0), source.y(0)));
            QCOMPARE(xy->at(xy->count() - 1), QPointF(source.x(source.count() - 1), source.y(source.count() - 1)));
        }
        QVERIFY(!static_cast<QXYSeries*>(series[1])->pointsVisible());
        QVERIFY(!static_cast<QScatterSeries*>(series[0])->lightMarker().isNull());

        QVERIFY(chart->title().contains(QStringLiteral("ACi Curve for: S1 25 oC")));
        QCOMPARE(axisAt(chart.get(), Qt::AlignLeft)->titleText(), QStringLiteral("A   (umol CO2 m-2 s-1)"));
        QCOMPARE(axisAt(chart.get(), Qt::AlignRight)->titleText(), QStringLiteral("Qa "));
        QVERIFY(chart->legend()->isVisible());
        QCOMPARE(chart->legend()->alignment(), Qt::AlignBottom);
        checkAxesHoldPoints(chart.get());
    }

    void updateFollowsTheWindow()
    {
        std::unique_ptr<QChart> chart(chart::buildChart(aciDrawing(*win)));
        const QList<QAbstractSeries*> before = chart->series();
        const double wideLeftMax = axisAt(chart.get(), Qt::AlignLeft)->max();

        // Plot Data keeps only the measured points; a changed grid moves them.
        win->aciSpreadSheetData.setCell(2, 1, "60");
        win->aciEdit_Identifier.setText("<leaf & stem>");
        win->aciMnuResultsPlotDataClick();
        chart::updateChart(chart.get(), aciDrawing(*win));

        QCOMPARE(chart->series(), before);  // the same series, refilled in place
        QCOMPARE(static_cast<QXYSeries*>(before[1])->count(), 0);
        QCOMPARE(static_cast<QXYSeries*>(before[0])->count(), win->Series_LightAssim.count());
        QVERIFY(axisAt(chart.get(), Qt::AlignLeft)->max() >= 60);
        QVERIFY(axisAt(chart.get(), Qt::AlignLeft)->max() != wideLeftMax);
        checkAxesHoldPoints(chart.get());
        // What the user typed is shown as text, not read as markup.
        QVERIFY(chart->title().contains(QStringLiteral("&lt;leaf &amp; stem&gt;")));
    }

    void pointsTooFarOutAreLeftOutAndTheChartStillDraws()
    {
        // Typed or pasted data of ±1e308: an axis spanning them overflows, and Qt's
        // drawing crashed on it.
        PointSeries observed{"Light_Assimiliation", PointSeries::Kind::Points, colours::red};
        for (auto [x, y] : {std::pair{1e308, 1e308}, {-1e308, -1e308}, {200.0, 12.5}})
            observed.add(x, y);
        chart::ChartDrawing drawing{{"Light Response Curve"}, "Qa", "A", "", rgb(217, 255, 255), {&observed}, false};
        std::unique_ptr<QChart> chart(chart::buildChart(drawing));

        auto* series = static_cast<QXYSeries*>(chart->series().front());
        QCOMPARE(series->count(), 1);
        QCOMPARE(series->at(0), QPointF(200.0, 12.5));
        checkAxesHoldPoints(chart.get());
        QChartView view(chart.release());
        view.resize(400, 300);
        QVERIFY(!view.grab().isNull());
    }

    void emptyChartWithoutRightAxisOrLegend()
    {
        // The light-response chart's settings before any data.
        PointSeries observed{"Light_Assimiliation", PointSeries::Kind::Points, colours::red};
        PointSeries computed{"ComputedA", PointSeries::Kind::Line, rgb(128, 0, 64)};
        chart::ChartDrawing drawing{{"Light Response Curve"},
                                    "Qa (umol m-2 s-1)",
                                    "A (umol m-2 s-1)",
                                    "",
                                    rgb(217, 255, 255),
                                    {&observed, &computed},
                                    false};
        std::unique_ptr<QChart> chart(chart::buildChart(drawing));

        QVERIFY(!axisAt(chart.get(), Qt::AlignRight));
        QVERIFY(!chart->legend()->isVisible());
        for (Qt::Alignment side : {Qt::AlignBottom, Qt::AlignLeft}) {
            QValueAxis* axis = axisAt(chart.get(), side);
            QVERIFY(axis->max() > axis->min());
        }

        // One point, then the fitted line: the axes open up around them.
        observed.add(1700, 12);
        for (int i = 0; i < 500; ++i)
            computed.add(i * 4.0, 20.0 * i / (i + 50.0) - 1.0);
        chart::updateChart(chart.get(), drawing);
        QCOMPARE(static_cast<QXYSeries*>(chart->series()[1])->count(), 500);
        checkAxesHoldPoints(chart.get());
    }
};

QTEST_MAIN(ChartBuilderTest)
#include "test_chart.moc"
