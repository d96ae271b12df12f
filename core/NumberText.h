#pragma once
// The one reader and the one writer of numbers in text, used by every field,
// grid cell and output line. Both take the platform's decimal separator, which is '.'
// in every locale.

#include <optional>
#include <string>
#include <string_view>

namespace calvane {

// True for the characters that trimming removes: code 32 or less.
constexpr bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Removes the characters of code 32 or less from both ends.
std::string trim(std::string_view text);
std::string_view trimView(std::string_view text);

// Reads a number: blanks around it are ignored; then an optional sign, digits with at
// most one decimal separator (a lone separator reads as 0) and an optional exponent
// (E or e, an optional sign, at least one digit). Anything else, or a value beyond
// the range of a double, is not a number; a value beyond the largest double but not
// beyond 1.79769313486232E308 (that double written with 15 digits) reads as the
// largest double.
std::optional<double> readNumber(std::string_view text, char decimalSeparator);

// As readNumber, with 0 for a text that is not a number.
double readNumberOr0(std::string_view text, char decimalSeparator);

// Writes a number the default way: rounded half away from zero to 15 significant
// digits (on the exact binary value), trailing zeros and a trailing separator
// dropped, fixed notation for 0 and 1E-4 <= |v| < 1E15, otherwise one digit, the
// separator, "E" and the exponent (1E-5, 1E15, -2.5E-7). Minus zero is written 0.
std::string formatNumber(long double value, char decimalSeparator);

// A number for a sentence: rounded to `digits` significant digits, then written the
// default way with '.' ("Vcmax 57.56").
std::string formatRounded(double value, int digits);

// A number for a person to read: rounded to `decimals` places after the point (a
// negative count rounds to tens, hundreds, ...) and written the default way with '.',
// with the trailing zeros of those places kept ("1.40" for 1.4 at 2).
std::string formatToPlace(double value, int decimals);

// The same, rounded to `digits` significant digits ("0.0700" for 0.069996 at 3).
std::string formatSignificant(double value, int digits);

// The place of the last of `digits` significant digits of a finite, non-zero value
// after it is rounded there: 1 for 1.41 at 2, -1 for 141 at 2, 1 for 9.96 at 2 (10).
int significantPlace(double value, int digits);

// A whole number in decimal (the import dialog's number fields).
std::optional<int> readWholeNumber(std::string_view text);

}  // namespace calvane
