#include "import/DelimitedText.h"

#include "core/NumberText.h"

#include <algorithm>

namespace calvane {

namespace {

// The CSV reader's blanks: the characters of code 1 to 32.
bool isItemBlank(char c)
{
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

bool isBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), isItemBlank); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

struct Item {
    std::string text;        // trimmed and unquoted
    bool bareComma = false;  // a comma outside its quotes
};

// Reads delimited fields one after another. A field loses the blanks around it, except
// those of its quoted part. In a text of records, line breaks end a record (CR LF
// counts once) and are no blanks; within one line they are blanks like any control
// character.
class FieldReader {
public:
    enum class LineBreaks { EndRecords, AreBlanks };

    FieldReader(std::string_view text, char delimiter, LineBreaks lineBreaks)
        : text_(text), delimiter_(delimiter), records_(lineBreaks == LineBreaks::EndRecords)
    {
    }

    bool atEnd() const { return i_ >= text_.size(); }
    // The line the next field starts on, from 1.
    int line() const { return line_; }
    // Whether the field read last ended its record.
    bool recordEnded() const { return recordEnded_; }

    Item next()
    {
        const std::size_t n = text_.size();
        Item item;
        while (i_ < n && isBlank(text_[i_]))
            ++i_;
        std::size_t keep = 0;  // a quoted part never loses its blanks
        if (i_ < n && text_[i_] == '"') {
            const std::size_t open = i_;
            i_ = readQuoted(text_, open, item.text);
            if (records_)
                countLineBreaks(text_.substr(open, i_ - open));
            keep = item.text.size();
        }
        for (; i_ < n && text_[i_] != delimiter_ && !endsRecord(text_[i_]); ++i_) {
            item.bareComma = item.bareComma || text_[i_] == ',';
            item.text += text_[i_];
        }
        while (item.text.size() > keep && isBlank(item.text.back()))
            item.text.pop_back();

        recordEnded_ = true;
        if (i_ >= n)
            return item;
        if (text_[i_] == delimiter_) {
            ++i_;
            recordEnded_ = false;
            return item;
        }
        const std::size_t lineBreak = i_;
        i_ += text_[i_] == '\r' && i_ + 1 < n && text_[i_ + 1] == '\n' ? 2 : 1;
        countLineBreaks(text_.substr(lineBreak, i_ - lineBreak));
        return item;
    }

private:
    bool endsRecord(char c) const { return records_ && isLineBreak(c); }
    // Not the delimiter itself: a tab-delimited text has empty fields, not blanks.
    bool isBlank(char c) const { return isItemBlank(c) && !endsRecord(c) && c != delimiter_; }
    void countLineBreaks(std::string_view part)
    {
        for (std::size_t k = 0; k < part.size(); ++k)
            if (part[k] == '\n' ? k == 0 || part[k - 1] != '\r' : part[k] == '\r')
                ++line_;
    }

    std::string_view text_;
    char delimiter_;
    bool records_;
    std::size_t i_ = 0;
    int line_ = 1;
    bool recordEnded_ = false;
};

std::vector<Item> cutLine(std::string_view line, char separator)
{
    std::vector<Item> items;
    if (isBlankLine(line))
        return items;
    FieldReader reader(line, separator, FieldReader::LineBreaks::AreBlanks);
    do
        items.push_back(reader.next());
    while (!reader.recordEnded());
    return items;
}

bool separatedBy(const std::vector<std::string>& lines, char separator)
{
    bool found = false;
    for (std::size_t i = lines.size() > 1 ? 1 : 0; i < lines.size(); ++i) {
        if (isBlankLine(lines[i]))
            continue;
        const std::vector<Item> items = cutLine(lines[i], separator);
        if (items.size() < 2) {
            if (items[0].bareComma)
                return false;  // a line cut at commas, or one too short to tell
            continue;          // a lone value says nothing
        }
        for (const auto& item : items)
            if (item.bareComma && !isDecimalCommaNumber(item.text))
                return false;
        found = true;
    }
    return found;
}

}  // namespace

std::size_t readQuoted(std::string_view text, std::size_t open, std::string& into)
{
    const std::size_t n = text.size();
    std::size_t i = open + 1;
    while (i < n) {
        if (text[i] == '"') {
            if (i + 1 < n && text[i + 1] == '"') {
                into += '"';
                i += 2;
                continue;
            }
            return i + 1;
        }
        into += text[i++];
    }
    return i;
}

char detectDelimiter(std::string_view text)
{
    int tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && isLineBreak(c))
            break;
        else if (!quoted && c == '\t')
            ++tabs;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == ',')
            ++commas;
    }
    if (tabs > 0 && tabs >= semicolons && tabs >= commas)
        return '\t';
    if (semicolons > 0 && semicolons >= commas)
        return ';';
    return ',';
}

std::vector<TableRecord> readDelimited(std::string_view text, char delimiter)
{
    std::vector<TableRecord> records;
    FieldReader reader(text, delimiter, FieldReader::LineBreaks::EndRecords);
    while (!reader.atEnd()) {
        TableRecord record;
        record.line = reader.line();
        do
            record.fields.push_back(reader.next().text);
        while (!reader.recordEnded());
        if (std::any_of(record.fields.begin(), record.fields.end(), [](const auto& field) { return !field.empty(); }))
            records.push_back(std::move(record));
    }
    return records;
}

bool isDecimalCommaNumber(std::string_view text)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    for (; i < n && isDigit(text[i]); ++i)
        ++digits;
    if (i >= n || text[i] != ',')
        return false;
    for (++i; i < n && isDigit(text[i]); ++i)
        ++digits;
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        const std::size_t start = i;
        while (i < n && isDigit(text[i]))
            ++i;
        if (i == start)
            return false;
    }
    return i == n;
}

ValueSeparator detectValueSeparator(const std::vector<std::string>& lines)
{
    if (separatedBy(lines, ';'))
        return ValueSeparator::Semicolon;
    if (separatedBy(lines, '\t'))
        return ValueSeparator::Tab;
    return ValueSeparator::Comma;
}

char separatorChar(ValueSeparator separator)
{
    switch (separator) {
    case ValueSeparator::Semicolon:
        return ';';
    case ValueSeparator::Tab:
        return '\t';
    case ValueSeparator::Comma:
        break;
    }
    return ',';
}

std::vector<std::string> separatedItems(std::string_view line, char separator)
{
    std::vector<std::string> items;
    for (auto& item : cutLine(line, separator)) {
        if (isDecimalCommaNumber(item.text))
            std::replace(item.text.begin(), item.text.end(), ',', '.');
        items.push_back(std::move(item.text));
    }
    return items;
}

std::string pasteWithDecimalPoints(std::string_view text)
{
    // Lines as the text parser finds them: in the trimmed text, at CR LF.
    std::vector<std::string> lines;
    std::string_view rest = trimView(text);
    while (!rest.empty()) {
        const auto end = rest.find("\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        rest = rest.substr(end + 2);
    }
    const ValueSeparator separator = detectValueSeparator(lines);
    if (separator == ValueSeparator::Comma)
        return std::string(text);
    std::string pasted;
    for (const auto& line : lines) {
        const auto items = separatedItems(line, separatorChar(separator));
        for (std::size_t k = 0; k < items.size(); ++k)
            pasted += (k == 0 ? "" : "\t") + items[k];
        pasted += "\r\n";
    }
    return pasted;
}

}  // namespace calvane
