#include "batch/BatchPlatform.h"

#include <ostream>
#include <string>
#include <utility>

namespace calvane::batch {

void BatchPlatform::showError(const std::string& message)
{
    // One line per message: a message box's own line breaks become spaces.
    std::string line = message;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    shown_.push_back(line);
    if (messages_)
        *messages_ << line << '\n' << std::flush;
}

void BatchPlatform::runImportDialog(TFrmParseVerdex& dialog)
{
    if (importDialogActions)
        importDialogActions(dialog);
}

void BatchPlatform::serveFile(const std::string& path, std::string bytes)
{
    servedPath_ = path;
    servedBytes_ = std::move(bytes);
}

bool BatchPlatform::fileExists(const std::string& path) { return path == servedPath_ || Platform::fileExists(path); }

std::optional<std::string> BatchPlatform::readFile(const std::string& path)
{
    if (path == servedPath_)
        return servedBytes_;
    return Platform::readFile(path);
}

}  // namespace calvane::batch
