// The tfquoted program in gateway mode: --check as a user tests a key, refusals at start (a
// broken configuration, a key file others can read, a port already taken), and /status and
// SIGTERM while it serves. The quote service is the fake one on loopback over TLS.
#include <csignal>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "platform/net/HttpRequest.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"
#include "tests/tools/tfquoted/FakeUpstream.h"

namespace {

using namespace tf::test;

// tfquoted answers within the gateway's time-out; anything slower is stuck.
constexpr std::chrono::milliseconds kProgramTimeout{20000};

class GatewayProgramTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_upstream.Start()) << m_upstream.Certificates().Error();
        m_upstream.SetQuote("VOD.L", {72.48, -0.36, 72.84});
        m_upstream.SetQuote("IBM", {131.25, 0.75, 130.5});
        m_strConfig = m_dir.File("quotes.json");
        WriteFileBytes(m_strConfig, m_upstream.PresetConfig(
                                        "finnhub", "TF_TEST_QUOTE_KEY",
                                        R"("markets": {"US": "{symbol}", "L": "{symbol}.L"})"));
    }

    SProcessOptions Options(const std::string& strKey = kFakeUpstreamKey) const
    {
        SProcessOptions options;
        options.unsetEnv = {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"};
        if (!strKey.empty()) {
            options.env = {{"TF_TEST_QUOTE_KEY", strKey}};
        } else {
            options.unsetEnv.push_back("TF_TEST_QUOTE_KEY");
        }
        options.timeout = kProgramTimeout;
        return options;
    }

    SProcessResult Quoted(const std::vector<std::string>& args,
                          const SProcessOptions& options) const
    {
        std::vector<std::string> argv{TFQUOTED_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, options);
    }

    CFakeUpstream m_upstream;
    CTempDir m_dir{"tf-gateway-program"};
    std::string m_strConfig;
};

void ExpectNoKey(const SProcessResult& result)
{
    EXPECT_EQ(result.out.find(kFakeUpstreamKey), std::string::npos) << result.out;
    EXPECT_EQ(result.err.find(kFakeUpstreamKey), std::string::npos) << result.err;
}

} // namespace

TEST_F(GatewayProgramTest, CheckMakesOneFetchAndSaysWhatCameBack)
{
    SProcessResult found = Quoted(
        {"--upstream", m_strConfig, "--check", "VOD", "--country", "United Kingdom"}, Options());
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_NE(found.out.find("upstream  finnhub\n"), std::string::npos) << found.out;
    EXPECT_NE(found.out.find("asked     VOD*L (United Kingdom, market L)\n"), std::string::npos);
    EXPECT_NE(found.out.find("symbol    VOD.L\n"), std::string::npos);
    EXPECT_NE(found.out.find("price     72.48\n"), std::string::npos);
    EXPECT_NE(found.out.find("change    -0.36\n"), std::string::npos);
    EXPECT_NE(found.out.find(" ms\n"), std::string::npos);
    // The request is logged, with the key left out.
    EXPECT_NE(found.err.find("symbol=VOD.L&token={key} 200"), std::string::npos) << found.err;
    ExpectNoKey(found);
    EXPECT_EQ(m_upstream.RequestsFor("VOD.L"), 1);

    SProcessResult us = Quoted({"--upstream", m_strConfig, "--check", "IBM"}, Options());
    EXPECT_EQ(us.exitCode, 0) << us.err;
    EXPECT_NE(us.out.find("price     131.25\n"), std::string::npos);

    SProcessResult unknown = Quoted({"--upstream", m_strConfig, "--check", "NOPE"}, Options());
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("tfquoted: no quote for NOPE: "), std::string::npos);

    SProcessResult market =
        Quoted({"--upstream", m_strConfig, "--check", "AIR", "--country", "France"}, Options());
    EXPECT_EQ(market.exitCode, 1);
    EXPECT_NE(market.err.find("no template for market P"), std::string::npos) << market.err;

    SProcessResult badKey =
        Quoted({"--upstream", m_strConfig, "--check", "IBM"}, Options("wrong-key-987"));
    EXPECT_EQ(badKey.exitCode, 1);
    EXPECT_NE(badKey.err.find("HTTP 401 (is the key right?)"), std::string::npos) << badKey.err;
    EXPECT_EQ(badKey.err.find("wrong-key-987"), std::string::npos) << badKey.err;
    EXPECT_EQ(badKey.out.find("wrong-key-987"), std::string::npos) << badKey.out;
}

TEST_F(GatewayProgramTest, RefusesToStartOnABrokenConfigurationOrCommandLine)
{
    SProcessResult noKey = Quoted({"--upstream", m_strConfig, "--check", "IBM"}, Options(""));
    EXPECT_EQ(noKey.exitCode, 1);
    EXPECT_EQ(noKey.err, "tfquoted: " + m_strConfig +
                             ": \"key_env\": the environment variable TF_TEST_QUOTE_KEY is not "
                             "set\n");

    const std::string strBad = m_dir.File("bad.json");
    WriteFileBytes(strBad, R"({"preset": "finnhub", "key_env": "TF_TEST_QUOTE_KEY",
                               "connections": 0})");
    SProcessResult bad = Quoted({"--upstream", strBad, "--port", "0"}, Options());
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("\"connections\": must be a whole number from 1 to 16"),
              std::string::npos)
        << bad.err;
    EXPECT_EQ(bad.out.find("listening"), std::string::npos);

    WriteFileBytes(m_dir / "finnhub.key", std::string(kFakeUpstreamKey) + "\n");
    ASSERT_EQ(::chmod(m_dir.File("finnhub.key").c_str(), 0644), 0);
    const std::string strKeyFile = m_dir.File("keyfile.json");
    WriteFileBytes(strKeyFile, R"({"preset": "finnhub", "key_file": "finnhub.key", "url": ")" +
                                   m_upstream.PresetUrl("finnhub") + R"(", "ca_file": ")" +
                                   m_upstream.Certificates().CaFile() + "\"}");
    SProcessResult shared = Quoted({"--upstream", strKeyFile, "--check", "IBM"}, Options(""));
    EXPECT_EQ(shared.exitCode, 1);
    EXPECT_NE(shared.err.find("\"key_file\": "), std::string::npos) << shared.err;
    ExpectNoKey(shared);
    ASSERT_EQ(::chmod(m_dir.File("finnhub.key").c_str(), 0600), 0);
    SProcessResult owned = Quoted({"--upstream", strKeyFile, "--check", "IBM"}, Options(""));
    EXPECT_EQ(owned.exitCode, 0) << owned.err;
    ExpectNoKey(owned);

    const std::vector<std::vector<std::string>> usage = {
        {"--check", "IBM"},
        {"--upstream", m_strConfig, "--quotes", "q.txt"},
        {"--upstream", m_strConfig, "--simulate", "IBM=1"},
        {"--upstream", m_strConfig, "--country", "France"},
        {"--upstream"},
    };
    for (const auto& args : usage) {
        EXPECT_EQ(Quoted(args, Options()).exitCode, 2) << args.back();
    }
    SProcessResult version = Quoted({"--version"}, Options());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tfquoted 1.85\n");
}

TEST_F(GatewayProgramTest, ServesStatusRefusesATakenPortAndStopsOnSigterm)
{
    const int nPort = FreeLoopbackPort();
    CChildProcess first;
    ASSERT_TRUE(first.Start(
        {TFQUOTED_PATH, "--upstream", m_strConfig, "--port", std::to_string(nPort)}, Options()));
    ASSERT_TRUE(WaitForLoopbackPort(nPort, std::chrono::milliseconds(10000))) << first.Errors();

    // A second service on the same port is refused, whatever it would serve.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--upstream", m_strConfig}, {"--simulate", "IBM=1"}}) {
        std::vector<std::string> withPort = args;
        withPort.insert(withPort.end(), {"--port", std::to_string(nPort)});
        SProcessResult second = Quoted(withPort, Options());
        EXPECT_EQ(second.exitCode, 1) << second.out;
        EXPECT_NE(second.err.find("cannot listen on 127.0.0.1:" + std::to_string(nPort) +
                                  ": the port is taken"),
                  std::string::npos)
            << second.err;
    }

    HttpUrl url{"127.0.0.1", nPort, "/d/quotes.csv?s=IBM&f=sl1d1t1c1ohgv&e=.csv"};
    for (int i = 0; i < 3; ++i) {
        CHttpRequest quote(url, HttpLimits{});
        ASSERT_TRUE(quote.Send()) << quote.GetErrorText();
        EXPECT_EQ(quote.GetStatus(), 200);
    }
    url.strObject = "/status";
    CHttpRequest status(url, HttpLimits{});
    ASSERT_TRUE(status.Send());
    EXPECT_EQ(status.GetStatus(), 200);
    const auto json = nlohmann::json::parse(status.GetBody());
    EXPECT_EQ(json["upstream"], "finnhub");
    EXPECT_EQ(json["requests"], 1);
    EXPECT_EQ(json["cache_hits"], 2);
    EXPECT_EQ(status.GetBody().find(kFakeUpstreamKey), std::string::npos);

    first.Signal(SIGTERM);
    const SProcessResult result = first.Wait(std::chrono::milliseconds(10000));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.err.find("tfquoted: live quotes from finnhub"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("GET /status 200"), std::string::npos);
    ExpectNoKey(result);
}
