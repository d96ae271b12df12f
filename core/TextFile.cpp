#include "core/TextFile.h"

#include "core/Errors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace calvane {

namespace fs = std::filesystem;

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned ones map to the C1 controls
// of the same number, so that every byte decodes and encodes back to itself.
constexpr std::array<char32_t, 32> cp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; returns its length, or 0 when it is not valid
// (truncated, overlong, a surrogate or beyond U+10FFFF).
std::size_t decodeUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    std::size_t length;
    char32_t minimum;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// UTF-16 with a byte-order mark, as spreadsheet programs save "Unicode text": the
// code units read in the mark's byte order; a broken surrogate pair or an odd last
// byte becomes U+FFFD.
std::optional<std::string> decodeUtf16(std::string_view bytes)
{
    bool littleEndian;
    if (bytes.substr(0, 2) == "\xFF\xFE")
        littleEndian = true;
    else if (bytes.substr(0, 2) == "\xFE\xFF")
        littleEndian = false;
    else
        return std::nullopt;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return littleEndian ? char32_t(a | (b << 8)) : char32_t((a << 8) | b);
    };
    std::string text;
    text.reserve(bytes.size());
    std::size_t i = 2;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(text, cp);
    }
    if (i < bytes.size())
        appendUtf8(text, 0xFFFD);
    return text;
}

}  // namespace

bool isValidUtf8(std::string_view bytes)
{
    char32_t cp;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = decodeUtf8(bytes, i, cp);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string decodeText(std::string_view bytes)
{
    if (auto text = decodeUtf16(bytes))
        return std::move(*text);
    if (isValidUtf8(bytes)) {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
            bytes.remove_prefix(3);
        return std::string(bytes);
    }
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        appendUtf8(text, b >= 0x80 && b < 0xA0 ? cp1252High[b - 0x80] : char32_t(b));
    }
    return text;
}

std::string encodeWindows1252(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    char32_t cp;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = decodeUtf8(text, i, cp);
        if (length == 0) {  // not UTF-8 after all: keep the byte as it is
            bytes += text[i++];
            continue;
        }
        i += length;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            bytes += static_cast<char>(cp);
            continue;
        }
        char encoded = '?';
        for (std::size_t k = 0; k < cp1252High.size(); ++k)
            if (cp1252High[k] == cp)
                encoded = static_cast<char>(0x80 + k);
        bytes += encoded;
    }
    return bytes;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string linesToFileBytes(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return encodeWindows1252(text);
}

bool isExistingFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::exists(path, error) && !fs::is_directory(path, error);
}

std::optional<std::string> readFileBytes(const std::string& path)
{
    std::error_code error;
    if (path.empty() || fs::is_directory(path, error))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return std::nullopt;
    return std::move(content).str();
}

namespace {

FileWriteHooks& fileWriteHooks()
{
    static FileWriteHooks hooks;
    return hooks;
}

long writeSome(int fd, const char* data, std::size_t size)
{
    const auto& hook = fileWriteHooks().write;
    return hook ? hook(fd, data, size) : ::write(fd, data, size);
}

int renameFile(const char* from, const char* to)
{
    const auto& hook = fileWriteHooks().rename;
    return hook ? hook(from, to) : ::rename(from, to);
}

// Writes every byte, going on after a short write or an interruption.
bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long written = writeSome(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// A device or a pipe cannot be replaced by a renamed file (that would put a plain file
// in the device's place): its bytes go straight to it.
void writeToSpecialFile(const fs::path& target, const std::string& path, const std::string& bytes)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        throw FileError::cannotCreate(path);
    const bool written = writeAll(fd, bytes);
    if (::close(fd) != 0 || !written)
        throw FileError::cannotCreate(path);
}

}  // namespace

void setFileWriteHooks(FileWriteHooks hooks) { fileWriteHooks() = std::move(hooks); }

void replaceFileContents(const std::string& path, const std::string& bytes)
{
    std::error_code error;
    fs::path target(path);
    if (path.empty() || fs::is_directory(target, error))
        throw FileError::cannotCreate(path);
    if (fs::is_symlink(target, error)) {  // replace what the link points to, keep the link
        const fs::path resolved = fs::canonical(target, error);
        if (!error)
            target = resolved;
    }
    const fs::file_status existing = fs::status(target, error);
    if (fs::exists(existing) && !fs::is_regular_file(existing)) {
        writeToSpecialFile(target, path, bytes);
        return;
    }

    // The temporary file is created afresh (never an existing one) with the usual
    // permissions for a new file.
    std::random_device random;
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target.parent_path() /
                    ("." + target.filename().string() + ".calvane-" + std::to_string(random()) + ".tmp");
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        throw FileError::cannotCreate(path);

    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (written && fs::exists(existing))  // the new file keeps the old one's permissions
        (void)::fchmod(fd, static_cast<mode_t>(existing.permissions() & fs::perms::mask));
    written = ::close(fd) == 0 && written;
    if (!written || renameFile(temporary.c_str(), target.c_str()) != 0) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw FileError::cannotCreate(path);
    }
}

std::string withDefaultExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty() || path.empty())
        return path;
    const fs::path p(path);
    if (p.has_extension() || path.back() == '/')
        return path;
    return path + "." + extension;
}

}  // namespace calvane
