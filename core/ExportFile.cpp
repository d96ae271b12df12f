#include "core/ExportFile.h"

#include "core/TextFile.h"

namespace calvane {

void writeExportFile(Platform& platform, const std::string& path, const std::vector<std::string>& lines)
{
    platform.writeFile(path, linesToFileBytes(lines));
}

bool runExportCommand(Platform& platform, SaveDialog& dialog, const std::string& identifier,
                      const std::function<std::vector<std::string>()>& buildLines)
{
    dialog.options.title = "Save Results for: " + identifier;
    const auto chosen = platform.chooseSaveFile(dialog.options);
    if (!chosen || chosen->empty())
        return false;
    const std::string path = withDefaultExtension(*chosen, dialog.options.defaultExtension);
    dialog.options.initialName = path;
    if (platform.fileExists(path) && !platform.askYesNo("Overwrite existing file " + path + "?"))
        return false;
    writeExportFile(platform, path, buildLines());
    return true;
}

}  // namespace calvane
