// The grid widget: what the view adds to a Grid (banding, row numbers, the keys that
// move, insert and delete, live editing).

#include "core/Grid.h"
#include "ui/GridView.h"
#include "ui/QtPlatform.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using calvane::Grid;
using calvane::ui::GridModel;
using calvane::ui::GridView;
using calvane::ui::QtPlatform;

class TestUiGrid : public QObject {
    Q_OBJECT

private:
    QModelIndex current(GridView& view) { return view.currentIndex(); }

private slots:
    void drawsBandsRowNumbersAndFixedCells()
    {
        QtPlatform platform;
        Grid grid(3, 8);
        grid.setCell(0, 0, "No.");
        grid.setCell(1, 0, "Ci");
        GridView view(platform, grid);
        const QAbstractItemModel* model = view.model();

        QCOMPARE(model->index(3, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(206, 250, 253));
        QCOMPARE(model->index(6, 2).data(Qt::BackgroundRole).value<QColor>(), QColor(206, 250, 253));
        QVERIFY(model->index(3, 0).data(Qt::BackgroundRole).value<QColor>() != QColor(206, 250, 253));
        QVERIFY(!model->index(4, 1).data(Qt::BackgroundRole).isValid());

        // Column 0 shows the row number, right-aligned at the bottom, while its cell stays empty.
        QCOMPARE(model->index(5, 0).data().toString(), QStringLiteral("5"));
        QCOMPARE(model->index(5, 0).data(Qt::EditRole).toString(), QString());
        QCOMPARE(model->index(5, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignBottom);
        QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("No."));
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("Ci"));
        QVERIFY(!(model->flags(model->index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);
        QCOMPARE(model->index(2, 2).data(Qt::ToolTipRole).toString(),
                 QStringLiteral("Shift+Ins to add row, Shift+Del to remove row"));

        // The model has no cells of its own: it follows the grid, counts included.
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        grid.setCell(2, 4, "7.5");
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model->index(4, 2).data().toString(), QStringLiteral("7.5"));
        grid.setRowCount(40);
        grid.setColCount(5);
        QCOMPARE(model->rowCount(), 40);
        QCOMPARE(model->columnCount(), 5);
    }

    void enterMovesDownThenOnToTheNextColumn()
    {
        QtPlatform platform;
        Grid grid(3, 4);
        GridView view(platform, grid);
        view.show();
        view.selectCell(1, 2);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(current(view).row(), 3);
        QCOMPARE(current(view).column(), 1);
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(current(view).row(), 1);
        QCOMPARE(current(view).column(), 2);
        QCOMPARE(grid.selectedCol, 2);
        QCOMPARE(grid.selectedRow, 1);

        // Enter inside an editor keeps the text and moves down as well.
        QTest::keyClick(&view, Qt::Key_4);
        auto* editor = view.findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClicks(editor, "2");
        QCOMPARE(grid.cell(2, 1), std::string("42"));  // committed while typing
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(current(view).row(), 2);
        QCOMPARE(grid.cell(2, 1), std::string("42"));

        // The fixed row and column take no cursor.
        view.selectCell(1, 1);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(current(view).row(), 1);
        QTest::keyClick(&view, Qt::Key_Left);
        QCOMPARE(current(view).column(), 1);
    }

    void shiftInsAndShiftDelKeepTheRowNumberSelected()
    {
        QtPlatform platform;
        Grid grid(3, 5);
        for (int row = 1; row < 5; ++row)
            grid.setCell(1, row, std::to_string(row * 10));
        GridView view(platform, grid);
        view.show();

        view.selectCell(1, 2);
        QTest::keyClick(&view, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(grid.rowCount(), 6);
        QCOMPARE(grid.cell(1, 2), std::string());
        QCOMPARE(grid.cell(1, 3), std::string("20"));
        QCOMPARE(view.model()->rowCount(), 6);
        QCOMPARE(current(view).row(), 2);

        view.selectCell(1, 3);
        QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(grid.rowCount(), 5);
        QCOMPARE(grid.cell(1, 3), std::string("30"));
        QCOMPARE(current(view).row(), 3);

        // Deleting the last row selects the row that is now last.
        view.selectCell(1, 4);
        QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(current(view).row(), 3);

        // Fewer than 3 rows: Shift+Del keeps the grid.
        Grid small(3, 2);
        GridView smallView(platform, small);
        smallView.show();
        smallView.selectCell(1, 1);
        QTest::keyClick(&smallView, Qt::Key_Delete, Qt::ShiftModifier);
        QCOMPARE(small.rowCount(), 2);
    }

    void rightPressReportsThePointAndLeavesTheSelection()
    {
        QtPlatform platform;
        Grid grid(3, 10);
        GridView view(platform, grid);
        view.resize(300, 300);
        view.show();
        view.selectCell(1, 1);
        QSignalSpy pressed(&view, &GridView::mousePressed);
        const QRect cell = view.visualRect(view.model()->index(4, 2));
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, cell.center());
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed[0][0].value<Qt::MouseButton>(), Qt::RightButton);
        const QPoint inGrid = view.viewport()->mapTo(&view, cell.center());
        QCOMPARE(pressed[0][1].toInt(), inGrid.x());
        QCOMPARE(pressed[0][2].toInt(), inGrid.y());
        QCOMPARE(current(view).row(), 1);
        QCOMPARE(grid.selectedRow, 1);

        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(grid.selectedRow, 4);
        QCOMPARE(grid.selectedCol, 2);
    }
};

QTEST_MAIN(TestUiGrid)
#include "test_ui_grid.moc"
