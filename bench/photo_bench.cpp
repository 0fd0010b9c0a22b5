// Reading and fitting a 4000 x 3000 JPEG photo to 200 x 150 stitches, against decoding the same
// JPEG alone at full size, in the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include "photo/Photo.h"
#include "raster/TBitmap.h"
#include "raster_files_jpeg.h"

namespace {

// A photo-like picture: smooth gradients with fine detail, so that the file has a realistic
// amount of entropy for its size.
const std::vector<unsigned char>& Photo() {
    static const std::vector<unsigned char> bytes = [] {
        constexpr int kWidth = 4000;
        constexpr int kHeight = 3000;
        return brodix::testing::EncodeJpeg(
            kWidth, kHeight, brodix::testing::JpegKind::Baseline, 90,
            [](int y, unsigned char* row) {
                for (int x = 0; x < kWidth; ++x) {
                    const double wave = std::sin(x * 0.013) * std::cos(y * 0.017);
                    const unsigned noise = (x * 7919u + y * 104729u) % 23u;
                    row[x * 3] = static_cast<unsigned char>(128 + 100 * wave + noise);
                    row[x * 3 + 1] = static_cast<unsigned char>((x + y) * 255 / (kWidth + kHeight));
                    row[x * 3 + 2] = static_cast<unsigned char>(200 - noise * 3);
                }
            });
    }();
    return bytes;
}

// What any program must do at the least: decode every pixel at full size.
void BM_DecodeJpegAlone(benchmark::State& state) {
    const auto& bytes = Photo();
    std::vector<unsigned char> pixels(4000 * 3000 * 3);
    for (auto _ : state) {
        jpeg_decompress_struct info{};
        jpeg_error_mgr error{};
        info.err = jpeg_std_error(&error);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, bytes.data(), bytes.size());
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + std::size_t{info.output_scanline} * 4000 * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_DecodeJpegAlone)->Unit(benchmark::kMillisecond);

void BM_ReadAndFitJpeg(benchmark::State& state) {
    const auto& bytes = Photo();
    brodix::PhotoOptions options;
    options.fit = brodix::StitchSize{200, 200};
    for (auto _ : state) {
        auto bitmap = brodix::ReadPhoto(bytes, options, "photo.jpg");
        if (bitmap->Width() != 200 || bitmap->Height() != 150)
            state.SkipWithError("wrong size");
        benchmark::DoNotOptimize(bitmap.get());
    }
}
BENCHMARK(BM_ReadAndFitJpeg)->Unit(benchmark::kMillisecond);

}  // namespace
