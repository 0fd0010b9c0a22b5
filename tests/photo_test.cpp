// Pictures of any kind and size read and fitted to a stitch size.
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "bmp_builder.h"
#include "photo/Photo.h"
#include "photo_files.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster_files_jpeg.h"
#include "test_files.h"

namespace brodix {
namespace {

using testing::MakeGif;
using testing::MakeJpeg;
using testing::MakePng;
using testing::PhotoBytes;

std::unique_ptr<TBitmap> Read(const PhotoBytes& bytes, PhotoOptions options = {}) {
    return ReadPhoto(bytes, options, "pic");
}

// Colours within tol of each other in every channel (lossy JPEG).
bool Near(TColor a, TColor b, int tol) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > tol)
            return false;
    }
    return true;
}

TEST(PhotoPng, EachKindGivesTheExpectedPixelsOverTheBackground) {
    const std::vector<png_color> palette = {{255, 0, 0}, {0, 0, 255}};
    struct Case {
        const char* what;
        PhotoBytes png;
        TColor left, right;  // the two pixels of a 2 x 1 picture, over a black background
    };
    const Case cases[] = {
        {"rgb", MakePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 200, 100, 50}), RGB(1, 2, 3),
         RGB(200, 100, 50)},
        {"palette, entry 1 half transparent",
         MakePng(2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, palette, {255, 128}), RGB(255, 0, 0),
         RGB(0, 0, 128)},
        {"grey 4-bit", MakePng(2, 1, PNG_COLOR_TYPE_GRAY, 4, {0x0F}), 0, RGB(255, 255, 255)},
        {"grey with alpha", MakePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {100, 255, 100, 0}),
         RGB(100, 100, 100), 0},
        {"rgba", MakePng(2, 1, PNG_COLOR_TYPE_RGBA, 8, {10, 20, 30, 255, 255, 255, 255, 51}),
         RGB(10, 20, 30), RGB(51, 51, 51)},
        {"16-bit rgb",
         MakePng(2, 1, PNG_COLOR_TYPE_RGB, 16, {0xFF, 0xFF, 0, 0, 0x80, 0x80, 0, 0, 0, 0, 0, 0}),
         RGB(255, 0, 128), 0},
        {"interlaced", MakePng(2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6}, {}, {}, true),
         RGB(1, 2, 3), RGB(4, 5, 6)},
    };
    for (const Case& c : cases) {
        PhotoOptions options;
        options.background = 0;
        const auto bitmap = Read(c.png, options);
        ASSERT_EQ(bitmap->Width(), 2) << c.what;
        EXPECT_EQ(bitmap->PixelFormat(), TPixelFormat::Direct24) << c.what;
        EXPECT_EQ(bitmap->GetPixel(0, 0), c.left) << c.what;
        EXPECT_EQ(bitmap->GetPixel(1, 0), c.right) << c.what;
    }
}

TEST(PhotoPng, TransparencyShowsWhiteUnlessAnotherBackgroundIsChosen) {
    const PhotoBytes png = MakePng(1, 1, PNG_COLOR_TYPE_RGBA, 8, {0, 0, 0, 0});
    EXPECT_EQ(Read(png)->GetPixel(0, 0), clWhite);
    PhotoOptions options;
    options.background = RGB(0x12, 0x34, 0x56);
    EXPECT_EQ(Read(png, options)->GetPixel(0, 0), RGB(0x12, 0x34, 0x56));
}

TEST(PhotoGif, FirstFrameWithTransparencyAndInterlacing) {
    // 2 x 9 so that every interlace pass has rows; the last column is transparent.
    std::vector<GifPixelType> pixels;
    for (int y = 0; y < 9; ++y)
        pixels.insert(pixels.end(), {static_cast<GifPixelType>(y % 3), 3});
    for (bool interlaced : {false, true}) {
        PhotoOptions options;
        options.background = RGB(9, 9, 9);
        const auto bitmap = Read(MakeGif(2, 9, pixels, 3, interlaced), options);
        ASSERT_EQ(bitmap->Height(), 9);
        const TColor colors[3] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
        for (int y = 0; y < 9; ++y) {
            EXPECT_EQ(bitmap->GetPixel(0, y), colors[y % 3]) << interlaced << " row " << y;
            EXPECT_EQ(bitmap->GetPixel(1, y), RGB(9, 9, 9)) << interlaced << " row " << y;
        }
    }
}

TEST(PhotoJpeg, BaselineProgressiveAndGreyDecodeWhole) {
    for (auto kind : {testing::JpegKind::Baseline, testing::JpegKind::Progressive,
                      testing::JpegKind::Grayscale}) {
        const auto bitmap = Read(MakeJpeg(32, 16, kind));
        ASSERT_EQ(bitmap->Width(), 32);
        ASSERT_EQ(bitmap->Height(), 16);
        // Red rises to the right (grey: all three channels do).
        EXPECT_LT(RedOf(bitmap->GetPixel(0, 8)), 20);
        EXPECT_GT(RedOf(bitmap->GetPixel(31, 8)), 235);
    }
}

TEST(PhotoJpeg, ExifOrientationTurnsThePictureUpright) {
    // Stored 16 x 8: red rises to the right, green downwards.
    const PhotoBytes stored = MakeJpeg(16, 8, testing::JpegKind::Baseline);
    struct Case {
        int orientation, width;
        TColor topLeft;  // the stored corner that ends up at the top left
    };
    const TColor red = RGB(255, 0, 0x40), green = RGB(0, 255, 0x40), both = RGB(255, 255, 0x40);
    for (const Case& c : {Case{1, 16, RGB(0, 0, 0x40)}, Case{3, 16, both}, Case{6, 8, green},
                          Case{8, 8, red}, Case{2, 16, red}}) {
        const auto bitmap = Read(testing::WithExifOrientation(stored, c.orientation));
        EXPECT_EQ(bitmap->Width(), c.width) << c.orientation;
        EXPECT_TRUE(Near(bitmap->GetPixel(0, 0), c.topLeft, 24))
            << c.orientation << ": " << std::hex << bitmap->GetPixel(0, 0);
    }
}

TEST(PhotoFit, SizesKeepTheAspectInsideTheBox) {
    struct Case {
        int width, height;
        StitchSize box, expected;
    };
    for (const Case& c :
         {Case{4000, 3000, {200, 200}, {200, 150}}, Case{150, 300, {200, 200}, {100, 200}},
          Case{3000, 2000, {120, 80}, {120, 80}}, Case{50, 50, {200, 120}, {120, 120}},
          Case{1, 5000, {200, 200}, {1, 200}}})
        EXPECT_EQ(FittedSize(c.width, c.height, c.box), c.expected) << c.width << "x" << c.height;

    // A JPEG far larger than its box is decoded at a reduced scale and still fits exactly.
    PhotoOptions options;
    options.fit = StitchSize{200, 200};
    const auto bitmap = Read(MakeJpeg(1600, 1200, testing::JpegKind::Baseline), options);
    EXPECT_EQ(bitmap->Width(), 200);
    EXPECT_EQ(bitmap->Height(), 150);
}

TEST(PhotoFit, ACheckerboardAveragesToMidGreyInLinearLight) {
    PhotoBytes rows;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            rows.push_back((x + y) % 2 ? 255 : 0);
    PhotoOptions options;
    options.fit = StitchSize{8, 8};
    const auto bitmap = Read(MakePng(64, 64, PNG_COLOR_TYPE_GRAY, 8, rows), options);
    ASSERT_EQ(bitmap->Width(), 8);
    // Half the light of white is 188 in sRGB; averaging the stored values would give 128.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_TRUE(Near(bitmap->GetPixel(x, y), RGB(188, 188, 188), 1)) << x << "," << y;
}

TEST(PhotoFailures, DamagedCutShortAndHugePicturesFailCleanlyWithTheirReason) {
    const PhotoBytes png = MakePng(4, 4, PNG_COLOR_TYPE_RGB, 8, PhotoBytes(48, 7));
    const PhotoBytes jpeg = MakeJpeg(64, 64, testing::JpegKind::Progressive);
    const PhotoBytes gif = MakeGif(4, 4, std::vector<GifPixelType>(16, 1), -1);
    const auto cut = [](const PhotoBytes& bytes, std::size_t keep) {
        return PhotoBytes(bytes.begin(), bytes.begin() + keep);
    };
    struct Case {
        const char* what;
        PhotoBytes bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"empty", {}, "pic is neither a PNG, JPEG, GIF or BMP picture nor an OXS chart"},
        {"text",
         {'h', 'e', 'l', 'l', 'o'},
         "pic is neither a PNG, JPEG, GIF or BMP picture nor an OXS chart"},
        {"png signature only", cut(png, 8), "pic: the PNG data are damaged"},
        {"png cut in its pixels", cut(png, png.size() - 20), "pic: the PNG data are damaged"},
        {"jpeg cut short", cut(jpeg, jpeg.size() / 2), "pic: the JPEG data are damaged"},
        {"jpeg header only", cut(jpeg, 4), "pic: the JPEG data are damaged"},
        {"gif cut short", cut(gif, gif.size() - 6), "pic: the GIF data are damaged"},
        {"bmp header only", {'B', 'M', 0, 0}, "pic: the BMP data are damaged"},
    };
    for (const Case& c : cases) {
        try {
            Read(c.bytes);
            ADD_FAILURE() << c.what << " was read";
        } catch (const EInvalidGraphic& error) {
            EXPECT_EQ(std::string(error.what()).substr(0, c.reason.size()), c.reason) << c.what;
        }
    }
    // Over the cap: refused from the header, before the pixels are allocated.
    PhotoOptions capped;
    capped.maxPixels = 63;
    for (const PhotoBytes& bytes : {jpeg, MakePng(8, 8, PNG_COLOR_TYPE_RGB, 8, PhotoBytes(192)),
                                    MakeGif(8, 8, std::vector<GifPixelType>(64), -1)}) {
        try {
            Read(bytes, capped);
            ADD_FAILURE() << "read over the cap";
        } catch (const EOutOfResources& error) {
            EXPECT_NE(std::string(error.what()).find("at most 63 pixels"), std::string::npos)
                << error.what();
        }
    }
}

// The size from the header alone equals what the reader gives, EXIF turn and GIF frame included.
TEST(PhotoSize, HeaderAloneGivesTheSizeTheReaderGives) {
    const testing::TempDir dir;
    const PhotoBytes jpeg = MakeJpeg(48, 20, testing::JpegKind::Progressive);
    const std::vector<PhotoBytes> pictures = {
        MakePng(37, 11, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(37 * 11 * 3)),
        MakeGif(9, 14, std::vector<GifPixelType>(9 * 14), -1),
        jpeg,
        testing::WithExifOrientation(jpeg, 6),
        testing::BmpBytes(21, 5, 24, [](int, int) { return clBlack; }),
    };
    for (const PhotoBytes& bytes : pictures) {
        testing::WriteFileBytes(dir / "picture", bytes);
        const std::unique_ptr<TBitmap> read = Read(bytes);
        EXPECT_EQ(ReadPhotoSize(dir / "picture", {}), (StitchSize{read->Width(), read->Height()}));
    }
    // Cut short or not a picture: raised as the reader would.
    testing::WriteFileBytes(dir / "short", PhotoBytes(jpeg.begin(), jpeg.begin() + 30));
    testing::WriteFileBytes(dir / "text", PhotoBytes{'h', 'e', 'l', 'l', 'o'});
    EXPECT_THROW(ReadPhotoSize(dir / "short", {}), EInvalidGraphic);
    EXPECT_THROW(ReadPhotoSize(dir / "text", {}), EInvalidGraphic);
}

// Writes a chunk of the type and data with its CRC, as a PNG holds it.
void AppendChunk(PhotoBytes& png, const char* type, const PhotoBytes& data, std::uint32_t length) {
    const std::uint8_t size[4] = {std::uint8_t(length >> 24), std::uint8_t(length >> 16),
                                  std::uint8_t(length >> 8), std::uint8_t(length)};
    png.insert(png.end(), size, size + 4);
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
    for (int shift : {24, 16, 8, 0})
        png.push_back(static_cast<std::uint8_t>(crc >> shift));
}

// A PNG of the size with nothing after its header but what follows adds.
PhotoBytes PngHeader(std::uint32_t width, std::uint32_t height) {
    PhotoBytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PhotoBytes ihdr;
    for (std::uint32_t value : {width, height})
        for (int shift : {24, 16, 8, 0})
            ihdr.push_back(static_cast<std::uint8_t>(value >> shift));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
    AppendChunk(png, "IHDR", ihdr, 13);
    return png;
}

// The same with empty pixel data and an end.
PhotoBytes PngWithoutPixels(std::uint32_t width, std::uint32_t height) {
    PhotoBytes png = PngHeader(width, height);
    AppendChunk(png, "IDAT", {}, 0);
    AppendChunk(png, "IEND", {}, 0);
    return png;
}

TEST(PhotoHostile, SmallFilesThatDeclareMuchCostWhatTheyHold) {
    PhotoBytes hugeText = PngHeader(16, 16);
    AppendChunk(hugeText, "tEXt", PhotoBytes(16, 'a'), 0x7FFFFFFF);
    PhotoBytes hugeScreen = MakeGif(16, 16, std::vector<GifPixelType>(256, 1), -1);
    hugeScreen[6] = hugeScreen[8] = 0x9F;  // a 7071 x 7071 screen around the 16 x 16 frame
    hugeScreen[7] = hugeScreen[9] = 0x1B;
    const PhotoBytes jpeg = MakeJpeg(16, 16, testing::JpegKind::Baseline);
    PhotoBytes manyApp1(jpeg.begin(), jpeg.begin() + 2);
    for (int i = 0; i < 600; ++i) {
        manyApp1.insert(manyApp1.end(), {0xFF, 0xE1, 0xFF, 0xFF});
        manyApp1.insert(manyApp1.end(), 65533, 'x');
    }
    manyApp1.insert(manyApp1.end(), jpeg.begin() + 2, jpeg.end());
    struct Case {
        const char* what;
        PhotoBytes bytes;
        bool reads;
    };
    const Case cases[] = {
        {"png text chunk of 2 GB", hugeText, false},
        {"png of 7071 x 7071, no data", PngWithoutPixels(7071, 7071), false},
        {"gif frame on a 7071 x 7071 screen", hugeScreen, true},
        {"jpeg with 600 APP1 segments", manyApp1, true},
    };
    for (const Case& c : cases) {
        bool read = false;
        const long growth = testing::PeakGrowthMb([&] {
            Read(c.bytes);
            read = true;
        });
        EXPECT_GE(growth, 0) << c.what;
        EXPECT_LT(growth, 20) << c.what;
        if (c.reads)
            EXPECT_EQ(Read(c.bytes)->Width(), 16) << c.what;
        else
            EXPECT_THROW(Read(c.bytes), EInvalidGraphic) << c.what;
    }
}

TEST(PhotoHostile, APngTallerThanTheCapIsTooLargeNotDamaged) {
    try {
        Read(PngWithoutPixels(1, 50'000'001));
        ADD_FAILURE() << "read";
    } catch (const EOutOfResources& error) {
        EXPECT_NE(std::string(error.what()).find("at most"), std::string::npos) << error.what();
    }
}

TEST(PhotoFit, EnlargingRepeatsPixelsAndInventsNoColour) {
    // Four colours in a 2 x 2 picture, fitted into 7 x 7 and 8 x 8.
    const PhotoBytes rows = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    for (int side : {7, 8}) {
        PhotoOptions options;
        options.fit = StitchSize{side, side};
        const auto bitmap = Read(MakePng(2, 2, PNG_COLOR_TYPE_RGB, 8, rows), options);
        std::set<TColor> colours;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                colours.insert(bitmap->GetPixel(x, y));
        EXPECT_EQ(colours.size(), 4u) << side;
        EXPECT_EQ(bitmap->GetPixel(0, 0), RGB(255, 0, 0));
        EXPECT_EQ(bitmap->GetPixel(side - 1, side - 1), RGB(255, 255, 255));
    }
}

}  // namespace
}  // namespace brodix
