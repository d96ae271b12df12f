#pragma once
// Start-up: the application object, which creates every window at once, and the
// launcher TfrmMain, which only shows the analysis windows.

#include "aci/ACi_Curve.h"
#include "aq/AQ_C3_Curve.h"
#include "core/Controls.h"
#include "core/Platform.h"
#include "core/Signal.h"
#include "import/ParseVerdex.h"

#include <string>

namespace calvane {

class Calvane;

class TfrmMain {
public:
    // The application object is still being built when the launcher is created; the
    // handlers reach its windows only later, when the user presses something.
    explicit TfrmMain(Calvane& app) : app_(app) {}
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    void wbBtnAQCurveClick();
    void wbBtnACiCurveClick();
    void mnuToolsC3AQCurveClick();
    void mnuToolsACi_CurveClick();
    // Hides the launcher, then closes it, which ends the program.
    void mnuFileExitClick();

    std::string caption = "Calvane";
    bool visible = false;

    Label wbBtnAQCurve{"AQ Curve"}, wbBtnACiCurve{"ACi Curve"};
    MenuItem mnuFile{"File", "", ""};
    MenuItem mnuFileExit{"Exit", "", ""};
    MenuItem Tools1{"Tools", "", ""};
    MenuItem mnuToolsC3AQCurve{"AQ Curve", "", ""};
    MenuItem mnuToolsACi_Curve{"ACI Curve", "", ""};
    // Many curves at once; the desktop opens its batch dialog on it.
    MenuItem mnuToolsBatchFit{"Batch Fit...", "", "Fit many curves from files, folders or one table"};
    // Arrhenius fits to values at several leaf temperatures; the desktop opens its window on it.
    MenuItem mnuToolsTempResponse{"Temperature Response...", "",
                                  "Fit the temperature response of Vcmax, Jmax or any rate"};

    Signal<> closed;  // the desktop ends the program on it

private:
    Calvane& app_;
};

// The application: every window, created in this order and living until the end.
// Only the launcher is visible after construction.
class Calvane {
public:
    explicit Calvane(Platform& platform);
    Calvane(const Calvane&) = delete;
    Calvane& operator=(const Calvane&) = delete;

    std::string applicationTitle = "Calvane";
    // Held once for the whole program: each import dialog sees the last OK or Cancel
    // of either window's.
    ImportSettings importSettings;
    TfrmMain frmMain;
    TfrmAQ_C3_Curve frmAQ_C3_Curve;
    TfrmACi_Curve frmACi_Curve;
};

}  // namespace calvane
