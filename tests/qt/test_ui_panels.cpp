// The windows' parameter groups and "Standard fit" groups, built from the field tables
// by one builder: every row on screen with its flag or caption, results that show their
// whole text as a tooltip, and a tab order that runs through the results row by row.

#include "DesktopProgram.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/QtPlatform.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace calvane;
using namespace calvane::ui;

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

    void resultsTabRowByRow()
    {
        Program p;
        TfrmACi_Curve& aci = p.app.frmACi_Curve;
        const QList<QLineEdit*> afterVcmax = nextFields(p.aci.fieldWidget(aci.aciEdit_StdVcmax), 3);
        QCOMPARE(afterVcmax, (QList<QLineEdit*>{p.aci.fieldWidget(aci.aciEdit_StdVcmaxSE),
                                                p.aci.fieldWidget(aci.aciEdit_StdVcmax25),
                                                p.aci.fieldWidget(aci.aciEdit_StdJmax)}));
        TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        const QList<QLineEdit*> afterSse = nextFields(p.aq.fieldWidget(aq.aqEdit_StdSSE), 3);
        QCOMPARE(afterSse,
                 (QList<QLineEdit*>{p.aq.fieldWidget(aq.aqEdit_StdRMSE), p.aq.fieldWidget(aq.aqEdit_StdLightComp),
                                    p.aq.fieldWidget(aq.aqEdit_StdLightSat)}));
    }
};

QTEST_MAIN(UiPanelsTest)
#include "test_ui_panels.moc"
