#include "ui/MenuKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace calvane::ui {

namespace {

// Whether an enabled command of `window` holds the key: one with a window-wide shortcut
// (a pop-up menu's item with a shortcut of its own widget does not count).
bool commandHolds(const QWidget* window, const QKeySequence& key)
{
    const auto actions = window->findChildren<QAction*>();
    for (const QAction* action : actions) {
        if (!action->isEnabled() || action->shortcutContext() == Qt::WidgetShortcut)
            continue;
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut.matches(key) == QKeySequence::ExactMatch)
                return true;
    }
    return false;
}

}  // namespace

MenuKeys::MenuKeys(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

bool MenuKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!commandHolds(window_, QKeySequence(key->keyCombination())))
        return false;
    // Not taken by the focused widget: the shortcut goes to the window's command.
    event->ignore();
    return true;
}

}  // namespace calvane::ui
