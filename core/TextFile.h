#pragma once
// Text as it comes from files and goes to them. Inside Calvane every text is UTF-8;
// files are read as UTF-16 when they begin with its byte-order mark, as UTF-8 when
// their bytes are valid UTF-8 (a byte-order mark is skipped) and as Windows-1252
// otherwise, and written as Windows-1252.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

bool isValidUtf8(std::string_view bytes);

// File bytes to UTF-8 text.
std::string decodeText(std::string_view bytes);

// UTF-8 text to Windows-1252 bytes; a character that has no byte there becomes '?'.
std::string encodeWindows1252(std::string_view text);

// Cuts a text into lines ending at CR LF, a lone LF or a lone CR. A line break at the
// very end adds no line; blank lines count.
std::vector<std::string> splitLines(std::string_view text);

// The lines as Windows-1252 bytes, each followed by CR LF (the last one too).
std::string linesToFileBytes(const std::vector<std::string>& lines);

// The local file system, used by Platform's default file operations.
bool isExistingFile(const std::string& path);
std::optional<std::string> readFileBytes(const std::string& path);
// Replaces the file's content through a temporary file in the same folder, renamed
// over it only once every byte is on disk, so that a failure leaves an earlier file as
// it was and no temporary file behind. A path naming something other than a regular
// file (a device such as /dev/null, a pipe) is written straight to, never replaced.
// Raises FileError "Cannot create file <path>" on failure.
void replaceFileContents(const std::string& path, const std::string& bytes);

// The system calls replaceFileContents writes and renames with, replaceable so that
// tests can make a write stop after some bytes or a rename fail. Each returns what the
// system call returns and sets errno like it. An empty function stands for the system
// call; setFileWriteHooks({}) restores both.
struct FileWriteHooks {
    std::function<long(int fd, const char* data, std::size_t size)> write;
    std::function<int(const char* from, const char* to)> rename;
};
void setFileWriteHooks(FileWriteHooks hooks);

// The path with ".<extension>" added when its file name has no extension.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace calvane
