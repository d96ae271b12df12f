// Hostile inputs through the desktop program's real paths: files dropped onto the
// windows and typed into the import dialog, a long paste from the clipboard, and typed
// field texts. Each ends as the toolkit-free tests state it: loaded or refused with a
// clear message, never a crash or a hang, the views following the grids.

#include "DesktopProgram.h"
#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/GridView.h"
#include "ui/ImportDialog.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <random>

using namespace calvane;
using namespace calvane::ui;

namespace {

using Program = test::DesktopProgram<>;

void drop(QWidget& window, const QString& path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    QDropEvent event(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &event);
}

// Pastes a file name into the import dialog's name field, as a user does with Ctrl+V.
void pasteFileName(ImportDialog* dialog, const QString& name)
{
    QGuiApplication::clipboard()->setText(name);
    dialog->fileNameEdit()->setFocus();
    dialog->fileNameEdit()->selectAll();
    QTest::keyClick(dialog->fileNameEdit(), Qt::Key_V, Qt::ControlModifier);
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray hostileBytes(const QString& kind)
{
    if (kind == "empty")
        return {};
    if (kind == "nul")
        return QByteArray(4096, '\0');
    if (kind == "random") {
        std::mt19937 generator(12);
        QByteArray bytes(1 << 16, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(generator() & 0xFF);
        return bytes;
    }
    if (kind == "invalid utf-8")
        return "Ci \xB5mol,A\r\n100,5.5\r\n\xFF\xFE\xC0\xAF,2\r\n";
    if (kind == "utf-16") {
        const QString text = QStringLiteral("Ci,A\r\n100,5.5\r\n200,9.25\r\n");
        QByteArray bytes("\xFF\xFE");
        for (QChar c : text)
            bytes.append(static_cast<char>(c.unicode() & 0xFF)).append(static_cast<char>(c.unicode() >> 8));
        return bytes;
    }
    if (kind == "1 MB line")
        return QByteArray(1 << 20, '7') + ",2\r\n";
    QByteArray line;  // 100,000 fields
    for (int i = 1; i <= 100000; ++i)
        line += QByteArray::number(i) + (i < 100000 ? "," : "\r\n");
    return line;
}

}  // namespace

class TestUiHostile : public QObject {
    Q_OBJECT

private slots:
    void hostileFilesDropAndImport_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"empty", "nul", "random", "invalid utf-8", "utf-16", "1 MB line", "100000 fields"})
            QTest::newRow(kind) << QString(kind);
    }

    void hostileFilesDropAndImport()
    {
        QFETCH(QString, kind);
        Program p;
        QTemporaryDir folder;
        // A name with a space and letters beyond ASCII.
        const QString path = folder.filePath(QStringLiteral("Blatt Ähre %1.csv").arg(kind));
        QVERIFY(writeFile(path, hostileBytes(kind)));
        test::MessageBoxWatcher boxes;

        // Dropped onto the light-response window: loaded, the view following the grid.
        drop(p.aq, path);
        const TfrmAQ_C3_Curve& aq = p.app.frmAQ_C3_Curve;
        QTRY_COMPARE(aq.aqEdit_Status.text(), path.toStdString());
        QCOMPARE(p.aq.gridView()->model()->rowCount(), aq.aqSpreadSheetData.rowCount());
        QCOMPARE(p.aq.gridView()->model()->columnCount(), aq.aqSpreadSheetData.colCount());

        // Typed into the A/Ci window's import dialog, marked and pasted.
        bool driven = false;
        QTimer::singleShot(0, [&] {
            ImportDialog* dialog = p.aci.importDialog();
            // A failed check returns early: the dialog must close all the same.
            const auto closing = qScopeGuard([&] {
                if (dialog->isVisible())
                    dialog->cancelButton()->click();
            });
            pasteFileName(dialog, path);
            QCOMPARE(p.app.frmACi_Curve.frmParseVerdex.LblFileStatus.text(), std::string());
            QCOMPARE(dialog->preview()->model()->columnCount(),
                     p.app.frmACi_Curve.frmParseVerdex.parseSpreadSheet.colCount());
            QTest::keyClicks(dialog->rowEdit(), "1");
            dialog->ciEdit()->setText("1");
            dialog->assimilationEdit()->setText("2");
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
            driven = !dialog->isVisible();
        });
        p.aci.action(p.app.frmACi_Curve.aciMnuFileImortVerdex)->trigger();
        QVERIFY(driven);
        QCOMPARE(QString::fromStdString(p.app.frmACi_Curve.aciEdit_Status.text()), path);

        // Plot Data reads whatever arrived; nothing was refused. The drop said which
        // rows are no numbers, once it had loaded them.
        p.aci.action(p.app.frmACi_Curve.aciMnuResultsPlotData)->trigger();
        p.aq.action(p.app.frmAQ_C3_Curve.aqMnuResultsPlotData)->trigger();
        QTest::qWait(20);
        if (kind == "invalid utf-8") {
            QCOMPARE(boxes.texts, QStringList{"1 row of " + path + " is not a number (line 3)"});
        } else if (kind == "random") {
            QCOMPARE(boxes.texts.size(), 1);
            QVERIFY2(QRegularExpression("^[0-9]+ rows of " + QRegularExpression::escape(path) +
                                        " are not numbers \\(the first is line 2\\)$")
                         .match(boxes.texts[0])
                         .hasMatch(),
                     qPrintable(boxes.texts[0]));
        } else {
            QCOMPARE(boxes.texts, QStringList());
        }
    }

    void aFolderOrAMissingFileIsAClearMessage()
    {
        Program p;
        QTemporaryDir folder;
        test::MessageBoxWatcher boxes;
        drop(p.aci, folder.path());
        QTRY_COMPARE(boxes.texts, QStringList{"Cannot open file " + folder.path()});

        // A name of 4000 characters typed into the import dialog does not exist.
        const QString missing = folder.filePath(QString(3990, 'n') + ".csv");
        QTimer::singleShot(0, [&] {
            const auto closing = qScopeGuard([&] { p.aci.importDialog()->cancelButton()->click(); });
            pasteFileName(p.aci.importDialog(), missing);
            QCOMPARE(p.app.frmACi_Curve.frmParseVerdex.LblFileStatus.text(), std::string("File Does Not Exist!"));
        });
        p.aci.action(p.app.frmACi_Curve.aciMnuFileImortVerdex)->trigger();
        QCOMPARE(p.app.frmACi_Curve.aciEdit_Status.text(), std::string());
    }

    void aPasteOfAHundredThousandLines()
    {
        Program p;
        QString text = QStringLiteral("Ci\tA\n");
        for (int i = 1; i <= 100000; ++i)
            text += QString::number(i) + '\t' + QString::number(i % 30) + '\n';
        QGuiApplication::clipboard()->setText(text);
        p.aci.action(p.app.frmACi_Curve.aciPopupPaste)->trigger();
        const Grid& grid = p.app.frmACi_Curve.aciSpreadSheetData;
        QCOMPARE(grid.rowCount(), 100001);
        QCOMPARE(grid.cell(1, 100000), std::string("100000 "));
        QCOMPARE(p.aci.gridView()->model()->rowCount(), 100001);
    }

    void typedFieldTextsAreReadAsStated()
    {
        Program p;
        test::MessageBoxWatcher boxes;
        p.app.frmACi_Curve.StringPaste("50 2\r\n100 6\r\n200 12\r\n400 18\r\n");
        QLineEdit* temperature = p.aci.fieldWidget(p.app.frmACi_Curve.aciEdit_Temp);
        // Typed, and (for a digit of another script, which has no key here) pasted.
        const auto enter = [&](const QString& text) {
            temperature->clear();
            temperature->setFocus();
            if (text.front().unicode() < 128) {
                QTest::keyClicks(temperature, text);
            } else {
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(temperature, Qt::Key_V, Qt::ControlModifier);
            }
        };
        for (const QString& typed : {QStringLiteral("1e400"), QStringLiteral("NaN"), QStringLiteral("0x1p3"),
                                     QStringLiteral("1,5"), QStringLiteral("\u0663")}) {
            enter(typed);
            QCOMPARE(QString::fromStdString(p.app.frmACi_Curve.aciEdit_Temp.text()), typed);
            p.aci.action(p.app.frmACi_Curve.aciMnuResultsComputeCurve)->trigger();
            QTRY_COMPARE(boxes.texts, QStringList{"Invalid Temperature value"});
            boxes.texts.clear();
        }
        // Minus zero and a number below the smallest double read as 0: no message.
        for (const QString& typed : {QStringLiteral("-0"), QStringLiteral("1e-400")}) {
            enter(typed);
            p.aci.action(p.app.frmACi_Curve.aciMnuResultsComputeCurve)->trigger();
            QTest::qWait(30);
            QCOMPARE(boxes.texts, QStringList());
        }
    }
};

QTEST_MAIN(TestUiHostile)
#include "test_ui_hostile.moc"
