// End to end: the real tfport refresh, against the real tfquoted --upstream, against the fake
// quote service on loopback over TLS. Live prices land in the blotter and in info.kgw, and a
// second refresh within the cache time asks the service nothing.
#include <csignal>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/net/HttpRequest.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"
#include "tests/tools/tfquoted/FakeUpstream.h"

using namespace tf::test;

namespace {

constexpr std::chrono::milliseconds kProgramTimeout{30000};

nlohmann::json GatewayStatus(int nPort)
{
    CHttpRequest request(HttpUrl{"127.0.0.1", nPort, "/status"}, HttpLimits{});
    EXPECT_TRUE(request.Send()) << request.GetErrorText();
    return nlohmann::json::parse(request.GetBody(), nullptr, false);
}

} // namespace

TEST(GatewayEndToEnd, TfportRefreshPricesThePortfolioFromTheLiveService)
{
    CFakeUpstream upstream;
    ASSERT_TRUE(upstream.Start()) << upstream.Certificates().Error();
    upstream.SetQuote("IBM", {131.25, 0.75, 130.5});
    upstream.SetQuote("VOD.L", {0.75, 0.01, 0.74});

    CTempDir dir("tf-gateway-e2e");
    WriteFileBytes(dir / "quotes.json",
                   upstream.PresetConfig("twelvedata", "TF_TEST_QUOTE_KEY",
                                         R"("markets": {"US": "{symbol}", "L": "{symbol}.L"})"));
    SProcessOptions options;
    options.unsetEnv = {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"};
    options.env = {{"TF_TEST_QUOTE_KEY", kFakeUpstreamKey}};
    options.timeout = kProgramTimeout;

    const int nPort = FreeLoopbackPort();
    CChildProcess gateway;
    ASSERT_TRUE(gateway.Start(
        {TFQUOTED_PATH, "--upstream", dir.File("quotes.json"), "--port", std::to_string(nPort)},
        options));
    ASSERT_TRUE(WaitForLoopbackPort(nPort, std::chrono::milliseconds(10000))) << gateway.Errors();

    const std::string strServer = "127.0.0.1:" + std::to_string(nPort);
    SProcessOptions tfport = options;
    tfport.workingDir = dir.Path().string();
    tfport.env = {{"TALLYFERN_US_QUOTE_SERVER", strServer},
                  {"TALLYFERN_REGIONAL_QUOTE_SERVER", strServer}};
    const auto Tfport = [&](const std::vector<std::string>& args) {
        std::vector<std::string> argv{TFPORT_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProcess(argv, tfport);
    };
    ASSERT_EQ(Tfport({"init"}).exitCode, 0);
    ASSERT_EQ(Tfport({"buy", "IBM", "100", "120"}).exitCode, 0);
    ASSERT_EQ(Tfport({"buy", "VOD", "1000", "0.70", "--country", "United Kingdom"}).exitCode, 0);
    ASSERT_EQ(Tfport({"settings", "--check-version", "off"}).exitCode, 0);

    const SProcessResult refresh = Tfport({"refresh"});
    ASSERT_EQ(refresh.exitCode, 0) << refresh.err;
    EXPECT_NE(refresh.out.find("IBM               131.2500          0.7500          100.00"
                               "       13,125.00           75.00        1,125.00"),
              std::string::npos)
        << refresh.out;
    EXPECT_NE(refresh.out.find("VOD                 0.7500          0.0100        1,000.00"),
              std::string::npos)
        << refresh.out;
    EXPECT_NE(refresh.out.find("Total Value:       13,875.00"), std::string::npos) << refresh.out;
    EXPECT_EQ(upstream.RequestsFor("VOD.L"), 1);
    EXPECT_EQ(upstream.RequestsFor("IBM"), 1);

    // Saved: the stored prices are the live ones.
    const SProcessResult stored = Tfport({"refresh", "--no-fetch"});
    EXPECT_NE(stored.out.find("IBM               131.2500"), std::string::npos) << stored.out;

    // Within the cache time the service is not asked again.
    upstream.SetQuote("IBM", {1.0, 0.0, 1.0});
    const SProcessResult again = Tfport({"refresh"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find("IBM               131.2500"), std::string::npos) << again.out;
    EXPECT_EQ(upstream.Server().Requests().size(), 2U);
    const auto status = GatewayStatus(nPort);
    EXPECT_EQ(status["upstream"], "twelvedata");
    EXPECT_EQ(status["requests"], 2);
    EXPECT_EQ(status["cache_hits"], 2);

    gateway.Signal(SIGTERM);
    const SProcessResult stopped = gateway.Wait(std::chrono::milliseconds(10000));
    EXPECT_EQ(stopped.exitCode, 0);
    EXPECT_EQ(stopped.err.find(kFakeUpstreamKey), std::string::npos);
}
