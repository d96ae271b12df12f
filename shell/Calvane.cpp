#include "shell/Calvane.h"

namespace calvane {

void TfrmMain::wbBtnAQCurveClick() { app_.frmAQ_C3_Curve.Show(); }

void TfrmMain::wbBtnACiCurveClick() { app_.frmACi_Curve.Show(); }

void TfrmMain::mnuToolsC3AQCurveClick() { app_.frmAQ_C3_Curve.Show(); }

void TfrmMain::mnuToolsACi_CurveClick() { app_.frmACi_Curve.Show(); }

void TfrmMain::mnuFileExitClick()
{
    visible = false;
    closed.notify();
}

// The members are created in their declaration order: the launcher first, then the
// light-response window, then the A/Ci window (which resets its parameters itself).
Calvane::Calvane(Platform& platform)
    : frmMain(*this), frmAQ_C3_Curve(platform, importSettings), frmACi_Curve(platform, importSettings)
{
    // Only the launcher starts visible; the analysis windows wait to be shown.
    frmMain.visible = true;
}

}  // namespace calvane
