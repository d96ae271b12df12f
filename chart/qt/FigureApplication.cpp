#include "chart/qt/FigureApplication.h"

#include <QtWidgets/QApplication>

#include <clocale>
#include <iostream>
#include <string>

namespace calvane::chart {

namespace {

// Standard error carries the program's own messages, one a line; of Qt's only the
// critical ones.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

}  // namespace

FigureApplication::FigureApplication(const char* program)
{
    qInstallMessageHandler(quietQt);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // QApplication keeps argc and argv for its lifetime.
    static int argc = 1;
    static char name[256] = {};
    std::string(program).copy(name, sizeof name - 1);
    static char* argv[] = {name, nullptr};
    // Starting Qt sets the C library's locale from the environment; numbers in the
    // exports are written under the locale the run had before.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    app_ = std::make_unique<QApplication>(argc, argv);
    std::setlocale(LC_ALL, locale.c_str());
}

FigureApplication::~FigureApplication() = default;

}  // namespace calvane::chart
