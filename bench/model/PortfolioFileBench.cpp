// Load and save of a portfolio of 100,000 trades, beside reading the same file's bytes
// with plain read() calls. Reported as bytes per second.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "bench/model/BenchPortfolio.h"
#include "model/BlotterSpace.h"
#include "model/PortfolioFile.h"
#include "tests/support/tempdir/TempDir.h"

namespace {
constexpr int kTrades = 100000;

const std::string& BenchPath()
{
    // Removed with everything in it when the program ends.
    static const tf::test::CTempDir folder("tf-bench");
    static const std::string path = [] {
        std::string p = folder.File("info.kgw");
        CBlotterSpace doc = MakeBenchPortfolio(kTrades);
        WritePortfolioFile(p, doc);
        return p;
    }();
    return path;
}

void BM_RawRead(benchmark::State& state)
{
    const std::string& path = BenchPath();
    std::vector<char> buffer(1 << 16);
    std::size_t total = 0;
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY);
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), 4096)) > 0)
            total += static_cast<std::size_t>(n);
        ::close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(total));
}

void BM_Load(benchmark::State& state)
{
    const std::string& path = BenchPath();
    std::size_t size = std::filesystem::file_size(path);
    for (auto _ : state) {
        CBlotterSpace doc;
        PortfolioReadResult r = ReadPortfolioFile(path, doc);
        if (r.status != PortfolioReadStatus::Read || doc.m_trades.GetCount() != kTrades)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(doc);
    }
    state.SetBytesProcessed(static_cast<int64_t>(size * state.iterations()));
}

void BM_Save(benchmark::State& state)
{
    const std::string& path = BenchPath();
    CBlotterSpace doc;
    ReadPortfolioFile(path, doc);
    std::string out = path + ".out";
    std::size_t size = std::filesystem::file_size(path);
    for (auto _ : state) {
        if (!WritePortfolioFile(out, doc).bOk)
            state.SkipWithError("save failed");
    }
    std::filesystem::remove(out);
    state.SetBytesProcessed(static_cast<int64_t>(size * state.iterations()));
}
} // namespace

BENCHMARK(BM_RawRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
