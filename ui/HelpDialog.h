#pragma once
// Help > "Calvane Help" of the analysis windows: a short manual in a window of its own,
// beside the analysis (not modal). What each fit does, the units, the signs of
// respiration, what Convexity and theta mean, and why the two Vcmax values differ.

#include "core/Controls.h"

#include <QtWidgets/QDialog>

class QTextBrowser;

namespace calvane::ui {

// The menu item; no shortcut (F1 is Compute Curves in the A/Ci window).
extern const MenuItem helpItem;

// The manual as rich text. Its sections are anchored "aci" and "aq".
QString helpText();

class HelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit HelpDialog(QWidget* parent = nullptr);

    // Shows the manual at a section ("aci", "aq") and brings it to the front.
    void showSection(const QString& anchor);

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

}  // namespace calvane::ui
