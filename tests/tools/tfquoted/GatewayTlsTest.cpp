// tfquoted as a gateway, in process, against a fake quote service on loopback over real TLS:
// each preset's replies reach Tallyfern's own readers through FetchQuote, "no quote" is a
// 404 with the reason, a certificate for another host is refused before anything is sent,
// connections are kept alive and capped, and a 429 holds the requests.
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/net/HttpRequest.h"
#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tests/tools/tfquoted/FakeUpstream.h"
#include "tools/tfquoted/QuoteService.h"
#include "tools/tfquoted/QuoteSource.h"
#include "tools/tfquoted/upstream/QuoteGateway.h"

namespace {

using tf::test::CFakeUpstream;
using tf::test::kFakeUpstreamKey;
using tf::test::SFakeQuote;

constexpr QuoteServerRole kRoles[] = {
    QuoteServerRole::UsQuotes,    QuoteServerRole::RegionalQuotes, QuoteServerRole::AuNzQuotes,
    QuoteServerRole::SwissQuotes, QuoteServerRole::OptionQuotes,   QuoteServerRole::MakerSite};

constexpr const char* kMarkets =
    R"("markets": {"US": "{symbol}", "L": "{symbol}.L", "AUNZ": "{symbol}.AX"},
       "aliases": {"1222171": "NESN.SW"})";

struct SGet
{
    int nStatus = 0;
    std::string strBody;
};

class GatewayTlsTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        for (const char* pVariable :
             {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
            unsetenv(pVariable);
        }
        ASSERT_TRUE(m_upstream.Start()) << m_upstream.Certificates().Error();
        m_upstream.SetQuote("IBM", {131.25, 0.75, 130.5});
        m_upstream.SetQuote("VOD.L", {72.48, -0.36, 72.84});
        m_upstream.SetQuote("BHP.AX", {45.2, 0.3, 44.9});
        m_upstream.SetQuote("NESN.SW", {1234.5, 4.5, 1230.0});
    }

    void TearDown() override { StopGateway(); }

    // The gateway over the configuration text, served on a free loopback port that every
    // quote role points at.
    void ServeGateway(const std::string& strConfig, const std::string& strKey = kFakeUpstreamKey)
    {
        StopGateway();
        const SConfigResult config =
            ParseUpstreamConfig(strConfig, "/", [strKey](const std::string& strName) {
                return strName == "TF_TEST_QUOTE_KEY" ? std::optional<std::string>(strKey)
                                                      : std::nullopt;
            });
        ASSERT_TRUE(config.config) << config.strError;
        SGatewayOptions options;
        options.log = [this](const std::string& strLine) { Record(strLine); };
        m_pGateway = std::make_unique<CQuoteGateway>(*config.config, options);
        m_pSource = std::make_unique<CGatewaySource>(*m_pGateway);
        QuoteServiceOptions serviceOptions;
        serviceOptions.log = [this](const std::string& strLine) { Record(strLine); };
        m_pService = std::make_unique<CQuoteService>(*m_pSource, serviceOptions);
        m_nPort = m_pService->Bind("127.0.0.1", 0);
        ASSERT_GT(m_nPort, 0);
        m_pService->Start();
        for (const auto role : kRoles) {
            setenv(QuoteServerVariable(role), ("127.0.0.1:" + std::to_string(m_nPort)).c_str(), 1);
        }
    }

    void ServePreset(const std::string& strPreset, const std::string& strExtra = kMarkets)
    {
        ServeGateway(m_upstream.PresetConfig(strPreset, "TF_TEST_QUOTE_KEY", strExtra));
    }

    void StopGateway()
    {
        if (m_pService) {
            m_pService->Stop();
        }
        m_pService.reset();
        m_pSource.reset();
        m_pGateway.reset();
        for (const auto role : kRoles) {
            unsetenv(QuoteServerVariable(role));
        }
    }

    SGet Get(const std::string& strObject)
    {
        HttpUrl url;
        url.strHost = "127.0.0.1";
        url.nPort = m_nPort;
        url.strObject = strObject;
        CHttpRequest request(url, HttpLimits{});
        EXPECT_TRUE(request.Send()) << request.GetErrorText();
        return SGet{request.GetStatus(), request.GetBody()};
    }

    nlohmann::json Status() { return nlohmann::json::parse(Get("/status").strBody); }

    void Record(const std::string& strLine)
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        m_log.push_back(strLine);
    }

    std::vector<std::string> Log()
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        return m_log;
    }

    CFakeUpstream m_upstream;
    std::unique_ptr<CQuoteGateway> m_pGateway;
    std::unique_ptr<CGatewaySource> m_pSource;
    std::unique_ptr<CQuoteService> m_pService;
    int m_nPort = 0;
    std::mutex m_logMutex;
    std::vector<std::string> m_log;
};

} // namespace

TEST_F(GatewayTlsTest, EachPresetReachesTallyfernsReadersInEveryLayout)
{
    for (const char* pPreset : {"finnhub", "twelvedata", "alphavantage"}) {
        SCOPED_TRACE(pPreset);
        m_upstream.Server().ClearRequests();
        ServePreset(pPreset);

        QuoteFetchResult us = FetchQuoteResult("IBM", "United States", 0);
        EXPECT_EQ(us.nResult, kFetchOk);
        EXPECT_DOUBLE_EQ(us.dPrice, 131.25);
        EXPECT_DOUBLE_EQ(us.dChange, 0.75);

        // VOD in the United Kingdom is VOD.L at the service.
        QuoteFetchResult uk = FetchQuoteResult("VOD", "United Kingdom", 0);
        EXPECT_DOUBLE_EQ(uk.dPrice, 72.48);
        EXPECT_NEAR(uk.dChange, -0.36, 1e-9);
        EXPECT_EQ(m_upstream.RequestsFor("VOD.L"), 1);
        EXPECT_EQ(m_upstream.RequestsFor("VOD"), 0);

        QuoteFetchResult au = FetchQuoteResult("BHP", "Australia", 0);
        EXPECT_DOUBLE_EQ(au.dPrice, 45.2);
        EXPECT_NEAR(au.dChange, 0.3, 1e-9);

        // A Valor number through its alias.
        QuoteFetchResult swiss = FetchQuoteResult("1222171", "Switzerland", 0);
        EXPECT_DOUBLE_EQ(swiss.dPrice, 1234.5);
        EXPECT_NEAR(swiss.dChange, 4.5, 1e-9);

        const auto status = Status();
        EXPECT_EQ(status["upstream"], pPreset);
        EXPECT_EQ(status["requests"], 4);
        EXPECT_EQ(status["failures"]["tls"], 0);
    }
}

TEST_F(GatewayTlsTest, NoQuoteIsA404WithTheReasonAndTheKeyIsNeverShown)
{
    ServePreset("finnhub");
    const SGet unknown = Get("/d/quotes.csv?s=NOPE&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(unknown.nStatus, 404);
    EXPECT_EQ(unknown.strBody,
              "no quote for NOPE: the reply's price is 0: the service does not know the symbol\n");
    const SGet france = Get("/quotes/ukie/quote.csv?symbols=AIR*P&detailed=s");
    EXPECT_EQ(france.nStatus, 404);
    EXPECT_NE(france.strBody.find("no template for market P"), std::string::npos);
    const SGet option = Get("/cgi-bin/cboeget.exe?ticker=.XYZ");
    EXPECT_EQ(option.nStatus, 404);
    EXPECT_EQ(Get("/d/quotes.csv?s=").nStatus, 404);
    // A known symbol still answers in its layout.
    const SGet ibm = Get("/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(ibm.nStatus, 200);
    EXPECT_EQ(ibm.strBody.rfind("\"IBM\",131.25,", 0), 0U) << ibm.strBody;

    // A wrong key: the service says 401, the program hears "no quote" and why.
    ServeGateway(m_upstream.PresetConfig("finnhub", "TF_TEST_QUOTE_KEY"), "wrong-key-987");
    const SGet badKey = Get("/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(badKey.nStatus, 404);
    EXPECT_NE(badKey.strBody.find("HTTP 401 (is the key right?)"), std::string::npos);
    const std::string strStatus = Get("/status").strBody;
    EXPECT_NE(strStatus.find("\"http\": 1"), std::string::npos) << strStatus;
    EXPECT_EQ(strStatus.find("wrong-key-987"), std::string::npos);

    // The service received the keys; the log and /status never show one.
    bool bSawUpstreamLine = false;
    for (const std::string& strLine : Log()) {
        EXPECT_EQ(strLine.find(kFakeUpstreamKey), std::string::npos) << strLine;
        EXPECT_EQ(strLine.find("wrong-key-987"), std::string::npos) << strLine;
        bSawUpstreamLine |= strLine.find("token={key}") != std::string::npos;
    }
    EXPECT_TRUE(bSawUpstreamLine);
    EXPECT_EQ(m_upstream.Server().Requests().back().Param("token"), "wrong-key-987");
}

TEST_F(GatewayTlsTest, RepliesThatCarryNoQuote)
{
    const std::string strBase = m_upstream.Server().BaseUrl();
    auto& server = m_upstream.Server();
    server.Script("/html", ScriptedReply{200,
                                         {{"Content-Type", "text/html"}},
                                         "<html><body>Service Unavailable</body></html>"});
    server.Script("/empty", ScriptedReply{200, {}, R"({"price": null})"});
    server.Script("/strings",
                  ScriptedReply{200, {}, R"({"q": {"last": " 17.25 ", "prev": "17"}})"});
    const auto Config = [&](const std::string& strPath, const std::string& strPointers) {
        return R"({"url": ")" + strBase + strPath + R"(?s={symbol}", "ca_file": ")" +
               m_upstream.Certificates().CaFile() + R"(", "cache_seconds": 0, )" + strPointers +
               "}";
    };
    ServeGateway(Config("/html", R"("price": "/price")"));
    EXPECT_NE(Get("/d/quotes.csv?s=IBM").strBody.find("not JSON"), std::string::npos);
    ServeGateway(Config("/empty", R"("price": "/price")"));
    EXPECT_NE(Get("/d/quotes.csv?s=IBM").strBody.find("no price at \"/price\""), std::string::npos);
    // Numeric texts, and the change from the previous close when no change is configured.
    ServeGateway(Config("/strings", R"("price": "/q/last", "previous_close": "/q/prev")"));
    QuoteFetchResult r = FetchQuoteResult("IBM", "United States", 0);
    EXPECT_DOUBLE_EQ(r.dPrice, 17.25);
    EXPECT_DOUBLE_EQ(r.dChange, 0.25);
}

TEST_F(GatewayTlsTest, ASlowServiceIsNoQuoteAtTheTimeout)
{
    ServePreset("finnhub", R"("timeout_seconds": 1)");
    m_upstream.SetDelayMs(2500);
    const SGet slow = Get("/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(slow.nStatus, 404);
    EXPECT_NE(slow.strBody.find("did not answer within 1 s"), std::string::npos) << slow.strBody;
    EXPECT_EQ(Status()["failures"]["timeout"], 1);
}

TEST_F(GatewayTlsTest, ACertificateThatDoesNotProveTheHostIsRefusedBeforeAnythingIsSent)
{
    // Signed by the trusted CA, but for another host name.
    CFakeUpstream otherHost;
    ASSERT_TRUE(otherHost.Start(true)) << otherHost.Certificates().Error();
    ServeGateway(otherHost.PresetConfig("finnhub", "TF_TEST_QUOTE_KEY"));
    SGet answer = Get("/d/quotes.csv?s=IBM");
    EXPECT_EQ(answer.nStatus, 404);
    EXPECT_NE(answer.strBody.find("no verified secure connection"), std::string::npos)
        << answer.strBody;
    EXPECT_TRUE(otherHost.Server().Requests().empty());

    // The right host, but a CA the gateway was not told to trust (the system's store).
    ServeGateway(R"({"preset": "finnhub", "key_env": "TF_TEST_QUOTE_KEY", "url": ")" +
                 m_upstream.PresetUrl("finnhub") + "\"}");
    answer = Get("/d/quotes.csv?s=IBM");
    EXPECT_NE(answer.strBody.find("no verified secure connection"), std::string::npos);

    // A plain HTTP server behind an https:// URL: no quote, and no plain request either.
    CScriptedHttpServer plain;
    ASSERT_TRUE(plain.Start());
    plain.Script("/api/v1/quote", ScriptedReply{200, {}, R"({"c": 1, "d": 0, "pc": 1})"});
    ServeGateway(R"({"preset": "finnhub", "key_env": "TF_TEST_QUOTE_KEY", "url": "https://)" +
                 plain.Address() + R"(/api/v1/quote?symbol={symbol}&token={key}"})");
    answer = Get("/d/quotes.csv?s=IBM");
    EXPECT_EQ(answer.nStatus, 404);
    EXPECT_TRUE(plain.Requests().empty());
    EXPECT_EQ(Status()["failures"]["tls"], 1);
    EXPECT_EQ(m_upstream.Server().Requests().size(), 0U);
}

TEST_F(GatewayTlsTest, KeepsConnectionsAliveAndNeverOpensMoreThanAllowed)
{
    ServePreset("finnhub", R"("cache_seconds": 0, "connections": 2, "requests_per_minute": 600)");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(FetchQuoteResult("IBM", "United States", 0).dPrice, 131.25);
    }
    std::set<int> ports;
    for (const auto& request : m_upstream.Server().Requests()) {
        ports.insert(request.nRemotePort);
    }
    EXPECT_EQ(m_upstream.Server().Requests().size(), 5U);
    EXPECT_EQ(ports.size(), 1U) << "one connection, kept alive, carries every request";

    m_upstream.SetDelayMs(200);
    for (int i = 0; i < 6; ++i) {
        m_upstream.SetQuote("P" + std::to_string(i), {10.0 + i, 0.5, 9.5 + i});
    }
    std::vector<std::thread> askers;
    std::vector<double> prices(6, 0.0);
    for (int i = 0; i < 6; ++i) {
        askers.emplace_back([&prices, i] {
            prices[i] = FetchQuoteResult("P" + std::to_string(i), "United States", 0).dPrice;
        });
    }
    for (auto& asker : askers) {
        asker.join();
    }
    for (int i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(prices[i], 10.0 + i);
    }
    EXPECT_LE(m_upstream.Server().MaxConcurrent(), 2);
    EXPECT_EQ(m_upstream.Server().MaxConcurrent(), 2);
}

TEST_F(GatewayTlsTest, A429WithRetryAfterHoldsEveryRequest)
{
    m_upstream.Server().Script(
        "/limited", ScriptedReply{429, {{"Retry-After", "120"}}, R"({"error": "limit"})"});
    ServeGateway(R"({"url": ")" + m_upstream.Server().BaseUrl() +
                 R"(/limited?symbol={symbol}&token={key}", "price": "/c",
                     "key_env": "TF_TEST_QUOTE_KEY", "ca_file": ")" +
                 m_upstream.Certificates().CaFile() + "\"}");
    EXPECT_EQ(Get("/d/quotes.csv?s=IBM").nStatus, 404);
    const SGet held = Get("/d/quotes.csv?s=MSFT");
    EXPECT_EQ(held.nStatus, 404);
    EXPECT_NE(held.strBody.find("asked to wait"), std::string::npos) << held.strBody;
    EXPECT_EQ(m_upstream.Server().Requests().size(), 1U);
    const auto status = Status();
    EXPECT_EQ(status["rate_limited"], true);
    EXPECT_GE(status["retry_after_seconds"], 118);
    EXPECT_EQ(status["failures"]["rate_limited"], 2);
}
