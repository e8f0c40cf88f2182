// The price history's costs: one refresh of 500 positions with and without writing its
// history (and the write alone), and `tfport history --daily` over a history of 1,000,000
// quote rows, run as the program a user runs and as the query inside it.
#include <benchmark/benchmark.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/support/RefreshBenchSupport.h"
#include "engine/RefreshCycle.h"
#include "engine/RefreshHistory.h"
#include "engine/history/HistoryQuery.h"
#include "engine/history/HistoryStore.h"
#include "model/PortfolioFile.h"
#include "tests/support/process/ChildProcess.h"
#include "tests/support/tempdir/TempDir.h"

namespace {

constexpr int kPositions = 500;
// 2,000 refreshes of 500 quotes: 1,000,000 quote rows, eight refreshes a day for 250 days.
constexpr int kRefreshes = 2000;
constexpr int kRefreshesPerDay = 8;
// 2025-01-02 09:30 in New York.
constexpr std::time_t kFirstRefresh = 1735828200;
// The refresh timer's default: ten minutes.
constexpr std::time_t kRefreshEvery = 600;

// A scratch folder of the benchmark, removed with it.
class CFolder : public tf::test::CTempDir
{
  public:
    explicit CFolder(const std::string& strName) : CTempDir("tf_bench_history_" + strName) {}
};

CBlotterSpace Portfolio()
{
    return MakeBenchPortfolio(kPositions);
}

// Every quote arrives at once, as a quote server on loopback would answer it, stamped by the
// refresh's clock as FetchQuotes stamps it.
std::vector<SQuoteReply> Quotes(const std::vector<SQuoteRequest>& requests,
                                const SQuoteBatchOptions& options)
{
    const std::time_t arrived = options.clock ? options.clock() : kFirstRefresh;
    std::vector<SQuoteReply> replies;
    replies.reserve(requests.size());
    for (const SQuoteRequest& request : requests) {
        SQuoteReply reply;
        reply.request = request;
        reply.dPrice = 30 + static_cast<double>(request.strSymbol.size());
        reply.dChange = 0.25;
        reply.arrived = arrived;
        replies.push_back(std::move(reply));
    }
    return replies;
}

void BM_Refresh500WithoutHistory(benchmark::State& state)
{
    CBlotterSpace doc = Portfolio();
    for (auto _ : state)
        benchmark::DoNotOptimize(RunRefresh(doc, true, Quotes, nullptr, kFirstRefresh));
}
BENCHMARK(BM_Refresh500WithoutHistory)->Unit(benchmark::kMillisecond);

// The window's way: one connection kept for the run, a transaction per refresh.
void BM_Refresh500WithHistory(benchmark::State& state)
{
    CFolder folder("refresh");
    CBlotterSpace doc = Portfolio();
    std::time_t now = kFirstRefresh;
    CRefreshHistory history(folder.File("info.kgw"), nullptr);
    SQuoteBatchOptions options;
    options.clock = [&now] { return now; };
    for (auto _ : state) {
        now += kRefreshEvery;
        const RefreshResult result = RunRefresh(doc, true, Quotes, nullptr, now, options);
        history.Record(doc, result, now);
        if (!history.LastWriteOk())
            state.SkipWithError("the history was not written");
    }
}
BENCHMARK(BM_Refresh500WithHistory)->Unit(benchmark::kMillisecond);

// Eight refreshes a day, 45 minutes apart from 09:30.
std::time_t RefreshTime(int r)
{
    return kFirstRefresh + (r / kRefreshesPerDay) * 86400 + (r % kRefreshesPerDay) * 2700;
}

std::time_t LastMillionRowRefresh()
{
    return RefreshTime(kRefreshes - 1);
}

SHistoryRefresh RefreshOf500(std::time_t when)
{
    SHistoryRefresh refresh;
    refresh.time = when;
    refresh.category = "All";
    refresh.quotesAsked = kPositions;
    for (int n = 0; n < kPositions; ++n)
        refresh.quotes.push_back({when, BenchSymbol(n), "United States", 30.0 + n, 0.25});
    return refresh;
}

// A portfolio folder whose history holds kRefreshes refreshes of kPositions quotes.
const CFolder& MillionRowFolder()
{
    static const CFolder* pFolder = [] {
        auto* p = new CFolder("million");
        CBlotterSpace doc = Portfolio();
        WritePortfolioFile(p->File("info.kgw"), doc);
        CHistoryDb db;
        db.Open(HistoryPathFor(p->File("info.kgw")), EHistoryOpen::Create);
        SHistoryRefresh refresh;
        refresh.category = "All";
        refresh.quotesAsked = kPositions;
        for (int n = 0; n < kPositions; ++n)
            refresh.quotes.push_back({0, BenchSymbol(n), "United States", 30.0 + n, 0.25});
        for (int r = 0; r < kRefreshes; ++r) {
            refresh.time =
                kFirstRefresh + (r / kRefreshesPerDay) * 86400 + (r % kRefreshesPerDay) * 2700;
            refresh.totalValue = 100000 + r;
            for (SHistoryQuote& quote : refresh.quotes)
                quote.arrived = refresh.time;
            WriteRefresh(db, refresh);
        }
        std::atexit([] { delete pFolder; });
        return p;
    }();
    return *pFolder;
}

// The write alone, ten minutes after the last refresh, into a history that already holds
// 1,000,000 quote rows (a copy, so that every run starts from the same file).
void BM_WriteOneRefreshOf500QuotesInto1M(benchmark::State& state)
{
    CFolder folder("write");
    const std::string strCopy = folder.File("h.sqlite");
    std::filesystem::copy_file(HistoryPathFor(MillionRowFolder().File("info.kgw")), strCopy);
    CHistoryDb db;
    db.Open(strCopy, EHistoryOpen::Create);
    SHistoryRefresh refresh = RefreshOf500(LastMillionRowRefresh());
    for (auto _ : state) {
        refresh.time += kRefreshEvery;
        for (SHistoryQuote& quote : refresh.quotes)
            quote.arrived = refresh.time;
        if (!WriteRefresh(db, refresh))
            state.SkipWithError(db.FaultText().c_str());
    }
}
BENCHMARK(BM_WriteOneRefreshOf500QuotesInto1M)->Unit(benchmark::kMillisecond);

void DailyByProgram(benchmark::State& state, std::vector<std::string> args)
{
    const CFolder& folder = MillionRowFolder();
    tf::test::SProcessOptions options;
    options.workingDir = folder.Path().string();
    args.insert(args.begin(), TFPORT_PATH);
    std::size_t nBytes = 0;
    for (auto _ : state) {
        const tf::test::SProcessResult result = tf::test::RunProcess(args, options);
        if (result.exitCode != 0)
            state.SkipWithError(result.err.c_str());
        nBytes = result.out.size();
    }
    state.counters["output_bytes"] = static_cast<double>(nBytes);
}

void BM_TfportHistoryDaily1M(benchmark::State& state)
{
    DailyByProgram(state, {"history", "--daily"});
}
BENCHMARK(BM_TfportHistoryDaily1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TfportHistorySymbolDaily1M(benchmark::State& state)
{
    DailyByProgram(state, {"history", "--daily", "--symbol", "S250", "--format", "csv"});
}
BENCHMARK(BM_TfportHistorySymbolDaily1M)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DailyQuery1M(benchmark::State& state)
{
    const CFolder& folder = MillionRowFolder();
    const CBlotterSpace doc = Portfolio();
    CHistoryDb db;
    db.Open(HistoryPathFor(folder.File("info.kgw")), EHistoryOpen::ExistingOnly);
    std::vector<SValuePoint> points;
    for (auto _ : state) {
        if (!QueryValueSeries(db, doc, {}, true, points))
            state.SkipWithError(db.FaultText().c_str());
    }
    state.counters["days"] = static_cast<double>(points.size());
}
BENCHMARK(BM_DailyQuery1M)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
