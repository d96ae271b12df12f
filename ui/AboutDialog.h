#pragma once
// The About dialog over a TdlgAbout: the memo, the program's version and the OK button,
// shown and hidden as the state says.

#include <QtWidgets/QDialog>

namespace calvane {
class TdlgAbout;
}

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace calvane::ui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(calvane::TdlgAbout& state, QWidget* parent = nullptr);

    QPlainTextEdit* memo() const { return memo_; }
    QPushButton* okButton() const { return okButton_; }
    QLabel* versionLabel() const { return version_; }

protected:
    void closeEvent(QCloseEvent* event) override;

public slots:
    // Escape and the close box hide the dialog through its state, as OK does.
    void reject() override;

private:
    void follow();

    calvane::TdlgAbout& state_;
    QPlainTextEdit* memo_;
    QLabel* version_;
    QPushButton* okButton_;
};

}  // namespace calvane::ui
