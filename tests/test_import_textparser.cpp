#include "import/TextParser.h"

#include <gtest/gtest.h>

using namespace calvane;

namespace {
TTextParser parse(const std::string& text, char separator = '.') { return TTextParser(text, "\r\n", separator); }
}  // namespace

TEST(TextParser, CutsLinesDropsBlankOnesAndKeepsTheSpaceAfterAField)
{
    const auto parser = parse("Ci A\r\n100 5.2\r\n\r\n  200\t7.1  \r\n");
    ASSERT_EQ(parser.LineCount(), 3);
    EXPECT_EQ(parser.GetLine(0), "Ci A");
    EXPECT_EQ(parser.GetLine(1), "100 5.2");
    EXPECT_EQ(parser.GetLine(2), "200 7.1");
    EXPECT_TRUE(parser.IsHeaderLine(0));
    EXPECT_FALSE(parser.IsHeaderLine(1));
    EXPECT_EQ(parser.GetField(1, 0), "100 ");
    EXPECT_EQ(parser.GetField(1, 1), "5.2");
    EXPECT_EQ(parser.GetField(2, 1), "7.1");
}

TEST(TextParser, CommasAndRunsOfSeparatorsMakeNoEmptyFields)
{
    const auto parser = parse("1,2,,3");
    EXPECT_EQ(parser.GetField(0, 0), "1 ");
    EXPECT_EQ(parser.GetField(0, 1), "2 ");
    EXPECT_EQ(parser.GetField(0, 2), "3");
    EXPECT_EQ(parser.GetField(0, 3), "");
    const auto decimalComma = parse("12,5 7");
    EXPECT_EQ(decimalComma.GetField(0, 0), "12 ");
    EXPECT_EQ(decimalComma.GetField(0, 1), "5 ");
    EXPECT_EQ(decimalComma.GetField(0, 2), "7");
}

TEST(TextParser, HeaderTest)
{
    EXPECT_FALSE(parse("42").IsHeaderLine(0));
    EXPECT_TRUE(parse("100 5.2 x").IsHeaderLine(0));
    EXPECT_FALSE(parse("100 5.2").IsHeaderLine(0));
    EXPECT_FALSE(parse("1e3 -.5").IsHeaderLine(0));
    EXPECT_TRUE(parse("1,5 2").IsHeaderLine(0) == false);  // two numbers once the comma splits
    EXPECT_TRUE(parse("1;5 2").IsHeaderLine(0));
}

TEST(TextParser, MissingLinesAndFieldsAreEmpty)
{
    const auto parser = parse("a b\r\nc d\r\ne f");
    EXPECT_EQ(parser.GetField(0, 5), "");
    EXPECT_EQ(parser.GetLine(7), "");
    EXPECT_FALSE(parser.IsHeaderLine(7));
    EXPECT_FALSE(parser.IsTextField(7, 0));
    EXPECT_TRUE(parser.IsTextField(1, 5));  // a missing field is not a number
    EXPECT_EQ(parser.GetField(-1, 0), "");
}

TEST(TextParser, BlankTextsAndCommaOnlyTexts)
{
    EXPECT_EQ(parse("").LineCount(), 0);
    EXPECT_EQ(parse(" \r\n\t\r\n \n").LineCount(), 0);
    const auto commas = parse(",,,");
    EXPECT_EQ(commas.LineCount(), 1);
    EXPECT_EQ(commas.GetLine(0), "");
    EXPECT_FALSE(commas.IsHeaderLine(0));
    EXPECT_EQ(commas.GetField(0, 0), "");
}

TEST(TextParser, LoneLineFeedsStayInsideALine)
{
    // Only CR LF ends a line; the platform hands the clipboard over with CR LF.
    const auto parser = parse("1 2\n3 4");
    EXPECT_EQ(parser.LineCount(), 1);
    EXPECT_EQ(parser.GetField(0, 1), "2\n3 ");
}

TEST(TextParser, NumberTestFollowsTheDecimalSeparator)
{
    const auto parser = parse("2;5 7", ';');
    EXPECT_FALSE(parser.IsTextField(0, 0));
    EXPECT_FALSE(parser.IsHeaderLine(0));
}
