#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "raster/Color.h"
#include "raster/PixelFormat.h"
#include "raster/TBitmap.h"
#include "raster_files_support.h"

// The tables below name only the fields of a BMP that matter to each case.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace brodix {
namespace {

using testing::BmpFields;
using testing::BuildBmp;
using testing::Bytes;
using testing::Decode;
using testing::Encode;

// --- the writer --------------------------------------------------------------------------

TEST(BmpWrite, MonochromeChartOfOneStitch) {
    TBitmap bitmap;
    bitmap.SetSize(13, 13);
    bitmap.SetMonochrome(true);
    bitmap.SetPixel(0, 12, clBlack);  // bottom-left: the first bit written
    const Bytes file = Encode(bitmap);
    ASSERT_EQ(file.size(), 114u);
    const Bytes expectedHead = {
        'B',
        'M',
        114,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        62,
        0,
        0,
        0,  // file header
        40,
        0,
        0,
        0,
        13,
        0,
        0,
        0,
        13,
        0,
        0,
        0,
        1,
        0,
        1,
        0,
        0,
        0,
        0,
        0,
        52,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        0,
        2,
        0,
        0,
        0,
        0,
        0,
        0,
        0,  // information
            // header
        0,
        0,
        0,
        0,
        0xFF,
        0xFF,
        0xFF,
        0,  // black, white
        0x7F,
        0xF8,
        0,
        0,  // bottom row: padding bits zero
        0xFF,
        0xF8,
        0,
        0,
    };
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 70), expectedHead);
}

TEST(BmpWrite, WorkedSizes) {
    const struct {
        int width;
        int height;
        bool monochrome;
        std::uint32_t fileSize;
        std::uint32_t offset;
        std::uint32_t imageSize;
        std::uint16_t bitCount;
    } cases[] = {
        {2401, 2401, true, 729966, 62, 729904, 1},
        {90, 15, false, 5454, 54, 5400, 32},
    };
    for (const auto& c : cases) {
        TBitmap bitmap;
        bitmap.SetSize(c.width, c.height);
        if (c.monochrome)
            bitmap.SetMonochrome(true);
        const Bytes file = Encode(bitmap);
        EXPECT_EQ(file.size(), c.fileSize);
        EXPECT_EQ(testing::Get32(file, 2), c.fileSize);
        EXPECT_EQ(testing::Get32(file, 10), c.offset);
        EXPECT_EQ(testing::Get32(file, 34), c.imageSize);
        EXPECT_EQ(file[28], c.bitCount);
        EXPECT_EQ(testing::Get32(file, 46), c.monochrome ? 2u : 0u);
    }
}

TEST(BmpWrite, EmptyBitmapWritesNothing) {
    TBitmap bitmap;
    bitmap.SetWidth(5);
    EXPECT_TRUE(Encode(bitmap).empty());
}

TEST(BmpWrite, DisplayPixelsAreBlueGreenRedZero) {
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    bitmap.SetPixel(0, 0, RGB(1, 2, 3));
    const Bytes file = Encode(bitmap);
    EXPECT_EQ(Bytes(file.begin() + 54, file.end()), (Bytes{3, 2, 1, 0}));
}

// Every layout the reader keeps comes back from the writer unchanged, at odd widths.
TEST(BmpWrite, RoundTripsKeepPixelsAndLayout) {
    const std::vector<TColor> table = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00,
                                       0xFF0000, 0x808080, 0x123456, 0xABCDEF};
    const struct {
        std::uint16_t bitCount;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
        std::vector<TColor> table;
    } layouts[] = {
        {1, 0, {}, {0x00FF00, 0xFF00FF}},
        {4, 0, {}, table},
        {8, 0, {}, table},
        {16, 0, {}, {}},
        {24, 0, {}, {}},
        {32, 0, {}, {}},
        {16, 3, {0xF800, 0x07E0, 0x001F}, {}},
    };
    for (const auto& layout : layouts) {
        for (const int width : {1, 3, 9, 13}) {
            SCOPED_TRACE(std::to_string(layout.bitCount) + " bits, width " + std::to_string(width));
            BmpFields fields{.width = width,
                             .height = 3,
                             .bitCount = layout.bitCount,
                             .compression = layout.compression,
                             .colorsUsed = static_cast<std::uint32_t>(layout.table.size()),
                             .table = layout.table,
                             .masks = layout.masks};
            const std::size_t stride = RowStride(width, layout.bitCount);
            for (std::size_t i = 0; i < stride * 3; ++i) {
                fields.pixels.push_back(static_cast<std::uint8_t>((i * 37 + width) % 256 & 0x77));
            }
            const auto original = Decode(BuildBmp(fields));
            const auto copy = Decode(Encode(*original));
            ASSERT_EQ(copy->Width(), width);
            ASSERT_EQ(copy->Height(), 3);
            if (layout.compression == 0) {
                EXPECT_EQ(copy->PixelFormat(), original->PixelFormat());
            }
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < width; ++x) {
                    EXPECT_EQ(copy->GetPixel(x, y), original->GetPixel(x, y)) << x << "," << y;
                }
            }
        }
    }
}

TEST(BmpWrite, MonochromeRoundTripAtOddWidths) {
    for (const int width : {1, 3, 9, 13}) {
        TBitmap bitmap;
        bitmap.SetSize(width, 2);
        bitmap.SetMonochrome(true);
        for (int x = 0; x < width; x += 2)
            bitmap.SetPixel(x, x % 4 == 0 ? 0 : 1, clBlack);
        const auto copy = Decode(Encode(bitmap));
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(copy->GetPixel(x, y), bitmap.GetPixel(x, y)) << width << ":" << x;
            }
        }
    }
}

}  // namespace
}  // namespace brodix
