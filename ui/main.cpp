// Calvane: the desktop program. Every window is created at start-up, in order (the
// launcher, the light-response window, the A/Ci window, each analysis window with its
// About and import dialogs); only the launcher shows, and closing it ends the program.

#include "shell/Calvane.h"
#include "tresponse/TempResponse.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/BatchDialog.h"
#include "ui/LauncherWindow.h"
#include "ui/QtPlatform.h"
#include "ui/TempResponseWindow.h"

#include <QAction>
#include <QApplication>

#include <clocale>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    // Qt has set the C library's locale from the environment; numbers that the C
    // library reads or writes keep '.' (Calvane's own never follow the locale).
    std::setlocale(LC_NUMERIC, "C");
    calvane::ui::QtPlatform platform;
    calvane::Calvane app(platform);
    QApplication::setApplicationName(QString::fromStdString(app.applicationTitle));
    // The launcher ends the program, not the last window to close.
    QApplication::setQuitOnLastWindowClosed(false);

    calvane::ui::LauncherWindow launcher(app.frmMain);
    calvane::ui::AqWindow aqWindow(app.frmAQ_C3_Curve, platform);
    calvane::ui::AciWindow aciWindow(app.frmACi_Curve, platform);
    calvane::ui::BatchDialog batchDialog(app.frmACi_Curve, app.frmAQ_C3_Curve, platform);
    QObject::connect(launcher.batchAction(), &QAction::triggered, &batchDialog, [&batchDialog] {
        batchDialog.followWindows();  // when asked for, the windows' fields as they are now
        batchDialog.show();
        batchDialog.raise();
    });
    calvane::TempResponse tempResponse(platform);
    calvane::ui::TempResponseWindow tempResponseWindow(tempResponse, platform);
    QObject::connect(launcher.tempResponseAction(), &QAction::triggered, &tempResponseWindow, [&tempResponseWindow] {
        tempResponseWindow.show();
        tempResponseWindow.raise();
    });
    batchDialog.setTemperatureResponseOpener(
        [&tempResponseWindow](const std::vector<std::pair<double, double>>& pairs, const std::string& valueName) {
            tempResponseWindow.showPairs(pairs, valueName);
        });
    launcher.show();
    return QApplication::exec();
}
