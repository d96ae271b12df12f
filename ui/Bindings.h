#pragma once
// Bindings between the toolkit-free controls and their widgets. Each follows its
// control's signals and sends the user's changes back through runCommand; a widget
// may be destroyed before its control.

#include "core/Colour.h"

#include <QColor>

class QAbstractButton;
class QAction;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPalette;
class QProgressBar;

namespace calvane {
class CheckBox;
class ComboBox;
class Label;
struct MenuItem;
class Platform;
class ProgressIndicator;
class TextField;
}  // namespace calvane

namespace calvane::ui {

// A state colour as Qt draws it; the two system colours come from `palette`.
QColor toQColor(Colour colour, const QPalette& palette);

// Text both ways; background colour, hint (as tooltip), read-only and visibility from
// the field.
void bindTextField(Platform& platform, TextField& field, QLineEdit* edit);
// The checked state both ways (a user's click only; the program's changes come from
// the control), caption and hint. Radio buttons bind the same way.
void bindCheckBox(Platform& platform, CheckBox& box, QAbstractButton* button);
// Items and chosen text from the control, the user's choice back; hint as tooltip.
void bindComboBox(Platform& platform, ComboBox& box, QComboBox* widget);
// Caption and visibility.
void bindLabel(Label& label, QLabel* widget);
void bindLabel(Label& label, QGroupBox* widget);
void bindLabel(Label& label, QAbstractButton* widget);
void bindLabel(Label& label, QAction* action);
// Position ÷ maximum as a percentage followed by " %", in the indicator's colour.
void bindProgress(ProgressIndicator& progress, QProgressBar* bar);
// Caption, shortcut, hint (as status tip) and whether it is enabled.
void bindMenuItem(const MenuItem& item, QAction* action);
// Caption and enabled state kept current for an item whose state changes them.
void followMenuItem(MenuItem& item, QAction* action);

}  // namespace calvane::ui
