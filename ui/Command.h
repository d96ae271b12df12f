#pragma once
// The application's general error display: every menu item, button, check box, key
// and mouse handler of the desktop program runs its command through runCommand, which
// shows the text of any error that leaves the command in a message box. Whatever the
// command wrote before the error stays written.

#include <functional>

namespace calvane {
class Platform;
}

namespace calvane::ui {

void runCommand(Platform& platform, const std::function<void()>& command);

}  // namespace calvane::ui
