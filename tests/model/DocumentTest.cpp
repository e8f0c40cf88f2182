// The document's own operations: trade numbers, lookups, copies and canonical records.
#include <cstring>
#include <gtest/gtest.h>

#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/model/TestDocuments.h"

TEST(Document, DefaultsMatchANewPortfolio)
{
    CBlotterSpace doc;
    EXPECT_EQ(doc.m_bAutoRefresh, 0);
    EXPECT_EQ(doc.m_nRefreshMinutes, 10);
    EXPECT_EQ(doc.m_bCheckVersion, 1);
    EXPECT_EQ(doc.m_nAlertPercent, 5);
    EXPECT_EQ(doc.m_strBaseCountry, "United States");
    EXPECT_EQ(doc.m_dFileVersion, 1.85);
    const int widths[] = {75, 85, 80, 80, 80, 93};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(doc.m_nColumnWidth[i], widths[i]);
}

TEST(Document, NextTradeIdFollowsTheLargestAndReusesARemovedTop)
{
    CBlotterSpace doc;
    EXPECT_EQ(doc.NextTradeId(), 1);
    doc.m_trades.AddTail(MakeBuy(1, "A", 1, 1));
    doc.m_trades.AddTail(MakeBuy(2, "B", 1, 1));
    TradeRecord deleted = MakeBuy(5, "C", 1, 1);
    deleted.status = kStatusDeleted;
    doc.m_trades.AddTail(deleted);
    doc.m_trades.AddTail(MakeBuy(-7, "D", 1, 1));
    EXPECT_EQ(doc.NextTradeId(), 6);
    doc.m_trades.RemoveAt(std::next(doc.m_trades.begin(), 2));
    EXPECT_EQ(doc.NextTradeId(), 3);

    // A hostile file with the largest possible number does not overflow.
    doc.m_trades.AddTail(MakeBuy(INT32_MAX, "E", 1, 1));
    EXPECT_EQ(doc.NextTradeId(), 3);
}

TEST(Document, FindAndSetHoldingTouchOnlyTheFirstMatch)
{
    CBlotterSpace doc;
    doc.m_trades.AddTail(MakeBuy(4, "A", 10, 1));
    doc.m_trades.AddTail(MakeBuy(4, "B", 20, 1));
    TradeRecord out = MakeBuy(0, "UNTOUCHED", 0, 0);
    EXPECT_FALSE(doc.FindTrade(9, out));
    EXPECT_EQ(TradeSymbol(out), "UNTOUCHED");
    ASSERT_TRUE(doc.FindTrade(4, out));
    EXPECT_EQ(TradeSymbol(out), "A");

    EXPECT_FALSE(doc.SetHolding(9, 1, 1));
    EXPECT_TRUE(doc.SetHolding(4, 3, 1));
    auto it = doc.m_trades.begin();
    EXPECT_EQ(it->quantity, 3);
    EXPECT_EQ(it->closed, 1);
    EXPECT_EQ(it->status, kStatusAdded);
    ++it;
    EXPECT_EQ(it->quantity, 20);
}

TEST(Document, CopyReplacesListsAndKeepsRecordsCanonical)
{
    CBlotterSpace source = MakeExampleDocument();
    source.m_strPagerAddress = "pager@example";
    TradeRecord dirty = MakeBuy(1, "AB", 1, 1);
    dirty.padding2 = 77;
    std::memset(dirty.symbol + 3, 'z', 5);
    source.m_trades.AddTail(dirty);
    source.m_trades.AddTail(MakeBuy(2, "CD", 1, 1));

    CBlotterSpace target;
    target.m_trades.AddTail(MakeBuy(9, "OLD", 1, 1));
    target.m_categories.push_back("Old");
    target = source;
    EXPECT_EQ(target.m_strPagerAddress, "pager@example");
    ASSERT_EQ(target.m_trades.GetCount(), 2u);
    EXPECT_EQ(target.m_trades.begin()->id, 1);
    EXPECT_EQ(target.m_categories, source.m_categories);
    EXPECT_EQ(SerializeToBytes(target), SerializeToBytes(source));

    const TradeRecord& stored = *target.m_trades.begin();
    EXPECT_EQ(stored.padding2, 0);
    TradeRecord expected = MakeBuy(1, "AB", 1, 1);
    EXPECT_EQ(std::memcmp(&stored, &expected, sizeof expected), 0);
}

TEST(Document, TextFieldsAreCutToTheirWidths)
{
    TradeRecord trade = MakeEmptyTrade();
    SetTradeSymbol(trade, "ABCDEFGHIJKLMN");
    SetTradeCategory(trade, "A category name that is long");
    SetTradeCountry(trade, "A country with a very long name");
    EXPECT_EQ(TradeSymbol(trade), "ABCDEFGHIJ");
    EXPECT_EQ(TradeCategory(trade), "A category name");
    EXPECT_EQ(TradeCountry(trade), "A country with a ve");
    EXPECT_EQ(trade.padding1[0], 0);
}
