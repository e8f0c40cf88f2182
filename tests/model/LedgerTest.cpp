// Buying, selling, updating and removing trades, with every refusal.
#include "model/Ledger.h"

#include <gtest/gtest.h>

#include "model/PortfolioFile.h"
#include "tests/model/TradeValuesForTests.h"

namespace {
constexpr std::int32_t kNow = 1700000000;
constexpr std::int32_t kLater = 1700086400;

TradeValues Values(bool sell, const char* symbol, double quantity, double price, double fee = 0)
{
    return MakeTradeValues(symbol, quantity, price, fee, sell, "Business", "Canada");
}

TradeRecord Trade(const CBlotterSpace& doc, std::int32_t id)
{
    TradeRecord trade{};
    EXPECT_TRUE(doc.FindTrade(id, trade)) << id;
    return trade;
}
} // namespace

TEST(Ledger, BuyThenPartialSaleReducesTheBuyAndRecordsTheSale)
{
    CBlotterSpace doc;
    doc.m_bDeductBrokerage = 1;
    LedgerResult bought = AddBuy(doc, Values(false, "XYZ", 100, 10, 15), kNow);
    ASSERT_TRUE(bought.bChanged);
    TradeRecord buy = Trade(doc, 1);
    EXPECT_EQ(buy.recordIndex, 1);
    EXPECT_EQ(buy.status, kStatusAdded);
    EXPECT_EQ(buy.costPrice, 10);
    EXPECT_EQ(buy.deductFee, 1);
    EXPECT_EQ(buy.buyDate, kNow);
    EXPECT_EQ(TradeCategory(buy), "Business");
    EXPECT_EQ(TradeCountry(buy), "Canada");

    LedgerResult sold = AddSell(doc, &buy, Values(true, "XYZ", 40, 12.5, 10), kLater);
    ASSERT_TRUE(sold.bChanged);
    EXPECT_EQ(sold.newId, 2);
    TradeRecord reduced = Trade(doc, 1);
    EXPECT_EQ(reduced.quantity, 60);
    EXPECT_EQ(reduced.closed, 0);
    EXPECT_EQ(reduced.status, kStatusAdded);
    TradeRecord sale = Trade(doc, 2);
    EXPECT_EQ(sale.refId, 1);
    EXPECT_EQ(sale.recordIndex, 2);
    EXPECT_EQ(sale.quantity, 40);
    EXPECT_EQ(sale.price, 12.5);
    EXPECT_EQ(sale.costPrice, 10);
    EXPECT_EQ(sale.realizedPL, 100); // fees are not deducted here
    EXPECT_EQ(sale.closed, 1);
    EXPECT_EQ(sale.isSell, 1);
    EXPECT_EQ(sale.buyDate, kNow);
    EXPECT_EQ(sale.sellDate, kLater);
}

TEST(Ledger, SellingEverythingClosesAndRefusalsLeaveTheDocument)
{
    CBlotterSpace doc;
    AddBuy(doc, Values(false, "XYZ", 60, 10), kNow);
    TradeRecord buy = Trade(doc, 1);
    const std::string before = SerializeToBytes(doc);

    for (double bad : {60.5, 61.0}) {
        LedgerResult r = AddSell(doc, &buy, Values(true, "XYZ", bad, 11), kNow);
        EXPECT_FALSE(r.bChanged);
        EXPECT_EQ(r.message, "Sell amount greater than current holding. Please re-enter position.");
        EXPECT_EQ(r.caption, "Short sell not supported");
        EXPECT_EQ(r.heldQuantity, 60);
        EXPECT_EQ(SerializeToBytes(doc), before);
    }
    LedgerResult none = AddSell(doc, nullptr, Values(true, "XYZ", 1, 11), kNow);
    EXPECT_EQ(none.message, "Position not open! Please select open position to sell.");
    EXPECT_EQ(none.caption, "Cannot sell closed position");

    ASSERT_TRUE(AddSell(doc, &buy, Values(true, "XYZ", 60, 11), kNow).bChanged);
    TradeRecord closed = Trade(doc, 1);
    EXPECT_EQ(closed.quantity, 0);
    EXPECT_EQ(closed.closed, 1);

    // The caller's stale copy says open; the stored record decides.
    EXPECT_EQ(AddSell(doc, &buy, Values(true, "XYZ", 1, 11), kNow).message,
              "Position not open! Please select open position to sell.");
    TradeRecord sale = Trade(doc, 2);
    EXPECT_EQ(AddSell(doc, &sale, Values(true, "XYZ", 1, 11), kNow).caption,
              "Cannot sell closed position");
}

TEST(Ledger, SaleAfterAnUpdateUsesTheUpdatedQuantityAndPrice)
{
    CBlotterSpace doc;
    AddBuy(doc, Values(false, "XYZ", 10, 5), kNow);
    TradeRecord buy = Trade(doc, 1);
    ASSERT_TRUE(UpdateTrade(doc, buy, Values(false, "XYZ2", 50, 8, 3)).bChanged);
    TradeRecord updated = Trade(doc, 1);
    EXPECT_EQ(TradeSymbol(updated), "XYZ2");
    EXPECT_EQ(updated.status, kStatusChanged);
    EXPECT_EQ(updated.costPrice, 5); // kept from entry
    EXPECT_EQ(updated.buyDate, kNow);

    ASSERT_TRUE(AddSell(doc, &buy, Values(true, "XYZ2", 30, 9), kLater).bChanged);
    TradeRecord sale = Trade(doc, 2);
    EXPECT_EQ(sale.costPrice, 8);
    EXPECT_EQ(sale.realizedPL, 30);
    EXPECT_EQ(Trade(doc, 1).quantity, 20);
}

TEST(Ledger, UpdateRefusesSalesClosedBuysAndBuySellChanges)
{
    CBlotterSpace doc;
    AddBuy(doc, Values(false, "XYZ", 10, 5), kNow);
    TradeRecord buy = Trade(doc, 1);
    AddSell(doc, &buy, Values(true, "XYZ", 10, 6), kNow);
    TradeRecord sale = Trade(doc, 2);
    TradeRecord closedBuy = Trade(doc, 1);
    const std::string before = SerializeToBytes(doc);

    LedgerResult r = UpdateTrade(doc, sale, Values(false, "XYZ", 1, 1));
    EXPECT_EQ(r.message, "Cannot update buy/sell change.");
    EXPECT_EQ(r.caption, "Update error");
    EXPECT_EQ(UpdateTrade(doc, sale, Values(true, "XYZ", 1, 1)).message,
              "Update not supported for closed positions.");
    EXPECT_EQ(UpdateTrade(doc, closedBuy, Values(false, "XYZ", 1, 1)).message,
              "Update not supported for closed positions.");
    EXPECT_EQ(UpdateTrade(doc, closedBuy, Values(true, "XYZ", 1, 1)).message,
              "Cannot update buy/sell change.");
    EXPECT_EQ(SerializeToBytes(doc), before);
}

TEST(Ledger, RemovalGivesUnitsBackAndFreesOnlyUnnamedNumbers)
{
    CBlotterSpace doc;
    AddBuy(doc, Values(false, "AAA", 10, 5), kNow);
    AddBuy(doc, Values(false, "BBB", 10, 5), kNow);
    TradeRecord second = Trade(doc, 2);
    AddSell(doc, &second, Values(true, "BBB", 4, 6), kNow);
    TradeRecord sale = Trade(doc, 3);

    ASSERT_TRUE(RemoveTrade(doc, sale).bChanged);
    EXPECT_EQ(Trade(doc, 2).quantity, 10); // the sale's units are back
    EXPECT_FALSE(RemoveTrade(doc, sale).bChanged);

    // A buy without sales goes, and its number is free again.
    ASSERT_TRUE(RemoveTrade(doc, second).bChanged);
    EXPECT_TRUE(AddBuy(doc, Values(false, "CCC", 1, 1), kNow).bChanged);
    EXPECT_EQ(doc.m_trades.GetCount(), 2u);
    EXPECT_EQ(TradeSymbol(Trade(doc, 2)), "CCC");
}
