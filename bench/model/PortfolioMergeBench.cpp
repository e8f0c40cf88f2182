// What sharing the file costs a writer: the three-way merge of a 7,000-trade portfolio that
// both sides changed (a refresh here, a HotSync's refiling and new trades there), and one
// locked read-change-write with its backup (the path of every tfport command and HotSync).
#include <benchmark/benchmark.h>
#include <chrono>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "bench/model/BenchPortfolio.h"
#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "model/PortfolioMerge.h"
#include "model/PortfolioTransaction.h"

namespace {
constexpr int kTrades = 7000;

void BM_Merge(benchmark::State& state)
{
    const CBlotterSpace base = MakeBenchPortfolio(kTrades);
    CBlotterSpace mine = base;
    for (TradeRecord& t : mine.m_trades) {
        t.currentPrice = t.price + 1;
        t.status = kStatusChanged;
    }
    CBlotterSpace theirs = base;
    int n = 0;
    for (TradeRecord& t : theirs.m_trades)
        if (++n % 10 == 0)
            SetTradeCategory(t, "Personal");
    for (int i = 1; i <= 100; ++i) {
        TradeRecord t = *base.m_trades.begin();
        t.id = kTrades + i;
        theirs.m_trades.AddTail(t);
    }
    for (auto _ : state) {
        PortfolioMergeResult merged = MergePortfolios(base, mine, theirs);
        if (merged.doc.m_trades.GetCount() != kTrades + 100)
            state.SkipWithError("merge lost trades");
        benchmark::DoNotOptimize(merged);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kTrades);
}

void BM_LockedReadChangeWrite(benchmark::State& state)
{
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tf-bench-merge-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "info.kgw").string();
    CBlotterSpace doc = MakeBenchPortfolio(kTrades);
    WritePortfolioFile(path, doc);
    for (auto _ : state) {
        CPortfolioTransaction transaction(path);
        CBlotterSpace read;
        if (!transaction.Begin(std::chrono::milliseconds(0)) ||
            transaction.Read(read).status != PortfolioReadStatus::Read)
            state.SkipWithError("read failed");
        read.m_nAlertPercent = static_cast<std::int32_t>(state.iterations() % 100);
        if (!transaction.Write(read).bOk)
            state.SkipWithError("save failed");
    }
    std::filesystem::remove_all(dir);
}
} // namespace

BENCHMARK(BM_Merge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LockedReadChangeWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
