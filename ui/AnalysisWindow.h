#pragma once
// What the two analysis windows share on screen: the menus built from the state's
// menu items, the grid and its pop-up menu, the parameter fields' pop-up menu with
// Ctrl+A, the chart, file drops, the window and grid positions the pop-up menus are
// placed by, and visibility that follows the state (closing only hides).

#include "chart/qt/ChartBuilder.h"
#include "core/Controls.h"
#include "core/Platform.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>
#include <vector>

class QLineEdit;
class QMenu;
class QPushButton;

namespace calvane {
class ChartTitle;
class CheckList;
struct PopupMenu;
class Grid;
class PointSeries;
class TdlgAbout;
class TextField;
class TFrmParseVerdex;
}  // namespace calvane

namespace calvane::ui {

class AboutDialog;
class ChartPanel;
class GridView;
class ImportDialog;
class QtPlatform;

class AnalysisWindow : public QMainWindow {
    Q_OBJECT
public:
    QtPlatform& platform() const { return platform_; }
    GridView* gridView() const { return gridView_; }
    ChartPanel* chartPanel() const { return chartPanel_; }
    ImportDialog* importDialog() const { return importDialog_; }
    AboutDialog* aboutDialog() const { return aboutDialog_; }
    // A menu command by its menu item (state.aciMnuResultsComputeCurve, ...), or by the
    // check box a checkable one follows; nullptr for none of this window.
    QAction* action(const MenuItem& item) const;
    QAction* action(const CheckBox& flag) const;
    // A field's widget by its control.
    QLineEdit* fieldWidget(const TextField& field) const;

    // Fields for the panel builders: a field's widget, and a parameter field's, which
    // has the field pop-up menu as its context menu, Ctrl+A for Copy All, and counts
    // in the focus test of field Copy and Paste.
    QLineEdit* makeField(TextField& field);
    QLineEdit* makeParameterField(TextField& field);

protected:
    struct Positions {
        int* left;
        int* top;
        Grid* grid;
    };

    AnalysisWindow(QtPlatform& platform, QWidget* parent);

    // Runs a command through the general error display.
    void run(const std::function<void()>& command);

    QAction* addCommand(QMenu* menu, const MenuItem& item, std::function<void()> command, bool windowShortcut = true);
    // A checkable menu item that follows a check box both ways.
    QAction* addCheckableCommand(QMenu* menu, CheckBox& flag);
    void makeGrid(Grid& grid, std::function<void(MouseButton, int, int)> mouseDown);
    // Ctrl+C and Ctrl+V in the grid (no cell editor open) run its pop-up menu's Copy and Paste.
    void setGridClipboardKeys(QAction* copy, QAction* paste);
    // The button that stops a long command (a fit); enabled only while one runs.
    QPushButton* makeCancelButton();
    // The chart, printed by its title's control.
    void makeChart(std::function<chart::ChartDrawing()> drawing, ChartTitle& title,
                   const std::vector<PointSeries*>& series);
    void makeDialogs(TFrmParseVerdex& importState, TdlgAbout& aboutState);
    // The grid's and the fields' pop-up menus, which the platform opens by their control.
    QMenu* makePopupMenu(const PopupMenu& menu);
    void setFieldMenu(QMenu* menu, QAction* copyAll);
    void followVisibility(const bool& visible, Signal<>& changed, std::function<void()> exit);
    void setPositions(Positions positions) { positions_ = positions; }
    void setDropHandler(std::function<void(const std::vector<DroppedItem>&)> drop) { drop_ = std::move(drop); }
    // The "Checks" line: a warning icon and the sentences of `checks`, shown only while
    // there are any. `runChecks` runs after every command of the window.
    QWidget* makeChecksLine(CheckList& checks, std::function<void()> runChecks);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    GridView* gridView_ = nullptr;
    ChartPanel* chartPanel_ = nullptr;

private:
    // A command found by `control`: its menu item, or the check box it follows.
    QAction* addCommandFor(const void* control, QMenu* menu, const MenuItem& item, std::function<void()> command,
                           bool windowShortcut = true);
    void updatePositions();

    QtPlatform& platform_;
    ImportDialog* importDialog_ = nullptr;
    AboutDialog* aboutDialog_ = nullptr;
    QMenu* fieldMenu_ = nullptr;
    QAction* copyAll_ = nullptr;
    std::map<const void*, QAction*> actions_;  // by menu item or check box
    std::map<const TextField*, QLineEdit*> fields_;
    std::vector<QLineEdit*> parameterFields_;
    const bool* visible_ = nullptr;
    std::function<void()> exit_;
    Positions positions_{nullptr, nullptr, nullptr};
    std::function<void(const std::vector<DroppedItem>&)> drop_;
    std::function<void()> runChecks_;
};

}  // namespace calvane::ui
