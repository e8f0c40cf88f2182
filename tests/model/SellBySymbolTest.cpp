// Selling by symbol: the open buys of the symbol, oldest purchase first, one sale per buy.
#include <gtest/gtest.h>

#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "model/Valuation.h"
#include "tests/model/TradeValuesForTests.h"

namespace {
constexpr std::int32_t kDay = 86400;
constexpr std::int32_t kStart = 1772470800; // 2026-03-02 12:00 New York

TradeValues Values(const char* symbol, double quantity, double price, double fee = 0,
                   const char* category = "Business")
{
    return MakeTradeValues(symbol, quantity, price, fee, false, category, "Canada");
}

TradeRecord Trade(const CBlotterSpace& doc, std::int32_t id)
{
    TradeRecord trade = MakeEmptyTrade();
    EXPECT_TRUE(doc.FindTrade(id, trade)) << id;
    return trade;
}

// Three IBM buys entered out of date order, and one MSFT buy.
CBlotterSpace ThreeLots()
{
    CBlotterSpace doc;
    AddBuy(doc, Values("IBM", 50, 120, 5, "Personal"), kStart + 2 * kDay); // 1: newest
    AddBuy(doc, Values("IBM", 30, 100, 3), kStart);                        // 2: oldest
    AddBuy(doc, Values("MSFT", 10, 400), kStart);                          // 3
    AddBuy(doc, Values("IBM", 20, 110, 2), kStart + kDay);                 // 4
    return doc;
}
} // namespace

TEST(SellBySymbol, OldestFirstOneSalePerBuyEachAtItsOwnCost)
{
    CBlotterSpace doc = ThreeLots();
    TradeValues sale = Values("IBM", 60, 130, 6, "");
    sale.country = "";
    LedgerResult r = SellBySymbol(doc, sale, kStart + 5 * kDay);
    ASSERT_TRUE(r.bChanged) << r.message;
    ASSERT_EQ(r.newIds, (std::vector<std::int32_t>{5, 6, 7}));
    EXPECT_EQ(r.newId, 5);

    // Buy 2 (30), then buy 4 (20), then 10 of buy 1.
    struct Expected
    {
        std::int32_t id, refId;
        double quantity, cost, fee;
        const char* category;
    } expected[] = {{5, 2, 30, 100, 3, "Business"},
                    {6, 4, 20, 110, 2, "Business"},
                    {7, 1, 10, 120, 1, "Personal"}};
    for (const Expected& e : expected) {
        TradeRecord s = Trade(doc, e.id);
        EXPECT_EQ(s.refId, e.refId);
        EXPECT_EQ(s.quantity, e.quantity);
        EXPECT_EQ(s.costPrice, e.cost);
        EXPECT_DOUBLE_EQ(s.brokerFee, e.fee);
        EXPECT_DOUBLE_EQ(s.realizedPL, (130 - e.cost) * e.quantity);
        EXPECT_EQ(TradeCategory(s), e.category); // the buy's own, as none was given
        EXPECT_EQ(TradeCountry(s), "Canada");
    }
    EXPECT_EQ(Trade(doc, 2).closed, 1);
    EXPECT_EQ(Trade(doc, 4).closed, 1);
    EXPECT_EQ(Trade(doc, 1).quantity, 40);
    EXPECT_EQ(Trade(doc, 1).closed, 0);
    EXPECT_EQ(Trade(doc, 3).quantity, 10); // another symbol

    // Next time the rest of buy 1 goes first.
    ASSERT_TRUE(SellBySymbol(doc, Values("IBM", 40, 125), kStart + 6 * kDay).bChanged);
    EXPECT_EQ(Trade(doc, 1).closed, 1);
    EXPECT_EQ(SellBySymbol(doc, Values("IBM", 1, 125), kStart + 6 * kDay).message,
              kMsgPositionNotOpen);
}

TEST(SellBySymbol, RefusedWholeWhenTheBuysHoldTooLittleOrAreTooNew)
{
    CBlotterSpace doc = ThreeLots();
    const std::string before = SerializeToBytes(doc);
    LedgerResult tooMuch = SellBySymbol(doc, Values("IBM", 100.5, 130), kStart + 5 * kDay);
    EXPECT_EQ(tooMuch.message, kMsgSellAmount);
    EXPECT_EQ(tooMuch.heldQuantity, 100);

    // Sold on the second day, only the two older buys (50 units) count.
    LedgerResult early = SellBySymbol(doc, Values("IBM", 60, 130), kStart + kDay);
    EXPECT_EQ(early.message, kMsgSellAmount);
    EXPECT_EQ(early.heldQuantity, 50);
    EXPECT_EQ(SellBySymbol(doc, Values("IBM", 1, 130), kStart - 1).message, kMsgSaleBeforeBuy);
    EXPECT_EQ(SellBySymbol(doc, Values("NOPE", 1, 1), kStart).message, kMsgPositionNotOpen);
    EXPECT_EQ(SellBySymbol(doc, Values("IBM", -1, 1), kStart).message, kMsgBadQuantity);
    EXPECT_EQ(SerializeToBytes(doc), before);

    // Everything, with the last buy's share a hair over what it holds: all three close.
    LedgerResult all = SellBySymbol(doc, Values("IBM", 100.00000001, 130, 10), kStart + 5 * kDay);
    ASSERT_TRUE(all.bChanged) << all.message;
    double sold = 0;
    double fees = 0;
    for (std::int32_t id : all.newIds) {
        sold += Trade(doc, id).quantity;
        fees += Trade(doc, id).brokerFee;
    }
    EXPECT_EQ(sold, 100);
    EXPECT_DOUBLE_EQ(fees, 10);
    for (std::int32_t id : {1, 2, 4})
        EXPECT_EQ(Trade(doc, id).closed, 1) << id;
}
