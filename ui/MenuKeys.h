#pragma once
// A window's menu shortcuts from every focus. A line edit (a field, or the grid's cell
// editor) takes keys such as Ctrl+E (end of line) for itself before the window's
// shortcuts see them; MenuKeys hands every key that one of the window's commands holds
// to that command, whichever widget of the window has the focus. Keys that no command
// holds stay the focused widget's own.

#include <QObject>

class QWidget;

namespace calvane::ui {

class MenuKeys : public QObject {
    Q_OBJECT
public:
    // Watches the keys of `window` (its own widgets, not its dialogs) while it lives.
    explicit MenuKeys(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

}  // namespace calvane::ui
