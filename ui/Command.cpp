#include "ui/Command.h"

#include "core/Errors.h"
#include "core/Platform.h"

#include <exception>

namespace calvane::ui {

void runCommand(Platform& platform, const std::function<void()>& command)
{
    try {
        command();
    } catch (const Cancelled&) {
        // The user stopped it and the command has put back what it changed: nothing to say.
    } catch (const std::exception& error) {
        platform.showError(error.what());
    } catch (...) {
        // Nothing the windows throw gets here; an error from elsewhere must still not
        // end the program through the event loop.
        platform.showError("Unknown error");
    }
}

}  // namespace calvane::ui
