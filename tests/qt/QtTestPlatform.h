#pragma once
// A Platform for Qt tests that drive a window's state: no dialogs, no clipboard, every
// question answered No.

#include "core/Platform.h"

#include <string>

namespace calvane::test {

class QuietPlatform : public Platform {
public:
    void showError(const std::string& message) override { lastError = message; }
    bool askYesNo(const std::string&) override { return false; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions&) override { return std::nullopt; }
    void runImportDialog(TFrmParseVerdex&) override {}
    char decimalSeparator() const override { return '.'; }
    std::string clipboardText() override { return {}; }
    void setClipboardText(const std::string&) override {}

    std::string lastError;
};

}  // namespace calvane::test
