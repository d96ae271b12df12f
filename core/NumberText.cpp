#include "core/NumberText.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace calvane {

std::string_view trimView(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string trim(std::string_view text) { return std::string(trimView(text)); }

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The parts of a syntactically valid number, with the separator taken out.
struct NumberParts {
    bool negative = false;
    std::string integerDigits;
    std::string fractionDigits;
    bool exponentNegative = false;
    std::string exponentDigits;
};

std::optional<NumberParts> splitNumber(std::string_view s, char separator)
{
    NumberParts parts;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        parts.negative = s[i++] == '-';
    while (i < s.size() && isDigit(s[i]))
        parts.integerDigits += s[i++];
    bool hasSeparator = false;
    if (i < s.size() && s[i] == separator) {
        hasSeparator = true;
        ++i;
        while (i < s.size() && isDigit(s[i]))
            parts.fractionDigits += s[i++];
    }
    if (parts.integerDigits.empty() && parts.fractionDigits.empty() && !hasSeparator)
        return std::nullopt;  // an empty text or a lone sign
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            parts.exponentNegative = s[i++] == '-';
        while (i < s.size() && isDigit(s[i]))
            parts.exponentDigits += s[i++];
        if (parts.exponentDigits.empty())
            return std::nullopt;
    }
    if (i != s.size())
        return std::nullopt;
    return parts;
}

// The decimal order of magnitude of a non-zero value, value = 0.d1d2... * 10^order,
// and its significant digits d1d2... without trailing zeros; nothing for zero.
struct DecimalOrder {
    long long order;
    std::string digits;
};

std::optional<DecimalOrder> decimalOrder(const NumberParts& parts)
{
    const std::string digits = parts.integerDigits + parts.fractionDigits;
    const auto firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos)
        return std::nullopt;
    long long order = static_cast<long long>(parts.integerDigits.size()) - static_cast<long long>(firstNonZero);
    long long exponent = 0;
    for (char c : parts.exponentDigits) {
        exponent = exponent * 10 + (c - '0');
        if (exponent > 1'000'000'000LL)
            break;  // far beyond any range; the sign decides
    }
    order += parts.exponentNegative ? -exponent : exponent;
    return DecimalOrder{order, digits.substr(firstNonZero, digits.find_last_not_of('0') + 1 - firstNonZero)};
}

// Whether a value too large or too small for from_chars lies above the double range
// (true) or below it (false).
bool isOverflow(const NumberParts& parts)
{
    const auto order = decimalOrder(parts);
    return order && order->order > 0;
}

// The largest double written with 15 digits, 1.79769313486232E308, lies just beyond
// the double range. A magnitude up to it reads as the largest double, so that every
// number Calvane writes reads back.
bool isWrittenMaximum(const NumberParts& parts)
{
    const auto order = decimalOrder(parts);
    if (!order || order->order != 309)
        return false;
    std::string digits = order->digits;
    std::string largest = "179769313486232";
    const std::size_t length = std::max(digits.size(), largest.size());
    digits.resize(length, '0');
    largest.resize(length, '0');
    return digits <= largest;
}

}  // namespace

std::optional<double> readNumber(std::string_view text, char decimalSeparator)
{
    const auto parts = splitNumber(trimView(text), decimalSeparator);
    if (!parts)
        return std::nullopt;

    std::string normal = parts->negative ? "-" : "";
    normal += parts->integerDigits.empty() ? "0" : parts->integerDigits;
    normal += '.';
    normal += parts->fractionDigits.empty() ? "0" : parts->fractionDigits;
    if (!parts->exponentDigits.empty()) {
        normal += parts->exponentNegative ? "e-" : "e";
        normal += parts->exponentDigits;
    }

    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc() && result.ptr == normal.data() + normal.size())
        return value == 0 ? 0.0 : value;  // a typed -0 reads as 0
    if (result.ec == std::errc::result_out_of_range && !isOverflow(*parts))
        return 0.0;  // below the smallest double: it reads as 0
    if (result.ec == std::errc::result_out_of_range && isWrittenMaximum(*parts))
        return parts->negative ? -DBL_MAX : DBL_MAX;
    return std::nullopt;
}

double readNumberOr0(std::string_view text, char decimalSeparator)
{
    return readNumber(text, decimalSeparator).value_or(0.0);
}

namespace {

constexpr int significantDigits = 15;

// The decimal digits of |value| rounded half away from zero to 15 significant
// digits, and the decimal exponent of the first one: value ~ d.dddd * 10^exponent.
struct RoundedDigits {
    std::string digits;  // exactly 15 digits, the first one non-zero
    int exponent = 0;
};

// |value| printed exactly enough to decide the rounding: "d.ddd...e[+-]x".
std::string printScientific(long double magnitude, int precision)
{
    std::vector<char> buffer(static_cast<std::size_t>(precision) + 32);
    int length = std::snprintf(buffer.data(), buffer.size(), "%.*Le", precision, magnitude);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

RoundedDigits roundTo15(long double magnitude)
{
    // 40 digits after the first decide the rounding unless they read as an exact
    // half, which the printing itself may have rounded to; then print every digit of
    // the exact binary value (a long double has at most ~16500 of them).
    constexpr int probeDigits = 40;
    std::string printed = printScientific(magnitude, probeDigits);
    auto mantissaDigits = [](const std::string& text) {
        std::string digits;
        for (char c : text.substr(0, text.find('e')))
            if (isDigit(c))
                digits += c;
        return digits;
    };
    std::string digits = mantissaDigits(printed);
    std::string tail = digits.substr(significantDigits);
    if (tail.find_first_not_of('0', 1) == std::string::npos && tail[0] == '5') {
        printed = printScientific(magnitude, 17000);
        digits = mantissaDigits(printed);
        tail = digits.substr(significantDigits);
    }
    int exponent = std::stoi(printed.substr(printed.find('e') + 1));

    RoundedDigits rounded{digits.substr(0, significantDigits), exponent};
    if (tail[0] >= '5') {  // half or more: away from zero
        int i = significantDigits - 1;
        while (i >= 0 && rounded.digits[i] == '9')
            rounded.digits[i--] = '0';
        if (i >= 0) {
            ++rounded.digits[i];
        } else {
            rounded.digits.insert(rounded.digits.begin(), '1');
            rounded.digits.pop_back();
            ++rounded.exponent;
        }
    }
    return rounded;
}

}  // namespace

std::string formatNumber(long double value, char decimalSeparator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";

    const RoundedDigits rounded = roundTo15(std::fabs(value));
    std::string digits = rounded.digits;
    digits.erase(digits.find_last_not_of('0') + 1);  // the first digit is never 0

    std::string text = value < 0 ? "-" : "";
    const int e = rounded.exponent;
    if (e >= -4 && e < 15) {
        if (e < 0) {
            text += '0';
            text += decimalSeparator;
            text.append(static_cast<std::size_t>(-e - 1), '0');
            text += digits;
        } else {
            const auto integerLength = static_cast<std::size_t>(e) + 1;
            if (digits.size() <= integerLength) {
                text += digits;
                text.append(integerLength - digits.size(), '0');
            } else {
                text += digits.substr(0, integerLength);
                text += decimalSeparator;
                text += digits.substr(integerLength);
            }
        }
    } else {
        text += digits[0];
        if (digits.size() > 1) {
            text += decimalSeparator;
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(e);
    }
    return text;
}

std::optional<int> readWholeNumber(std::string_view text)
{
    const std::string_view s = trimView(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    if (i == s.size())
        return std::nullopt;
    long long value = 0;
    for (; i < s.size(); ++i) {
        if (!isDigit(s[i]))
            return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL || value < -2147483648LL)
        return std::nullopt;
    return static_cast<int>(value);
}

std::string formatRounded(double value, int digits)
{
    if (value == 0 || !std::isfinite(value))
        return formatNumber(value, '.');
    const double scale = std::pow(10.0, digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(value)))));
    return formatNumber(std::round(value * scale) / scale, '.');
}

int significantPlace(double value, int digits)
{
    const auto placeOf = [digits](double v) {
        return digits - 1 - static_cast<int>(std::floor(std::log10(std::fabs(v))));
    };
    const int place = placeOf(value);
    const double scale = std::pow(10.0, place);
    // Rounding may carry into a new leading digit (9.96 to 10), which moves the place.
    return placeOf(std::round(value * scale) / scale);
}

std::string formatToPlace(double value, int decimals)
{
    if (!std::isfinite(value))
        return formatNumber(value, '.');
    const double rounded = decimals >= 0 ? std::round(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals)
                                         : std::round(value / std::pow(10.0, -decimals)) * std::pow(10.0, -decimals);
    std::string text = formatNumber(rounded, '.');
    if (decimals <= 0 || text.find('E') != std::string::npos)
        return text;
    std::size_t point = text.find('.');
    if (point == std::string::npos) {
        point = text.size();
        text += '.';
    }
    const std::size_t have = text.size() - point - 1;
    if (have < static_cast<std::size_t>(decimals))
        text.append(static_cast<std::size_t>(decimals) - have, '0');
    return text;
}

std::string formatSignificant(double value, int digits)
{
    if (!std::isfinite(value))
        return formatNumber(value, '.');
    if (value == 0)
        return formatToPlace(0, digits - 1);
    return formatToPlace(value, significantPlace(value, digits));
}

}  // namespace calvane
