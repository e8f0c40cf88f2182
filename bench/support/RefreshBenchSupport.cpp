#include "bench/support/RefreshBenchSupport.h"

#include <cstdlib>

#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"

namespace {

void PointUsQuotesAt(const std::string& strAddress)
{
    setenv(QuoteServerVariable(QuoteServerRole::UsQuotes), strAddress.c_str(), 1);
}

void ForgetUsQuotes()
{
    unsetenv(QuoteServerVariable(QuoteServerRole::UsQuotes));
}

} // namespace

std::string BenchSymbol(int n)
{
    return "S" + std::to_string(n);
}

CBlotterSpace MakeBenchPortfolio(int nPositions)
{
    CBlotterSpace doc;
    doc.m_bAutoRefresh = 0;
    doc.m_nRefreshMinutes = 10;
    doc.m_strCategoryFilter = "All";
    doc.m_bCheckVersion = 0;
    doc.m_bDeductBrokerage = 0;
    doc.m_bUseBidForOptions = 0;
    doc.m_bPagerAlerts = 0;
    doc.AddDefaultCategories();
    doc.m_trades.Reserve(static_cast<std::size_t>(nPositions));
    for (int n = 0; n < nPositions; ++n) {
        TradeRecord trade = MakeEmptyTrade();
        trade.id = n + 1;
        SetTradeSymbol(trade, BenchSymbol(n));
        SetTradeCategory(trade, n % 2 == 0 ? "Personal" : "Business");
        SetTradeCountry(trade, "United States");
        trade.quantity = 10 + n % 90;
        trade.price = 20 + n % 50;
        trade.currentPrice = 21 + n % 40;
        trade.dayChange = (n % 7) - 3;
        doc.m_trades.AddTail(trade);
    }
    return doc;
}

std::vector<SQuoteReply> FetchOneAfterAnother(const std::vector<SQuoteRequest>& requests,
                                              const SQuoteBatchOptions& /*options*/)
{
    std::vector<SQuoteReply> replies;
    for (const SQuoteRequest& request : requests) {
        SQuoteReply reply;
        reply.request = request;
        if (FetchQuote(request.strSymbol, request.strCountry, request.bUseBid, reply.dPrice,
                       reply.dChange) != kFetchOk)
            reply.failure = EQuoteFailure::kNetwork;
        replies.push_back(reply);
    }
    return replies;
}

CDelayedQuoteServer::CDelayedQuoteServer(int nDelayMs)
{
    m_server.AllowKeepAlive(1000);
    ScriptedReply reply;
    reply.strBody = "\"S\",42.5,\"3/5/2026\",\"4:00pm\",+0.5,42,43,41,1000\r\n";
    reply.nStallBeforeMs = nDelayMs;
    m_server.Script("/d/quotes.csv", reply);
    m_bRunning = m_server.Start();
    if (m_bRunning)
        PointUsQuotesAt(m_server.Address());
}

CDelayedQuoteServer::~CDelayedQuoteServer()
{
    ForgetUsQuotes();
    m_server.Stop();
}

CSilentQuoteServer::CSilentQuoteServer()
{
    if (m_listener.Port() > 0)
        PointUsQuotesAt(m_listener.Address());
}

CSilentQuoteServer::~CSilentQuoteServer()
{
    ForgetUsQuotes();
}
