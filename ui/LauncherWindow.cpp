#include "shell/Calvane.h"

#include "ui/LauncherWindow.h"
#include "ui/MenuKeys.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QPointer>
#include <QtGui/QAction>
#include <QtGui/QCloseEvent>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>

namespace calvane::ui {
namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

LauncherWindow::LauncherWindow(calvane::TfrmMain& state, QWidget* parent) : QMainWindow(parent), state_(state)
{
    setWindowTitle(text(state_.caption));

    // None of the launcher's items has a shortcut.
    QMenu* file = menuBar()->addMenu(text(state_.mnuFile.caption));
    exitAction_ = file->addAction(text(state_.mnuFileExit.caption));
    QMenu* tools = menuBar()->addMenu(text(state_.Tools1.caption));
    aqAction_ = tools->addAction(text(state_.mnuToolsC3AQCurve.caption));
    aciAction_ = tools->addAction(text(state_.mnuToolsACi_Curve.caption));
    tools->addSeparator();
    batchAction_ = tools->addAction(text(state_.mnuToolsBatchFit.caption));
    batchAction_->setStatusTip(text(state_.mnuToolsBatchFit.hint));
    tempResponseAction_ = tools->addAction(text(state_.mnuToolsTempResponse.caption));
    tempResponseAction_->setStatusTip(text(state_.mnuToolsTempResponse.hint));
    connect(exitAction_, &QAction::triggered, this, [this] {
        state_.mnuFileExitClick();
        hide();
    });
    connect(aqAction_, &QAction::triggered, this, [this] { state_.mnuToolsC3AQCurveClick(); });
    connect(aciAction_, &QAction::triggered, this, [this] { state_.mnuToolsACi_CurveClick(); });

    auto* buttons = new QWidget(this);
    auto* row = new QHBoxLayout(buttons);
    aqButton_ = new QPushButton(text(state_.wbBtnAQCurve.caption()), buttons);
    aciButton_ = new QPushButton(text(state_.wbBtnACiCurve.caption()), buttons);
    aqButton_->setToolTip(text(state_.wbBtnAQCurve.hint));
    aciButton_->setToolTip(text(state_.wbBtnACiCurve.hint));
    for (QPushButton* button : {aqButton_, aciButton_})
        button->setMinimumSize(120, 48);
    row->addWidget(aqButton_);
    row->addWidget(aciButton_);
    setCentralWidget(buttons);
    connect(aqButton_, &QPushButton::clicked, this, [this] { state_.wbBtnAQCurveClick(); });
    connect(aciButton_, &QPushButton::clicked, this, [this] { state_.wbBtnACiCurveClick(); });

    // The window is as large as its buttons and menu bar need, no more.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // Any shortcut its menu comes to hold works from every focus, as in the other windows.
    new MenuKeys(this);

    // The launcher is the main window: when it closes, the program ends.
    state_.closed.connect([] { QCoreApplication::quit(); });
}

void LauncherWindow::closeEvent(QCloseEvent* event)
{
    // The close box ends the program as File > Exit does; a close that Exit itself set
    // off finds the launcher already hidden in its state.
    if (state_.visible)
        state_.mnuFileExitClick();
    event->accept();
}

}  // namespace calvane::ui
