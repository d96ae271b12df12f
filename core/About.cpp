#include "core/About.h"

namespace calvane {

namespace {

std::vector<std::string> moduleText(AboutModule module)
{
    switch (module) {
    case AboutModule::Aci:
        return {"ACi Response Curve",
                "The equations used in this analysis were taken from the",
                "article:",
                "Gas exchange measurements, what can they tell us",
                "about the underlying limitations to photosynthesis?",
                "Procedures and sources of error.",
                " ",
                "Journal of Experimental Botany,  Vol 54, No 392, pp",
                "2393-2401",
                "November 2003"};
    case AboutModule::LightResponse:
        return {"Light Response Curve", "The equations used in this analysis were taken from",
                "Norvale Application Note #105"};
    default:
        return {"Invalid Module specified"};
    }
}

}  // namespace

std::string aboutVersionLine() { return std::string("Calvane version ") + CALVANE_VERSION; }

void TdlgAbout::Display(AboutModule ModuleCode)
{
    dlgAboutMemo = moduleText(ModuleCode);
    visible = true;
    changed.notify();
}

void TdlgAbout::BtnOKClick()
{
    if (!visible)
        return;
    visible = false;
    changed.notify();
}

std::string TdlgAbout::memoText() const
{
    std::string text;
    for (const auto& line : dlgAboutMemo)
        text += line + "\r\n";
    return text;
}

}  // namespace calvane
