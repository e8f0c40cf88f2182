#include "bench/support/RefreshBenchSupport.h"

#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"

namespace {

// Enough for every connection a benchmark opens to wait in the queue.
constexpr int kSilentBacklog = 128;

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
    m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof addr;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_fd, kSilentBacklog) != 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &nLength) != 0)
        return;
    m_nPort = ntohs(addr.sin_port);
    PointUsQuotesAt("127.0.0.1:" + std::to_string(m_nPort));
}

CSilentQuoteServer::~CSilentQuoteServer()
{
    ForgetUsQuotes();
    if (m_fd >= 0)
        ::close(m_fd);
}
