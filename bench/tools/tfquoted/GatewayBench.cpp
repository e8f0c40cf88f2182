// A refresh of 100 positions through tfquoted's gateway, against a quote service on loopback
// over TLS that answers each request after 100 ms: first cold (every quote asked of the
// service), then warm (every quote from the gateway's cache), beside the same refresh against
// tfquoted serving a quotes file. Run: build/bench/tools/tfquoted/bench_quoted_gateway
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "engine/RefreshCycle.h"
#include "model/BlotterSpace.h"
#include "model/TradeRecord.h"
#include "quotes/FetchQuote.h"
#include "quotes/QuoteServers.h"
#include "tests/support/tempdir/TempDir.h"
#include "tests/tools/tfquoted/FakeUpstream.h"
#include "tools/tfquoted/QuoteService.h"
#include "tools/tfquoted/QuoteSource.h"
#include "tools/tfquoted/upstream/QuoteGateway.h"

namespace {

constexpr int kPositions = 100;
// How long the quote service takes over each request.
constexpr int kUpstreamDelayMs = 100;
// Cold refreshes wait on the service; a few runs are enough to see their spread.
constexpr int kColdRuns = 3;
constexpr int kWarmRuns = 5;
constexpr int kWarmIterations = 10;

std::string SymbolOf(int n)
{
    return "S" + std::to_string(n);
}

CBlotterSpace Portfolio()
{
    CBlotterSpace doc;
    doc.m_strCategoryFilter = "All";
    doc.m_bCheckVersion = 0;
    doc.AddDefaultCategories();
    for (int n = 0; n < kPositions; ++n) {
        TradeRecord trade = MakeEmptyTrade();
        trade.id = n + 1;
        SetTradeSymbol(trade, SymbolOf(n));
        SetTradeCategory(trade, "Personal");
        SetTradeCountry(trade, "United States");
        trade.quantity = 10 + n;
        trade.price = 20 + n % 50;
        doc.m_trades.AddTail(trade);
    }
    return doc;
}

void Fail(const char* pWhat)
{
    std::fprintf(stderr, "bench_quoted_gateway: %s\n", pWhat);
    std::exit(1);
}

tf::test::CFakeUpstream& Upstream()
{
    static auto* pUpstream = [] {
        for (const char* pVariable :
             {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
            unsetenv(pVariable);
        }
        auto* p = new tf::test::CFakeUpstream();
        if (!p->Start()) {
            Fail("cannot start the TLS quote service");
        }
        for (int n = 0; n < kPositions; ++n) {
            p->SetQuote(SymbolOf(n), {30.0 + n, 0.25, 29.75 + n});
        }
        p->SetDelayMs(kUpstreamDelayMs);
        return p;
    }();
    return *pUpstream;
}

// tfquoted in process on a free port, with every quote role pointed at it.
class CServedQuotes
{
  public:
    explicit CServedQuotes(IQuoteSource& source)
        : m_service(std::make_unique<CQuoteService>(source, QuoteServiceOptions{}))
    {
        const int nPort = m_service->Bind("127.0.0.1", 0);
        if (nPort <= 0) {
            Fail("cannot bind a loopback port");
        }
        m_service->Start();
        setenv(QuoteServerVariable(QuoteServerRole::UsQuotes),
               ("127.0.0.1:" + std::to_string(nPort)).c_str(), 1);
    }
    ~CServedQuotes() { m_service->Stop(); }

  private:
    std::unique_ptr<CQuoteService> m_service;
};

struct SGatewayRig
{
    std::unique_ptr<CQuoteGateway> pGateway;
    std::unique_ptr<CGatewaySource> pSource;
    std::unique_ptr<CServedQuotes> pServed;
};

SGatewayRig FreshGateway()
{
    const SConfigResult config = ParseUpstreamConfig(
        Upstream().PresetConfig("finnhub", "TF_BENCH_KEY",
                                R"("cache_seconds": 3600, "requests_per_minute": 6000)"),
        "/", [](const std::string&) { return std::string(tf::test::kFakeUpstreamKey); });
    if (!config.config) {
        Fail(config.strError.c_str());
    }
    SGatewayRig rig;
    rig.pGateway = std::make_unique<CQuoteGateway>(*config.config);
    rig.pSource = std::make_unique<CGatewaySource>(*rig.pGateway);
    rig.pServed = std::make_unique<CServedQuotes>(*rig.pSource);
    return rig;
}

void Refresh(benchmark::State& state, CBlotterSpace& doc)
{
    const RefreshResult result = RunRefresh(
        doc, true, FetchQuotes, [](auto&&...) {}, std::time(nullptr),
        QuoteBatchOptionsFromEnvironment());
    if (result.nQuotesFailed != 0 || doc.m_trades.begin()->currentPrice != 30.0) {
        state.SkipWithError("the refresh did not price every position");
    }
}

void BM_GatewayCold(benchmark::State& state)
{
    CBlotterSpace doc = Portfolio();
    for (auto _ : state) {
        state.PauseTiming();
        SGatewayRig rig = FreshGateway();
        state.ResumeTiming();
        Refresh(state, doc);
        state.PauseTiming();
        rig = SGatewayRig{};
        state.ResumeTiming();
    }
}

void BM_GatewayWarm(benchmark::State& state)
{
    CBlotterSpace doc = Portfolio();
    SGatewayRig rig = FreshGateway();
    Refresh(state, doc);
    for (auto _ : state) {
        Refresh(state, doc);
    }
}

void BM_QuotesFile(benchmark::State& state)
{
    CBlotterSpace doc = Portfolio();
    tf::test::CTempDir dir("tf-bench-gateway");
    std::string strQuotes;
    for (int n = 0; n < kPositions; ++n) {
        strQuotes += SymbolOf(n) + " " + std::to_string(30 + n) + " 0.25\n";
    }
    tf::test::WriteFileBytes(dir / "quotes.txt", strQuotes);
    CQuoteBook book;
    book.UseFile(dir / "quotes.txt");
    CBookSource source(book);
    CServedQuotes served(source);
    for (auto _ : state) {
        Refresh(state, doc);
    }
}

BENCHMARK(BM_GatewayCold)
    ->Iterations(1)
    ->Repetitions(kColdRuns)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_GatewayWarm)
    ->Iterations(kWarmIterations)
    ->Repetitions(kWarmRuns)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_QuotesFile)
    ->Iterations(kWarmIterations)
    ->Repetitions(kWarmRuns)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
