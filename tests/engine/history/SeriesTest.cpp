// The series the history shows: value computed from imported closes and the holdings of each
// day, recorded refreshes in their place, the category filter and fees, ranges, one row per
// day across a change of clocks, and the calendar helpers they stand on.
#include <gtest/gtest.h>

#include "engine/history/CloseImport.h"
#include "engine/history/HistoryQuery.h"
#include "engine/history/HistoryStore.h"
#include "engine/history/LocalDays.h"
#include "model/Ledger.h"
#include "tests/engine/history/HistoryTestSupport.h"
#include "tests/model/TradeValuesForTests.h"
#include "tests/support/tempdir/TempDir.h"

using namespace history_test;

namespace {

// Local 15:00 of a March 2026 day, New York.
std::int32_t March(int day)
{
    return static_cast<std::int32_t>(StartOfLocalDay({2026, 3, day}) + 15 * 3600);
}

TradeValues Buy(const char* pszSymbol, double dQuantity, double dPrice, const char* pszCategory)
{
    return MakeTradeValues(pszSymbol, dQuantity, dPrice, 10, false, pszCategory);
}

// IBM: 100 bought March 2 at 10, 40 sold March 4. MSFT (Business): 10 bought March 1 at 50.
CBlotterSpace Portfolio()
{
    CBlotterSpace doc;
    doc.AddDefaultCategories();
    doc.m_strCategoryFilter = "All";
    AddBuy(doc, Buy("IBM", 100, 10, "Personal"), March(2));
    AddBuy(doc, Buy("MSFT", 10, 50, "Business"), March(1));
    TradeRecord ibm = MakeEmptyTrade();
    doc.FindTrade(1, ibm);
    TradeValues sale = Buy("IBM", 40, 12, "Personal");
    sale.bSell = true;
    AddSell(doc, &ibm, sale, March(4));
    return doc;
}

std::vector<SPricePoint> Closes(std::initializer_list<std::tuple<int, const char*, double>> rows)
{
    std::vector<SPricePoint> closes;
    for (const auto& [day, symbol, price] : rows) {
        SPricePoint close;
        close.time = EndOfLocalDay({2026, 3, day});
        close.symbol = symbol;
        close.country = "United States";
        close.price = price;
        close.bImported = true;
        closes.push_back(close);
    }
    return closes;
}

} // namespace

TEST(HistorySeries, ValueComesFromEachDaysHoldingsAtTheLatestClose)
{
    CBlotterSpace doc = Portfolio();
    // IBM has no close on day 3: its day-2 close still prices it.
    const auto closes = Closes({{1, "IBM", 9},
                                {2, "IBM", 11},
                                {2, "MSFT", 60},
                                {3, "MSFT", 61},
                                {4, "IBM", 12},
                                {4, "XYZ", 5}});
    std::vector<SValuePoint> series = MergeValueSeries({}, closes, doc, {});
    // Day 1: MSFT held but not priced yet, IBM not bought yet: no point.
    ASSERT_EQ(series.size(), 3u);
    EXPECT_EQ(series[0].time, EndOfLocalDay({2026, 3, 2}));
    EXPECT_DOUBLE_EQ(series[0].totalValue, 100 * 11 + 10 * 60);
    EXPECT_DOUBLE_EQ(series[0].positionPL, 100 * (11 - 10) + 10 * (60 - 50));
    EXPECT_TRUE(series[0].bComputed);
    EXPECT_FALSE(series[0].plToday.has_value()) << "unknown, never 0";
    EXPECT_FALSE(series[0].quotesAsked.has_value());
    EXPECT_EQ(series[0].category, "All");
    EXPECT_DOUBLE_EQ(series[1].totalValue, 100 * 11 + 10 * 61);
    EXPECT_DOUBLE_EQ(series[2].totalValue, 60 * 12 + 10 * 61) << "after the sale of 40";

    // Brokerage deducted: each held buy's fee once; a category filter counts its trades only.
    doc.m_bDeductBrokerage = 1;
    doc.m_strCategoryFilter = "Business";
    series = MergeValueSeries({}, closes, doc, {});
    ASSERT_EQ(series.size(), 3u);
    EXPECT_DOUBLE_EQ(series[0].totalValue, 10 * 60);
    EXPECT_DOUBLE_EQ(series[0].positionPL, 10 * (60 - 50) - 10);
    EXPECT_EQ(series[0].category, "Business");

    // A day with a recorded refresh shows the refresh, and a range keeps its days only.
    doc.m_bDeductBrokerage = 0;
    doc.m_strCategoryFilter = "All";
    SValuePoint recorded;
    recorded.time = March(3);
    recorded.totalValue = 777;
    recorded.plToday = 1;
    SHistoryRange range{StartOfLocalDay({2026, 3, 3}), EndOfLocalDay({2026, 3, 4})};
    series = MergeValueSeries({recorded}, closes, doc, range);
    ASSERT_EQ(series.size(), 2u);
    EXPECT_FALSE(series[0].bComputed);
    EXPECT_DOUBLE_EQ(series[0].totalValue, 777);
    EXPECT_TRUE(series[1].bComputed);
    EXPECT_EQ(series[1].time, EndOfLocalDay({2026, 3, 4}));
}

TEST(HistorySeries, QueriesReadRangesAndKeepEachDaysLastRowAcrossAChangeOfClocks)
{
    tf::test::CTempDir dir("tf-history");
    CHistoryDb db;
    ASSERT_TRUE(db.Open(dir.File("h.sqlite"), EHistoryOpen::Create));
    // New York moves its clocks on 2026-03-08: 01:59:59 EST is followed by 03:00:00 EDT.
    const std::time_t dayStart = StartOfLocalDay({2026, 3, 8});
    const std::time_t times[] = {StartOfLocalDay({2026, 3, 7}) + 10 * 3600,
                                 StartOfLocalDay({2026, 3, 7}) + 86399,
                                 dayStart,
                                 dayStart + 3 * 3600,
                                 EndOfLocalDay({2026, 3, 8}),
                                 EndOfLocalDay({2026, 3, 8}) + 1};
    EXPECT_EQ(EndOfLocalDay({2026, 3, 8}) - dayStart, 23 * 3600 - 1) << "a 23-hour day";
    for (std::time_t when : times)
        ASSERT_TRUE(WriteRefresh(db, SampleRefresh(when, 1)));
    CBlotterSpace doc = Portfolio();

    std::vector<SValuePoint> points;
    ASSERT_TRUE(QueryValueSeries(db, doc, {}, false, points));
    EXPECT_EQ(points.size(), 6u);
    ASSERT_TRUE(QueryValueSeries(db, doc, {}, true, points));
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].time, times[1]);
    EXPECT_EQ(points[1].time, times[4]);
    EXPECT_EQ(points[2].time, times[5]);

    // Both ends of a range are inclusive to the second.
    ASSERT_TRUE(QueryValueSeries(db, doc, {times[2], times[4]}, false, points));
    EXPECT_EQ(points.size(), 3u);
    std::vector<SPricePoint> prices;
    ASSERT_TRUE(QueryPriceSeries(db, "S0", {times[1], std::nullopt}, true, prices));
    // Each quote arrived a second before its refresh: March 8's last is at times[5] - 1.
    ASSERT_EQ(prices.size(), 2u);
    EXPECT_EQ(prices[0].time, times[2] - 1);
    EXPECT_EQ(prices[1].time, times[5] - 1);
    ASSERT_TRUE(QueryPriceSeries(db, "NONE", {}, true, prices));
    EXPECT_TRUE(prices.empty());
}

TEST(HistorySeries, AnImportReplacesTheSameDaysClosesAndTakesTheTradesCountry)
{
    tf::test::CTempDir dir("tf-history");
    const std::string path = dir.File("h.sqlite");
    CHistoryDb db;
    ASSERT_TRUE(db.Open(path, EHistoryOpen::Create));
    CBlotterSpace doc = Portfolio();
    doc.m_strBaseCountry = "Canada";
    const std::vector<SCloseRow> rows = {
        {{2026, 3, 2}, "IBM", 11}, {{2026, 3, 3}, "IBM", 11.5}, {{2026, 3, 2}, "XYZ", 5}};
    SImportSummary summary;
    ASSERT_TRUE(ImportCloses(db, doc, rows, summary));
    EXPECT_EQ(summary.nCloses, 3u);
    EXPECT_EQ(summary.symbols, (std::vector<std::string>{"IBM", "XYZ"}));
    EXPECT_EQ(summary.notInPortfolio, (std::vector<std::string>{"XYZ"}));
    EXPECT_EQ(summary.first, (SLocalDate{2026, 3, 2}));
    EXPECT_EQ(summary.last, (SLocalDate{2026, 3, 3}));

    ASSERT_TRUE(ImportCloses(db, doc, {{{2026, 3, 3}, "IBM", 12}}, summary));
    std::vector<SPricePoint> prices;
    ASSERT_TRUE(ReadPrices(db, "IBM", {}, prices));
    ASSERT_EQ(prices.size(), 2u) << "the second import replaced March 3";
    EXPECT_DOUBLE_EQ(prices[1].price, 12);
    EXPECT_EQ(prices[1].time, EndOfLocalDay({2026, 3, 3}));
    EXPECT_EQ(prices[1].country, "United States");
    ASSERT_TRUE(ReadPrices(db, "XYZ", {}, prices));
    ASSERT_EQ(prices.size(), 1u);
    EXPECT_EQ(prices[0].country, "Canada") << "a symbol no trade names takes the base country";
    std::vector<std::string> symbols;
    ASSERT_TRUE(ReadImportedSymbols(db, symbols));
    EXPECT_EQ(symbols, (std::vector<std::string>{"IBM", "XYZ"}));
}

TEST(LocalDays, DatesParseStrictlyAndMonthsBackKeepToTheMonth)
{
    SLocalDate date;
    std::string error;
    EXPECT_TRUE(ParseLocalDate("2024-02-29", date, error));
    EXPECT_EQ(date, (SLocalDate{2024, 2, 29}));
    EXPECT_EQ(IsoDateText(date), "2024-02-29");
    EXPECT_TRUE(ParseLocalDate("2024-02-29T23:59", date, error));
    EXPECT_EQ(date, (SLocalDate{2024, 2, 29})) << "a time keeps its own day";
    for (const char* pszBad : {"2025-02-29", "2025-13-01", "1969-12-31", "2025/01/01"}) {
        EXPECT_FALSE(ParseLocalDate(pszBad, date, error)) << pszBad;
        EXPECT_NE(error.find(pszBad), std::string::npos) << error;
    }

    EXPECT_EQ(MonthsBefore({2026, 5, 31}, 3), (SLocalDate{2026, 2, 28}));
    EXPECT_EQ(MonthsBefore({2024, 5, 31}, 3), (SLocalDate{2024, 2, 29}));
    EXPECT_EQ(MonthsBefore({2026, 1, 15}, 1), (SLocalDate{2025, 12, 15}));
    EXPECT_EQ(MonthsBefore({2026, 3, 5}, 12), (SLocalDate{2025, 3, 5}));

    EXPECT_EQ(LocalDateTimeText(kNow), "2026-03-05 14:07:45");
    EXPECT_EQ(LocalDateOf(EndOfLocalDay({2026, 3, 5})), (SLocalDate{2026, 3, 5}));
    EXPECT_EQ(LocalDateOf(EndOfLocalDay({2026, 3, 5}) + 1), (SLocalDate{2026, 3, 6}));
}
