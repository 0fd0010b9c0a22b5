#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "raster/BmpCodec.h"
#include "raster/Exceptions.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster_files_support.h"

// The tables below name only the fields of a BMP that matter to each case.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace brodix {
namespace {

using testing::BmpFields;
using testing::BuildBmp;
using testing::Bytes;
using testing::Decode;
using testing::DecodeFile;
using testing::SuiteFile;

// --- bmpsuite: good pictures -------------------------------------------------------------

struct SuitePicture {
    const char* file;
    int width;
    int height;
    const char* sameAs;  // a file of the same picture whose colours must match exactly
    int tolerance;       // per channel, for 5- and 6-bit channels
};

// Colours at a few places, read by hand from the uncompressed files of each picture.
struct KnownPixel {
    const char* file;
    int x;
    int y;
    TColor color;
};

constexpr SuitePicture kGood[] = {
    {"pal1.bmp", 127, 64, nullptr, 0},
    {"pal1wb.bmp", 127, 64, "pal1.bmp", 0},
    {"pal1bg.bmp", 127, 64, nullptr, 0},
    {"pal4.bmp", 127, 64, nullptr, 0},
    {"pal4rle.bmp", 127, 64, "pal4.bmp", 0},
    {"pal4gs.bmp", 127, 64, nullptr, 0},
    {"pal8.bmp", 127, 64, nullptr, 0},
    {"pal8-0.bmp", 127, 64, "pal8.bmp", 0},
    {"pal8os2.bmp", 127, 64, "pal8.bmp", 0},
    {"pal8rle.bmp", 127, 64, "pal8.bmp", 0},
    {"pal8topdown.bmp", 127, 64, "pal8.bmp", 0},
    {"pal8v4.bmp", 127, 64, "pal8.bmp", 0},
    {"pal8v5.bmp", 127, 64, "pal8.bmp", 0},
    {"pal8gs.bmp", 127, 64, nullptr, 0},
    {"pal8nonsquare.bmp", 127, 32, nullptr, 0},
    {"pal8w124.bmp", 124, 61, nullptr, 0},
    {"pal8w125.bmp", 125, 62, nullptr, 0},
    {"pal8w126.bmp", 126, 63, nullptr, 0},
    {"rgb24.bmp", 127, 64, nullptr, 0},
    {"rgb24pal.bmp", 127, 64, "rgb24.bmp", 0},
    {"rgb32.bmp", 127, 64, "rgb24.bmp", 0},
    {"rgb32bf.bmp", 127, 64, "rgb24.bmp", 0},
    {"rgb32bfdef.bmp", 127, 64, "rgb24.bmp", 0},
    {"rgb16.bmp", 127, 64, "rgb24.bmp", 8},
    {"rgb16bfdef.bmp", 127, 64, "rgb16.bmp", 0},
    {"rgb16-565.bmp", 127, 64, "rgb24.bmp", 8},
    {"rgb16-565pal.bmp", 127, 64, "rgb16-565.bmp", 0},
};

constexpr KnownPixel kKnown[] = {
    {"rgb24.bmp", 0, 0, 0x0000FF},    {"rgb24.bmp", 126, 0, 0xBD9F9F},
    {"rgb24.bmp", 0, 63, 0x000000},   {"rgb24.bmp", 10, 50, 0x525235},
    {"rgb24.bmp", 100, 10, 0x999595}, {"pal8.bmp", 0, 0, 0x0000FF},
    {"pal8.bmp", 126, 0, 0xCCAA99},   {"pal8.bmp", 10, 50, 0x665533},
    {"pal4.bmp", 126, 0, 0xFF80FF},   {"pal4.bmp", 10, 50, 0xFF8000},
    {"pal1.bmp", 0, 0, 0xFFFFFF},     {"pal1.bmp", 0, 63, 0x000000},
    {"pal1bg.bmp", 0, 0, 0x40FF40},   {"pal1bg.bmp", 60, 30, 0xFF4040},
    {"pal8gs.bmp", 0, 0, 0x808080},   {"pal8gs.bmp", 10, 50, 0x4D4D4D},
    {"pal4gs.bmp", 0, 0, 0x8B8B8B},   {"pal4gs.bmp", 126, 0, 0xA2A2A2},
};

int ChannelDistance(TColor a, TColor b) {
    return std::max({std::abs(RedOf(a) - RedOf(b)), std::abs(GreenOf(a) - GreenOf(b)),
                     std::abs(BlueOf(a) - BlueOf(b))});
}

TEST(BmpSuiteGood, EveryPictureDecodesWithItsSizeAndColours) {
    for (const SuitePicture& picture : kGood) {
        SCOPED_TRACE(picture.file);
        const auto bitmap = DecodeFile(SuiteFile(std::string("g/") + picture.file));
        ASSERT_EQ(bitmap->Width(), picture.width);
        ASSERT_EQ(bitmap->Height(), picture.height);
        if (picture.sameAs == nullptr)
            continue;
        const auto reference = DecodeFile(SuiteFile(std::string("g/") + picture.sameAs));
        int worst = 0;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                worst = std::max(
                    worst, ChannelDistance(bitmap->GetPixel(x, y), reference->GetPixel(x, y)));
            }
        }
        EXPECT_LE(worst, picture.tolerance);
    }
    for (const KnownPixel& known : kKnown) {
        SCOPED_TRACE(known.file);
        const auto bitmap = DecodeFile(SuiteFile(std::string("g/") + known.file));
        EXPECT_EQ(bitmap->GetPixel(known.x, known.y), known.color) << known.x << "," << known.y;
    }
}

TEST(BmpSuiteGood, FormatsFollowTheFile) {
    const struct {
        const char* file;
        TPixelFormat format;
    } cases[] = {
        {"pal1.bmp", TPixelFormat::Indexed1},      {"pal4.bmp", TPixelFormat::Indexed4},
        {"pal8.bmp", TPixelFormat::Indexed8},      {"pal8rle.bmp", TPixelFormat::Display},
        {"pal4rle.bmp", TPixelFormat::Display},    {"rgb16.bmp", TPixelFormat::Direct16},
        {"rgb16-565.bmp", TPixelFormat::Direct16}, {"rgb24.bmp", TPixelFormat::Direct24},
        {"rgb32.bmp", TPixelFormat::Direct32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(DecodeFile(SuiteFile(std::string("g/") + c.file))->PixelFormat(), c.format);
    }
    EXPECT_EQ(DecodeFile(SuiteFile("g/rgb16-565.bmp"))->Layout().masks, kMasks565);
    EXPECT_EQ(DecodeFile(SuiteFile("g/pal8.bmp"))->ColorTable().size(), 252u);
    EXPECT_EQ(DecodeFile(SuiteFile("g/pal8-0.bmp"))->ColorTable().size(), 256u);
    EXPECT_EQ(DecodeFile(SuiteFile("g/rgb24pal.bmp"))->ColorTable().size(), 256u);
}

// Questionable and bad pictures either load or fail with one of the framework's errors.
TEST(BmpSuiteDoubtful, LoadOrFailCleanly) {
    for (const char* folder : {"q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(SuiteFile(folder))) {
            SCOPED_TRACE(entry.path().string());
            try {
                const auto bitmap = DecodeFile(entry.path().string());
                if (!bitmap->Empty())
                    bitmap->GetPixel(bitmap->Width() - 1, bitmap->Height() - 1);
            } catch (const Exception&) {
            }
        }
    }
}

std::vector<TColor> WithFirst(std::size_t size, std::vector<TColor> first) {
    first.resize(size, clBlack);
    return first;
}

// --- hand-built files that decode --------------------------------------------------------

TEST(BmpDecode, Variants) {
    const TColor red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
    const struct {
        const char* name;
        BmpFields fields;
        std::vector<TColor> expected;  // rows top down
        int width;
    } cases[] = {
        {"24-bit bottom up",
         {.width = 2,
          .height = 2,
          .bitCount = 24,
          .pixels = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0,  // bottom: red, green
                     0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}},
         {blue, clWhite, red, green},
         2},
        {"24-bit top down",
         {.width = 1, .height = -2, .bitCount = 24, .pixels = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0}},
         {red, blue},
         1},
        {"core header 8-bit",
         {.width = 3,
          .height = 1,
          .bitCount = 8,
          .headerSize = 12,
          .table = WithFirst(256, {red, green, blue}),
          .pixels = {2, 1, 0, 0}},
         {blue, green, red},
         3},
        {"4-bit with short table",
         {.width = 3,
          .height = 1,
          .bitCount = 4,
          .colorsUsed = 2,
          .table = {red, green},
          .pixels = {0x10, 0x50, 0, 0}},
         {green, red, clBlack},
         3},
        {"16-bit 5-6-5 bit fields",
         {.width = 2,
          .height = 1,
          .bitCount = 16,
          .compression = 3,
          .masks = {0xF800, 0x07E0, 0x001F},
          .pixels = {0x00, 0xF8, 0x1F, 0x00}},
         {red, blue},
         2},
        {"32-bit fields with a missing channel",
         {.width = 1,
          .height = 1,
          .bitCount = 32,
          .compression = 3,
          .masks = {0xFF0000, 0xFF00, 0},
          .pixels = {0xFF, 0x80, 0x40, 0}},
         {RGB(0x40, 0x80, 0)},
         1},
        {"RLE8 runs, literal, delta and end",
         {.width = 4,
          .height = 2,
          .bitCount = 8,
          .compression = 1,
          .colorsUsed = 3,
          .imageSize = 16,
          .table = {red, green, blue},
          .pixels = {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 3, 0, 0, 1}},
         {clBlack, clBlack, clBlack, clBlack, green, green, blue, red},
         4},
        {"RLE4 run and literal",
         {.width = 5,
          .height = 1,
          .bitCount = 4,
          .compression = 2,
          .colorsUsed = 3,
          .table = {red, green, blue},
          .pixels = {3, 0x12, 0, 3, 0x01, 0x20, 0, 1}},
         {green, blue, green, red, green},
         5},
        {"pixels after a gap",
         {.width = 1,
          .height = 1,
          .bitCount = 24,
          .pixels = {9, 9, 9, 9, 0, 0, 0xFF, 0},
          .pixelOffset = 54 + 4},
         {red},
         1},
        {"cut-short pixel data",
         {.width = 2, .height = 2, .bitCount = 24, .pixels = {0, 0, 0xFF}},
         {clBlack, clBlack, red, clBlack},
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<TBitmap> bitmap;
        ASSERT_NO_THROW(bitmap = Decode(BuildBmp(c.fields)));
        ASSERT_EQ(bitmap->Width(), c.width);
        ASSERT_EQ(bitmap->Height() * c.width, static_cast<int>(c.expected.size()));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const int x = static_cast<int>(i) % c.width;
            const int y = static_cast<int>(i) / c.width;
            EXPECT_EQ(bitmap->GetPixel(x, y), c.expected[i]) << x << "," << y;
        }
    }
}

TEST(BmpDecode, CoreHeaderWidthIsUnsigned) {
    BmpFields fields{
        .width = 40000, .height = 1, .bitCount = 1, .headerSize = 12, .table = {clBlack, clWhite}};
    fields.pixels.assign(RowStride(40000, 1), 0xFF);
    const auto bitmap = Decode(BuildBmp(fields));
    EXPECT_EQ(bitmap->Width(), 40000);
    EXPECT_EQ(bitmap->GetPixel(39999, 0), clWhite);
}

TEST(BmpDecode, ZeroLengthIsAnEmptyBitmap) {
    TMemoryStream stream;
    TBitmap bitmap;
    bitmap.SetSize(3, 3);
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
}

// ReadData stops at the BMP's own length and leaves the stream after it.
TEST(BmpDecode, ReadDataKeepsToItsLength) {
    Bytes bytes = BuildBmp({.width = 1, .height = 1, .bitCount = 24, .pixels = {1, 2, 3, 0}});
    const std::size_t length = bytes.size();
    bytes.insert(bytes.end(), {0xAA, 0xBB});
    TMemoryStream stream(bytes);
    TBitmap bitmap;
    bitmap.ReadData(stream, length);
    EXPECT_EQ(bitmap.GetPixel(0, 0), RGB(3, 2, 1));
    EXPECT_EQ(stream.Position(), length);
}

// --- the failure table -------------------------------------------------------------------

constexpr std::uint8_t kThirteenBytes[] = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
static_assert(sizeof kThirteenBytes == 13);
constexpr std::uint8_t kHeaderCutInLength[] = {'B', 'M', 0,  0, 0, 0, 0,  0,
                                               0,   0,   54, 0, 0, 0, 40, 0};
static_assert(sizeof kHeaderCutInLength == 16);

enum class Expect { ReadError, InvalidBitmap, OutOfResources };

Bytes WithField32(Bytes bytes, std::size_t at, std::uint32_t value) {
    testing::Put32(bytes, at, value);
    return bytes;
}

TEST(BmpFailures, EachRowRaisesItsErrorAndLeavesTheBitmap) {
    const Bytes good = BuildBmp({.width = 2,
                                 .height = 1,
                                 .bitCount = 8,
                                 .colorsUsed = 2,
                                 .table = {clBlack, clWhite},
                                 .pixels = {1, 0, 0, 0}});
    Bytes notBm = good;
    notBm[0] = 'P';
    Bytes cutTable = good;
    cutTable.resize(14 + 40 + 5);
    const struct {
        const char* name;
        Bytes bytes;
        Expect expect;
        const char* reason;  // which check must refuse it
    } cases[] = {
        {"one byte", {'B'}, Expect::ReadError, "file header cut short"},
        {"thirteen bytes", Bytes(std::begin(kThirteenBytes), std::end(kThirteenBytes)),
         Expect::ReadError, "file header cut short"},
        {"file ends in the header length",
         Bytes(std::begin(kHeaderCutInLength), std::end(kHeaderCutInLength)), Expect::ReadError,
         "header length cut short"},
        {"file ends in the header", Bytes(good.begin(), good.begin() + 30), Expect::ReadError,
         "bitmap header cut short"},
        {"file ends in the colour table", cutTable, Expect::ReadError, "colour table cut short"},
        {"file ends in the masks", BuildBmp({.bitCount = 16, .compression = 3, .masks = {1}}),
         Expect::ReadError, "masks cut short"},
        {"not B, M", notBm, Expect::InvalidBitmap, "not B, M"},
        {"planes 2", BuildBmp({.planes = 2}), Expect::InvalidBitmap, "planes other than 1"},
        {"header length 16", WithField32(good, 14, 16), Expect::InvalidBitmap,
         "header shorter than 40 bytes"},
        {"header length 0", WithField32(good, 14, 0), Expect::InvalidBitmap,
         "header shorter than 40 bytes"},
        {"header length beyond the file", WithField32(good, 14, 0xFFFFFFF0), Expect::ReadError,
         "bitmap header cut short"},
        {"257 colours", BuildBmp({.bitCount = 8, .colorsUsed = 257}), Expect::InvalidBitmap,
         "colour table over 256 entries"},
        {"colours used 2^32-1", BuildBmp({.bitCount = 8, .colorsUsed = 0xFFFFFFFF}),
         Expect::InvalidBitmap, "colour table over 256 entries"},
        {"width 0", BuildBmp({.width = 0}), Expect::InvalidBitmap, "width not positive"},
        {"negative width", BuildBmp({.width = -5}), Expect::InvalidBitmap, "width not positive"},
        {"height 0", BuildBmp({.height = 0}), Expect::InvalidBitmap, "height 0 or -2^31"},
        {"height -2^31", BuildBmp({.height = INT32_MIN}), Expect::InvalidBitmap,
         "height 0 or -2^31"},
        {"2 bits per pixel", BuildBmp({.bitCount = 2, .colorsUsed = 1, .table = {0}}),
         Expect::InvalidBitmap, "bits per pixel not 1, 4, 8, 16, 24 or 32"},
        {"0 bits per pixel", BuildBmp({.bitCount = 0}), Expect::InvalidBitmap,
         "bits per pixel not 1, 4, 8, 16, 24 or 32"},
        {"compression 4 (JPEG)", BuildBmp({.compression = 4}), Expect::InvalidBitmap,
         "unknown compression"},
        {"RLE8 at 24 bits", BuildBmp({.compression = 1}), Expect::InvalidBitmap,
         "RLE8 not at 8 bits"},
        {"RLE top down",
         BuildBmp({.height = -1, .bitCount = 8, .compression = 1, .colorsUsed = 1, .table = {0}}),
         Expect::InvalidBitmap, "run-length rows top down"},
        {"bit fields at 8 bits",
         BuildBmp({.bitCount = 8, .compression = 3, .colorsUsed = 1, .table = {0}}),
         Expect::InvalidBitmap, "bit fields not at 16 or 32 bits"},
        {"bit fields after a 44-byte header",
         WithField32(BuildBmp({.bitCount = 16, .compression = 3, .masks = {0x7C00, 0x3E0, 0x1F}}),
                     14, 44),
         Expect::InvalidBitmap, "no place for the masks"},
        {"overlapping masks",
         BuildBmp({.bitCount = 16, .compression = 3, .masks = {0xFF00, 0x0FF0, 0x000F}}),
         Expect::InvalidBitmap, "masks overlap"},
        {"mask beyond 16 bits",
         BuildBmp({.bitCount = 16, .compression = 3, .masks = {0x1F0000, 0x3E0, 0x1F}}),
         Expect::InvalidBitmap, "mask beyond the pixel"},
        {"split mask",
         BuildBmp({.bitCount = 32, .compression = 3, .masks = {0xF0F000, 0xFF, 0xF00}}),
         Expect::InvalidBitmap, "mask not one run of bits"},
        {"2^31-1 by 2^31-1", BuildBmp({.width = INT32_MAX, .height = INT32_MAX}),
         Expect::OutOfResources, "row longer than 2^31 bytes"},
        {"store just above the limit", BuildBmp({.width = 16385, .height = 4097, .bitCount = 32}),
         Expect::OutOfResources, "pixel store over the limit"},
        {"RLE store above the limit",
         BuildBmp({.width = 65536,
                   .height = 1025,
                   .bitCount = 8,
                   .compression = 1,
                   .colorsUsed = 1,
                   .table = {0}}),
         Expect::OutOfResources, "pixel store over the limit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap bitmap;
        bitmap.SetSize(3, 2);
        bitmap.Canvas().SetPixel(1, 1, 0x123456);
        TMemoryStream stream(c.bytes);
        try {
            bitmap.LoadFromStream(stream);
            ADD_FAILURE() << "loaded";
        } catch (const EReadError& e) {
            EXPECT_EQ(c.expect, Expect::ReadError);
            EXPECT_STREQ(e.what(), msg::kReadError);
            EXPECT_STREQ(e.Reason(), c.reason);
        } catch (const EOutOfResources& e) {
            EXPECT_EQ(c.expect, Expect::OutOfResources);
            EXPECT_STREQ(e.Reason(), c.reason);
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(c.expect, Expect::InvalidBitmap);
            EXPECT_STREQ(e.what(), msg::kInvalidBitmap);
            EXPECT_STREQ(e.Reason(), c.reason);
        }
        EXPECT_EQ(bitmap.Width(), 3);
        EXPECT_EQ(bitmap.Height(), 2);
        EXPECT_EQ(bitmap.GetPixel(1, 1), 0x123456u);
    }
}

// --- corrupt input: only a clean error or a picture, never a crash -----------------------

TEST(BmpCorrupt, TruncationsAndFlippedBytes) {
    for (const char* name :
         {"g/pal8rle.bmp", "g/pal4rle.bmp", "g/rgb16-565.bmp", "g/pal8os2.bmp", "g/pal8v5.bmp"}) {
        const Bytes original = testing::ReadFileBytes(SuiteFile(name));
        std::vector<Bytes> variants;
        for (std::size_t cut = 0; cut < 200 && cut < original.size(); ++cut) {
            variants.emplace_back(original.begin(), original.begin() + cut);
        }
        std::uint32_t seed = 12345;
        for (int i = 0; i < 300; ++i) {
            Bytes damaged = original;
            for (int k = 0; k < 4; ++k) {
                seed = seed * 1103515245 + 12345;
                const std::size_t at =
                    (seed >> 8) % std::min<std::size_t>(damaged.size(), 200 + i * 30);
                damaged[at] = static_cast<std::uint8_t>(seed >> 24);
            }
            variants.push_back(std::move(damaged));
        }
        for (const Bytes& bytes : variants) {
            try {
                const auto bitmap = Decode(bytes);
                if (!bitmap->Empty())
                    bitmap->GetPixel(0, 0);
            } catch (const Exception&) {
            }
        }
    }
}

}  // namespace
}  // namespace brodix
