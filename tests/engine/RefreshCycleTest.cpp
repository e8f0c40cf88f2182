// The refresh cycle without a window: one fetch per distinct quote, failures that keep the
// stored prices and raise no alert, alerts in list order dated by the price's arrival, the
// counts and the texts of progress and failure; once against a scripted server.
#include "engine/RefreshCycle.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "quotes/QuoteServers.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"

namespace {

// 2026-03-05 14:07:45 in New York.
constexpr std::time_t kNow = 1772737665;

TradeRecord Lot(std::int32_t id, const std::string& strSymbol, double dQuantity, double dCurrent,
                double dChange = 0, const std::string& strCountry = "United States")
{
    TradeRecord trade = MakeEmptyTrade();
    trade.id = id;
    trade.status = kStatusInStep;
    SetTradeSymbol(trade, strSymbol);
    SetTradeCategory(trade, "Personal");
    SetTradeCountry(trade, strCountry);
    trade.quantity = dQuantity;
    trade.price = 10;
    trade.currentPrice = dCurrent;
    trade.dayChange = dChange;
    return trade;
}

CBlotterSpace Portfolio(const std::vector<TradeRecord>& trades)
{
    CBlotterSpace doc;
    doc.m_strCategoryFilter = "All";
    doc.m_bDeductBrokerage = 0;
    doc.m_bUseBidForOptions = 0;
    doc.m_bPagerAlerts = 0;
    doc.m_nAlertPercent = 5;
    doc.AddDefaultCategories();
    for (const TradeRecord& trade : trades)
        doc.m_trades.AddTail(trade);
    return doc;
}

// A fetch that answers from a table by symbol and country (others fail with "no price in the
// reply") and records what it was asked, each price arriving a second after the one before.
struct CScriptedFetch
{
    std::map<std::string, SQuoteReply> answers;
    std::vector<std::vector<SQuoteRequest>> calls;

    static std::string Key(const std::string& strSymbol, const std::string& strCountry)
    {
        return strSymbol + "|" + strCountry;
    }
    void Price(const std::string& strSymbol, double dPrice, double dChange,
               const std::string& strCountry = "United States")
    {
        SQuoteReply reply;
        reply.dPrice = dPrice;
        reply.dChange = dChange;
        answers[Key(strSymbol, strCountry)] = reply;
    }
    void Fail(const std::string& strSymbol, EQuoteFailure failure, int nStatus = 0)
    {
        answers[Key(strSymbol, "United States")] = FailedQuote({}, failure, nStatus);
    }
    QuoteBatchFunction Function()
    {
        return [this](const std::vector<SQuoteRequest>& requests, const SQuoteBatchOptions&) {
            calls.push_back(requests);
            std::vector<SQuoteReply> replies;
            std::time_t arrival = kNow;
            for (const SQuoteRequest& request : requests) {
                const auto it = answers.find(Key(request.strSymbol, request.strCountry));
                SQuoteReply reply = it != answers.end()
                                        ? it->second
                                        : FailedQuote(request, EQuoteFailure::kNoPrice);
                reply.request = request;
                if (reply.Ok())
                    reply.arrived = ++arrival;
                replies.push_back(reply);
            }
            return replies;
        };
    }
};

struct SAlertSeen
{
    std::int32_t id;
    double dPrice;
    std::time_t when;
};

} // namespace

TEST(RefreshCycle, LotsOfOneQuoteMakeOneRequestAndFailuresKeepTheirStoredPrices)
{
    CBlotterSpace doc =
        Portfolio({Lot(1, "IBM", 10, 100, 1), Lot(2, "XYZ", 5, 40, 0.5), Lot(3, "IBM", 20, 100, 1),
                   Lot(4, "VOD", 100, 0.7, 0, "United Kingdom"), Lot(5, "IBM", 1, 100, 1, "Canada"),
                   Lot(6, "OLD", 1, 1)});
    (doc.m_trades.begin() + 5)->closed = 1;
    CScriptedFetch fetch;
    fetch.Price("IBM", 120, 2);
    fetch.Fail("XYZ", EQuoteFailure::kHttpStatus, 503);
    fetch.Price("VOD", 0.75, 0.05, "United Kingdom");

    std::vector<SAlertSeen> alerts;
    const AlertFunction alert = [&](const CBlotterSpace&, const TradeRecord& trade, double dPrice,
                                    double, std::time_t when) {
        alerts.push_back({trade.id, dPrice, when});
    };
    const RefreshResult result = RunRefresh(doc, true, fetch.Function(), alert, kNow);

    // One request per distinct (symbol, country, use-bid), in list order of the first lot;
    // the closed lot is not asked for.
    ASSERT_EQ(fetch.calls.size(), 1u);
    const std::vector<SQuoteRequest> expected = {{"IBM", "United States", 0},
                                                 {"XYZ", "United States", 0},
                                                 {"VOD", "United Kingdom", 0},
                                                 {"IBM", "Canada", 0}};
    EXPECT_EQ(fetch.calls[0], expected);
    EXPECT_EQ(result.nQuotesAsked, 4);
    EXPECT_EQ(result.nQuotesFailed, 2); // XYZ, and IBM in Canada which the script lacks
    ASSERT_EQ(result.quotes.size(), 4u);
    EXPECT_EQ(result.quotes[1].Reason(), "HTTP 503");

    // Every lot of a quote that arrived has its price; the failed ones keep theirs, their
    // change and their status, and raise no alert.
    auto it = doc.m_trades.begin();
    EXPECT_EQ(it[0].currentPrice, 120);
    EXPECT_EQ(it[2].currentPrice, 120);
    EXPECT_EQ(it[0].status, kStatusChanged);
    EXPECT_EQ(it[1].currentPrice, 40);
    EXPECT_EQ(it[1].dayChange, 0.5);
    EXPECT_EQ(it[1].status, kStatusInStep);
    EXPECT_EQ(it[4].currentPrice, 100);
    EXPECT_EQ(it[4].status, kStatusInStep);
    EXPECT_EQ(it[5].status, kStatusInStep);

    // Alerts in list order, each dated by the arrival of its price.
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(alerts[0].id, 1);
    EXPECT_EQ(alerts[1].id, 3);
    EXPECT_EQ(alerts[2].id, 4);
    EXPECT_EQ(alerts[0].when, kNow + 1);
    EXPECT_EQ(alerts[1].when, kNow + 1);
    EXPECT_EQ(alerts[2].when, kNow + 2);

    // Rows for every open lot, the failed ones at their stored prices; the totals hold them.
    ASSERT_EQ(result.rows.size(), 5u);
    EXPECT_EQ(result.rows[1].cells[0], "40.0000");
    EXPECT_EQ(result.rows[1].priced, 0);
    EXPECT_EQ(result.rows[0].priced, kNow + 1);
    EXPECT_EQ(result.totals[kTotalValue], "3,975.00"); // 1200 + 200 + 2400 + 75 + 100
    EXPECT_EQ(RefreshFailureText(result),
              "2 quotes failed: XYZ (HTTP 503), IBM (no price in the reply)");
}

TEST(RefreshCycle, StoredPricesAreTestedAndMarkedWithoutAnyRequest)
{
    CBlotterSpace doc = Portfolio({Lot(1, "AAA", 10, 12.5, 0.75), Lot(2, "BBB", 10, 3, 0)});
    CScriptedFetch fetch;
    std::vector<SAlertSeen> alerts;
    const AlertFunction alert = [&](const CBlotterSpace&, const TradeRecord& trade, double dPrice,
                                    double, std::time_t when) {
        alerts.push_back({trade.id, dPrice, when});
    };
    const RefreshResult result = RunRefresh(doc, false, fetch.Function(), alert, kNow);
    EXPECT_TRUE(fetch.calls.empty());
    EXPECT_EQ(result.nQuotesAsked, 0);
    EXPECT_TRUE(result.quotes.empty());
    EXPECT_EQ(RefreshFailureText(result), "");
    ASSERT_EQ(alerts.size(), 2u);
    EXPECT_EQ(alerts[0].when, kNow);
    EXPECT_EQ(alerts[1].dPrice, 3);
    for (const TradeRecord& trade : doc.m_trades)
        EXPECT_EQ(trade.status, kStatusChanged);

    // Replies that name none of the lots (the lists changed meanwhile) change nothing.
    for (TradeRecord& trade : doc.m_trades)
        trade.status = kStatusInStep;
    alerts.clear();
    const std::vector<SQuoteReply> unrelated = {
        FailedQuote({"ZZZ", "France", 0}, EQuoteFailure::kRefused)};
    const RefreshResult applied = ApplyRefresh(doc, &unrelated, alert, kNow);
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(doc.m_trades.begin()->status, kStatusInStep);
    EXPECT_EQ(applied.rows.size(), 2u);
    EXPECT_EQ(applied.nQuotesFailed, 1);
}

TEST(RefreshCycle, FailureAndProgressTexts)
{
    RefreshResult result;
    for (const char* pSymbol : {"A", "B", "C", "D", "E", "F", "G"}) {
        result.quotes.push_back(FailedQuote({pSymbol, "France", 0}, EQuoteFailure::kRefused));
        ++result.nQuotesAsked;
        ++result.nQuotesFailed;
    }
    EXPECT_EQ(RefreshFailureText(result), "7 quotes failed: A (refused), B (refused), C (refused), "
                                          "D (refused), E (refused), and 2 more");
    result.quotes.resize(1);
    result.nQuotesFailed = 1;
    EXPECT_EQ(RefreshFailureText(result), "1 quote failed: A (refused)");
    EXPECT_EQ(RefreshProgressText(37, 100), "Refreshing 37 of 100 quotes\x85");
    EXPECT_EQ(RefreshProgressText(0, 1), "Refreshing 0 of 1 quote\x85");
}

TEST(RefreshCycle, AgainstAServerEachQuoteIsAskedOnceAndAlertsKeepTheListOrder)
{
    CScriptedHttpServer server;
    ASSERT_TRUE(server.Start());
    // The first symbol answers last, yet its lots are tested first, as in list order.
    ScriptedReply slow;
    slow.strBody = "\"AAA\",12.5,\"3/5/2026\",\"4:00pm\",+0.75,1,2,3,4\r\n";
    slow.nStallBeforeMs = 300;
    ScriptedReply quick;
    quick.strBody = "\"BBB\",25,\"3/5/2026\",\"4:00pm\",+1.5,1,2,3,4\r\n";
    server.Script("/d/quotes.csv", [slow, quick](const ReceivedRequest& request) {
        return request.Param("s") == "AAA" ? slow : quick;
    });
    setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), server.Address().c_str(), 1);
    CBlotterSpace doc = Portfolio({Lot(1, "AAA", 10, 100), Lot(2, "BBB", 20, 100),
                                   Lot(3, "AAA", 5, 100), Lot(4, "BBB", 1, 100)});
    std::vector<std::int32_t> tested;
    const AlertFunction alert = [&](const CBlotterSpace&, const TradeRecord& trade, double, double,
                                    std::time_t) { tested.push_back(trade.id); };
    const RefreshResult result = RunRefresh(doc, true, FetchQuotes, alert, kNow);
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));

    EXPECT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(tested, (std::vector<std::int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(result.nQuotesAsked, 2);
    EXPECT_EQ(result.nQuotesFailed, 0);
    EXPECT_EQ(doc.m_trades.begin()->currentPrice, 12.5);
    EXPECT_EQ((doc.m_trades.begin() + 3)->currentPrice, 25);
    EXPECT_GT(result.quotes[0].arrived, 0);
}
