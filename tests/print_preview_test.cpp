// The stitched preview: its colours seen from afar, its size rule and its PNG file.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/ColourDifference.h"
#include "engine/LinearLight.h"
#include "pattern/Pattern.h"
#include "print/StitchedPreview.h"
#include "raster/Exceptions.h"
#include "raster/FileIO.h"
#include "raster/TBitmap.h"
#include "test_files.h"

namespace brodix::print {
namespace {

// White (left blank unless stitched), black, a saturated red, a pale yellow and a dark blue,
// in rows of their own, each row a cell wide stripe of the five.
Pattern StripePattern(const threads::PatternSettings& settings) {
    const TColor colours[] = {RGB(255, 255, 255), RGB(250, 240, 150), RGB(220, 20, 30),
                              RGB(20, 40, 120), RGB(0, 0, 0)};
    Census census;
    census.width = 5;
    census.height = 3;
    for (TColor colour : colours)
        census.palette.push_back({colour, 3});
    for (int y = 0; y < census.height; ++y)
        for (int x = 0; x < census.width; ++x)
            census.stitches.push_back(static_cast<std::uint8_t>(x));
    return Pattern(census, settings, "stripes.bmp");
}

struct LinearRgb {
    double r = 0, g = 0, b = 0;
};

LinearRgb LinearOfColour(TColor c) {
    return {LinearOf(RedOf(c)), LinearOf(GreenOf(c)), LinearOf(BlueOf(c))};
}

TColor ColourOfLinear(const LinearRgb& c) {
    return RGB(SrgbOf(c.r), SrgbOf(c.g), SrgbOf(c.b));
}

// The cell at (cx, cy) averaged in linear light.
TColor CellFromAfar(const TBitmap& bitmap, int n, int cx, int cy) {
    LinearRgb sum;
    for (int y = cy * n; y < (cy + 1) * n; ++y) {
        const std::span<const DisplayPixel> row = DisplayRow(bitmap, y);
        for (int x = cx * n; x < (cx + 1) * n; ++x) {
            const LinearRgb p =
                LinearOfColour(ColorOfDisplayPixel(row[static_cast<std::size_t>(x)]));
            sum.r += p.r;
            sum.g += p.g;
            sum.b += p.b;
        }
    }
    const double count = n * n;
    return ColourOfLinear({sum.r / count, sum.g / count, sum.b / count});
}

double Difference(TColor a, TColor b) {
    return DeltaE00(ToLab(a), ToLab(b));
}

TEST(StitchedPreview, FromAfarEachCellIsItsThreadMixedWithTheFabric) {
    struct Case {
        double fabricCount;
        int strands;
        TColor fabric;
        int pixels;
        bool stitchWhite;
    };
    const Case cases[] = {
        {14, 2, RGB(255, 255, 255), 10, false},  // the defaults
        {14, 2, RGB(255, 255, 255), 4, false},   // the smallest cross
        {14, 2, RGB(255, 255, 255), 3, false},   // no cross: the colour from afar
        {18, 2, RGB(255, 255, 255), 32, false},
        {11, 3, RGB(240, 230, 210), 16, false},  // cream fabric
        {16, 1, RGB(30, 40, 60), 8, false},      // navy fabric, one strand
        {28, 6, RGB(255, 255, 255), 12, true},   // white stitched, thick floss
        {14, 2, RGB(200, 60, 90), 7, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.fabricCount << " count, " << c.strands << " strands, " << c.pixels
                     << " px, fabric " << std::hex << c.fabric);
        threads::PatternSettings settings;
        settings.floss.fabricCount = c.fabricCount;
        settings.floss.strands = c.strands;
        settings.fabricColour = c.fabric;
        settings.stitchWhite = c.stitchWhite;
        const Pattern pattern = StripePattern(settings);
        const StitchedPreview preview(pattern, c.pixels);
        ASSERT_EQ(preview.Width(), 5 * c.pixels);
        ASSERT_EQ(preview.Height(), 3 * c.pixels);
        const double a = preview.Coverage();
        EXPECT_GE(a, c.strands >= 2 ? 0.35 : 0.15);
        EXPECT_LE(a, 1.0);
        const TBitmap bitmap = preview.Bitmap();
        const LinearRgb fabric = LinearOfColour(c.fabric);
        for (int cy = 0; cy < 3; ++cy) {
            for (int cx = 0; cx < 5; ++cx) {
                const PatternColour& colour = pattern.Colour(cx);
                const TColor seen = CellFromAfar(bitmap, c.pixels, cx, cy);
                if (colour.blank) {
                    EXPECT_LE(Difference(seen, c.fabric), 3.0) << "blank cell " << cx;
                    continue;
                }
                const LinearRgb thread = LinearOfColour(colour.colour);
                const TColor mix = ColourOfLinear({a * thread.r + (1 - a) * fabric.r,
                                                   a * thread.g + (1 - a) * fabric.g,
                                                   a * thread.b + (1 - a) * fabric.b});
                EXPECT_LE(Difference(seen, mix), 6.0)
                    << "stitched cell " << cx << std::hex << " seen " << seen << " mix " << mix;
            }
        }
    }
}

TEST(StitchedPreview, ThickerFlossOrFinerFabricCoversMore) {
    const auto coverage = [](double count, int strands) {
        threads::PatternSettings settings;
        settings.floss.fabricCount = count;
        settings.floss.strands = strands;
        return StitchedPreview(StripePattern(settings), 16).Coverage();
    };
    EXPECT_LT(coverage(14, 1), coverage(14, 2));
    EXPECT_LT(coverage(14, 2), coverage(18, 2));
    EXPECT_LT(coverage(11, 2), coverage(14, 2));
}

TEST(StitchedPreview, SizeIsHeldToItsRangeAndTheLargestSide) {
    struct Case {
        int width, height, asked, pixels;
    };
    const Case cases[] = {
        {200, 200, 10, 10}, {1000, 1000, 10, 8}, {1000, 3, 32, 8},    {3, 1000, 10, 8},
        {819, 10, 10, 10},  {820, 10, 10, 9},    {5, 5, 1, 2},        {5, 5, 40, 32},
        {256, 256, 32, 32}, {257, 256, 32, 31},  {5000, 5000, 10, 2}, {0, 0, 10, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PreviewStitchPixels(c.width, c.height, c.asked), c.pixels)
            << c.width << " x " << c.height << " asking " << c.asked;
    }
}

std::vector<unsigned char> FileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(StitchedPreview, ThePngHoldsThePictureAndTheSameBytesEachTime) {
    const testing::TempDir dir;
    threads::PatternSettings settings;
    settings.fabricColour = RGB(240, 230, 210);
    const Pattern pattern = StripePattern(settings);
    const std::string first = dir.Path() + "/first.png";
    const std::string second = dir.Path() + "/second.png";
    SavePreviewPng(first, pattern, 9);
    SavePreviewPng(second, pattern, 9);
    const std::vector<unsigned char> bytes = FileBytes(first);
    EXPECT_EQ(bytes, FileBytes(second));

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
    ASSERT_EQ(image.width, 45u);
    ASSERT_EQ(image.height, 27u);
    image.format = PNG_FORMAT_BGRA;
    std::vector<DisplayPixel> pixels(image.width * image.height);
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
    const TBitmap bitmap = StitchedPreview(pattern, 9).Bitmap();
    for (int y = 0; y < 27; ++y) {
        const std::span<const DisplayPixel> row = DisplayRow(bitmap, y);
        for (int x = 0; x < 45; ++x) {
            // The PNG's alpha is opaque where the display's unused byte is 0.
            ASSERT_EQ(pixels[static_cast<std::size_t>(y * 45 + x)] & 0xFFFFFF,
                      row[static_cast<std::size_t>(x)])
                << x << ", " << y;
        }
    }
}

TEST(StitchedPreview, AFileThatCannotBeWrittenSaysWhy) {
    const testing::TempDir dir;
    const Pattern pattern = StripePattern({});
    const std::string name = dir.Path() + "/no/such/folder/rose.png";
    try {
        SavePreviewPng(name, pattern, 10);
        FAIL() << "written";
    } catch (const Exception& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "cannot write " + name + ": No such file or directory");
    }
}

// A large preview cut short by a signal leaves no file behind, not even a temporary one.
TEST(StitchedPreview, AnInterruptedPreviewLeavesNoFile) {
    const testing::TempDir dir;
    Census census;
    census.width = census.height = 1000;
    census.palette = {{RGB(200, 20, 40), 500'000}, {RGB(20, 40, 120), 500'000}};
    for (int i = 0; i < 1'000'000; ++i)
        census.stitches.push_back(static_cast<std::uint8_t>((i / 7 + i / 5000) % 2));
    const Pattern pattern(census, {}, "large.bmp");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstallInterruptCleanup();
        // 64 million pixels take far longer than the 20 ms before the signal.
        const itimerval soon{{0, 0}, {0, 20'000}};
        ::signal(SIGALRM, [](int) { ::raise(SIGTERM); });
        ::setitimer(ITIMER_REAL, &soon, nullptr);
        SavePreviewPng(dir.Path() + "/large.png", pattern, 8);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the preview was written before the signal";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{});
}

}  // namespace
}  // namespace brodix::print
