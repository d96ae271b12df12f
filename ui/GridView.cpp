#include "ui/GridView.h"

#include "core/Grid.h"
#include "ui/Command.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <cstdlib>

namespace calvane::ui {

// --- Model ------------------------------------------------------------------------------------

GridModel::GridModel(Platform& platform, Grid& grid, QObject* parent)
    : QAbstractTableModel(parent), platform_(platform), grid_(grid), rows_(grid.rowCount()), columns_(grid.colCount())
{
    QPointer<GridModel> self(this);
    grid_.cellChanged.connect([self](int column, int row) {
        GridModel* const model = self.data();
        if (model && row < model->rows_ && column < model->columns_) {
            const QModelIndex changed = model->index(row, column);
            Q_EMIT model->dataChanged(changed, changed);
        }
    });
    grid_.layoutChanged.connect([self] {
        if (self)
            self->followLayout();
    });
}

void GridModel::followLayout()
{
    if (grid_.rowCount() != rows_ || grid_.colCount() != columns_) {
        beginResetModel();
        rows_ = grid_.rowCount();
        columns_ = grid_.colCount();
        endResetModel();
    } else if (rows_ > 0 && columns_ > 0) {
        // Same size: rows may have moved (Shift+Ins/Del) or many cells changed.
        Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
    }
    Q_EMIT layoutFollowed();
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QColor GridModel::bandColour() { return QColor(206, 250, 253); }

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    const bool rowNumber = column == 0 && row > 0;
    switch (role) {
    case Qt::DisplayRole:
        // The row-number column holds no text; the view writes the numbers itself.
        return rowNumber ? QString::number(row) : QString::fromStdString(grid_.cell(column, row));
    case Qt::EditRole:
        return QString::fromStdString(grid_.cell(column, row));
    case Qt::TextAlignmentRole:
        if (rowNumber)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignBottom);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (isFixed(index))
            return QApplication::palette().color(QPalette::Button);
        if (row % 3 == 0)
            return bandColour();
        return {};
    case Qt::ToolTipRole:
        return QString::fromStdString(grid_.hint);
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || isFixed(index))
        return false;
    runCommand(platform_, [&] { grid_.setCell(index.column(), index.row(), value.toString().toStdString()); });
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isFixed(index))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

// --- Delegate ---------------------------------------------------------------------------------

QWidget* GridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        auto* self = const_cast<GridDelegate*>(this);
        connect(line, &QLineEdit::textEdited, self, [self, line] { Q_EMIT self->commitData(line); });
    }
    return editor;
}

void GridDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    // The cell changed because the editor committed: leave the cursor where it is.
    if (auto* line = qobject_cast<QLineEdit*>(editor); line && line->text() == index.data(Qt::EditRole).toString())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}

bool GridDelegate::eventFilter(QObject* editor, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        enterPressed_ = key == Qt::Key_Return || key == Qt::Key_Enter;
    } else if (event->type() == QEvent::KeyRelease) {
        Q_EMIT editorKeyReleased(static_cast<QKeyEvent*>(event)->key());
        return true;  // reported here; it must not reach the view a second time
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}

// --- View ---------------------------------------------------------------------------------------

GridView::GridView(Platform& platform, Grid& grid, QWidget* parent)
    : QTableView(parent), platform_(platform), model_(new GridModel(platform, grid, this)), delegate_(nullptr)
{
    setModel(model_);
    delegate_ = new GridDelegate(this);
    setItemDelegate(delegate_);
    connect(delegate_, &GridDelegate::editorKeyReleased, this, &GridView::keyReleased);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setMinimumSectionSize(4);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);  // clipped, as spreadsheet cells are
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::NoContextMenu);  // the windows open their own pop-up menus
    viewport()->setMouseTracking(true);

    connect(model_, &GridModel::layoutFollowed, this, [this] {
        applyWidths();
        if (!currentIndex().isValid())
            restoreSelection();
    });
    applyWidths();
    restoreSelection();
}

Grid& GridView::grid() const { return model_->grid(); }

double GridView::widthScale() const
{
    // The design font's digits are 6 pixels wide.
    const double digit = fontMetrics().horizontalAdvance(QStringLiteral("0123456789")) / 10.0;
    return std::max(1.0, digit / 6.0);
}

void GridView::applyWidths()
{
    const double scale = widthScale();
    for (int column = 0; column < model_->columnCount(); ++column)
        setColumnWidth(column, static_cast<int>(grid().colWidth(column) * scale + 0.5));
}

void GridView::selectCell(int column, int row)
{
    const QModelIndex target = model_->index(row, column);
    if (!target.isValid() || GridModel::isFixed(target))
        return;
    setCurrentIndex(target);
}

void GridView::restoreSelection()
{
    const int rows = model_->rowCount();
    const int columns = model_->columnCount();
    if (rows < 2 || columns < 2)
        return;
    const int row = std::clamp(grid().selectedRow, 1, rows - 1);
    const int column = std::clamp(grid().selectedCol, 1, columns - 1);
    // Not the user's choice: the grid's own record moves, but no selection event.
    const QSignalBlocker quiet(this);
    selectCell(column, row);
    grid().selectedRow = row;
    grid().selectedCol = column;
}

void GridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (!current.isValid() || GridModel::isFixed(current))
        return;
    grid().selectedCol = current.column();
    grid().selectedRow = current.row();
    Q_EMIT cellSelected(current.column(), current.row());
}

void GridView::moveAfterEnter()
{
    const int rows = model_->rowCount();
    const int columns = model_->columnCount();
    if (rows < 2 || columns < 2)
        return;
    QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() + 1 : 1;
    int column = current.isValid() ? std::max(current.column(), 1) : 1;
    if (row >= rows) {
        row = 1;
        column = column + 1 < columns ? column + 1 : 1;
    }
    selectCell(column, std::max(row, 1));
}

QModelIndex GridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int rows = model_->rowCount();
    const int columns = model_->columnCount();
    if (rows < 2 || columns < 2)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model_->index(1, 1);
    int row = current.row();
    int column = current.column();
    switch (cursorAction) {
    case MoveNext:
        if (++column >= columns) {
            column = 1;
            if (++row >= rows)
                row = 1;
        }
        break;
    case MovePrevious:
        if (--column < 1) {
            column = columns - 1;
            if (--row < 1)
                row = rows - 1;
        }
        break;
    default: {
        const QModelIndex moved = QTableView::moveCursor(cursorAction, modifiers);
        if (!moved.isValid())
            return moved;
        row = moved.row();
        column = moved.column();
        break;
    }
    }
    // The fixed row and column take no cursor.
    return model_->index(std::max(row, 1), std::max(column, 1));
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    // Enter in the editor: keep the text and go one row down, as Enter does outside it.
    if (delegate_->takeEnterPressed()) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        moveAfterEnter();
        return;
    }
    QTableView::closeEditor(editor, hint);
}

void GridView::insertRowAtSelection()
{
    const int row = grid().selectedRow;
    if (row < 1 || row >= grid().rowCount())
        return;
    runCommand(platform_, [&] { grid().insertRow(row); });
    selectCell(std::max(grid().selectedCol, 1), row);
}

void GridView::deleteRowAtSelection()
{
    const int row = grid().selectedRow;
    if (row < 1 || row >= grid().rowCount())
        return;
    bool removed = false;
    runCommand(platform_, [&] { removed = grid().deleteRow(row); });
    if (removed && row < grid().rowCount())
        selectCell(std::max(grid().selectedCol, 1), row);
    else if (removed)
        restoreSelection();
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+C and Ctrl+V are the window's grid Copy and Paste (not Shift+Ins, which
    // inserts a row); an open cell editor keeps them for its text.
    const bool control = event->modifiers() == Qt::ControlModifier;
    if (state() != EditingState && control && (event->key() == Qt::Key_C || event->key() == Qt::Key_V)) {
        event->accept();
        if (event->key() == Qt::Key_C)
            Q_EMIT copyKeyPressed();
        else
            Q_EMIT pasteKeyPressed();
        return;
    }
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (state() != EditingState && (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && shift))) {
        event->accept();
        pressRightOnCurrentCell();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (state() != EditingState) {
            moveAfterEnter();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Insert:
        if (shift) {
            insertRowAtSelection();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Delete:
        if (shift) {
            deleteRowAtSelection();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void GridView::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    Q_EMIT keyReleased(event->key());
}

int GridView::columnBorderAt(const QPoint& viewportPos) const
{
    if (rowAt(viewportPos.y()) != 0)
        return -1;
    for (int column = 0; column < model_->columnCount(); ++column) {
        const int right = columnViewportPosition(column) + columnWidth(column);
        if (std::abs(viewportPos.x() - right) <= 3)
            return column;
    }
    return -1;
}

void GridView::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const QPoint inGrid = viewport()->mapTo(this, at);
    if (event->button() == Qt::LeftButton) {
        const int border = columnBorderAt(at);
        const QModelIndex pressed = indexAt(at);
        if (border >= 0) {
            resizingColumn_ = border;
            resizeStartX_ = at.x();
            resizeStartWidth_ = columnWidth(border);
        } else if (pressed.isValid() && !GridModel::isFixed(pressed)) {
            QTableView::mousePressEvent(event);
        } else {
            setFocus(Qt::MouseFocusReason);
        }
    } else {
        // A right (or middle) press leaves the selection where it is.
        setFocus(Qt::MouseFocusReason);
    }
    event->accept();
    // The row a pop-up item acts on: a right press leaves the selection where it is.
    const QModelIndex under = indexAt(at);
    grid().pressedRow = under.isValid() && under.row() >= 1 ? under.row() : 0;
    Q_EMIT mousePressed(event->button(), inGrid.x(), inGrid.y());
}

void GridView::pressRightOnCurrentCell()
{
    const QModelIndex current = currentIndex();
    const QRect cell = current.isValid() ? visualRect(current) : QRect();
    const QPoint inGrid = viewport()->mapTo(this, cell.isValid() ? cell.center() : QPoint());
    grid().pressedRow = current.isValid() && current.row() >= 1 ? current.row() : 0;
    Q_EMIT mousePressed(Qt::RightButton, inGrid.x(), inGrid.y());
}

void GridView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (resizingColumn_ >= 0) {
        setColumnWidth(resizingColumn_, std::max(4, resizeStartWidth_ + at.x() - resizeStartX_));
        return;
    }
    if (event->buttons() == Qt::NoButton) {
        if (columnBorderAt(at) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
    QTableView::mouseMoveEvent(event);
}

void GridView::mouseReleaseEvent(QMouseEvent* event)
{
    if (resizingColumn_ >= 0) {
        const int column = resizingColumn_;
        const int width = static_cast<int>(columnWidth(column) / widthScale() + 0.5);
        resizingColumn_ = -1;
        runCommand(platform_, [&] { grid().setColWidth(column, width); });
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex pressed = indexAt(event->position().toPoint());
    if (pressed.isValid() && !GridModel::isFixed(pressed))
        QTableView::mouseDoubleClickEvent(event);
}

}  // namespace calvane::ui
