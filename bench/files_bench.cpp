// Loading and saving the two BMP files the program handles most: the 1-bit chart of a
// 200 x 200 picture (2401 x 2401) and a 200 x 200 24-bit picture, through memory streams so
// that the disk does not drown the codec's cost.
#include <benchmark/benchmark.h>

#include "raster/Stream.h"
#include "raster/TBitmap.h"

namespace {

using brodix::TBitmap;
using brodix::TMemoryStream;

std::vector<std::uint8_t> ChartFile() {
    TBitmap chart;
    chart.SetSize(2401, 2401);
    chart.SetMonochrome(true);
    for (int i = 0; i < 2401; i += 12) {
        for (int k = 0; k < 2401; ++k) {
            chart.SetPixel(i, k, brodix::clBlack);
            chart.SetPixel(k, i, brodix::clBlack);
        }
    }
    TMemoryStream stream;
    chart.SaveToStream(stream);
    return stream.Bytes();
}

// A 24-bit file written by hand: the program itself writes 32-bit pictures.
std::vector<std::uint8_t> PictureFile() {
    const int size = 200;
    const std::size_t stride = brodix::RowStride(size, 24);
    std::vector<std::uint8_t> file(54 + stride * size, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, size);
    put32(22, size);
    file[26] = 1;
    file[28] = 24;
    for (std::size_t i = 54; i < file.size(); ++i)
        file[i] = static_cast<std::uint8_t>(i * 7);
    return file;
}

// 54 bytes that declare 8192 x 8192 pixels at 32 bits and hold none: a 256 MiB store whose
// cost should be that of the bytes the file supplies, not of the store.
std::vector<std::uint8_t> DeclaredHugeFile() {
    std::vector<std::uint8_t> file = PictureFile();
    file.resize(54);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(2, 54);
    put32(18, 8192);
    put32(22, 8192);
    file[28] = 32;
    return file;
}

void Load(benchmark::State& state, const std::vector<std::uint8_t>& file) {
    for (auto _ : state) {
        TMemoryStream stream(file);
        TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        benchmark::DoNotOptimize(bitmap.Bits());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void Save(benchmark::State& state, const std::vector<std::uint8_t>& file) {
    TMemoryStream source(file);
    TBitmap bitmap;
    bitmap.LoadFromStream(source);
    for (auto _ : state) {
        TMemoryStream stream;
        bitmap.SaveToStream(stream);
        benchmark::DoNotOptimize(stream.Bytes().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void BM_LoadChart1Bit(benchmark::State& state) {
    Load(state, ChartFile());
}
void BM_SaveChart1Bit(benchmark::State& state) {
    Save(state, ChartFile());
}
void BM_LoadPicture24Bit(benchmark::State& state) {
    Load(state, PictureFile());
}
void BM_SavePicture24Bit(benchmark::State& state) {
    Save(state, PictureFile());
}

void BM_LoadDeclaredHugeEmpty(benchmark::State& state) {
    Load(state, DeclaredHugeFile());
}

BENCHMARK(BM_LoadChart1Bit);
BENCHMARK(BM_SaveChart1Bit);
BENCHMARK(BM_LoadPicture24Bit);
BENCHMARK(BM_SavePicture24Bit);
BENCHMARK(BM_LoadDeclaredHugeEmpty);

}  // namespace
