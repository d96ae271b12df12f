#include "ui/AnalysisWindow.h"

#include "core/Checks.h"
#include "core/Grid.h"
#include "ui/AboutDialog.h"
#include "ui/Bindings.h"
#include "ui/ChartPanel.h"
#include "ui/Command.h"
#include "ui/GridView.h"
#include "ui/ImportDialog.h"
#include "ui/MenuKeys.h"
#include "ui/QtPlatform.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace calvane::ui {

namespace {

MouseButton toMouseButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return MouseButton::Left;
    }
}

std::vector<DroppedItem> droppedItems(const QMimeData* mime)
{
    std::vector<DroppedItem> items;
    if (!mime || !mime->hasUrls())
        return items;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        items.push_back({path.toStdString(), QFileInfo(path).isDir()});
    }
    return items;
}

}  // namespace

AnalysisWindow::AnalysisWindow(QtPlatform& platform, QWidget* parent) : QMainWindow(parent), platform_(platform)
{
    setAcceptDrops(true);
    new MenuKeys(this);
}

void AnalysisWindow::run(const std::function<void()>& command)
{
    runCommand(platform_, command);
    // Also after a command that failed: what it wrote before the error is checked too.
    if (runChecks_)
        runCommand(platform_, runChecks_);
}

QWidget* AnalysisWindow::makeChecksLine(CheckList& checks, std::function<void()> runChecks)
{
    runChecks_ = std::move(runChecks);
    auto* line = new QWidget;
    line->setObjectName("checksLine");
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* icon = new QLabel;
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel;
    text->setObjectName("checksText");
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(text, 1);
    auto show = [line, text, &checks] {
        QStringList sentences;
        for (const auto& sentence : checks.items())
            sentences << QString::fromStdString(sentence);
        text->setText(tr("Checks: ") + sentences.join(QStringLiteral("\n")));
        line->setVisible(!sentences.isEmpty());
    };
    show();
    QPointer<QWidget> alive(line);
    checks.changed.connect([alive, show] {
        if (alive)
            show();
    });
    return line;
}

QAction* AnalysisWindow::action(const MenuItem& item) const
{
    const auto found = actions_.find(&item);
    return found == actions_.end() ? nullptr : found->second;
}

QAction* AnalysisWindow::action(const CheckBox& flag) const
{
    const auto found = actions_.find(&flag);
    return found == actions_.end() ? nullptr : found->second;
}

QLineEdit* AnalysisWindow::fieldWidget(const TextField& field) const
{
    const auto found = fields_.find(&field);
    return found == fields_.end() ? nullptr : found->second;
}

QAction* AnalysisWindow::addCommand(QMenu* menu, const MenuItem& item, std::function<void()> command,
                                    bool windowShortcut)
{
    return addCommandFor(&item, menu, item, std::move(command), windowShortcut);
}

QAction* AnalysisWindow::addCommandFor(const void* control, QMenu* menu, const MenuItem& item,
                                       std::function<void()> command, bool windowShortcut)
{
    auto* action = new QAction(this);
    bindMenuItem(item, action);
    // Menu shortcuts work anywhere in this window, as its menu bar's do.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { run(command); });
    if (menu)
        menu->addAction(action);
    if (windowShortcut)
        addAction(action);
    actions_[control] = action;
    return action;
}

QLineEdit* AnalysisWindow::makeField(TextField& field)
{
    auto* edit = new QLineEdit;
    // Files dropped on a field belong to the window.
    edit->setAcceptDrops(false);
    bindTextField(platform_, field, edit);
    fields_[&field] = edit;
    return edit;
}

QLineEdit* AnalysisWindow::makeParameterField(TextField& field)
{
    QLineEdit* edit = makeField(field);
    platform_.registerFocusTarget(&field, edit);
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QLineEdit::customContextMenuRequested, this, [this, edit](const QPoint& at) {
        edit->setFocus(Qt::PopupFocusReason);
        if (fieldMenu_)
            fieldMenu_->popup(edit->mapToGlobal(at));
    });
    edit->installEventFilter(this);
    parameterFields_.push_back(edit);
    return edit;
}

bool AnalysisWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+A in a parameter field is Copy All, not the line edit's Select All.
    if (event->type() == QEvent::KeyPress && copyAll_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_A && key->modifiers() == Qt::ControlModifier &&
            std::find(parameterFields_.begin(), parameterFields_.end(), watched) != parameterFields_.end()) {
            copyAll_->trigger();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void AnalysisWindow::makeGrid(Grid& grid, std::function<void(MouseButton, int, int)> mouseDown)
{
    gridView_ = new GridView(platform_, grid);
    connect(gridView_, &GridView::mousePressed, this,
            [this, mouseDown = std::move(mouseDown)](Qt::MouseButton button, int x, int y) {
                updatePositions();
                run([&] { mouseDown(toMouseButton(button), x, y); });
            });
}

void AnalysisWindow::setGridClipboardKeys(QAction* copy, QAction* paste)
{
    connect(gridView_, &GridView::copyKeyPressed, copy, &QAction::trigger);
    connect(gridView_, &GridView::pasteKeyPressed, paste, &QAction::trigger);
}

QPushButton* AnalysisWindow::makeCancelButton()
{
    auto* button = new QPushButton(tr("Cancel"));
    button->setObjectName("cancelButton");
    button->setToolTip(tr("Stop the running fit (Esc)"));
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [this] { platform_.requestCancel(); });
    platform_.registerCancelButton(button);
    return button;
}

void AnalysisWindow::makeChart(std::function<chart::ChartDrawing()> drawing, ChartTitle& title,
                               const std::vector<PointSeries*>& series)
{
    chartPanel_ = new ChartPanel(std::move(drawing));
    chartPanel_->setObjectName(QString::fromStdString(title.name));
    chartPanel_->follow(title);
    for (PointSeries* one : series)
        chartPanel_->follow(*one);
    platform_.registerChart(&title, chartPanel_);
}

void AnalysisWindow::makeDialogs(TFrmParseVerdex& importState, TdlgAbout& aboutState)
{
    aboutDialog_ = new AboutDialog(aboutState, this);
    importDialog_ = new ImportDialog(importState, platform_, this);
}

QAction* AnalysisWindow::addCheckableCommand(QMenu* menu, CheckBox& flag)
{
    const MenuItem item{flag.caption, "", flag.hint};
    // A click has already toggled the action when its command runs.
    QAction* action = addCommandFor(&flag, menu, item,
                                    [this, &flag] { flag.setChecked(this->action(flag)->isChecked()); });
    action->setCheckable(true);
    action->setChecked(flag.checked());
    QPointer<QAction> guarded(action);
    flag.clicked.connect([&flag, guarded] {
        if (guarded && guarded->isChecked() != flag.checked()) {
            const QSignalBlocker quiet(guarded);
            guarded->setChecked(flag.checked());
        }
    });
    return action;
}

QMenu* AnalysisWindow::makePopupMenu(const PopupMenu& menu)
{
    auto* widget = new QMenu(this);
    widget->setObjectName(QString::fromStdString(menu.name));
    platform_.registerPopupMenu(&menu, widget);
    return widget;
}

void AnalysisWindow::setFieldMenu(QMenu* menu, QAction* copyAll)
{
    fieldMenu_ = menu;
    copyAll_ = copyAll;
    // Shown beside the item; the key itself is caught in the fields (eventFilter).
    copyAll->setShortcutVisibleInContextMenu(true);
    copyAll->setShortcutContext(Qt::WidgetShortcut);
}

void AnalysisWindow::followVisibility(const bool& visible, Signal<>& changed, std::function<void()> exit)
{
    visible_ = &visible;
    exit_ = std::move(exit);
    QPointer<AnalysisWindow> self(this);
    changed.connect([self, &visible] {
        if (!self)
            return;
        if (visible) {
            self->show();
            self->raise();
            self->activateWindow();
        } else {
            self->hide();
        }
    });
}

void AnalysisWindow::closeEvent(QCloseEvent* event)
{
    // The close box hides the window the way File > Exit does; it keeps its data.
    if (visible_ && *visible_ && exit_)
        run(exit_);
    event->accept();
}

void AnalysisWindow::updatePositions()
{
    if (positions_.left)
        *positions_.left = frameGeometry().x();
    if (positions_.top)
        *positions_.top = frameGeometry().y();
    if (positions_.grid && gridView_) {
        const QPoint at = gridView_->mapTo(this, QPoint(0, 0));
        positions_.grid->left = at.x();
        positions_.grid->top = at.y();
    }
}

void AnalysisWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    updatePositions();
}

void AnalysisWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    updatePositions();
}

void AnalysisWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    updatePositions();
}

void AnalysisWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void AnalysisWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void AnalysisWindow::dropEvent(QDropEvent* event)
{
    std::vector<DroppedItem> items = droppedItems(event->mimeData());
    if (items.empty() || !drop_)
        return;
    event->acceptProposedAction();
    // The drop finishes first (the other program waits for it); the load and any
    // message follow. The window is not brought to the front.
    QTimer::singleShot(0, this, [this, items = std::move(items)] { run([&] { drop_(items); }); });
}

}  // namespace calvane::ui
