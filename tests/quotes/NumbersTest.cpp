// Number conversion, fraction prices, tag removal and the line reader's cut.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/net/HttpLineReader.h"
#include "quotes/HtmlTags.h"
#include "quotes/QuoteNumber.h"

namespace {

std::vector<std::string> ReadAll(const std::string& strBody)
{
    CHttpLineReader reader(strBody);
    std::vector<std::string> lines;
    std::string strLine;
    while (reader.ReadString(strLine)) {
        lines.push_back(strLine);
    }
    return lines;
}

} // namespace

TEST(ConvertLeadingDouble, FollowsTheCRuleWithoutLocaleOrNonFiniteValues)
{
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble("  12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble("\t-0.25\n"), -0.25);
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble("+3"), 3.0);
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble("1e3x"), 1000.0);
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble("7.e"), 7.0);
    EXPECT_DOUBLE_EQ(ConvertLeadingDouble("1,5"), 1.0);
    for (const char* pText : {"", "N/A", "-", ".", "+.", "inf", "nan", "0x10", "1e999", "-1e999"}) {
        EXPECT_EQ(ConvertLeadingDouble(pText), 0.0) << pText;
    }
}

TEST(ParseQuoteNumber, ReadsFractionsAndThousandsCommas)
{
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("12 3/4"), 12.75);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("-12 1/2"), -12.5);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("3/4"), 0.75);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("+1/4"), 0.25);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("1,234.5"), 1234.5);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("-1,234,567.25\n"), -1234567.25);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("17.25"), 17.25);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("N/A"), 0.0);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("3 1/8\n"), 3.125);
    // A zero or missing denominator leaves the whole part alone.
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("5 1/0"), 5.0);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("5 1/"), 5.0);
    // A second slash is part of the denominator's text.
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("1/2/4"), 0.5);
    EXPECT_EQ(ParseQuoteNumber("1e300/1e-300"), 0.0);
    // Spaces before the number are ignored.
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("  2 1/2"), 2.5);
}

TEST(ParseQuoteNumber, TrailingSpaceDoesNotWipeTheNumber)
{
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("1,234.50 \n"), 1234.5);
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("1,234.50 "), 1234.5);
    // Text after the space is still read as the number, as the rule has it.
    EXPECT_DOUBLE_EQ(ParseQuoteNumber("12 3,4"), 34.0);
}

TEST(StripHtmlTags, RemovesTagsAndCarriesAnOpenTagToTheNextLine)
{
    ResetHtmlTagState();
    std::string strLine = "<td class=\"x\">12.5</td>\n";
    StripHtmlTags(strLine);
    EXPECT_EQ(strLine, "12.5\n");
    EXPECT_FALSE(IsInsideHtmlTag());

    strLine = "Close:<td\n";
    StripHtmlTags(strLine);
    EXPECT_EQ(strLine, "Close:");
    EXPECT_TRUE(IsInsideHtmlTag());
    strLine = "align=right>17<b>.5</b>\n";
    StripHtmlTags(strLine);
    EXPECT_EQ(strLine, "17.5\n");
    EXPECT_FALSE(IsInsideHtmlTag());

    strLine = "a > b <";
    StripHtmlTags(strLine);
    EXPECT_EQ(strLine, "a > b ");
    EXPECT_TRUE(IsInsideHtmlTag());
    ResetHtmlTagState();
    EXPECT_FALSE(IsInsideHtmlTag());
}

TEST(HttpLineReader, CutsAt1022CountingCarriageReturns)
{
    EXPECT_EQ(ReadAll("abc\r\ndef\n\nlast"),
              (std::vector<std::string>{"abc\n", "def\n", "\n", "last"}));
    EXPECT_TRUE(ReadAll("").empty());

    // 1021 characters and the line feed: one read.
    const std::string str1021(1021, 'a');
    EXPECT_EQ(ReadAll(str1021 + "\n"), (std::vector<std::string>{str1021 + "\n"}));
    // 1022 characters and the line feed: the line feed comes in a second read.
    const std::string str1022(1022, 'b');
    EXPECT_EQ(ReadAll(str1022 + "\n"), (std::vector<std::string>{str1022, "\n"}));
    // 1023 characters: the last character comes with the line feed.
    EXPECT_EQ(ReadAll(std::string(1023, 'c') + "\n"),
              (std::vector<std::string>{std::string(1022, 'c'), "c\n"}));
    // The carriage return is dropped but counts: 1021 characters, CR, LF need two reads.
    EXPECT_EQ(ReadAll(str1021 + "\r\n"), (std::vector<std::string>{str1021, "\n"}));
    EXPECT_EQ(ReadAll("\rx\r"), (std::vector<std::string>{"x"}));
    // A body of a lone carriage return is one read that delivers nothing.
    EXPECT_EQ(ReadAll("\r"), (std::vector<std::string>{""}));
}
