// The OXS file of the largest pattern: 200 x 200 stitches in 255 colours, every cell stitched.
// Written to a memory file system (/dev/shm) so that the safe writer's fsync does not hide the
// work of the writer; made in memory alone beside it, and read back as a picture.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

#include "pattern/OxsReader.h"
#include "pattern/OxsWriter.h"
#include "raster/TBitmap.h"
#include "threads/ThreadCatalogue.h"
#include "worst_pattern.h"

namespace brodix {
namespace {

void BM_MakeOxs200x200With255Colours(benchmark::State& state) {
    const Pattern pattern = bench::PatternWithThreads(bench::WorstCensus(), "rose.bmp");
    std::size_t bytes = 0;
    for (auto _ : state)
        bytes = MakeOxs(pattern).size();
    state.counters["oxs_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_MakeOxs200x200With255Colours)->Unit(benchmark::kMillisecond);

void BM_SaveOxs200x200With255Colours(benchmark::State& state) {
    const Pattern pattern = bench::PatternWithThreads(bench::WorstCensus(), "rose.bmp");
    const std::string fileName = "/dev/shm/brodix-bench-" + std::to_string(::getpid()) + ".oxs";
    for (auto _ : state)
        SaveOxs(fileName, pattern);
    std::filesystem::remove(fileName);
}
BENCHMARK(BM_SaveOxs200x200With255Colours)->Unit(benchmark::kMillisecond);

void BM_ReadOxs200x200With255Colours(benchmark::State& state) {
    const std::string oxs = MakeOxs(bench::PatternWithThreads(bench::WorstCensus(), "rose.bmp"));
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(oxs.data()),
                                              oxs.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadOxs(bytes, "rose.oxs").picture->Width());
}
BENCHMARK(BM_ReadOxs200x200With255Colours)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace brodix
