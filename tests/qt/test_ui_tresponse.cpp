// The temperature-response window on screen, and Batch Fit's "Temperature Response..."
// handing it the curves' leaf temperatures and standard-fit Vcmax.

#include "shell/Calvane.h"
#include "tresponse/TempResponse.h"
#include "ui/BatchDialog.h"
#include "ui/ChartPanel.h"
#include "ui/QtPlatform.h"
#include "ui/TempResponseWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QtTest>

using namespace calvane;
using namespace calvane::ui;

class UiTResponseTest : public QObject {
    Q_OBJECT
private slots:
    void fitFillsTheResultsAndTheModelFollowsTheBox()
    {
        QtPlatform platform;
        TempResponse state(platform);
        TempResponseWindow window(state, platform);
        window.showPairs({{17.51, 47.77}, {20.01, 60.75}, {22.5, 81.98}, {25.01, 99.51}, {27.51, 120.04}}, "Vcmax");
        QVERIFY(state.lastFit());
        QCOMPARE(window.results()->item(0, 0)->text(), QString("k25"));
        QCOMPARE(window.results()->item(0, 1)->text().toStdString(), state.resultLines()[0].value);
        QVERIFY(!window.results()->item(0, 1)->text().isEmpty());
        QCOMPARE(window.results()->item(7, 1)->text(), QString("5"));
        // The interval's ends beside the standard error.
        QCOMPARE(window.results()->horizontalHeaderItem(3)->text(), QString("95 % lower"));
        QCOMPARE(window.results()->item(1, 3)->text().toStdString(), state.resultLines()[1].lower.value());
        QCOMPARE(window.results()->item(1, 4)->text().toStdString(), state.resultLines()[1].upper.value());
        QVERIFY(!window.results()->item(1, 4)->text().isEmpty());

        window.modelBox()->setCurrentIndex(1);
        QCOMPARE(state.model(), TemperatureModel::Peaked);
        QVERIFY(!state.lastFit());  // a fit of the other model no longer stands
        QVERIFY(window.results()->item(0, 1)->text().isEmpty());
    }

    void batchFitHandsOverTheCurvesShown()
    {
        QtPlatform platform;
        Calvane app(platform);
        app.frmACi_Curve.aciEdit_Temp.setText("25");
        BatchDialog dialog(app.frmACi_Curve, app.frmAQ_C3_Curve, platform);
        dialog.standardFit()->setChecked(true);
        dialog.addInputs({QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T30_0.csv"),
                          QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T25_0.csv")});
        QSignalSpy finished(&dialog, &BatchDialog::finished);
        dialog.run();
        QVERIFY(finished.wait(60000));

        std::vector<std::pair<double, double>> handed;
        std::string name;
        dialog.setTemperatureResponseOpener(
            [&](const std::vector<std::pair<double, double>>& pairs, const std::string& valueName) {
                handed = pairs;
                name = valueName;
            });
        dialog.openTemperatureResponse("Vcmax");
        QCOMPARE(handed.size(), std::size_t(2));
        QCOMPARE(name, std::string("Vcmax (umol m-2 s-1)"));
        int vcmax = -1;
        QStandardItemModel* summary = dialog.summary();
        for (int col = 0; col < summary->columnCount(); ++col)
            if (summary->horizontalHeaderItem(col)->text() == "standard Vcmax (umol m-2 s-1)")
                vcmax = col;
        QVERIFY(vcmax >= 0);
        QCOMPARE(handed[0].first, 25.0);
        QCOMPARE(handed[0].second, summary->item(0, vcmax)->text().toDouble());
    }
};

QTEST_MAIN(UiTResponseTest)
#include "test_ui_tresponse.moc"
