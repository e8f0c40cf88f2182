// The trade list's row texts and date texts: written and read back as the dialog does.
#include "app/dialogs/TradeRows.h"

#include <gtest/gtest.h>

TEST(TradeRows, RowTextIsSymbolBlanksCommaAndNumber)
{
    EXPECT_EQ(FormatTradeRow("IBM", 12), "IBM                           , 12");
    const STradeRow row = ReadTradeRow(FormatTradeRow("IBM", 12));
    EXPECT_EQ(row.strSymbol, "IBM");
    EXPECT_EQ(row.id, 12);
}

TEST(TradeRows, ReadingBackFollowsTheRowRules)
{
    // A symbol with a blank: the first word is the symbol, the number still reads.
    STradeRow row = ReadTradeRow(FormatTradeRow("BRK B", 7));
    EXPECT_EQ(row.strSymbol, "BRK");
    EXPECT_EQ(row.id, 7);
    // A symbol with a comma makes the number unreadable: it names no trade.
    row = ReadTradeRow(FormatTradeRow("A,B", 7));
    EXPECT_EQ(row.strSymbol, "A,B");
    EXPECT_EQ(row.id, 0);
    // A comma right after the first digits cuts the number there.
    row = ReadTradeRow("X, 42,9");
    EXPECT_EQ(row.id, 42);
    // No comma, an empty row, and a number out of range all read as no trade.
    EXPECT_EQ(ReadTradeRow("IBM").id, 0);
    EXPECT_EQ(ReadTradeRow("").id, 0);
    EXPECT_EQ(ReadTradeRow("").strSymbol, "");
    EXPECT_EQ(ReadTradeRow("X, 99999999999").id, 0);
    EXPECT_EQ(ReadTradeRow("X, 2147483647").id, 2147483647);
}

TEST(TradeRows, DatesPrintInLocalTimeWithEnglishMonths)
{
    // TZ is America/New_York in tests: 1998-03-05 03:00 UTC is the evening of March 4th.
    EXPECT_EQ(FormatTradeDate(889066800), "Mar 04, 1998");
    EXPECT_EQ(FormatTradeDate(889066800 + 86400), "Mar 05, 1998");
    EXPECT_EQ(FormatTradeDate(0), "Dec 31, 1969");
}
