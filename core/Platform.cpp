#include "core/Platform.h"

#include "core/TextFile.h"

namespace calvane {

bool Platform::fileExists(const std::string& path) { return isExistingFile(path); }

std::optional<std::string> Platform::readFile(const std::string& path) { return readFileBytes(path); }

void Platform::runLongTask(const std::function<void(const UiPost& post)>& work)
{
    work([](const std::function<void()>& job) { job(); });
}

void Platform::writeFile(const std::string& path, const std::string& bytes) { replaceFileContents(path, bytes); }

}  // namespace calvane
