#include "ui/Bindings.h"

#include "core/Controls.h"
#include "ui/Command.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPointer>
#include <QProgressBar>
#include <QSignalBlocker>

#include <algorithm>

namespace calvane::ui {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

template <typename Widget>
void followCaption(Label& label, Widget* widget, void (Widget::*setText)(const QString&))
{
    QPointer<Widget> guarded(widget);
    auto apply = [&label, guarded, setText] {
        Widget* const shown = guarded.data();
        if (!shown)
            return;
        (shown->*setText)(qs(label.caption()));
        shown->setToolTip(qs(label.hint));
        // A widget not yet shown counts as hidden, yet shows with its parent unless it
        // is hidden explicitly: so a hidden control always hides its widget.
        if (!label.visible() || shown->isHidden())
            shown->setVisible(label.visible());
    };
    apply();
    label.changed.connect(apply);
}

}  // namespace

QColor toQColor(Colour colour, const QPalette& palette)
{
    if (colour == colours::windowBackground)
        return palette.color(QPalette::Base);
    if (colour == colours::faceColour)
        return palette.color(QPalette::Window);
    if (isSystemColour(colour))
        return palette.color(QPalette::Base);
    return QColor(static_cast<int>(redOf(colour)), static_cast<int>(greenOf(colour)), static_cast<int>(blueOf(colour)));
}

void bindTextField(Platform& platform, TextField& field, QLineEdit* edit)
{
    QPointer<QLineEdit> guarded(edit);
    const QPalette original = edit->palette();

    auto showText = [&field, guarded] {
        if (guarded && guarded->text() != qs(field.text())) {
            const QSignalBlocker quiet(guarded);
            guarded->setText(qs(field.text()));
        }
    };
    auto showLook = [&field, guarded, original] {
        QLineEdit* const shown = guarded.data();
        if (!shown)
            return;
        QPalette palette = original;
        const QColor background = toQColor(field.background(), original);
        palette.setColor(QPalette::Base, background);
        palette.setColor(QPalette::Window, background);
        shown->setPalette(palette);
        shown->setToolTip(qs(field.hint()));
        shown->setReadOnly(field.readOnly);
        if (!field.visible() || shown->isHidden())
            shown->setVisible(field.visible());
    };
    showText();
    showLook();
    field.textChanged.connect(showText);
    field.appearanceChanged.connect(showLook);

    QObject::connect(edit, &QLineEdit::textEdited, edit, [&platform, &field](const QString& text) {
        runCommand(platform, [&] { field.setText(text.toStdString()); });
    });
}

void bindCheckBox(Platform& platform, CheckBox& box, QAbstractButton* button)
{
    QPointer<QAbstractButton> guarded(button);
    button->setText(qs(box.caption));
    button->setToolTip(qs(box.hint));
    auto show = [&box, guarded] {
        if (guarded && guarded->isChecked() != box.checked()) {
            const QSignalBlocker quiet(guarded);
            guarded->setChecked(box.checked());
        }
    };
    show();
    box.clicked.connect(show);
    QObject::connect(button, &QAbstractButton::clicked, button, [&platform, &box, guarded](bool checked) {
        runCommand(platform, [&] { box.setChecked(checked); });
        // The control may have refused (a radio button's only checked one).
        if (guarded && guarded->isChecked() != box.checked()) {
            const QSignalBlocker quiet(guarded);
            guarded->setChecked(box.checked());
        }
    });
}

void bindComboBox(Platform& platform, ComboBox& box, QComboBox* widget)
{
    QPointer<QComboBox> guarded(widget);
    widget->setToolTip(qs(box.hint));
    auto showText = [&box, guarded] {
        if (!guarded)
            return;
        const QSignalBlocker quiet(guarded);
        guarded->setCurrentIndex(guarded->findText(qs(box.text()), Qt::MatchExactly));
    };
    auto showItems = [&box, guarded, showText] {
        if (!guarded)
            return;
        {
            const QSignalBlocker quiet(guarded);
            guarded->clear();
            for (const auto& item : box.items())
                guarded->addItem(qs(item));
        }
        showText();
    };
    showItems();
    box.itemsChanged.connect(showItems);
    box.textChanged.connect(showText);
    QObject::connect(widget, &QComboBox::activated, widget, [&platform, &box, guarded](int index) {
        if (guarded && index >= 0)
            runCommand(platform, [&] { box.setText(guarded->itemText(index).toStdString()); });
    });
}

void bindLabel(Label& label, QLabel* widget) { followCaption(label, widget, &QLabel::setText); }

void bindLabel(Label& label, QGroupBox* widget) { followCaption(label, widget, &QGroupBox::setTitle); }

void bindLabel(Label& label, QAbstractButton* widget) { followCaption(label, widget, &QAbstractButton::setText); }

void bindLabel(Label& label, QAction* action)
{
    QPointer<QAction> guarded(action);
    auto apply = [&label, guarded] {
        if (!guarded)
            return;
        guarded->setText(qs(label.caption()));
        guarded->setVisible(label.visible());
    };
    apply();
    label.changed.connect(apply);
}

void bindProgress(ProgressIndicator& progress, QProgressBar* bar)
{
    QPointer<QProgressBar> guarded(bar);
    const QPalette original = bar->palette();
    bar->setFormat(QStringLiteral("%p %"));
    bar->setTextVisible(true);
    auto apply = [&progress, guarded, original] {
        if (!guarded)
            return;
        // A maximum of 0 would turn the bar into a busy indicator.
        guarded->setRange(0, std::max(1, progress.maximum()));
        guarded->setValue(std::clamp(progress.position(), 0, std::max(1, progress.maximum())));
        QPalette palette = original;
        palette.setColor(QPalette::Highlight, toQColor(progress.colour(), original));
        guarded->setPalette(palette);
    };
    apply();
    progress.changed.connect(apply);
}

void bindMenuItem(const MenuItem& item, QAction* action)
{
    action->setText(qs(item.caption));
    if (!item.shortcut.empty())
        action->setShortcut(QKeySequence(qs(item.shortcut)));
    action->setStatusTip(qs(item.hint));
    action->setToolTip(qs(item.hint.empty() ? item.caption : item.hint));
    action->setEnabled(item.enabled);
}

void followMenuItem(MenuItem& item, QAction* action)
{
    QPointer<QAction> guarded(action);
    item.changed.connect([&item, guarded] {
        if (!guarded)
            return;
        guarded->setText(qs(item.caption));
        guarded->setEnabled(item.enabled);
    });
}

}  // namespace calvane::ui
