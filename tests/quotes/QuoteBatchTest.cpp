// FetchQuotes against scripted servers on loopback: one reply per request with its reason,
// the per-host limit and kept-alive connections, hosts that failed once, the deadline, the
// stop signal, and the password asked once per host.
#include "quotes/QuoteBatch.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "quotes/FetchQuote.h"
#include "quotes/QuotePasswords.h"
#include "quotes/QuoteServers.h"
#include "tests/support/httpserver/ScriptedHttpServer.h"
#include "tests/support/httpserver/SilentListener.h"
#include "tests/support/process/ChildProcess.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUsPath = "/d/quotes.csv";

std::string UsLine(const std::string& strSymbol, double dPrice)
{
    return "\"" + strSymbol + "\"," + std::to_string(dPrice) +
           ",\"12/8/1999\",\"4:00pm\",+0.5,1,2,3,4\r\n";
}

ScriptedReply Reply(int nStatus, const std::string& strBody, int nStallMs = 0)
{
    ScriptedReply reply;
    reply.nStatus = nStatus;
    reply.strBody = strBody;
    reply.nStallBeforeMs = nStallMs;
    return reply;
}

std::vector<SQuoteRequest> UsRequests(int nCount, const std::string& strPrefix = "S")
{
    std::vector<SQuoteRequest> requests;
    for (int i = 0; i < nCount; ++i)
        requests.push_back({strPrefix + std::to_string(i), "United States", 0});
    return requests;
}

double Seconds(Clock::duration elapsed)
{
    return std::chrono::duration<double>(elapsed).count();
}

class QuoteBatchTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* pVariable : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY",
                                      kHostConnectionsVariable, kRefreshDeadlineVariable})
            unsetenv(pVariable);
        ASSERT_TRUE(m_server.Start());
        PointRolesAt(m_server.Address());
        SetPasswordPrompt(nullptr);
        ForgetRememberedPasswords();
        SetFetchLimits(HttpLimits());
    }
    void TearDown() override
    {
        m_server.Stop();
        SetPasswordPrompt(nullptr);
        ForgetRememberedPasswords();
        SetFetchLimits(HttpLimits());
        for (int n = 0; n <= static_cast<int>(QuoteServerRole::MakerSite); ++n)
            unsetenv(QuoteServerVariable(static_cast<QuoteServerRole>(n)));
    }

    static void PointRolesAt(const std::string& strAddress)
    {
        for (int n = 0; n <= static_cast<int>(QuoteServerRole::MakerSite); ++n)
            setenv(QuoteServerVariable(static_cast<QuoteServerRole>(n)), strAddress.c_str(), 1);
    }

    CScriptedHttpServer m_server;
};

} // namespace

TEST_F(QuoteBatchTest, EachFailureKeepsItsReasonBesideThePricesThatArrived)
{
    m_server.Script(kUsPath, Reply(200, UsLine("IBM", 123.5)));
    m_server.Script("/quotes/ukie/quote.csv", Reply(503, "<html>Service unavailable</html>\n"));
    m_server.Script("/quotes/aunz/quote", Reply(200, "Symbol,Last\n\"BHP\",\"N/A\",d,\"N/A\"\n"));
    m_server.Script("/quotes/Detail.cfm", Reply(407, "<html>Proxy login</html>\n"));
    m_server.Script("/cgi-bin/cboeget.exe", Reply(200, "Last Sale\n1\n2\n3\n4\n3 1/8\n"));

    const std::vector<SQuoteRequest> requests = {
        {"IBM", "United States", 0}, {"VOD", "United Kingdom", 0}, {"BHP", "Australia", 0},
        {"ABBN", "Switzerland", 0},  {"XYZ.O", "Canada", 0},       {"", "United States", 0}};
    std::vector<std::size_t> arrivals;
    std::mutex mutex;
    SQuoteBatchOptions options;
    options.clock = [] { return std::time_t{1772737665}; };
    options.onReply = [&](std::size_t nIndex, const SQuoteReply&) {
        std::lock_guard<std::mutex> lock(mutex);
        arrivals.push_back(nIndex);
    };
    const std::vector<SQuoteReply> replies = FetchQuotes(requests, options);

    ASSERT_EQ(replies.size(), requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i)
        EXPECT_EQ(replies[i].request, requests[i]) << i;
    EXPECT_TRUE(replies[0].Ok());
    EXPECT_DOUBLE_EQ(replies[0].dPrice, 123.5);
    EXPECT_DOUBLE_EQ(replies[0].dChange, 0.5);
    EXPECT_EQ(replies[0].arrived, 1772737665);
    EXPECT_EQ(replies[1].Reason(), "HTTP 503");
    EXPECT_EQ(replies[2].Reason(), "no price in the reply");
    EXPECT_EQ(replies[3].Reason(), "HTTP 407");
    EXPECT_EQ(replies[4].Reason(), "no price in the reply");
    EXPECT_EQ(replies[5].Reason(), "no symbol");
    EXPECT_EQ(replies[5].ResultCode(), kFetchMissingArgument);
    for (std::size_t i = 1; i < replies.size(); ++i) {
        EXPECT_FALSE(replies[i].Ok()) << i;
        EXPECT_EQ(replies[i].arrived, 0) << i;
    }
    // Every reply was announced once.
    EXPECT_EQ(std::set<std::size_t>(arrivals.begin(), arrivals.end()).size(), requests.size());
    EXPECT_EQ(arrivals.size(), requests.size());

    // A server that refuses: a port that was free a moment ago.
    PointRolesAt("127.0.0.1:" + std::to_string(tf::test::FreeLoopbackPort()));
    const std::vector<SQuoteReply> refused = FetchQuotes(UsRequests(3), SQuoteBatchOptions());
    for (const SQuoteReply& reply : refused)
        EXPECT_EQ(reply.Reason(), "refused");
    EXPECT_EQ(refused[0].ResultCode(), kFetchFailed);
}

TEST_F(QuoteBatchTest, AtMostTheLimitAtOnceToOneHostOverKeptAliveConnections)
{
    CScriptedHttpServer server;
    server.AllowKeepAlive(100);
    ASSERT_TRUE(server.Start());
    PointRolesAt(server.Address());
    server.Script(kUsPath, Reply(200, UsLine("X", 10), 150));

    // Twelve replies of 150 ms, three at a time: four rounds.
    SQuoteBatchOptions options;
    options.nHostConnections = 3;
    const auto start = Clock::now();
    std::vector<SQuoteReply> replies = FetchQuotes(UsRequests(12), options);
    const double dSeconds = Seconds(Clock::now() - start);
    for (const SQuoteReply& reply : replies)
        EXPECT_TRUE(reply.Ok()) << reply.Reason();
    EXPECT_EQ(server.MaxConcurrent(), 3);
    EXPECT_GE(dSeconds, 0.55);
    std::set<int> ports;
    for (const ReceivedRequest& request : server.Requests())
        ports.insert(request.nRemotePort);
    EXPECT_EQ(server.Requests().size(), 12u);
    EXPECT_LE(ports.size(), 3u) << "connections were not reused";

    // The default is 8; the environment overrides it.
    server.ClearRequests();
    replies = FetchQuotes(UsRequests(20), SQuoteBatchOptions());
    EXPECT_EQ(server.MaxConcurrent(), kDefaultHostConnections);
    setenv(kHostConnectionsVariable, "2", 1);
    server.ClearRequests();
    replies = FetchQuotes(UsRequests(6), QuoteBatchOptionsFromEnvironment());
    EXPECT_EQ(server.MaxConcurrent(), 2);
    unsetenv(kHostConnectionsVariable);
    server.Stop();
}

TEST_F(QuoteBatchTest, AHostThatTimedOutIsNotAskedAgainAndTheDeadlineEndsTheRest)
{
    // A server that stalls: the first two requests time out, the other eight fail at once
    // with the same reason and never reach it.
    HttpLimits limits;
    limits.nStallTimeoutMs = 400;
    SetFetchLimits(limits);
    m_server.Script(kUsPath, Reply(200, UsLine("X", 1), 20000));
    SQuoteBatchOptions options;
    options.nHostConnections = 2;
    auto start = Clock::now();
    std::vector<SQuoteReply> replies = FetchQuotes(UsRequests(10), options);
    EXPECT_LT(Seconds(Clock::now() - start), 3.0);
    for (const SQuoteReply& reply : replies)
        EXPECT_EQ(reply.Reason(), "no answer in time");
    EXPECT_EQ(m_server.Requests().size(), 2u);

    // Another host in the same fetch is still asked.
    CScriptedHttpServer good;
    ASSERT_TRUE(good.Start());
    good.Script("/quotes/ukie/quote.csv", Reply(200, "h\n\"VOD*L\",\"0.75\",d,e,f,g,\"0.70\"\n"));
    setenv(QuoteServerVariable(QuoteServerRole::RegionalQuotes), good.Address().c_str(), 1);
    m_server.ClearRequests();
    std::vector<SQuoteRequest> mixed = UsRequests(4);
    mixed.push_back({"VOD", "United Kingdom", 0});
    replies = FetchQuotes(mixed, options);
    EXPECT_TRUE(replies.back().Ok()) << replies.back().Reason();
    EXPECT_NEAR(replies.back().dChange, 0.05, 1e-9);
    good.Stop();

    // A server that accepts and never answers, with the stall limit far away: the deadline
    // ends the whole fetch.
    SetFetchLimits(HttpLimits());
    CSilentListener silent;
    ASSERT_GT(silent.Port(), 0);
    PointRolesAt(silent.Address());
    setenv(kRefreshDeadlineVariable, "0.8", 1);
    options = QuoteBatchOptionsFromEnvironment();
    unsetenv(kRefreshDeadlineVariable);
    EXPECT_EQ(options.deadline, std::chrono::milliseconds(800));
    start = Clock::now();
    replies = FetchQuotes(UsRequests(10), options);
    const double dSeconds = Seconds(Clock::now() - start);
    EXPECT_GE(dSeconds, 0.75);
    EXPECT_LT(dSeconds, 2.0);
    for (const SQuoteReply& reply : replies)
        EXPECT_EQ(reply.failure, EQuoteFailure::kTimedOut);
}

TEST_F(QuoteBatchTest, TheStopSignalEndsEveryFetchAtOnce)
{
    m_server.Script(kUsPath, Reply(200, UsLine("X", 1), 20000));
    SQuoteBatchOptions options;
    options.pCancel = std::make_shared<CHttpCancel>();
    std::thread stopper([pCancel = options.pCancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        pCancel->Cancel();
    });
    const auto start = Clock::now();
    const std::vector<SQuoteReply> replies = FetchQuotes(UsRequests(12), options);
    stopper.join();
    EXPECT_LT(Seconds(Clock::now() - start), 1.5);
    for (const SQuoteReply& reply : replies)
        EXPECT_EQ(reply.Reason(), "stopped");
}

TEST_F(QuoteBatchTest, ThePasswordIsAskedOncePerHostOffTheFetchingThread)
{
    ScriptedReply challenge = Reply(401, "<html>denied</html>\n");
    challenge.headers.emplace_back("WWW-Authenticate", "Basic realm=\"quotes\"");
    // The server wants ann's password: anything else is challenged.
    CScriptedHttpServer& server = m_server;
    server.Script(kUsPath, challenge);
    std::atomic<int> nPrompts{0};
    std::atomic<bool> bOnCaller{false};
    const std::thread::id caller = std::this_thread::get_id();
    SetPasswordPrompt([&](const std::string& strHost, HttpCredentials& credentials) {
        ++nPrompts;
        bOnCaller = bOnCaller || std::this_thread::get_id() == caller;
        EXPECT_EQ(strHost, "127.0.0.1");
        // The user takes a moment; the scripted server is told to accept meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        server.Script(kUsPath, {Reply(200, UsLine("X", 7))});
        credentials = {"ann", "s3cret"};
        return true;
    });
    std::vector<SQuoteReply> replies = FetchQuotes(UsRequests(20), SQuoteBatchOptions());
    EXPECT_EQ(nPrompts, 1);
    EXPECT_FALSE(bOnCaller);
    for (const SQuoteReply& reply : replies)
        EXPECT_TRUE(reply.Ok()) << reply.Reason();

    // The next fetch sends the remembered password with every request and asks nothing.
    server.ClearRequests();
    replies = FetchQuotes(UsRequests(5), SQuoteBatchOptions());
    EXPECT_EQ(nPrompts, 1);
    ASSERT_EQ(server.Requests().size(), 5u);
    for (const ReceivedRequest& request : server.Requests())
        EXPECT_EQ(request.Header("Authorization"), "Basic YW5uOnMzY3JldA==");

    // A cancelled prompt fails the host's every quote with one question.
    ForgetRememberedPasswords();
    server.Script(kUsPath, challenge);
    nPrompts = 0;
    SetPasswordPrompt([&](const std::string&, HttpCredentials&) {
        ++nPrompts;
        return false;
    });
    replies = FetchQuotes(UsRequests(12), SQuoteBatchOptions());
    EXPECT_EQ(nPrompts, 1);
    for (const SQuoteReply& reply : replies) {
        EXPECT_EQ(reply.Reason(), "no password given");
        EXPECT_EQ(reply.ResultCode(), kFetchNotMade);
    }
}

TEST_F(QuoteBatchTest, SettingsOutsideTheirRangeAreIgnored)
{
    for (const char* pValue : {"0", "65", "-3", "eight", "4x", ""}) {
        setenv(kHostConnectionsVariable, pValue, 1);
        EXPECT_EQ(QuoteBatchOptionsFromEnvironment().nHostConnections, kDefaultHostConnections)
            << pValue;
    }
    setenv(kHostConnectionsVariable, "64", 1);
    EXPECT_EQ(QuoteBatchOptionsFromEnvironment().nHostConnections, 64);
    for (const char* pValue : {"0", "-1", "3601", "soon", "10s", "nan", "inf"}) {
        setenv(kRefreshDeadlineVariable, pValue, 1);
        EXPECT_EQ(QuoteBatchOptionsFromEnvironment().deadline, kDefaultRefreshDeadline) << pValue;
    }
    setenv(kRefreshDeadlineVariable, "120", 1);
    EXPECT_EQ(QuoteBatchOptionsFromEnvironment().deadline, std::chrono::milliseconds(120000));
    unsetenv(kHostConnectionsVariable);
    unsetenv(kRefreshDeadlineVariable);
}
