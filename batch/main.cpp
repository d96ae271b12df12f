// calvane-batch: runs analysis windows headless and writes their exports.

#include "batch/BatchRun.h"
#include "chart/qt/FigureFile.h"

#include <QtWidgets/QApplication>

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Standard error carries the windows' messages, one a line; Qt's notes about its own
// set-up (no runtime folder, say) are not among them.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

// Qt Charts draws with widgets' styles, so figure files need a QApplication. It is
// started only for a run that writes charts, and always on the offscreen platform
// unless the user names another: a figure then looks the same with or without a
// display, and a script never fails for want of one.
std::unique_ptr<QApplication> startCharts(const char* program)
{
    qInstallMessageHandler(quietQt);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt reads its own options from the command line; it is given none of ours.
    static int argc = 1;
    static char name[256] = {};
    std::string(program).copy(name, sizeof name - 1);
    static char* argv[] = {name, nullptr};
    // Starting Qt sets the C library's locale from the environment; numbers in the
    // exports are written under the locale the run had before.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    auto app = std::make_unique<QApplication>(argc, argv);
    std::setlocale(LC_ALL, locale.c_str());
    return app;
}

}  // namespace

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    calvane::batch::RunSettings settings;
    settings.progress = isatty(STDERR_FILENO) == 1;

    std::unique_ptr<QApplication> app;
    if (calvane::batch::asksForCharts(args)) {
        app = startCharts(argv[0]);
        settings.writeChart = [](const std::string& path, const calvane::chart::ChartSpec& drawing,
                                 calvane::chart::FigureFormat format, const calvane::chart::FigureOptions& options) {
            calvane::chart::writeFigure(path, drawing, format, options);
        };
    }
    // Numbers are read and written with '.' whatever the locale.
    return calvane::batch::runBatch(args, std::cout, std::cerr, '.', settings);
}
