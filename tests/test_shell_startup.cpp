#include "TestSupport.h"
#include "core/About.h"
#include "shell/Calvane.h"

namespace calvane::test {
namespace {

TEST(About, ShowsTheModulesTextAndHidesOnOk)
{
    TdlgAbout about;
    int changes = 0;
    about.changed.connect([&] { ++changes; });
    EXPECT_EQ(about.memoText(), "Not yet Initialized\r\n \r\n");

    about.Display(AboutModule::Aci);
    ASSERT_EQ(about.dlgAboutMemo.size(), 10u);
    EXPECT_EQ(about.dlgAboutMemo[7], "Journal of Experimental Botany,  Vol 54, No 392, pp");
    EXPECT_EQ(about.dlgAboutMemo[9], "November 2003");
    about.Display(AboutModule::LightResponse);  // on the open dialog: the text is replaced
    EXPECT_EQ(about.memoText(), "Light Response Curve\r\nThe equations used in this analysis were taken from\r\n"
                                "Norvale Application Note #105\r\n");
    about.BtnOKClick();
    EXPECT_FALSE(about.visible);
    EXPECT_EQ(about.dlgAboutMemo.size(), 3u);
    EXPECT_EQ(changes, 3);
    about.Display(static_cast<AboutModule>(2));  // no such module
    EXPECT_EQ(about.memoText(), "Invalid Module specified\r\n");
}

class Shell : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    Calvane app{platform};
};

TEST_F(Shell, StartsWithOnlyTheLauncherVisibleAndOneSetOfImportSettings)
{
    EXPECT_TRUE(app.frmMain.visible);
    EXPECT_FALSE(app.frmAQ_C3_Curve.visible || app.frmACi_Curve.visible);
    EXPECT_FALSE(app.frmAQ_C3_Curve.dlgAbout.visible || app.frmACi_Curve.dlgAbout.visible);
    EXPECT_EQ(app.frmACi_Curve.aciEdit_Temp.text(), "25");  // reset while it was made
    EXPECT_EQ(&app.frmAQ_C3_Curve.frmParseVerdex.settings(), &app.importSettings);
    EXPECT_EQ(&app.frmACi_Curve.frmParseVerdex.settings(), &app.importSettings);
}

TEST_F(Shell, ShowingTwiceShowsOnceAndAHiddenWindowKeepsItsData)
{
    int aqNotices = 0;
    app.frmAQ_C3_Curve.visibilityChanged.connect([&] { ++aqNotices; });
    app.frmMain.wbBtnAQCurveClick();
    app.frmMain.mnuToolsC3AQCurveClick();
    EXPECT_TRUE(app.frmAQ_C3_Curve.visible);
    EXPECT_FALSE(app.frmACi_Curve.visible);
    app.frmAQ_C3_Curve.aqSpreadSheetData.setCell(1, 1, "50");
    app.frmAQ_C3_Curve.aqMnuFileExitClick();
    app.frmMain.wbBtnAQCurveClick();
    EXPECT_EQ(aqNotices, 3);
    EXPECT_EQ(app.frmAQ_C3_Curve.aqSpreadSheetData.cell(1, 1), "50");

    app.frmMain.mnuToolsACi_CurveClick();
    app.frmACi_Curve.aciMnuAboutClick();
    EXPECT_TRUE(app.frmACi_Curve.visible && app.frmACi_Curve.dlgAbout.visible);
    EXPECT_FALSE(app.frmAQ_C3_Curve.dlgAbout.visible);  // each window has its own
}

TEST_F(Shell, ExitHidesTheLauncherBeforeItReportsTheClose)
{
    bool hiddenWhenClosed = false;
    app.frmMain.closed.connect([&] { hiddenWhenClosed = !app.frmMain.visible; });
    app.frmMain.mnuFileExitClick();
    EXPECT_TRUE(hiddenWhenClosed);
}

}  // namespace
}  // namespace calvane::test
