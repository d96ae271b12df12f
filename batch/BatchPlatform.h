#pragma once
// The headless Platform of calvane-batch: message boxes become lines on standard
// error, questions are answered Yes, dialogs give the answers the command line set.

#include "core/Platform.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace calvane::batch {

class BatchPlatform : public Platform {
public:
    BatchPlatform(std::ostream& messages, char decimalSeparator)
        : messages_(messages), decimalSeparator_(decimalSeparator) {}

    void showError(const std::string& message) override;
    bool askYesNo(const std::string&) override { return true; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return saveFileName; }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions&) override { return openFileName; }
    void runImportDialog(TFrmParseVerdex& dialog) override;
    char decimalSeparator() const override { return decimalSeparator_; }
    std::string clipboardText() override { return clipboard_; }
    void setClipboardText(const std::string& text) override { clipboard_ = text; }

    // What the dialogs answer.
    std::optional<std::string> saveFileName;
    std::optional<std::string> openFileName;
    std::function<void(TFrmParseVerdex&)> importDialogActions;

    int messageCount() const { return messageCount_; }

private:
    std::ostream& messages_;
    char decimalSeparator_;
    std::string clipboard_;
    int messageCount_ = 0;
};

// The decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG).
char localeDecimalSeparator();

}  // namespace calvane::batch
