#include "core/TextFile.h"

#include "core/Errors.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace calvane {

namespace fs = std::filesystem;

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned ones map to the C1 controls
// of the same number, so that every byte decodes and encodes back to itself.
constexpr std::array<char32_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

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

    std::random_device random;
    const fs::path temporary = target.parent_path() /
                               ("." + target.filename().string() + ".calvane-" + std::to_string(random()) + ".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            throw FileError::cannotCreate(path);
        }
    }
    if (fs::exists(target, error)) {  // the new file keeps the old one's permissions
        const auto permissions = fs::status(target, error).permissions();
        if (!error)
            fs::permissions(temporary, permissions, error);
    }
    fs::rename(temporary, target, error);
    if (error) {
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
