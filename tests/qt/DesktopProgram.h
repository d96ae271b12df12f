#pragma once
// What the desktop Qt tests start from: the program with both analysis windows on a
// Qt platform (QtPlatform, or a test's own subclass of it), and a watcher that answers
// the message boxes a command opens.

#include "shell/Calvane.h"
#include "ui/AciWindow.h"
#include "ui/AqWindow.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace calvane::test {

template <typename PlatformType = ui::QtPlatform>
struct DesktopProgram {
    template <typename... Args>
    explicit DesktopProgram(Args&&... args) : platform(std::forward<Args>(args)...)
    {
    }
    PlatformType platform;
    Calvane app{platform};
    ui::AqWindow aq{app.frmAQ_C3_Curve, platform};
    ui::AciWindow aci{app.frmACi_Curve, platform};
};

// Answers every message box that opens while it lives with OK, keeping the texts.
class MessageBoxWatcher {
public:
    MessageBoxWatcher()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        timer_.start();
    }
    QStringList texts;

private:
    QTimer timer_;
};

// A curve from the test data as the grid takes it from the clipboard: its rows without
// the header line, each ended by CR LF.
inline QString curveRows(const QString& name)
{
    QFile file(QStringLiteral(CALVANE_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    file.readLine();  // header
    QString rows;
    while (!file.atEnd())
        rows += QString::fromUtf8(file.readLine().trimmed()) + "\r\n";
    return rows;
}

}  // namespace calvane::test
