// Tools > Batch Fit: the dialog starts from a fresh window's fields unless asked for the
// open window's, its settings become a batch job, the run goes off the user-interface
// thread on the batch engine, and its summary shows in input order, sorts, copies and
// saves as the very file --summary writes.

#include "aq/AQ_C3_Curve.h"
#include "batch/BatchJob.h"
#include "batch/BatchRun.h"
#include "core/TextFile.h"
#include "import/DelimitedText.h"
#include "import/ParseVerdex.h"
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
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <sstream>

using namespace calvane;
using namespace calvane::ui;

namespace {

QString dataFile(const char* name) { return QStringLiteral(CALVANE_DATA_DIR "/") + name; }

using What = batch::FieldAction::What;

// Answers the save dialog with a path, and keeps the errors it is asked to show.
class SavingPlatform : public QtPlatform {
public:
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return savePath; }
    void showError(const std::string& message) override { errors.push_back(message); }
    std::string savePath;
    std::vector<std::string> errors;
};

// The field options of `name`, in order.
std::vector<std::pair<What, std::optional<std::string>>> actionsOn(const batch::BatchJob& job, const std::string& name)
{
    std::vector<std::pair<What, std::optional<std::string>>> actions;
    for (const auto& action : job.fields)
        if (action.name == name)
            actions.emplace_back(action.what, action.text);
    return actions;
}

}  // namespace

class UiBatchTest : public QObject {
    Q_OBJECT

private slots:
    void settingsBecomeTheBatchJob()
    {
        QtPlatform platform;
        Calvane app(platform);
        app.frmAQ_C3_Curve.aqNumEdit_Convexity.setText("2,5");
        app.frmAQ_C3_Curve.aqCheckBox_Convexity.setChecked(true);
        BatchDialog dialog(app.frmACi_Curve, app.frmAQ_C3_Curve, platform);
        dialog.windowType()->setCurrentIndex(1);

        // By default every curve starts as a fresh window does: its fields, no flag fixed.
        QVERIFY(!dialog.fromWindow()->isChecked());
        ImportSettings settings;
        const TfrmAQ_C3_Curve fresh(platform, settings);
        const batch::BatchJob clean = dialog.job();
        QVERIFY((
            actionsOn(clean, "Convexity") ==
            decltype(actionsOn(clean, "")){{What::Set, fresh.aqNumEdit_Convexity.text()}, {What::Free, std::nullopt}}));
        QVERIFY(std::none_of(clean.fields.begin(), clean.fields.end(),
                             [](const batch::FieldAction& action) { return action.what == What::Fix; }));

        // Asked for, the window's fields and flags come along.
        dialog.fromWindow()->setChecked(true);
        dialog.tableGroup()->setChecked(true);
        dialog.groupColumn()->setText("curve");
        dialog.xColumn()->setText("PAR");
        dialog.aColumn()->setText("3");
        dialog.meanColumn()->setText("absorptance");
        dialog.addInputs({"/data/all curves.csv"});
        const batch::BatchJob job = dialog.job();
        QVERIFY(job.kind == batch::WindowKind::Aq);
        QVERIFY(job.group == "curve" && job.xColumn == "PAR" && job.aColumn == "3");
        QCOMPARE(job.means.size(), std::size_t(1));
        QVERIFY(job.means[0].field == batch::MeanField::ParAbs);
        QCOMPARE(job.means[0].column, std::string("absorptance"));
        QVERIFY((actionsOn(job, "Convexity") == decltype(actionsOn(job, "")){{What::Fix, "2,5"}}));
        QVERIFY(actionsOn(job, "ParAbs").empty());  // the column's mean fills it
        QVERIFY((actionsOn(job, "Amax") == decltype(actionsOn(job, "")){{What::Set, ""}, {What::Free, std::nullopt}}));
        QVERIFY(job.commands == std::vector<batch::Command>{batch::Command::Fit});
        QVERIFY(job.inputs == std::vector<std::string>{"/data/all curves.csv"});
        QVERIFY(!job.summary && !job.outDir && !job.standardFit);
        batch::checkJob(job);  // a job the command line could have given
    }

    // Fit TPU and gm reach every A/Ci curve's standard fit; a gm that is no positive
    // number is refused before any curve is fitted.
    void theAciStandardFitsSettingsBecomeTheJobs()
    {
        SavingPlatform platform;
        Calvane app(platform);
        BatchDialog dialog(app.frmACi_Curve, app.frmAQ_C3_Curve, platform);
        dialog.windowType()->setCurrentIndex(0);
        QVERIFY(!dialog.fitTpu()->isEnabled());  // until the standard fit is asked for
        dialog.standardFit()->setChecked(true);
        QVERIFY(dialog.fitTpu()->isEnabled() && !dialog.fitTpu()->isChecked() && dialog.gm()->text().isEmpty());
        QVERIFY(!dialog.job().standardOptions.any());
        dialog.addInputs({QStringLiteral(CALVANE_DATA_DIR "/aci/photosynthesis_S1_T25_0.csv")});
        dialog.fitTpu()->setChecked(true);
        dialog.gm()->setText(" 0.3 ");
        const batch::BatchJob job = dialog.job();
        QVERIFY(job.standardOptions.fitTpu && job.standardOptions.gm == std::string("0.3"));
        batch::checkJob(job);

        dialog.gm()->setText("0,3");
        dialog.run();
        QVERIFY(!dialog.running());
        QCOMPARE(platform.errors.size(), std::size_t(1));
        QVERIFY(platform.errors[0].find("gm \"0,3\" is not a positive number") == 0);

        // The light-response window has neither setting.
        dialog.windowType()->setCurrentIndex(1);
        QVERIFY(!dialog.fitTpu()->isVisibleTo(&dialog));
        QVERIFY(!dialog.job().standardOptions.any());
    }

    void aRunFillsASortableSummaryThatCopiesToASpreadsheet()
    {
        SavingPlatform platform;
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
        // Shown in input order, though T25 sorts before T30.
        QVERIFY(dialog.summaryView()->model()->index(0, 0).data().toString().endsWith("photosynthesis_S1_T30_0.csv"));

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
        const QStringList lines = QGuiApplication::clipboard()->text().split(QRegularExpression("\r?\n"),
                                                                             Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("source\tgroup\tidentifier\tpoints\t"));
        QCOMPARE(lines[1].split('\t').size(), summary->columnCount());

        // The table holds what the summary file of the same job holds.
        QTemporaryDir scratch;
        batch::BatchJob job = dialog.job();
        job.summary = scratch.filePath("summary.csv").toStdString();
        std::ostringstream out, err;
        QCOMPARE(batch::runBatch(job, out, err, '.').status, batch::exitClean);
        const auto records = readDelimited(readFileBytes(*job.summary).value_or(""), ',');

        // Save Summary writes those very bytes.
        platform.savePath = scratch.filePath("saved.csv").toStdString();
        QVERIFY(dialog.saveButton()->isEnabled());
        dialog.saveButton()->click();
        const std::string saved = readFileBytes(platform.savePath).value_or("");
        QVERIFY(!saved.empty());
        QCOMPARE(saved, readFileBytes(*job.summary).value_or(""));
        QCOMPARE(records.size(), std::size_t(3));
        for (int col = 0; col < summary->columnCount(); ++col) {
            QCOMPARE(summary->horizontalHeaderItem(col)->text().toStdString(), records[0].fields.at(col));
            for (int row = 0; row < 2; ++row)
                QCOMPARE(summary->item(row, col)->text().toStdString(), records[row + 1].fields.at(col));
        }
    }
};

QTEST_MAIN(UiBatchTest)
#include "test_ui_batch.moc"
