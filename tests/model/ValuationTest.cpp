// Row amounts and the realized month and year totals, against a fixed local clock.
#include "model/Valuation.h"

#include <ctime>
#include <gtest/gtest.h>

#include "tests/model/TestDocuments.h"

namespace {
std::time_t LocalTime(int year, int month, int day, int hour = 12)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// A buy of 100 at 10 (fee 15) and a sale of all 100 at 12 (fee 10) on the given date.
CBlotterSpace SaleDocument(std::time_t soldAt)
{
    CBlotterSpace doc;
    doc.m_dExternalYtdGains = 500;
    TradeRecord buy = MakeBuy(1, "XYZ", 0, 10);
    buy.brokerFee = 15;
    buy.closed = 1;
    doc.m_trades.AddTail(buy);
    TradeRecord sale = MakeBuy(2, "XYZ", 100, 12);
    sale.costPrice = 10; // the buy's price when it was sold
    sale.refId = 1;
    sale.isSell = 1;
    sale.closed = 1;
    sale.brokerFee = 10;
    sale.sellDate = static_cast<std::int32_t>(soldAt);
    doc.m_trades.AddTail(sale);
    return doc;
}
} // namespace

TEST(Valuation, RowAmounts)
{
    TradeRecord trade = MakeBuy(1, "XYZ", 100, 10);
    trade.brokerFee = 15;
    CBlotterSpace doc;
    doc.m_trades.AddTail(trade);
    const CBuyFees fees(doc);
    RowAmounts row = ComputeRowAmounts(fees, trade, 12.5, -0.25, false);
    EXPECT_DOUBLE_EQ(row.value, 1250);
    EXPECT_DOUBLE_EQ(row.plToday, -25);
    EXPECT_DOUBLE_EQ(row.positionPL, 250);
    EXPECT_DOUBLE_EQ(ComputeRowAmounts(fees, trade, 12.5, -0.25, true).positionPL, 235);
}

TEST(Valuation, RealizedTotalsByMonthAndYear)
{
    std::time_t now = LocalTime(2026, 3, 20);
    CBlotterSpace doc = SaleDocument(LocalTime(2026, 3, 2));
    RealizedPL r = ComputeRealizedPL(doc, now);
    EXPECT_DOUBLE_EQ(r.mtd, 200);
    EXPECT_DOUBLE_EQ(r.ytd, 700);
    doc.m_bDeductBrokerage = 1;
    r = ComputeRealizedPL(doc, now);
    EXPECT_DOUBLE_EQ(r.mtd, 175);
    EXPECT_DOUBLE_EQ(r.ytd, 675);

    CBlotterSpace january = SaleDocument(LocalTime(2026, 1, 15));
    r = ComputeRealizedPL(january, now);
    EXPECT_DOUBLE_EQ(r.mtd, 0);
    EXPECT_DOUBLE_EQ(r.ytd, 700);

    // Last year's sale counts in neither; the external gains always count.
    CBlotterSpace lastYear = SaleDocument(LocalTime(2025, 3, 2));
    r = ComputeRealizedPL(lastYear, now);
    EXPECT_DOUBLE_EQ(r.mtd, 0);
    EXPECT_DOUBLE_EQ(r.ytd, 500);

    // The month is the local one: 23:00 on March 31st in New York is already April in UTC.
    CBlotterSpace lateMarch = SaleDocument(LocalTime(2026, 3, 31, 23));
    EXPECT_DOUBLE_EQ(ComputeRealizedPL(lateMarch, now).mtd, 200);
}

TEST(Valuation, SalesOfRemovedBuysAndDeletedSalesAddNothing)
{
    std::time_t now = LocalTime(2026, 3, 20);
    CBlotterSpace orphan = SaleDocument(LocalTime(2026, 3, 2));
    orphan.m_trades.RemoveAt(orphan.m_trades.begin());
    RealizedPL r = ComputeRealizedPL(orphan, now);
    EXPECT_DOUBLE_EQ(r.mtd, 0);
    EXPECT_DOUBLE_EQ(r.ytd, 500);

    CBlotterSpace deleted = SaleDocument(LocalTime(2026, 3, 2));
    std::next(deleted.m_trades.begin())->status = kStatusDeleted;
    EXPECT_DOUBLE_EQ(ComputeRealizedPL(deleted, now).ytd, 500);

    // Two sales of 100 from one buy take half of its fee each.
    CBlotterSpace twice = SaleDocument(LocalTime(2026, 3, 2));
    twice.m_bDeductBrokerage = 1;
    TradeRecord second = *std::next(twice.m_trades.begin());
    second.id = 3;
    twice.m_trades.AddTail(second);
    EXPECT_DOUBLE_EQ(ComputeRealizedPL(twice, now).mtd, 2 * (200 - 7.5 - 10));
}

TEST(Valuation, RowFilter)
{
    TradeRecord trade = MakeBuy(1, "XYZ", 1, 1);
    SetTradeCategory(trade, "Business");
    EXPECT_TRUE(IsOpenPosition(trade));
    EXPECT_TRUE(PassesCategoryFilter(trade, "All"));
    EXPECT_TRUE(PassesCategoryFilter(trade, "Business"));
    EXPECT_FALSE(PassesCategoryFilter(trade, "business"));
    trade.closed = 1;
    EXPECT_FALSE(IsOpenPosition(trade));
    trade.closed = 0;
    trade.status = kStatusDeleted;
    EXPECT_FALSE(IsOpenPosition(trade));
}
