#pragma once
// The light-response window on screen, over a TfrmAQ_C3_Curve: the data grid, the
// identifier, the fit parameters with their fixed flags, the light points, the standard
// fits' group, the chart, the status line and the fit's progress bar.

#include "ui/AnalysisWindow.h"

class QProgressBar;

namespace calvane {
class TfrmAQ_C3_Curve;
}

namespace calvane::ui {

class AqWindow : public AnalysisWindow {
    Q_OBJECT
public:
    AqWindow(TfrmAQ_C3_Curve& state, QtPlatform& platform, QWidget* parent = nullptr);

    TfrmAQ_C3_Curve& state() const { return state_; }
    QProgressBar* progressBar() const { return progressBar_; }

private:
    void makeMenus();
    QWidget* makeParameters();
    QWidget* makeStandardFit();
    QWidget* makeKok();

    TfrmAQ_C3_Curve& state_;
    QProgressBar* progressBar_;
};

}  // namespace calvane::ui
