#pragma once
// The headless Platform of calvane-batch: message boxes become lines on standard
// error, questions are answered Yes, dialogs give the answers the command line set.

#include "core/Platform.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace calvane::batch {

class BatchPlatform : public Platform {
public:
    // Messages go to `messages` as they are shown; without a stream they are only kept.
    BatchPlatform(std::ostream& messages, char decimalSeparator)
        : messages_(&messages), decimalSeparator_(decimalSeparator)
    {
    }
    explicit BatchPlatform(char decimalSeparator) : decimalSeparator_(decimalSeparator) {}

    void showError(const std::string& message) override;
    bool askYesNo(const std::string&) override { return true; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return saveFileName; }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions&) override { return openFileName; }
    void runImportDialog(TFrmParseVerdex& dialog) override;
    char decimalSeparator() const override { return decimalSeparator_; }
    std::string clipboardText() override { return clipboard_; }
    void setClipboardText(const std::string& text) override { clipboard_ = text; }

    // A file held in memory (a curve cut from a table), read in place of the disk.
    void serveFile(const std::string& path, std::string bytes);
    bool fileExists(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;

    // What the dialogs answer.
    std::optional<std::string> saveFileName;
    std::optional<std::string> openFileName;
    std::function<void(TFrmParseVerdex&)> importDialogActions;

    int messageCount() const { return static_cast<int>(shown_.size()); }
    // Every message shown, one line each, in order.
    const std::vector<std::string>& messages() const { return shown_; }

private:
    std::ostream* messages_ = nullptr;
    char decimalSeparator_;
    std::string clipboard_;
    std::vector<std::string> shown_;
    std::optional<std::string> servedPath_;
    std::string servedBytes_;
};

}  // namespace calvane::batch
