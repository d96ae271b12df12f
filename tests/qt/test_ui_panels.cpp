// The windows' parameter groups and "Standard fit" groups, built from the field tables
// by one builder: every row on screen with its flag or caption, results that show their
// whole text as a tooltip, and a tab order that runs through the results row by row.

#include "DesktopProgram.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/ParameterPanel.h"
#include "ui/QtPlatform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace calvane;
using namespace calvane::ui;
using test::curveRows;

namespace {

using Program = test::DesktopProgram<>;

// Each parameter's field stands in its group box beside its flag, or else its caption,
// and opens the field pop-up menu.
template <typename Window>
void checkParameterRows(AnalysisWindow& view, Window& state)
{
    for (const auto& row : Window::parameterTable()) {
        QLineEdit* edit = view.fieldWidget(state.*row.field);
        QVERIFY2(edit, row.name.data());
        QCOMPARE(edit->contextMenuPolicy(), Qt::CustomContextMenu);
        auto* group = qobject_cast<QGroupBox*>(edit->parentWidget());
        QVERIFY(group);
        QCOMPARE(group->title().toStdString(), (state.*row.group).caption());
        bool captioned = false;
        for (QCheckBox* box : group->findChildren<QCheckBox*>())
            captioned = captioned || (row.flag && box->text().toStdString() == (state.*row.flag).caption);
        for (QLabel* label : group->findChildren<QLabel*>())
            captioned = captioned || (row.caption && label->text().toStdString() == (state.*row.caption).caption());
        QVERIFY2(captioned, row.name.data());
    }
}

// The QLineEdits after `from` in the tab order.
QList<QLineEdit*> nextFields(QWidget* from, int count)
{
    QList<QLineEdit*> fields;
    for (QWidget* w = from->nextInFocusChain(); w != from && fields.size() < count; w = w->nextInFocusChain()) {
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            fields << edit;
    }
    return fields;
}

QLineEdit* intervalField(QWidget& window, const QString& name)
{
    for (auto* edit : window.findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == name + QStringLiteral(" 95 % interval"))
            return edit;
    }
    return nullptr;
}

QCheckBox* holdBox(QWidget& window, const QString& name)
{
    for (auto* box : window.findChildren<QCheckBox*>()) {
        if (box->text() == QStringLiteral("Hold ") + name)
            return box;
    }
    return nullptr;
}

}  // namespace

class UiPanelsTest : public QObject {
    Q_OBJECT

private slots:
    void everyParameterStandsInItsGroupWithItsFlagOrCaption()
    {
        Program p;
        checkParameterRows(p.aci, p.app.frmACi_Curve);
        checkParameterRows(p.aq, p.app.frmAQ_C3_Curve);
    }

    void resultsKeepTheirWholeTextAsTooltipInBothWindows()
    {
        Program p;
        for (auto [view, field] : {std::pair<AnalysisWindow*, TextField*>{&p.aq, &p.app.frmAQ_C3_Curve.aqEdit_StdAmax},
                                   {&p.aci, &p.app.frmACi_Curve.aciEdit_StdVcmax}}) {
            QLineEdit* edit = view->fieldWidget(*field);
            QVERIFY(edit && edit->isReadOnly());
            field->setText("23.4567890123456");
            QCOMPARE(edit->toolTip(), QStringLiteral("23.4567890123456"));
            QCOMPARE(edit->cursorPosition(), 0);
            // A change of look (the binding shows the hint) leaves the text as the tooltip.
            field->setHint("a hint");
            QCOMPARE(edit->toolTip(), QStringLiteral("23.4567890123456"));
        }
    }

    void intervalsReadAsRoundedEndsOpenWhereTheProfileDoesNotClose()
    {
        QCOMPARE(roundedInterval("100.8", "1.41", "98.123", "103.456"), std::string("[98.1, 103.5]"));
        QCOMPARE(roundedInterval("100.8", "1.41", "98.123", ""), std::string("[98.1, open]"));
        QCOMPARE(roundedInterval("1.0", "held", "", ""), std::string());  // a held estimate has none
        QCOMPARE(roundedInterval("", "", "", ""), std::string());         // no fit yet
    }

    // "Hold" beside each estimate the fit can hold, in both windows: ticking it and
    // typing a value holds that estimate in the next fit, which then shows no error and
    // no interval for it, while the others get their intervals.
    void holdBoxesHoldTheirEstimateAndTheOthersShowIntervals()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        for (const char* name : {"Vcmax", "Jmax", "Rd", "TPU"})
            QVERIFY2(holdBox(p.aci, QString::fromLatin1(name)), name);
        QCheckBox* holdRd = holdBox(p.aci, "Rd");
        QTest::mouseClick(holdRd, Qt::LeftButton, {}, QPoint(5, holdRd->height() / 2));
        QVERIFY(aci.aciCheckBox_StdHoldRd.checked());
        QTest::keyClicks(p.aci.fieldWidget(aci.aciEdit_StdHoldRd), "1");
        aci.StringPaste(curveRows("aci/photosynthesis_S1_T25_0.csv").toStdString());
        p.aci.action(aci.aciMnuResultsStandardFit)->trigger();
        QVERIFY2(aci.standardFit() && aci.standardFit()->fitted, aci.aciEdit_StdMessage.text().c_str());
        QCOMPARE(aci.standardFit()->rd, 1.0);
        QCOMPARE(aci.aciEdit_StdRdSE.text(), std::string("held"));
        QCOMPARE(intervalField(p.aci, "Rd")->text(), QString());
        QLineEdit* vcmax = intervalField(p.aci, "Vcmax");
        QCOMPARE(vcmax->text().toStdString(),
                 roundedInterval(aci.aciEdit_StdVcmax.text(), aci.aciEdit_StdVcmaxSE.text(),
                                 aci.aciEdit_StdVcmaxLower.text(), aci.aciEdit_StdVcmaxUpper.text()));
        QVERIFY(vcmax->text().startsWith('['));
        QVERIFY(!intervalField(p.aci, "TPU")->isVisibleTo(&p.aci));  // no TPU in this fit
        // The gm caption is whole: its unit stands beside the field.
        QCOMPARE(p.aci.fieldWidget(aci.aciEdit_StdGm)->toolTip().contains("mol m-2 s-1 bar-1"), true);

        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        for (const char* name : {"Phi", "Amax", "Theta", "Rd"})
            QVERIFY2(holdBox(p.aq, QString::fromLatin1(name)), name);
        QCheckBox* holdTheta = holdBox(p.aq, "Theta");
        QTest::mouseClick(holdTheta, Qt::LeftButton, {}, QPoint(5, holdTheta->height() / 2));
        QTest::keyClicks(p.aq.fieldWidget(aq.aqEdit_NrhHoldTheta), "0.7");
        aq.StringPaste(curveRows("aq/pecan_1aq.csv").toStdString());
        p.aq.action(aq.aqMnuResultsStandardFit)->trigger();
        QVERIFY(aq.standardHyperbola() && aq.standardHyperbola()->fitted);
        QCOMPARE(aq.standardHyperbola()->theta.value, 0.7);
        QCOMPARE(aq.aqEdit_NrhThetaSE.text(), std::string("held"));
        QCOMPARE(intervalField(p.aq, "Theta")->text(), QString());
        QVERIFY(intervalField(p.aq, "Phi")->text().startsWith('['));
    }

    void resultsTabRowByRow()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        const QList<QLineEdit*> afterVcmax = nextFields(p.aci.fieldWidget(aci.aciEdit_StdVcmax), 4);
        QCOMPARE(afterVcmax, (QList<QLineEdit*>{
                                 p.aci.fieldWidget(aci.aciEdit_StdVcmaxSE), p.aci.fieldWidget(aci.aciEdit_StdVcmax25),
                                 intervalField(p.aci, "Vcmax"), p.aci.fieldWidget(aci.aciEdit_StdJmax)}));
        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        const QList<QLineEdit*> afterSse = nextFields(p.aq.fieldWidget(aq.aqEdit_StdSSE), 3);
        QCOMPARE(afterSse,
                 (QList<QLineEdit*>{p.aq.fieldWidget(aq.aqEdit_StdRMSE), p.aq.fieldWidget(aq.aqEdit_StdLightComp),
                                    p.aq.fieldWidget(aq.aqEdit_StdLightSat)}));
    }
};

QTEST_MAIN(UiPanelsTest)
#include "test_ui_panels.moc"
