#pragma once
// TdlgAbout: the About dialog as state. Each analysis window owns one and fills it
// with the sources of its equations, so it sits below both windows.

#include "core/Signal.h"

#include <string>
#include <vector>

namespace calvane {

// The analysis whose sources the dialog shows. The values are the module codes of the
// texts; any other value shows that the module is invalid.
enum class AboutModule { Aci = 0, LightResponse = 1 };

// "Calvane version 0.1": the program's version as the build declares it, shown under
// the sources of the equations.
std::string aboutVersionLine();

class TdlgAbout {
public:
    // Fills the memo with the text of a module and shows the dialog, non-modally; an
    // open dialog just gets the new text.
    void Display(AboutModule ModuleCode);
    // Hides the dialog; it keeps its text until the next Display.
    void BtnOKClick();
    // The memo's lines, each followed by CR LF.
    std::string memoText() const;

    std::string caption = "About this Photosynthisis Tool";
    std::vector<std::string> dlgAboutMemo{"Not yet Initialized", " "};
    std::string BtnOK = "OK";
    bool visible = false;
    static constexpr int clientWidth = 390, clientHeight = 254;

    Signal<> changed;  // the memo or the visibility changed
};

}  // namespace calvane
