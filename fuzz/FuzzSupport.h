#pragma once
// What the fuzz targets share: a Platform that keeps its files in memory and answers
// every dialog with Cancel, the fuzzer's bytes cut into lines, and a check that stops
// the run (so the fuzzer records the input) when a property does not hold.

#include "core/Errors.h"
#include "core/Platform.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace calvane::fuzz {

class MemoryPlatform : public Platform {
public:
    explicit MemoryPlatform(char separator = '.') : separator_(separator) {}

    void showError(const std::string& message) override { errors.push_back(message); }
    bool askYesNo(const std::string&) override { return true; }
    std::optional<std::string> chooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> chooseOpenFile(const FileDialogOptions&) override { return std::nullopt; }
    void runImportDialog(TFrmParseVerdex& dialog) override
    {
        if (importDialogScript)
            importDialogScript(dialog);
    }
    char decimalSeparator() const override { return separator_; }
    std::string clipboardText() override { return clipboard; }
    void setClipboardText(const std::string& text) override { clipboard = text; }

    bool fileExists(const std::string& path) override { return files.count(path) != 0; }
    std::optional<std::string> readFile(const std::string& path) override
    {
        const auto found = files.find(path);
        if (found == files.end())
            return std::nullopt;
        return found->second;
    }
    void writeFile(const std::string& path, const std::string& bytes) override { files[path] = bytes; }

    std::map<std::string, std::string> files;
    std::vector<std::string> errors;
    std::string clipboard;
    std::function<void(TFrmParseVerdex&)> importDialogScript;  // what the user does in the dialog

private:
    char separator_;
};

inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// The text cut at every LF; the last piece is kept even when empty.
inline std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> result;
    for (;;) {
        const auto lf = text.find('\n');
        result.push_back(text.substr(0, lf));
        if (lf == std::string_view::npos)
            return result;
        text.remove_prefix(lf + 1);
    }
}

// The application's general error display: a command that ends with one of Calvane's
// errors shows its message and the program goes on. Any other exception is a finding.
template <typename Command>
void runCommand(Platform& platform, const Command& command)
{
    try {
        command();
    } catch (const CalvaneError& error) {
        platform.showError(error.what());
    }
}

[[noreturn]] inline void fail(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

}  // namespace calvane::fuzz

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::calvane::fuzz::fail(#condition, __FILE__, __LINE__))
