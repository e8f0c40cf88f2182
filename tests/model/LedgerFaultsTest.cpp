// The ledger faults that made numbers untrustworthy: sales recosted after the fact, a buy's
// fee counted per sale, units lost on removal, numbers reused, fractions that never close,
// numbers that are not numbers, deleted records brought back.
#include <cmath>
#include <ctime>
#include <gtest/gtest.h>
#include <limits>

#include "model/Ledger.h"
#include "model/PortfolioFile.h"
#include "model/Valuation.h"
#include "tests/model/TradeValuesForTests.h"

namespace {
// 2026-03-02 and 2026-03-10, noon in New York; "now" is 2026-03-20.
constexpr std::int32_t kMonday = 1772470800;
constexpr std::int32_t kLater = kMonday + 8 * 86400;
constexpr std::time_t kNow = kMonday + 18 * 86400;

TradeValues Values(const char* symbol, double quantity, double price, double fee = 0)
{
    return MakeTradeValues(symbol, quantity, price, fee);
}

TradeValues Sale(const char* symbol, double quantity, double price, double fee = 0)
{
    return MakeTradeValues(symbol, quantity, price, fee, true);
}

TradeRecord Trade(const CBlotterSpace& doc, std::int32_t id)
{
    TradeRecord trade = MakeEmptyTrade();
    EXPECT_TRUE(doc.FindTrade(id, trade)) << id;
    return trade;
}

// Buy 100 AAPL at 150.25 (fee 4.95), sell 30 at 155.10 and 40 at 153.00 (fees 4.95 each).
CBlotterSpace TwoPartialSales(bool deductFees)
{
    CBlotterSpace doc;
    doc.m_bDeductBrokerage = deductFees ? 1 : 0;
    AddBuy(doc, Values("AAPL", 100, 150.25, 4.95), kMonday);
    TradeRecord buy = Trade(doc, 1);
    EXPECT_TRUE(AddSell(doc, &buy, Sale("AAPL", 30, 155.10, 4.95), kLater).bChanged);
    EXPECT_TRUE(AddSell(doc, &buy, Sale("AAPL", 40, 153.00, 4.95), kLater).bChanged);
    return doc;
}
} // namespace

TEST(LedgerFaults, ASaleKeepsTheCostItWasSoldAt)
{
    CBlotterSpace doc = TwoPartialSales(false);
    const double before = ComputeRealizedPL(doc, kNow).ytd;
    EXPECT_NEAR(before, 30 * 4.85 + 40 * 2.75, 1e-9); // 255.50

    TradeRecord buy = Trade(doc, 1);
    ASSERT_TRUE(UpdateTrade(doc, buy, Values("AAPL", 30, 150)).bChanged);
    EXPECT_EQ(ComputeRealizedPL(doc, kNow).ytd, before);
    // The stored gain of each sale agrees with the totals.
    EXPECT_NEAR(Trade(doc, 2).realizedPL + Trade(doc, 3).realizedPL, before, 1e-9);
}

TEST(LedgerFaults, ABuysFeeIsSharedByQuantityAndTakenOnce)
{
    CBlotterSpace doc = TwoPartialSales(true);
    // Sales take 30 and 40 hundredths of the buy's 4.95, each its own 4.95 once.
    RealizedPL realized = ComputeRealizedPL(doc, kNow);
    EXPECT_NEAR(realized.ytd, 255.50 - 4.95 * 0.7 - 2 * 4.95, 1e-9);
    EXPECT_NEAR(realized.mtd, realized.ytd, 1e-12);

    // The 30 still held carry the rest of the buy's fee in Position P/L.
    const CBuyFees fees(doc);
    TradeRecord buy = Trade(doc, 1);
    EXPECT_EQ(fees.Bought(buy), 100);
    RowAmounts row = ComputeRowAmounts(fees, buy, 160, 0, true);
    EXPECT_NEAR(row.positionPL, (160 - 150.25) * 30 - 4.95 * 0.3, 1e-9);
    EXPECT_NEAR(fees.OpenShare(buy) + fees.SaleShare(buy, 30) + fees.SaleShare(buy, 40), 4.95,
                1e-12);

    // Closed by the sales alone, the whole fee lies with them and nothing with the buy.
    ASSERT_TRUE(AddSell(doc, &buy, Sale("AAPL", 30, 151, 0), kLater).bChanged);
    const CBuyFees closed(doc);
    TradeRecord closedBuy = Trade(doc, 1);
    EXPECT_EQ(closed.OpenShare(closedBuy), 0);
    EXPECT_NEAR(ComputeRealizedPL(doc, kNow).ytd, 255.50 + 30 * 0.75 - 4.95 - 2 * 4.95, 1e-9);
}

TEST(LedgerFaults, RemovingASaleGivesItsUnitsBackAndABuyWithSalesStays)
{
    CBlotterSpace doc = TwoPartialSales(false);
    TradeRecord buy = Trade(doc, 1);
    ASSERT_TRUE(AddSell(doc, &buy, Sale("AAPL", 30, 151), kLater).bChanged);
    EXPECT_EQ(Trade(doc, 1).closed, 1);

    const std::string before = SerializeToBytes(doc);
    LedgerResult refused = RemoveTrade(doc, buy);
    EXPECT_TRUE(refused.Refused());
    EXPECT_EQ(refused.caption, "Remove error");
    EXPECT_EQ(refused.message,
              "Cannot remove trade 1: sales 2, 3, 4 refer to it. Remove the sales first.");
    EXPECT_EQ(SerializeToBytes(doc), before);

    // The last sale's 30 units come back and the buy is open again.
    ASSERT_TRUE(RemoveTrade(doc, Trade(doc, 4)).bChanged);
    EXPECT_EQ(Trade(doc, 1).quantity, 30);
    EXPECT_EQ(Trade(doc, 1).closed, 0);
    ASSERT_TRUE(RemoveTrade(doc, Trade(doc, 2)).bChanged);
    EXPECT_EQ(RemoveTrade(doc, buy).message,
              "Cannot remove trade 1: sale 3 refers to it. Remove the sale first.");
    ASSERT_TRUE(RemoveTrade(doc, Trade(doc, 3)).bChanged);
    EXPECT_EQ(Trade(doc, 1).quantity, 100);
    EXPECT_TRUE(RemoveTrade(doc, buy).bChanged);
    EXPECT_TRUE(doc.m_trades.IsEmpty());

    // A sale marked deleted does not hold its buy back.
    CBlotterSpace marked = TwoPartialSales(false);
    for (TradeRecord& trade : marked.m_trades)
        if (trade.isSell)
            trade.status = kStatusDeleted;
    EXPECT_TRUE(RemoveTrade(marked, Trade(marked, 1)).bChanged);
}

TEST(LedgerFaults, NumbersThatSalesStillNameAreNeverHandedOut)
{
    // An older file: buy 3, the highest number, was removed while sale 2 still named it.
    CBlotterSpace doc;
    AddBuy(doc, Values("A", 10, 1), kMonday);
    TradeRecord stale = MakeEmptyTrade();
    stale.id = 2;
    stale.refId = 3;
    stale.isSell = 1;
    stale.closed = 1;
    stale.quantity = 5;
    stale.price = 9;
    stale.sellDate = kLater;
    doc.m_trades.AddTail(stale);
    EXPECT_EQ(doc.NextTradeId(), 4);
    ASSERT_EQ(AddBuy(doc, Values("NEW", 5, 1), kLater).newId, 4);
    // The stale sale counts nowhere, and not against the new buy.
    EXPECT_EQ(ComputeRealizedPL(doc, kNow).ytd, 0);
    EXPECT_EQ(CBuyFees(doc).Bought(Trade(doc, 4)), 5);

    // Past the largest number, the smallest free one is used, skipping named ones too.
    CBlotterSpace full;
    TradeRecord top = MakeEmptyTrade();
    top.id = std::numeric_limits<std::int32_t>::max();
    top.refId = 1;
    full.m_trades.AddTail(top);
    EXPECT_EQ(full.NextTradeId(), 2);
}

TEST(LedgerFaults, FractionsCloseWithinTheTolerance)
{
    CBlotterSpace doc;
    AddBuy(doc, Values("F", 0.3, 10), kMonday);
    TradeRecord buy = Trade(doc, 1);
    ASSERT_TRUE(AddSell(doc, &buy, Sale("F", 0.1, 11), kLater).bChanged);
    ASSERT_NE(Trade(doc, 1).quantity, 0.2); // 0.19999999999999998
    LedgerResult rest = AddSell(doc, &buy, Sale("F", 0.2, 11), kLater);
    ASSERT_TRUE(rest.bChanged) << rest.message;
    EXPECT_EQ(Trade(doc, 1).quantity, 0);
    EXPECT_EQ(Trade(doc, 1).closed, 1);
    // The sale took exactly what was held: held and sold still add up to what was bought.
    EXPECT_EQ(Trade(doc, 2).quantity + Trade(doc, 3).quantity, 0.1 + (0.3 - 0.1));

    // One part in a billion over what is held is still a short sale.
    CBlotterSpace big;
    AddBuy(big, Values("B", 1000, 1), kMonday);
    TradeRecord bigBuy = Trade(big, 1);
    EXPECT_EQ(AddSell(big, &bigBuy, Sale("B", 1000.00001, 1), kLater).caption,
              "Short sell not supported");
    EXPECT_TRUE(AddSell(big, &bigBuy, Sale("B", 1000.0000001, 1), kLater).bChanged);
    EXPECT_EQ(Trade(big, 2).quantity, 1000);
    EXPECT_EQ(Trade(big, 1).closed, 1);
}

TEST(LedgerFaults, OnlyFiniteNumbersInRangeGetIn)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    CBlotterSpace doc;
    struct Bad
    {
        double quantity, price, fee;
        const char* says;
        ETradeField field;
    } bad[] = {
        {nan, 1, 0, kMsgBadQuantity, ETradeField::Quantity},
        {inf, 1, 0, kMsgBadQuantity, ETradeField::Quantity},
        {-5, 1, 0, kMsgBadQuantity, ETradeField::Quantity},
        {0, 1, 0, kMsgBadQuantity, ETradeField::Quantity},
        {1, nan, 0, kMsgBadPrice, ETradeField::Price},
        {1, -inf, 0, kMsgBadPrice, ETradeField::Price},
        {1, -0.01, 0, kMsgBadPrice, ETradeField::Price},
        {1, 1, -1, kMsgBadFee, ETradeField::BrokerFee},
        {1, 1, inf, kMsgBadFee, ETradeField::BrokerFee},
    };
    for (const Bad& b : bad) {
        LedgerResult r = AddBuy(doc, Values("X", b.quantity, b.price, b.fee), kMonday);
        EXPECT_EQ(r.message, b.says) << b.quantity << " " << b.price << " " << b.fee;
        EXPECT_EQ(r.caption, "Invalid number");
        EXPECT_EQ(r.field, b.field);
    }
    EXPECT_TRUE(doc.m_trades.IsEmpty());

    // A price and fee of 0 are fine; a sale of 0 names the quantity, not a short sale.
    ASSERT_TRUE(AddBuy(doc, Values("X", 10, 0, 0), kMonday).bChanged);
    TradeRecord buy = Trade(doc, 1);
    const std::string before = SerializeToBytes(doc);
    for (double q : {0.0, -5.0, nan}) {
        LedgerResult r = AddSell(doc, &buy, Sale("X", q, 1), kLater);
        EXPECT_EQ(r.message, kMsgBadQuantity) << q;
    }
    EXPECT_EQ(AddSell(doc, &buy, Sale("X", 1, 1, -1), kLater).message, kMsgBadFee);
    EXPECT_EQ(UpdateTrade(doc, buy, Values("X", 1, inf)).message, kMsgBadPrice);
    EXPECT_EQ(UpdateTrade(doc, buy, Values("X", 0, 1)).message, kMsgBadQuantity);
    EXPECT_EQ(SerializeToBytes(doc), before);
}

TEST(LedgerFaults, DeletedRecordsAndTheAllCategoryAreRefused)
{
    CBlotterSpace doc;
    AddBuy(doc, Values("DEL", 10, 5), kMonday);
    doc.m_trades.begin()->status = kStatusDeleted;
    TradeRecord deleted = Trade(doc, 1);
    const std::string before = SerializeToBytes(doc);
    EXPECT_EQ(AddSell(doc, &deleted, Sale("DEL", 1, 6), kLater).message, kMsgPositionNotOpen);
    EXPECT_FALSE(UpdateTrade(doc, deleted, Values("DEL", 20, 5)).bChanged);
    EXPECT_FALSE(RemoveTrade(doc, deleted).bChanged);
    EXPECT_EQ(SerializeToBytes(doc), before);

    TradeValues all = Values("X", 1, 1);
    all.category = "All";
    LedgerResult r = AddBuy(doc, all, kMonday);
    EXPECT_EQ(r.caption, "Category error");
    EXPECT_EQ(r.field, ETradeField::Category);
    AddBuy(doc, Values("X", 1, 1), kMonday);
    TradeRecord open = Trade(doc, 2);
    EXPECT_TRUE(UpdateTrade(doc, open, all).Refused());
    all.bSell = true;
    EXPECT_TRUE(AddSell(doc, &open, all, kLater).Refused());
    // "all" in other letters is an ordinary name.
    all.category = "all";
    EXPECT_TRUE(AddSell(doc, &open, all, kLater).bChanged);
}

TEST(LedgerFaults, SalesAreNeverDatedBeforeTheirPurchase)
{
    CBlotterSpace doc;
    AddBuy(doc, Values("D", 10, 5), kLater);
    TradeRecord buy = Trade(doc, 1);
    LedgerResult early = AddSell(doc, &buy, Sale("D", 1, 6), kMonday);
    EXPECT_EQ(early.message, kMsgSaleBeforeBuy);
    EXPECT_EQ(early.caption, "Date error");
    ASSERT_TRUE(AddSell(doc, &buy, Sale("D", 1, 6), kLater).bChanged); // the same moment

    // A purchase moved past one of its sales is refused; moved earlier, the sale follows.
    EXPECT_EQ(UpdateTrade(doc, buy, Values("D", 9, 5), kLater + 1).message, kMsgBuyAfterSale);
    ASSERT_TRUE(UpdateTrade(doc, buy, Values("D", 9, 5), kMonday).bChanged);
    EXPECT_EQ(Trade(doc, 1).buyDate, kMonday);
    EXPECT_EQ(Trade(doc, 2).buyDate, kMonday);
    EXPECT_EQ(Trade(doc, 2).sellDate, kLater);
}
