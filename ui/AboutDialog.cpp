#include "core/About.h"

#include "ui/AboutDialog.h"

#include <QtCore/QPointer>
#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtGui/QTextDocument>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace calvane::ui {

AboutDialog::AboutDialog(calvane::TdlgAbout& state, QWidget* parent)
    : QDialog(parent), state_(state), memo_(new QPlainTextEdit(this)),
      version_(new QLabel(QString::fromStdString(aboutVersionLine()), this)), okButton_(new QPushButton(this))
{
    setWindowTitle(QString::fromStdString(state_.caption));
    setModal(false);
    // A fixed dialog border: no resizing, no maximise button.
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(calvane::TdlgAbout::clientWidth, calvane::TdlgAbout::clientHeight);

    memo_->setReadOnly(true);
    memo_->setFrameShape(QFrame::NoFrame);
    memo_->setBackgroundRole(QPalette::Window);  // the window's face colour
    QPalette palette = memo_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    memo_->setPalette(palette);

    okButton_->setText(QString::fromStdString(state_.BtnOK));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    connect(okButton_, &QPushButton::clicked, this, [this] { state_.BtnOKClick(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(memo_, 1);
    // In line with the memo's text.
    version_->setIndent(int(memo_->document()->documentMargin()));
    layout->addWidget(version_);
    layout->addLayout(buttons);

    // The state outlives any dialog a test makes over it; a gone dialog ignores it.
    QPointer<AboutDialog> self(this);
    state_.changed.connect([self] {
        if (self)
            self->follow();
    });
    follow();
}

void AboutDialog::follow()
{
    QString text = QString::fromStdString(state_.memoText());
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);  // the last line's end opens no further line
    if (memo_->toPlainText() != text)
        memo_->setPlainText(text);

    if (state_.visible && !isVisible()) {
        // Opens in the centre of the screen, whatever the owner window's position.
        if (QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
        show();
        okButton_->setFocus();
    } else if (!state_.visible && isVisible()) {
        hide();
    }
}

void AboutDialog::closeEvent(QCloseEvent* event)
{
    state_.BtnOKClick();
    event->accept();
}

void AboutDialog::reject()
{
    state_.BtnOKClick();
    QDialog::reject();
}

}  // namespace calvane::ui
