#include "core/NumberText.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

using namespace calvane;

namespace {
std::optional<double> read(const char* text, char separator = '.') { return readNumber(text, separator); }
std::string write(long double value, char separator = '.') { return formatNumber(value, separator); }
}  // namespace

TEST(ReadNumber, AcceptsSignDigitsSeparatorAndExponentWithBlanksAround)
{
    EXPECT_EQ(read(" 1.5 "), 1.5);
    EXPECT_EQ(read("\t2\r\n"), 2.0);
    EXPECT_EQ(read("\x01\x1f"
                   "7\x7f"),
              std::nullopt);  // 127 is not a blank
    EXPECT_EQ(read("+3"), 3.0);
    EXPECT_EQ(read("-3.25"), -3.25);
    EXPECT_EQ(read("5."), 5.0);
    EXPECT_EQ(read(".5"), 0.5);
    EXPECT_EQ(read("00012"), 12.0);
    EXPECT_EQ(read("1e5"), 1e5);
    EXPECT_EQ(read("1E+05"), 1e5);
    EXPECT_EQ(read("2.5e-7"), 2.5e-7);
    EXPECT_EQ(read(".e3"), 0.0);
}

TEST(ReadNumber, LoneSeparatorIsZeroAndMinusZeroReadsAsZero)
{
    EXPECT_EQ(read("."), 0.0);
    EXPECT_EQ(read("-."), 0.0);
    const auto minusZero = read("-0");
    ASSERT_TRUE(minusZero);
    EXPECT_FALSE(std::signbit(*minusZero));
}

TEST(ReadNumber, RejectsEverythingElse)
{
    for (const char* text : {"", "   ", "+", "-", "e5", "1e", "1e+", "1.2.3", "1 2", "0x10", "inf", "nan", "1,5", "abc",
                             "12abc", "--1", "1e5.0", "1d5"})
        EXPECT_EQ(read(text), std::nullopt) << '"' << text << '"';
}

TEST(ReadNumber, UsesTheGivenDecimalSeparator)
{
    EXPECT_EQ(read("1,5", ','), 1.5);
    EXPECT_EQ(read("1.5", ','), std::nullopt);
    EXPECT_EQ(read(",", ','), 0.0);
}

TEST(ReadNumber, ValuesBeyondTheDoubleRangeAreNotNumbersButTinyOnesReadAsZero)
{
    EXPECT_EQ(read("1e400"), std::nullopt);
    EXPECT_EQ(read("-1e400"), std::nullopt);
    EXPECT_EQ(read("1.8e308"), std::nullopt);
    EXPECT_EQ(read("1e99999999999999999999"), std::nullopt);
    EXPECT_EQ(read("1.7976931348623157e308"), DBL_MAX);
    EXPECT_EQ(read("4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(read("1e-400"), 0.0);
    EXPECT_EQ(read("0e99999"), 0.0);
    EXPECT_EQ(read("1e0000000000000000000005"), 1e5);
}

TEST(ReadNumber, Or0GivesZeroForText)
{
    EXPECT_EQ(readNumberOr0("abc", '.'), 0.0);
    EXPECT_EQ(readNumberOr0("", '.'), 0.0);
    EXPECT_EQ(readNumberOr0(" 4 ", '.'), 4.0);
}

TEST(FormatNumber, FixedNotationDropsTrailingZerosAndSeparator)
{
    EXPECT_EQ(write(0), "0");
    EXPECT_EQ(write(-0.0), "0");
    EXPECT_EQ(write(0.5), "0.5");
    EXPECT_EQ(write(3.0), "3");
    EXPECT_EQ(write(-20), "-20");
    EXPECT_EQ(write(0.1), "0.1");
    EXPECT_EQ(write(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(write(2.0 / 3.0), "0.666666666666667");
    EXPECT_EQ(write(0.0001), "0.0001");
    EXPECT_EQ(write(123456789012345.0), "123456789012345");
    EXPECT_EQ(write(1e14), "100000000000000");
    EXPECT_EQ(write(1234.5, ','), "1234,5");
}

TEST(FormatNumber, ScientificNotationOutsideTheFixedRange)
{
    EXPECT_EQ(write(0.00001), "1E-5");
    EXPECT_EQ(write(1e15), "1E15");
    EXPECT_EQ(write(-2.5e-7), "-2.5E-7");
    EXPECT_EQ(write(1e100), "1E100");
    EXPECT_EQ(write(-1.25e-300, ','), "-1,25E-300");
    EXPECT_EQ(write(DBL_MAX), "1.79769313486232E308");
    EXPECT_EQ(write(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324");
    EXPECT_EQ(write(0.000099999), "9.9999E-5");
}

TEST(FormatNumber, NotationIsChosenOnTheRoundedValue)
{
    EXPECT_EQ(write(999999999999999.9), "1E15");
    EXPECT_EQ(write(0.0000999999999999999999L), "0.0001");
    EXPECT_EQ(write(99999.99999999999), "100000");
}

TEST(FormatNumber, RoundsHalfAwayFromZeroOnTheExactBinaryValue)
{
    // Exactly representable halves at the 16th digit go away from zero (not to even).
    EXPECT_EQ(write(100000000000000.5), "100000000000001");
    EXPECT_EQ(write(-100000000000000.5), "-100000000000001");
    EXPECT_EQ(write(100000000000002.5), "100000000000003");
    // Just below a half: a 17-digit decimal rounding would see ...0.50 and go up.
    EXPECT_EQ(write(100000000000000.5L - 1.0L / 131072), "100000000000000");
    EXPECT_EQ(write(100000000000000.5L + 1.0L / 131072), "100000000000001");
    // The double nearest 1.0000000000000005 lies below the half.
    EXPECT_EQ(write(1.0000000000000005), "1");
    // A long double keeps digits that a double would lose.
    EXPECT_EQ(write(0.1L), "0.1");
    EXPECT_EQ(write(1.0L / 3.0L), "0.333333333333333");
}

TEST(FormatNumber, RoundTripsFifteenDigitValues)
{
    for (double value : {406.692603857, 0.000123456789012345, 32.2088, 1044.0, -1.46, 6.571829})
        EXPECT_EQ(readNumber(write(value), '.'), std::stod(write(value))) << value;
    EXPECT_EQ(write(406.6926), "406.6926");
}

TEST(FormatNumber, NonFiniteValuesAreNamed)
{
    EXPECT_EQ(write(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(write(-std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(write(std::nan("")), "NAN");
}

TEST(Trim, RemovesCodes32AndBelowFromBothEnds)
{
    EXPECT_EQ(trim(" \t\r\n a b \x01"), "a b");
    EXPECT_EQ(trim("\x1f"), "");
    EXPECT_EQ(trim("\xc2\xb5"), "\xc2\xb5");  // multi-byte characters are kept whole
}

TEST(ReadWholeNumber, AcceptsOnlyWholeNumbersInRange)
{
    EXPECT_EQ(readWholeNumber(" 12 "), 12);
    EXPECT_EQ(readWholeNumber("+5"), 5);
    EXPECT_EQ(readWholeNumber("-3"), -3);
    EXPECT_EQ(readWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(readWholeNumber("-2147483648"), -2147483647 - 1);
    for (const char* text : {"", "-", "1.0", "2147483648", "12a", "1e2", "99999999999999999999"})
        EXPECT_EQ(readWholeNumber(text), std::nullopt) << text;
}
