#pragma once
// The grid widget of every grid in the program: a table model over a calvane::Grid
// (the cells stay in the Grid; the model follows its change notices) and a table view
// that draws it as the windows expect: row 0 (the column titles) and column 0 (the
// row numbers, drawn by the view) as fixed cells, every third data row banded, Enter
// moving down and on to the next column, Shift+Ins and Shift+Del inserting and
// deleting rows, and column widths kept in the Grid.

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <utility>

namespace calvane {
class Grid;
class Platform;
}  // namespace calvane

namespace calvane::ui {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    GridModel(Platform& platform, Grid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    Grid& grid() const { return grid_; }
    // The band of every third data row: RGB(206, 250, 253).
    static QColor bandColour();
    static bool isFixed(const QModelIndex& index) { return index.row() == 0 || index.column() == 0; }

signals:
    // After the grid's counts, widths or many cells changed at once.
    void layoutFollowed();

private:
    void followLayout();

    Platform& platform_;
    Grid& grid_;
    int rows_;  // the counts the views were told of
    int columns_;
};

// Commits every keystroke, so the Grid always holds what the editor shows (a key
// release handler then reads the cell as typed).
class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // Whether the editor just closed on Enter (and not on a move elsewhere); asking clears it.
    bool takeEnterPressed() { return std::exchange(enterPressed_, false); }

Q_SIGNALS:
    // A key went up in an editor: the grid has the input focus as far as its windows
    // are concerned.
    void editorKeyReleased(int key);

protected:
    bool eventFilter(QObject* editor, QEvent* event) override;

private:
    bool enterPressed_ = false;
};

class GridView : public QTableView {
    Q_OBJECT
public:
    GridView(Platform& platform, Grid& grid, QWidget* parent = nullptr);

    Grid& grid() const;
    GridModel* gridModel() const { return model_; }
    // Makes (column, row) the current cell; fixed cells are not selectable.
    void selectCell(int column, int row);

signals:
    // The current cell changed (column, row).
    void cellSelected(int column, int row);
    // A mouse button went down at (x, y) within the grid widget. A right press does
    // not move the selection.
    void mousePressed(Qt::MouseButton button, int x, int y);
    void keyReleased(int key);
    // Copy or Paste pressed while no cell editor is open.
    void copyKeyPressed();
    void pasteKeyPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void applyWidths();
    // Grid widths are pixels of the windows' design font; this font is wider.
    double widthScale() const;
    void restoreSelection();
    void moveAfterEnter();
    void insertRowAtSelection();
    // The menu key (or Shift+F10): the pop-up a right press on the current cell opens.
    void pressRightOnCurrentCell();
    void deleteRowAtSelection();
    // The column whose right border lies under `pos` in the header row, or -1.
    int columnBorderAt(const QPoint& viewportPos) const;

    Platform& platform_;
    GridModel* model_;
    GridDelegate* delegate_;
    int resizingColumn_ = -1;
    int resizeStartX_ = 0;
    int resizeStartWidth_ = 0;
};

}  // namespace calvane::ui
