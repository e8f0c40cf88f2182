// The reader of daily closes: what a spreadsheet writes is read, and each kind of bad line
// refuses the whole file with its line number; cut files are always read cleanly.
#include "engine/history/CloseCsv.h"

#include <gtest/gtest.h>

#include "platform/text/CsvReader.h"
#include "platform/text/DateTexts.h"

namespace {

const SLocalDate kToday{2026, 3, 5};

std::string Refusal(const std::string& text)
{
    const SCloseCsv csv = ParseCloseCsv(text, kToday);
    EXPECT_FALSE(csv.bOk) << text;
    EXPECT_TRUE(csv.rows.empty()) << "a refused file gives no rows";
    return csv.error;
}

} // namespace

TEST(CloseCsv, ReadsWhatASpreadsheetWrites)
{
    const std::string text = "\xEF\xBB\xBF"
                             "Date,Symbol,Close\r\n"
                             "2025-03-04,IBM,131.20\r\n"
                             "\r\n"
                             " 2025-03-04 ,\"VOD.L\", 0.7225\r\n"
                             "2026-03-05,\"A\"\"B\",1e2\r\n"
                             "2024-02-29,\xC3\x89TAT,5\n"
                             "2025-03-05,SYMBOLTENX,1"; // no line end at the end
    const SCloseCsv csv = ParseCloseCsv(text, kToday);
    ASSERT_TRUE(csv.bOk) << csv.error;
    ASSERT_EQ(csv.rows.size(), 5u);
    EXPECT_EQ(csv.rows[0].date, (SLocalDate{2025, 3, 4}));
    EXPECT_EQ(csv.rows[0].symbol, "IBM");
    EXPECT_DOUBLE_EQ(csv.rows[0].close, 131.2);
    EXPECT_EQ(csv.rows[1].symbol, "VOD.L");
    EXPECT_DOUBLE_EQ(csv.rows[1].close, 0.7225);
    EXPECT_EQ(csv.rows[2].symbol, "A\"B") << "today is not after today";
    EXPECT_DOUBLE_EQ(csv.rows[2].close, 100.0);
    EXPECT_EQ(csv.rows[3].symbol, "\xC9TAT") << "UTF-8 becomes the program's Windows-1252";
    EXPECT_EQ(csv.rows[4].symbol, "SYMBOLTENX");

    EXPECT_TRUE(ParseCloseCsv("date,symbol,close\n", kToday).bOk) << "a header alone is empty";
}

TEST(CloseCsv, OneBadLineRefusesTheWholeFile)
{
    const std::string header = "date,symbol,close\n2025-03-04,IBM,131.20\n";
    EXPECT_EQ(Refusal(""), "the file is empty: it needs the header date,symbol,close");
    EXPECT_EQ(Refusal("symbol,date,close\n2025-03-04,IBM,1\n"),
              "line 1: the first line must be the header date,symbol,close");
    EXPECT_EQ(Refusal(header + "2025-3-4,IBM,1\n"),
              "line 3: the date \"2025-3-4\" is not a date in the form " +
                  std::string(kDateFormatText));
    EXPECT_EQ(Refusal(header + "2025-02-29,IBM,1\n"),
              "line 3: the date \"2025-02-29\" is not a date of the calendar");
    EXPECT_EQ(Refusal(header + "1969-12-31,IBM,1\n"),
              "line 3: the date \"1969-12-31\" is outside the dates a trade can hold (1970 to "
              "2038)");
    EXPECT_EQ(Refusal(header + "2026-03-06,IBM,1\n"), "line 3: the date 2026-03-06 is after today");
    EXPECT_EQ(Refusal(header + "2025-03-05,,1\n"), "line 3: the symbol is empty");
    EXPECT_EQ(Refusal(header + "2025-03-05,ELEVENCHARS,1\n"),
              "line 3: the symbol \"ELEVENCHARS\" is longer than 10 characters");
    EXPECT_EQ(Refusal(header + "2025-03-05,\"A,B\",1\n"),
              "line 3: the symbol \"A,B\" holds a comma or a control character");
    EXPECT_EQ(Refusal(header + "2025-03-05,\xC3\x28,1\n"),
              "line 3: the symbol is not text the portfolio can hold");
    EXPECT_EQ(Refusal(header + "2025-03-05,\xE6\x97\xA5,1\n"),
              "line 3: the symbol is not text the portfolio can hold")
        << "a character Windows-1252 lacks is refused, never turned into another";
    EXPECT_EQ(Refusal(header + "2025-03-05,IBM,12,5\n"),
              "line 3: expected 3 fields (date,symbol,close), found 4");
    EXPECT_EQ(Refusal(header + "2025-03-05,IBM,\"12,5\"\n"),
              "line 3: the close is not a number: \"12,5\"");
    EXPECT_EQ(Refusal(header + "2025-03-05,IBM\n"),
              "line 3: expected 3 fields (date,symbol,close), found 2");
    // A gap stays a gap: no price is read as 0.
    for (const char* pszClose : {"0", "-1", "nan", "inf", "1e13"})
        EXPECT_EQ(Refusal(header + "2025-03-05,IBM," + pszClose + "\n"),
                  "line 3: the close \"" + std::string(pszClose) + "\" is not a positive price");
    EXPECT_EQ(Refusal(header + "2025-03-05,IBM,\n"), "line 3: the close is not a number: \"\"");
    EXPECT_EQ(Refusal(header + "2025-03-04,IBM,130\n"),
              "line 3: a second close for \"IBM\" on 2025-03-04");
    EXPECT_EQ(Refusal(header + "2025-03-05,\"IBM,1\n"),
              "line 3: the fields are not comma-separated values: a quoted field that is never "
              "closed");
    EXPECT_EQ(Refusal(header + std::string("2025-03-05,I\0M,1\n", 17)),
              "line 3: the line holds a zero byte");
    EXPECT_EQ(Refusal(header + "2025-03-05,IBM," + std::string(kCsvFieldMax + 1, '1') + "\n"),
              "line 3: the fields are not comma-separated values: a field longer than 4096 "
              "characters");
    // A lone carriage return ends a line, as old spreadsheets wrote them.
    EXPECT_EQ(ParseCloseCsv(header + "2025-03-05,IBM,1\r2025-03-06,IBM,1\n", kToday).rows.size(),
              3u);
}

TEST(CloseCsv, EveryCutOfAGoodFileIsReadCleanly)
{
    const std::string text = "date,symbol,close\r\n2025-03-04,\"IBM\",131.20\r\n"
                             "2025-03-05,VOD.L,0.72\r\n";
    for (std::size_t n = 0; n <= text.size(); ++n) {
        const SCloseCsv csv = ParseCloseCsv(text.substr(0, n), kToday);
        EXPECT_EQ(csv.bOk, csv.error.empty()) << n;
        EXPECT_LE(csv.rows.size(), 2u);
    }
}

TEST(CloseCsv, TakesTheMostClosesOfOneFileAndRefusesOneMore)
{
    constexpr int kSymbols = 1000;
    static_assert(kMaxCloseRows % kSymbols == 0);
    constexpr int kDays = static_cast<int>(kMaxCloseRows / kSymbols);
    std::string text = "date,symbol,close\n";
    text.reserve(kMaxCloseRows * 24);
    const std::time_t first = StartOfLocalDay({2020, 1, 1}) + 43200;
    for (int d = 0; d < kDays; ++d) {
        const std::string date = IsoDateText(LocalDateOf(first + d * 86400));
        for (int s = 0; s < kSymbols; ++s)
            text += date + ",S" + std::to_string(s) + ",1\n";
    }
    const SCloseCsv most = ParseCloseCsv(text, kToday);
    ASSERT_TRUE(most.bOk) << most.error;
    EXPECT_EQ(most.rows.size(), kMaxCloseRows);
    EXPECT_EQ(Refusal(text + "2026-01-01,IBM,1\n"),
              "line " + std::to_string(kMaxCloseRows + 2) +
                  ": more than 1000000 closes in one file; split it into smaller files");
}
