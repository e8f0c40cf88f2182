// The gateway's own rules, with a stand-in for the network and a clock the test moves: the
// cache, the request budget and a 429's hold, one request for many askers, the kinds of
// failure, and /status.
#include "tools/tfquoted/upstream/QuoteGateway.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kKey = "KEY-abc/123";

class QuoteGatewayTest : public ::testing::Test
{
  protected:
    SUpstreamConfig Config()
    {
        SUpstreamConfig config;
        config.strName = "finnhub";
        config.strUrl = "https://quotes.test/q?symbol={symbol}&token={key}";
        config.strPricePointer = "/c";
        config.changePointer = "/d";
        config.previousClosePointer = "/pc";
        config.strKey = kKey;
        config.markets = {{EQuoteMarket::US, "{symbol}"}, {EQuoteMarket::L, "{symbol}.L"}};
        config.nCacheSeconds = 60;
        config.nRequestsPerMinute = 100;
        return config;
    }

    std::unique_ptr<CQuoteGateway> Make(const SUpstreamConfig& config)
    {
        SGatewayOptions options;
        options.clock = [this] { return m_now; };
        options.log = [this](const std::string& strLine) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_log.push_back(strLine);
        };
        options.fetch = [this](const std::string& strUrl, std::chrono::milliseconds) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_urls.push_back(strUrl);
            return m_reply;
        };
        return std::make_unique<CQuoteGateway>(config, options);
    }

    void Reply(int nStatus, const std::string& strBody, const std::string& strRetryAfter = "")
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_reply = SUpstreamResponse{};
        m_reply.nStatus = nStatus;
        m_reply.strBody = strBody;
        m_reply.strRetryAfter = strRetryAfter;
    }

    std::size_t Fetches()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_urls.size();
    }

    GatewayClock::time_point m_now = GatewayClock::time_point() + std::chrono::hours(10);
    std::mutex m_mutex;
    SUpstreamResponse m_reply;
    std::vector<std::string> m_urls;
    std::vector<std::string> m_log;
};

} // namespace

TEST_F(QuoteGatewayTest, AnswersFromTheCacheWhileFreshAndAsksAgainAfter)
{
    auto pGateway = Make(Config());
    Reply(200, R"({"c": 72.5, "d": -0.5, "pc": 73})");
    SGatewayAnswer first = pGateway->Lookup(EQuoteMarket::L, "VOD");
    ASSERT_TRUE(first.quote) << first.strFailure;
    EXPECT_EQ(first.strServiceSymbol, "VOD.L");
    EXPECT_FALSE(first.bFromCache);
    EXPECT_DOUBLE_EQ(first.quote->dPrice, 72.5);
    ASSERT_EQ(Fetches(), 1U);
    EXPECT_EQ(m_urls[0], "https://quotes.test/q?symbol=VOD.L&token=KEY-abc%2F123");

    // Another path asking for the same service symbol shares the cache.
    Reply(200, R"({"c": 99, "d": 0, "pc": 99})");
    m_now += std::chrono::seconds(59);
    SGatewayAnswer cached = pGateway->Lookup(EQuoteMarket::US, "VOD.L");
    ASSERT_TRUE(cached.quote);
    EXPECT_TRUE(cached.bFromCache);
    EXPECT_DOUBLE_EQ(cached.quote->dPrice, 72.5);
    EXPECT_EQ(Fetches(), 1U);

    m_now += std::chrono::seconds(1);
    SGatewayAnswer fresh = pGateway->Lookup(EQuoteMarket::L, "VOD");
    ASSERT_TRUE(fresh.quote);
    EXPECT_FALSE(fresh.bFromCache);
    EXPECT_DOUBLE_EQ(fresh.quote->dPrice, 99.0);
    EXPECT_EQ(Fetches(), 2U);

    const auto status = nlohmann::json::parse(pGateway->StatusJson());
    EXPECT_EQ(status["upstream"], "finnhub");
    EXPECT_EQ(status["requests"], 2);
    EXPECT_EQ(status["cache_hits"], 1);
    EXPECT_TRUE(status["last_failure"].is_null());
    EXPECT_EQ(status["rate_limited"], false);

    // With cache_seconds 0 every lookup asks.
    SUpstreamConfig uncached = Config();
    uncached.nCacheSeconds = 0;
    auto pUncached = Make(uncached);
    pUncached->Lookup(EQuoteMarket::US, "IBM");
    pUncached->Lookup(EQuoteMarket::US, "IBM");
    EXPECT_EQ(Fetches(), 4U);
}

TEST_F(QuoteGatewayTest, A429HoldsEveryRequestAndTheCacheServesMeanwhile)
{
    auto pGateway = Make(Config());
    Reply(200, R"({"c": 10, "d": 1, "pc": 9})");
    ASSERT_TRUE(pGateway->Lookup(EQuoteMarket::US, "IBM").quote);
    m_now += std::chrono::seconds(120); // IBM is stale now

    Reply(429, R"({"error": "API limit reached"})", "30");
    SGatewayAnswer limited = pGateway->Lookup(EQuoteMarket::US, "MSFT");
    EXPECT_FALSE(limited.quote);
    EXPECT_EQ(limited.failure, EGatewayFailure::RateLimited);
    EXPECT_NE(limited.strFailure.find("429"), std::string::npos) << limited.strFailure;
    EXPECT_EQ(Fetches(), 2U);

    // While held: nothing goes out; a quote from earlier is served, others are "no quote".
    m_now += std::chrono::seconds(10);
    SGatewayAnswer stale = pGateway->Lookup(EQuoteMarket::US, "IBM");
    ASSERT_TRUE(stale.quote);
    EXPECT_TRUE(stale.bFromCache);
    EXPECT_DOUBLE_EQ(stale.quote->dPrice, 10.0);
    SGatewayAnswer held = pGateway->Lookup(EQuoteMarket::US, "AAPL");
    EXPECT_EQ(held.failure, EGatewayFailure::RateLimited);
    EXPECT_NE(held.strFailure.find("wait 20 s"), std::string::npos) << held.strFailure;
    EXPECT_EQ(Fetches(), 2U);
    auto status = nlohmann::json::parse(pGateway->StatusJson());
    EXPECT_EQ(status["rate_limited"], true);
    EXPECT_EQ(status["retry_after_seconds"], 20);
    EXPECT_EQ(status["failures"]["rate_limited"], 2);

    m_now += std::chrono::seconds(20);
    Reply(200, R"({"c": 190, "d": 2, "pc": 188})");
    EXPECT_TRUE(pGateway->Lookup(EQuoteMarket::US, "AAPL").quote);
    EXPECT_EQ(Fetches(), 3U);
    status = nlohmann::json::parse(pGateway->StatusJson());
    EXPECT_EQ(status["rate_limited"], false);
}

TEST_F(QuoteGatewayTest, ASpentBudgetAnswersAtOnceWithoutAsking)
{
    SUpstreamConfig config = Config();
    config.nRequestsPerMinute = 2;
    auto pGateway = Make(config);
    Reply(200, R"({"c": 1, "d": 0, "pc": 1})");
    EXPECT_TRUE(pGateway->Lookup(EQuoteMarket::US, "A").quote);
    EXPECT_TRUE(pGateway->Lookup(EQuoteMarket::US, "B").quote);
    SGatewayAnswer spent = pGateway->Lookup(EQuoteMarket::US, "C");
    EXPECT_EQ(spent.failure, EGatewayFailure::RateLimited);
    EXPECT_NE(spent.strFailure.find("2 requests a minute are spent"), std::string::npos);
    EXPECT_EQ(Fetches(), 2U);
    EXPECT_EQ(nlohmann::json::parse(pGateway->StatusJson())["rate_limited"], true);
    m_now += std::chrono::seconds(30);
    EXPECT_TRUE(pGateway->Lookup(EQuoteMarket::US, "C").quote);
}

TEST_F(QuoteGatewayTest, ManyAskersOfOneSymbolMakeOneRequest)
{
    std::mutex gate;
    std::condition_variable opened;
    bool bOpen = false;
    std::atomic<int> nFetches{0};
    SGatewayOptions options;
    options.fetch = [&](const std::string&, std::chrono::milliseconds) {
        ++nFetches;
        std::unique_lock<std::mutex> lock(gate);
        opened.wait(lock, [&] { return bOpen; });
        SUpstreamResponse response;
        response.nStatus = 200;
        response.strBody = R"({"c": 5, "d": 0.1, "pc": 4.9})";
        return response;
    };
    CQuoteGateway gateway(Config(), options);
    std::vector<std::thread> askers;
    std::atomic<int> nQuotes{0};
    for (int i = 0; i < 4; ++i) {
        askers.emplace_back([&] {
            if (gateway.Lookup(EQuoteMarket::US, "IBM").quote) {
                ++nQuotes;
            }
        });
    }
    // Let every asker reach the gateway before the one request comes back.
    while (nFetches.load() == 0) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    {
        std::lock_guard<std::mutex> lock(gate);
        bOpen = true;
    }
    opened.notify_all();
    for (auto& asker : askers) {
        asker.join();
    }
    EXPECT_EQ(nFetches.load(), 1);
    EXPECT_EQ(nQuotes.load(), 4);
}

TEST_F(QuoteGatewayTest, EachFailureIsNamedCountedAndNeverShowsTheKey)
{
    auto pGateway = Make(Config());
    struct SCase
    {
        SUpstreamResponse response;
        EGatewayFailure failure;
        const char* pText;
    };
    const auto Response = [](ETransportFault fault, int nStatus, const std::string& strBody,
                             const std::string& strError = "") {
        SUpstreamResponse response;
        response.fault = fault;
        response.nStatus = nStatus;
        response.strBody = strBody;
        response.strError = strError;
        return response;
    };
    const std::string strLeaky = std::string("connect to quotes.test?token=") + kKey + " failed";
    const SCase cases[] = {
        {Response(ETransportFault::None, 401, R"({"error":"Invalid API key"})"),
         EGatewayFailure::Http, "HTTP 401 (is the key right?)"},
        {Response(ETransportFault::None, 503, "<html>down</html>"), EGatewayFailure::Http,
         "HTTP 503"},
        {Response(ETransportFault::None, 302, ""), EGatewayFailure::Http, "HTTP 302"},
        {Response(ETransportFault::None, 200, "<html><body>Oops</body></html>"),
         EGatewayFailure::NotJson, "not JSON"},
        {Response(ETransportFault::None, 200, R"({"Note": "call frequency"})"),
         EGatewayFailure::NoPrice, "no price"},
        {Response(ETransportFault::Timeout, 0, ""), EGatewayFailure::Timeout, "within 15 s"},
        {Response(ETransportFault::Busy, 0, ""), EGatewayFailure::Timeout, "busy"},
        {Response(ETransportFault::Tls, 0, "", "SSL: no alternative certificate subject name"),
         EGatewayFailure::Tls, "no verified secure connection"},
        {Response(ETransportFault::Network, 0, "", strLeaky), EGatewayFailure::Network,
         "token={key} failed"},
    };
    int nSymbol = 0;
    for (const SCase& c : cases) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_reply = c.response;
        }
        const SGatewayAnswer answer =
            pGateway->Lookup(EQuoteMarket::US, "S" + std::to_string(++nSymbol));
        EXPECT_FALSE(answer.quote);
        EXPECT_EQ(answer.failure, c.failure) << c.pText;
        EXPECT_NE(answer.strFailure.find(c.pText), std::string::npos) << answer.strFailure;
        EXPECT_EQ(answer.strFailure.rfind("no quote for S", 0), 0U) << answer.strFailure;
        EXPECT_EQ(answer.strFailure.find(kKey), std::string::npos);
    }
    // A market without a template is not asked.
    const std::size_t nBefore = Fetches();
    const SGatewayAnswer market = pGateway->Lookup(EQuoteMarket::SWISS, "1222171");
    EXPECT_EQ(market.failure, EGatewayFailure::Market);
    EXPECT_NE(market.strFailure.find("no quote for 1222171: "), std::string::npos);
    EXPECT_EQ(Fetches(), nBefore);

    const std::string strStatus = pGateway->StatusJson();
    EXPECT_EQ(strStatus.find(kKey), std::string::npos);
    const auto status = nlohmann::json::parse(strStatus);
    EXPECT_EQ(status["failures"]["http"], 3);
    EXPECT_EQ(status["failures"]["not_json"], 1);
    EXPECT_EQ(status["failures"]["no_price"], 1);
    EXPECT_EQ(status["failures"]["timeout"], 2);
    EXPECT_EQ(status["failures"]["tls"], 1);
    EXPECT_EQ(status["failures"]["network"], 1);
    EXPECT_EQ(status["failures"]["market"], 1);
    EXPECT_EQ(status["requests"], 8); // the busy one never left
    EXPECT_NE(status["last_failure"].get<std::string>().find("market SWISS"), std::string::npos);
    for (const std::string& strLine : m_log) {
        EXPECT_EQ(strLine.find(kKey), std::string::npos) << strLine;
        EXPECT_EQ(strLine.find("KEY-abc%2F123"), std::string::npos) << strLine;
    }
    ASSERT_FALSE(m_log.empty());
    EXPECT_NE(m_log.front().find("upstream GET https://quotes.test/q?symbol=S1&token={key} 401"),
              std::string::npos)
        << m_log.front();
}

TEST_F(QuoteGatewayTest, TheCacheMakesRoomByDroppingTheOldestQuote)
{
    SUpstreamConfig config = Config();
    config.nCacheSeconds = 3600;
    config.nRequestsPerMinute = 1000000;
    auto pGateway = Make(config);
    Reply(200, R"({"c": 2, "d": 0, "pc": 2})");
    // The cache holds 10,000 symbols; the one after them pushes out the first.
    constexpr int kSymbols = 10001;
    for (int i = 0; i < kSymbols; ++i) {
        m_now += std::chrono::milliseconds(1);
        ASSERT_TRUE(pGateway->Lookup(EQuoteMarket::US, "S" + std::to_string(i)).quote);
    }
    EXPECT_EQ(Fetches(), static_cast<std::size_t>(kSymbols));
    EXPECT_TRUE(pGateway->Lookup(EQuoteMarket::US, "S1").bFromCache);
    EXPECT_TRUE(pGateway->Lookup(EQuoteMarket::US, "S10000").bFromCache);
    EXPECT_FALSE(pGateway->Lookup(EQuoteMarket::US, "S0").bFromCache);
    EXPECT_EQ(Fetches(), static_cast<std::size_t>(kSymbols + 1));
}
