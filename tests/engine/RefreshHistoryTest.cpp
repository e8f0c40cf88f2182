// The refresh's history rows come from the refresh's own result: each quote that arrived once
// per symbol and country at its own arrival time, no row for a failed one, the counts of
// quotes asked and failed as the refresh counted them, and the totals and filter shown.
#include "engine/RefreshHistory.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/history/HistoryQuery.h"
#include "engine/history/HistoryStore.h"
#include "tests/support/tempdir/TempDir.h"

namespace {

// 2026-03-05 14:07:45 in New York.
constexpr std::time_t kNow = 1772737665;

TradeRecord Lot(std::int32_t id, const std::string& strSymbol, double dQuantity)
{
    TradeRecord trade = MakeEmptyTrade();
    trade.id = id;
    SetTradeSymbol(trade, strSymbol);
    SetTradeCategory(trade, "Personal");
    SetTradeCountry(trade, "United States");
    trade.quantity = dQuantity;
    trade.price = 10;
    trade.currentPrice = 10;
    return trade;
}

SQuoteReply Arrived(const std::string& strSymbol, int bUseBid, double dPrice, std::time_t when)
{
    SQuoteReply reply;
    reply.request = {strSymbol, "United States", bUseBid};
    reply.dPrice = dPrice;
    reply.dChange = 0.5;
    reply.arrived = when;
    return reply;
}

} // namespace

TEST(RefreshHistory, RowsComeFromTheRefreshResultAndAFailedQuoteWritesNone)
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_strCategoryFilter = "Personal";
    doc.m_trades.AddTail(Lot(1, "IBM", 100));
    doc.m_trades.AddTail(Lot(2, "NOPE", 5));
    doc.m_trades.AddTail(Lot(3, "MSFT", 10));

    // IBM asked for its last price and its bid (two distinct quotes of one security), NOPE
    // failed, MSFT arrived first.
    const std::vector<SQuoteReply> replies = {
        Arrived("IBM", 0, 131.0, kNow - 5),
        FailedQuote({"NOPE", "United States", 0}, EQuoteFailure::kHttpStatus, 503),
        Arrived("MSFT", 0, 310.0, kNow - 9), Arrived("IBM", 1, 130.5, kNow - 2)};
    const RefreshResult result = ApplyRefresh(doc, &replies, nullptr, kNow);
    ASSERT_EQ(result.nQuotesAsked, 4);
    ASSERT_EQ(result.nQuotesFailed, 1);

    const SHistoryRefresh refresh = HistoryOfRefresh(doc, result, kNow);
    EXPECT_EQ(refresh.time, kNow);
    EXPECT_EQ(refresh.quotesAsked, 4);
    EXPECT_EQ(refresh.quotesFailed, 1);
    EXPECT_EQ(refresh.category, "Personal");
    EXPECT_DOUBLE_EQ(refresh.totalValue, result.dTotalValue);
    EXPECT_DOUBLE_EQ(refresh.positionPL, result.dTotalPositionPL);
    ASSERT_EQ(refresh.quotes.size(), 2u) << "IBM once, MSFT once, nothing for NOPE";
    EXPECT_EQ(refresh.quotes[0].symbol, "IBM");
    EXPECT_EQ(refresh.quotes[0].arrived, kNow - 2) << "kept as it last arrived";
    EXPECT_DOUBLE_EQ(refresh.quotes[0].price, 130.5);
    EXPECT_EQ(refresh.quotes[1].symbol, "MSFT");
    EXPECT_EQ(refresh.quotes[1].arrived, kNow - 9) << "each quote at its own arrival";

    // Written in one go, and read back as the chart and tfport read it.
    tf::test::CTempDir folder("tf-refresh-history");
    std::vector<std::string> told;
    CRefreshHistory history(folder.File("info.kgw"),
                            [&told](const std::string& strText) { told.push_back(strText); });
    history.Record(doc, result, kNow);
    EXPECT_TRUE(history.LastWriteOk());
    EXPECT_TRUE(told.empty());
    CHistoryDb db;
    ASSERT_TRUE(db.Open(folder.File("info.kgw.history.sqlite"), EHistoryOpen::ExistingOnly));
    std::vector<SPricePoint> prices;
    ASSERT_TRUE(QueryPriceSeries(db, "NOPE", {}, false, prices));
    EXPECT_TRUE(prices.empty()) << "a gap, never a 0";
    ASSERT_TRUE(QueryPriceSeries(db, "IBM", {}, false, prices));
    ASSERT_EQ(prices.size(), 1u);
    EXPECT_DOUBLE_EQ(prices[0].price, 130.5);
}
