#pragma once
// The A/Ci window on screen, over a TfrmACi_Curve: the data grid, the identifier, the
// two groups of parameters with their fixed flags, the standard fit's group, the chart
// and the status line.

#include "ui/AnalysisWindow.h"

namespace calvane {
class TfrmACi_Curve;
}

namespace calvane::ui {

class AciWindow : public AnalysisWindow {
    Q_OBJECT
public:
    AciWindow(TfrmACi_Curve& state, QtPlatform& platform, QWidget* parent = nullptr);

    TfrmACi_Curve& state() const { return state_; }

private:
    void makeMenus();
    QWidget* makeParameters();
    QWidget* makeStandardFit();

    TfrmACi_Curve& state_;
};

}  // namespace calvane::ui
