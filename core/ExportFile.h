#pragma once
// The results export that both analysis windows share: save dialog, overwrite
// question, then the lines written as Windows-1252 with CR LF after every line.

#include "core/Platform.h"

#include <functional>
#include <string>
#include <vector>

namespace calvane {

// A save dialog that lives as long as its window and proposes the last chosen path.
struct SaveDialog {
    FileDialogOptions options;
};

// Writes `lines` to `path` (Windows-1252, CR LF after every line) through
// Platform::writeFile.
void writeExportFile(Platform& platform, const std::string& path, const std::vector<std::string>& lines);

// The whole export command: title "Save Results for: " + identifier, the save dialog,
// the default extension, "Overwrite existing file <path>?", then the lines.
// Returns false when the user cancelled or declined.
bool runExportCommand(Platform& platform, SaveDialog& dialog, const std::string& identifier,
                      const std::function<std::vector<std::string>()>& buildLines);

}  // namespace calvane
