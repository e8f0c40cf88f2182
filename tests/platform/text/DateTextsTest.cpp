// Dates as tfport and imports take them: local dates and times, ISO 8601 with an offset,
// and every form refused with a reason. The tests run in New York time.
#include "platform/text/DateTexts.h"

#include <gtest/gtest.h>

namespace {
std::int32_t Parsed(const char* text)
{
    std::int32_t when = 0;
    std::string error;
    EXPECT_TRUE(ParseDateText(text, when, error)) << text << ": " << error;
    return when;
}

std::string Refusal(const char* text)
{
    std::int32_t when = 12345;
    std::string error;
    EXPECT_FALSE(ParseDateText(text, when, error)) << text;
    EXPECT_EQ(when, 12345) << text;
    return error;
}
} // namespace

TEST(DateTexts, LocalDatesTimesAndOffsets)
{
    EXPECT_EQ(Parsed("2026-03-02"), 1772427600);       // midnight in New York (EST)
    EXPECT_EQ(Parsed("2026-03-02T10:30"), 1772465400); // 15:30 UTC
    EXPECT_EQ(Parsed("2026-03-02 10:30"), 1772465400);
    EXPECT_EQ(Parsed("2026-07-01T09:00"), 1782910800); // summer time: 13:00 UTC
    EXPECT_EQ(Parsed("2026-03-02T10:30:15-05:00"), 1772465415);
    EXPECT_EQ(Parsed("2026-03-02T15:30:15Z"), 1772465415);
    EXPECT_EQ(Parsed("2026-03-02T21:00:15+05:30"), 1772465415);
    EXPECT_EQ(Parsed("2024-02-29"), 1709182800);
    EXPECT_EQ(Parsed("2038-01-19T03:14:07Z"), 2147483647);

    // What exports write reads back as the same second.
    EXPECT_EQ(IsoLocalTime(1772465415), "2026-03-02T10:30:15-05:00");
    EXPECT_EQ(Parsed(IsoLocalTime(1782910800).c_str()), 1782910800);
    EXPECT_EQ(IsoLocalTime(0), "");
}

TEST(DateTexts, RefusedWithAReason)
{
    for (const char* form :
         {"", "2026-3-2", "02/03/2026", "2026-03-02T", "2026-03-02T10", "2026-03-02T10:30:5",
          "2026-03-02x", "2026-03-02T10:30+5", " 2026-03-02", "2026-03-02T10:30:00+24:00"})
        EXPECT_NE(Refusal(form).find("is not a date in the form YYYY-MM-DD"), std::string::npos)
            << form;
    for (const char* calendar : {"2026-02-29", "2026-13-01", "2026-00-10", "2026-04-31",
                                 "2026-03-02T24:00", "2026-03-02T10:60"})
        EXPECT_NE(Refusal(calendar).find("is not a date of the calendar"), std::string::npos)
            << calendar;
    // 02:30 on the morning the clocks go forward never happened in New York.
    EXPECT_NE(Refusal("2026-03-08T02:30").find("not a time that exists"), std::string::npos);
    for (const char* range :
         {"1969-12-31", "1970-01-01T00:00Z", "2038-01-19T03:14:08Z", "2100-01-01"})
        EXPECT_NE(Refusal(range).find("outside the dates"), std::string::npos) << range;
}
