#pragma once
// The launcher over a TfrmMain: the two buttons that show the analysis windows, and
// File > Exit. Closing it ends the program.

#include <QtWidgets/QMainWindow>

namespace calvane {
class TfrmMain;
}

class QAction;
class QPushButton;

namespace calvane::ui {

class LauncherWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit LauncherWindow(calvane::TfrmMain& state, QWidget* parent = nullptr);

    QPushButton* aqButton() const { return aqButton_; }
    QPushButton* aciButton() const { return aciButton_; }
    QAction* exitAction() const { return exitAction_; }
    QAction* aqAction() const { return aqAction_; }
    QAction* aciAction() const { return aciAction_; }
    // Tools > "Batch Fit...": the program opens its batch dialog on it.
    QAction* batchAction() const { return batchAction_; }
    // Tools > "Temperature Response...": the program opens its window on it.
    QAction* tempResponseAction() const { return tempResponseAction_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    calvane::TfrmMain& state_;
    QPushButton* aqButton_;
    QPushButton* aciButton_;
    QAction* exitAction_;
    QAction* aqAction_;
    QAction* aciAction_;
    QAction* batchAction_;
    QAction* tempResponseAction_;
};

}  // namespace calvane::ui
