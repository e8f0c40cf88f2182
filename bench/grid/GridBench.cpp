// The blotter grid's costs that grow with a portfolio: writing 10,000 rows as a refresh does
// (with and without columns widening to their texts), sorting them by a text column on a
// heading press, and painting one full viewport of the grid.
#include <benchmark/benchmark.h>
#include <random>
#include <string>

#include <QApplication>
#include <QImage>

#include "grid/BlotterGrid.h"

namespace {

constexpr long kRows = 10000;

// Amount texts as the main window writes them, in a random order.
std::string AmountText(std::mt19937& rng)
{
    const long cents = static_cast<long>(rng() % 10000000) - 2000000;
    std::string digits = std::to_string(std::labs(cents) / 100);
    for (int pos = static_cast<int>(digits.size()) - 3; pos > 0; pos -= 3)
        digits.insert(static_cast<std::size_t>(pos), ",");
    const long fraction = std::labs(cents) % 100;
    return (cents < 0 ? "-" : "") + digits + "." + (fraction < 10 ? "0" : "") +
           std::to_string(fraction);
}

void Fill(CBlotterGrid& grid)
{
    std::mt19937 rng(42);
    grid.SetRowCount(kRows, false);
    for (long row = 0; row < kRows; ++row) {
        grid.QuickSetText(-1, row, "SYM" + std::to_string(row));
        for (int col = 0; col < CBlotterGrid::kNumCols; ++col)
            grid.QuickSetText(col, row, AmountText(rng));
    }
}

void BM_WriteRows10k(benchmark::State& state)
{
    CBlotterGrid grid;
    grid.CreateGrid(nullptr, QRect(0, 0, 632, 322));
    grid.SetWidenColumnsToFit(state.range(0) != 0);
    for (auto _ : state)
        Fill(grid);
    state.SetItemsProcessed(state.iterations() * kRows * (CBlotterGrid::kNumCols + 1));
}
BENCHMARK(BM_WriteRows10k)->ArgName("widen")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_SortTextColumn10k(benchmark::State& state)
{
    CBlotterGrid grid;
    grid.CreateGrid(nullptr, QRect(0, 0, 632, 322));
    Fill(grid);
    int col = 3;
    for (auto _ : state) {
        // Each sort starts from the other column's order, which is random for this one.
        grid.SortBy(col, GridSort::kAscending);
        col = col == 3 ? 4 : 3;
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortTextColumn10k)->Unit(benchmark::kMillisecond);

void BM_PaintViewport(benchmark::State& state)
{
    CBlotterGrid grid;
    grid.CreateGrid(nullptr, QRect(0, 0, 632, 322));
    Fill(grid);
    grid.SetTopRow(kRows / 2);
    QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        grid.render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_PaintViewport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
