// The three-way merge of a portfolio: base (what both sides read), mine (this program's
// copy), theirs (what another program wrote since).
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "model/PortfolioMerge.h"
#include "tests/model/TestDocuments.h"
#include "tests/model/TradeValuesForTests.h"

namespace {
// Trades entered in the tests are made after the base's buys (which date from 1998): a sale
// dated before its buy is refused.
constexpr std::int32_t kAfterTheBuys = 1772737000;

CBlotterSpace Base()
{
    CBlotterSpace doc = MakeExampleDocument();
    doc.m_trades.AddTail(MakeBuy(1, "AAA", 100, 10));
    doc.m_trades.AddTail(MakeBuy(2, "BBB", 50, 20));
    doc.m_trades.AddTail(MakeBuy(3, "CCC", 10, 30));
    return doc;
}

TradeRecord* Trade(CBlotterSpace& doc, std::int32_t id)
{
    for (TradeRecord& trade : doc.m_trades)
        if (trade.id == id)
            return &trade;
    return nullptr;
}

void Remove(CBlotterSpace& doc, std::int32_t id)
{
    TradeRecord trade{};
    ASSERT_TRUE(doc.FindTrade(id, trade));
    RemoveTrade(doc, trade);
}

// What a refresh does to every open trade.
void Reprice(CBlotterSpace& doc, double price)
{
    for (TradeRecord& trade : doc.m_trades) {
        trade.currentPrice = price;
        trade.dayChange = 0.5;
        trade.status = kStatusChanged;
    }
}

std::vector<std::int32_t> Ids(const CBlotterSpace& doc)
{
    std::vector<std::int32_t> ids;
    for (const TradeRecord& trade : doc.m_trades)
        ids.push_back(trade.id);
    return ids;
}

std::string Bytes(CBlotterSpace doc)
{
    return SerializeToBytes(doc);
}

} // namespace

TEST(PortfolioMerge, AChangeOnOneSideTakesThatSide)
{
    const CBlotterSpace base = Base();
    CBlotterSpace mine = base;
    CBlotterSpace theirs = base;
    // Here a refresh reprices everything; there a sale reduces trade 1, trade 2 is removed
    // and trade 3 is refiled on the handheld.
    Reprice(mine, 11);
    TradeRecord buy{};
    ASSERT_TRUE(theirs.FindTrade(1, buy));
    ASSERT_FALSE(AddSell(theirs, &buy, MakeTradeValues("AAA", 40, 12), kAfterTheBuys).Refused());
    Remove(theirs, 2);
    SetTradeCategory(*Trade(theirs, 3), "Business");
    Trade(theirs, 3)->privateFlag = 1;

    PortfolioMergeResult merged = MergePortfolios(base, mine, theirs);
    EXPECT_TRUE(merged.conflicts.empty());
    EXPECT_TRUE(merged.renumbered.empty());
    EXPECT_EQ(Ids(merged.doc), (std::vector<std::int32_t>{1, 3, 4}));
    const TradeRecord& one = *Trade(merged.doc, 1);
    EXPECT_EQ(one.quantity, 60);     // the sale's reduction
    EXPECT_EQ(one.currentPrice, 11); // the refresh's price
    EXPECT_EQ(one.status, kStatusChanged);
    EXPECT_EQ(TradeCategory(*Trade(merged.doc, 3)), "Business");
    EXPECT_EQ(Trade(merged.doc, 3)->privateFlag, 1);
    EXPECT_EQ(Trade(merged.doc, 3)->currentPrice, 11);
    EXPECT_EQ(Trade(merged.doc, 4)->refId, 1);

    // The other way round: removed here, only repriced and renumbered there.
    mine = base;
    theirs = base;
    Remove(mine, 3);
    Reprice(theirs, 9);
    Trade(theirs, 1)->recordIndex = 7;
    merged = MergePortfolios(base, mine, theirs);
    EXPECT_TRUE(merged.conflicts.empty());
    EXPECT_EQ(Ids(merged.doc), (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(Trade(merged.doc, 1)->recordIndex, 7);
    EXPECT_EQ(Trade(merged.doc, 2)->currentPrice, 9);
}

TEST(PortfolioMerge, TheSameTradeChangedOnBothSidesKeepsThisSidesChange)
{
    const CBlotterSpace base = Base();
    CBlotterSpace mine = base;
    CBlotterSpace theirs = base;
    Trade(mine, 1)->price = 11;
    Trade(theirs, 1)->price = 12;
    // The same change on both sides is no conflict.
    Trade(mine, 2)->quantity = 70;
    Trade(theirs, 2)->quantity = 70;
    // Different parts of one trade changed on each side: both changes stay.
    Trade(mine, 3)->brokerFee = 4.95;
    SetTradeCategory(*Trade(theirs, 3), "Business");
    // Both sides' refreshes: this side's price, no conflict.
    Trade(mine, 3)->currentPrice = 31;
    Trade(theirs, 3)->currentPrice = 32;

    PortfolioMergeResult merged = MergePortfolios(base, mine, theirs);
    EXPECT_EQ(merged.conflicts, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(Trade(merged.doc, 1)->price, 11);
    EXPECT_EQ(Trade(merged.doc, 2)->quantity, 70);
    EXPECT_EQ(Trade(merged.doc, 3)->brokerFee, 4.95);
    EXPECT_EQ(TradeCategory(*Trade(merged.doc, 3)), "Business");
    EXPECT_EQ(Trade(merged.doc, 3)->currentPrice, 31);

    // Removed on one side, changed on the other: a conflict, and this side wins both ways.
    mine = base;
    theirs = base;
    Remove(theirs, 1);
    Trade(mine, 1)->quantity = 90;
    Remove(mine, 2);
    SetTradeCategory(*Trade(theirs, 2), "Business");
    merged = MergePortfolios(base, mine, theirs);
    EXPECT_EQ(merged.conflicts, (std::vector<std::int32_t>{1, 2}));
    EXPECT_EQ(Ids(merged.doc), (std::vector<std::int32_t>{1, 3}));
    EXPECT_EQ(Trade(merged.doc, 1)->quantity, 90);
}

TEST(PortfolioMerge, TradesAddedOnBothSidesAreAllKeptAndThisSidesNewOnesAreRenumbered)
{
    const CBlotterSpace base = Base();
    CBlotterSpace mine = base;
    CBlotterSpace theirs = base;
    // Here: a buy (4) and a sale from it (5), and a sale from base trade 1 (6).
    ASSERT_EQ(AddBuy(mine, MakeTradeValues("MMM", 10, 5), kAfterTheBuys).newId, 4);
    TradeRecord buy{};
    ASSERT_TRUE(mine.FindTrade(4, buy));
    ASSERT_EQ(AddSell(mine, &buy, MakeTradeValues("MMM", 3, 6), kAfterTheBuys + 1).newId, 5);
    ASSERT_TRUE(mine.FindTrade(1, buy));
    ASSERT_EQ(AddSell(mine, &buy, MakeTradeValues("AAA", 1, 6), kAfterTheBuys + 2).newId, 6);
    // There: two buys (4, 5), and trade 3 removed.
    ASSERT_EQ(AddBuy(theirs, MakeTradeValues("TTT", 1, 1), kAfterTheBuys + 1000).newId, 4);
    ASSERT_EQ(AddBuy(theirs, MakeTradeValues("UUU", 2, 2), kAfterTheBuys + 1001).newId, 5);
    Remove(theirs, 3);

    PortfolioMergeResult merged = MergePortfolios(base, mine, theirs);
    EXPECT_TRUE(merged.conflicts.empty());
    EXPECT_EQ(merged.renumbered,
              (std::vector<std::pair<std::int32_t, std::int32_t>>{{4, 7}, {5, 8}}));
    EXPECT_EQ(Ids(merged.doc), (std::vector<std::int32_t>{1, 2, 7, 8, 6, 4, 5}));
    EXPECT_EQ(TradeSymbol(*Trade(merged.doc, 7)), "MMM");
    EXPECT_EQ(Trade(merged.doc, 7)->quantity, 7);
    EXPECT_EQ(Trade(merged.doc, 8)->refId, 7); // the sale follows its buy's new number
    EXPECT_EQ(Trade(merged.doc, 6)->refId, 1); // a sale from an old buy is left alone
    EXPECT_EQ(Trade(merged.doc, 1)->quantity, 99);
    EXPECT_EQ(TradeSymbol(*Trade(merged.doc, 4)), "TTT");
    EXPECT_EQ(TradeSymbol(*Trade(merged.doc, 5)), "UUU");
    EXPECT_EQ(merged.doc.NextTradeId(), 9);
}

TEST(PortfolioMerge, SettingsTakeTheOtherSideWhereThisSideKeptTheBase)
{
    const CBlotterSpace base = Base();
    CBlotterSpace mine = base;
    CBlotterSpace theirs = base;
    theirs.m_nAlertPercent = 3;           // only there
    theirs.m_bAutoRefresh = 1;            // only there
    mine.m_strPagerAddress = "me@x.test"; // only here
    mine.m_dExternalYtdGains = 100;       // both: this side's
    theirs.m_dExternalYtdGains = 200;
    theirs.m_nColumnWidth[2] = 120; // the widths change as one setting
    mine.m_nColumnWidth[4] = 99;

    PortfolioMergeResult merged = MergePortfolios(base, mine, theirs);
    EXPECT_EQ(merged.doc.m_nAlertPercent, 3);
    EXPECT_EQ(merged.doc.m_bAutoRefresh, 1);
    EXPECT_EQ(merged.doc.m_strPagerAddress, "me@x.test");
    EXPECT_EQ(merged.doc.m_dExternalYtdGains, 100);
    EXPECT_EQ(merged.doc.m_nColumnWidth[2], base.m_nColumnWidth[2]);
    EXPECT_EQ(merged.doc.m_nColumnWidth[4], 99);
    EXPECT_EQ(merged.doc.m_strBaseCountry, "United States");

    mine = base;
    merged = MergePortfolios(base, mine, theirs);
    EXPECT_EQ(merged.doc.m_nColumnWidth[2], 120);
}

TEST(PortfolioMerge, CategoriesMergeAsASetInThisSidesOrderWithTheirNewOnesAfter)
{
    CBlotterSpace base = Base();
    base.m_categories = {"All", "Unfiled", "Business", "Personal"};
    CBlotterSpace mine = base;
    CBlotterSpace theirs = base;
    mine.m_categories = {"All", "Personal", "Unfiled", "Mine", "Business"};
    theirs.m_categories = {"All", "Unfiled", "Palm", "Personal", "Mine"}; // Business removed

    PortfolioMergeResult merged = MergePortfolios(base, mine, theirs);
    EXPECT_EQ(merged.doc.m_categories,
              (std::vector<std::string>{"All", "Personal", "Unfiled", "Mine", "Palm"}));

    // Removed here stays removed.
    mine.m_categories = {"All", "Unfiled", "Business"};
    merged = MergePortfolios(base, mine, theirs);
    EXPECT_EQ(merged.doc.m_categories,
              (std::vector<std::string>{"All", "Unfiled", "Palm", "Mine"}));
}

TEST(PortfolioMerge, AnUnchangedSideGivesTheOtherSideWhole)
{
    const CBlotterSpace base = Base();
    CBlotterSpace theirs = base;
    Reprice(theirs, 5);
    ASSERT_FALSE(AddBuy(theirs, MakeTradeValues("NEW", 1, 1), kAfterTheBuys + 2000).Refused());
    theirs.m_nRefreshMinutes = 3;
    PortfolioMergeResult merged = MergePortfolios(base, base, theirs);
    EXPECT_EQ(Bytes(merged.doc), Bytes(theirs));
    merged = MergePortfolios(base, theirs, base);
    EXPECT_EQ(Bytes(merged.doc), Bytes(theirs));
}
