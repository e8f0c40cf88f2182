// Number texts: FormatAmount's separators and the locale-free printing and parsing.
#include "platform/text/Numbers.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

#include "platform/text/FormatAmount.h"
#include "tests/support/locale/GermanLocale.h"

TEST(Numbers, FormatAmountExamplesAndSignHandling)
{
    EXPECT_EQ(FormatAmount(1234567.891, 2), "1,234,567.89");
    EXPECT_EQ(FormatAmount(-1234.5, 2), "-1,234.50");
    EXPECT_EQ(FormatAmount(-123.45, 2), "-123.45");
    EXPECT_EQ(FormatAmount(0.5, 4), "0.5000");
    EXPECT_EQ(FormatAmount(100, 2), "100.00");
    EXPECT_EQ(FormatAmount(-123456, 0), "-123,456");
    EXPECT_EQ(FormatAmount(999.999, 2), "1,000.00");
    EXPECT_EQ(FormatAmount(-0.004, 2), "-0.00");
    EXPECT_EQ(InsertThousandsSeparators("1234567"), "1,234,567");
    EXPECT_EQ(InsertThousandsSeparators("-12.3456"), "-12.3456");
}

TEST(Numbers, FormatAmountHoldsTheLongestDouble)
{
    std::string text = FormatAmount(-DBL_MAX, 4);
    // 309 digits, 102 commas, the sign, the point and four decimals.
    EXPECT_EQ(text.size(), 1u + 309 + 102 + 1 + 4);
    EXPECT_EQ(text.substr(0, 5), "-179,");
    EXPECT_EQ(text.substr(text.size() - 5), ".0000");
}

TEST(Numbers, FixedPrintingMatchesTheCLocalePrintf)
{
    for (double v : {0.0, 1.005, -2.675, 1e21, 123.456789, 0.125, 5e-7, -0.0}) {
        for (int decimals : {0, 2, 4, 6}) {
            char expected[400];
            std::snprintf(expected, sizeof expected, "%.*f", decimals, v);
            EXPECT_EQ(FormatFixed(v, decimals), expected) << v << " " << decimals;
        }
    }
}

TEST(Numbers, LeadingParseStopsLikeTheCLibrary)
{
    EXPECT_EQ(ParseLeadingDouble("-1,234.50"), -1.0);
    EXPECT_EQ(ParseLeadingDouble("  +12.5abc"), 12.5);
    EXPECT_EQ(ParseLeadingDouble("-0.00"), 0.0);
    EXPECT_EQ(ParseLeadingDouble(""), 0.0);
    EXPECT_EQ(ParseLeadingDouble("abc"), 0.0);
    EXPECT_EQ(ParseLeadingDouble("--3"), 0.0);
    EXPECT_EQ(ParseLeadingDouble("+-3"), 0.0);
    EXPECT_EQ(ParseLeadingDouble("1e400"), HUGE_VAL);
    std::size_t used = 0;
    EXPECT_EQ(ParseLeadingDouble("3.5%", &used), 3.5);
    EXPECT_EQ(used, 3u);
    double out = 0;
    EXPECT_TRUE(ParseWholeDouble(" 12.25 ", out));
    EXPECT_EQ(out, 12.25);
    EXPECT_FALSE(ParseWholeDouble("12.25x", out));
    EXPECT_FALSE(ParseWholeDouble("", out));
}

TEST(Numbers, GermanLocaleChangesNothing)
{
    CGermanNumericLocale german;
    // scripts/setup installs the locales package, whose localedef builds the locale.
    ASSERT_TRUE(german.Active()) << "no German locale could be built (is localedef installed?)";
    EXPECT_EQ(FormatAmount(1234.5, 2), "1,234.50");
    EXPECT_EQ(FormatFixed(0.25, 4), "0.2500");
    EXPECT_EQ(ParseLeadingDouble("12.75"), 12.75);
}
