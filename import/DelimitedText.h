#pragma once
// Delimited text. The one reader of quoted, delimited fields (CSV quoting), for tables
// of records with a header line and for single lines alike. And text whose author
// separated the values with semicolons or tabs, as a spreadsheet saves it where the
// comma is the decimal separator: such text is cut at its own separator, and its
// numbers are handed on with '.', the one decimal separator the rest of Calvane reads.

#include <string>
#include <string_view>
#include <vector>

namespace calvane {

// A quoted part as CSV writes it, from the '"' at `open` to the next '"' that is not
// doubled ("" stands for one), appended to `into` without its quotes. Returns the
// position after the closing quote, or the end of the text when there is none.
std::size_t readQuoted(std::string_view text, std::size_t open, std::string& into);

// One record of a delimited text: its fields and the line it starts on (from 1).
struct TableRecord {
    int line = 0;
    std::vector<std::string> fields;
};

// The delimiter of a table: of tab, ';' and ',', the one found most often outside
// quotes in the first line (tab before ';' before ',' on a tie; ',' when none is).
char detectDelimiter(std::string_view text);

// Cuts a text into records. Quoting as in CSV: a field that starts with '"' runs to
// the next undoubled '"' ("" stands for one) and may hold delimiters and line breaks;
// blanks around an unquoted field are not part of it. Lines end at CR LF, LF or CR;
// blank lines and lines of empty fields give no record.
std::vector<TableRecord> readDelimited(std::string_view text, char delimiter);

// How the values of a text are separated. Comma covers every text that is neither
// of the others, and is read exactly as the CSV reader always read it.
enum class ValueSeparator { Comma, Semicolon, Tab };

// The separator of a text's lines, judged by the lines after the first (a header
// line of any kind), or by the only line of a one-line text. Semicolon, or failing
// that tab, when some of these lines hold it outside quotes, every one that does not
// holds no comma outside quotes either, and every comma outside quotes lies within an
// item (cut at that separator) that is a number written with a decimal comma. Comma
// otherwise.
ValueSeparator detectValueSeparator(const std::vector<std::string>& lines);

// The separator's character: ';' or '\t' (',' for Comma).
char separatorChar(ValueSeparator separator);

// Cuts one line of semicolon- or tab-separated text at every `separator` outside
// quotes. Each item loses the blanks around it (codes 1 to 32), is unquoted as in CSV
// (a leading '"' runs to the next undoubled '"', "" standing for one), and when it is
// a number written with a decimal comma, the comma becomes '.'. A blank line has no
// items.
std::vector<std::string> separatedItems(std::string_view line, char separator);

// True for a number written with a decimal comma: an optional sign, digits, one
// comma, digits (at least one digit in all), then an optional exponent.
bool isDecimalCommaNumber(std::string_view text);

// A paste (lines end at CR LF) made ready for the text parser: semicolon- or
// tab-separated text becomes tab-separated items with decimal points; any other text
// comes back exactly as it was.
std::string pasteWithDecimalPoints(std::string_view text);

}  // namespace calvane
