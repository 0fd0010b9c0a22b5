#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdlib>
#include <string>

#include "raster/Exceptions.h"
#include "raster/Screen.h"
#include "raster/Stream.h"
#include "raster/TBitmap.h"
#include "raster/TCanvas.h"
#include "raster/TIcon.h"
#include "raster/TJPEGImage.h"
#include "raster/TMetafile.h"
#include "raster_files_jpeg.h"
#include "raster_files_support.h"

namespace brodix {
namespace {

using testing::Bytes;
using testing::JpegKind;
using testing::MakeJpeg;

template <typename Graphic>
std::unique_ptr<Graphic> Load(const Bytes& bytes) {
    TMemoryStream stream(bytes);
    auto graphic = std::make_unique<Graphic>();
    graphic->LoadFromStream(stream);
    return graphic;
}

int Distance(TColor a, TColor b) {
    return std::max({std::abs(RedOf(a) - RedOf(b)), std::abs(GreenOf(a) - GreenOf(b)),
                     std::abs(BlueOf(a) - BlueOf(b))});
}

// --- JPEG ---------------------------------------------------------------------------------

TEST(Jpeg, HeaderOnLoadPixelsOnFirstDraw) {
    const struct {
        JpegKind kind;
        bool grayscale;
        bool progressive;
        TPixelFormat format;
    } cases[] = {
        {JpegKind::Baseline, false, false, TPixelFormat::Direct24},
        {JpegKind::Grayscale, true, false, TPixelFormat::Indexed8},
        {JpegKind::Progressive, false, true, TPixelFormat::Direct24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        auto image = Load<TJPEGImage>(MakeJpeg(33, 17, c.kind));
        EXPECT_EQ(image->Width(), 33);
        EXPECT_EQ(image->Height(), 17);
        EXPECT_EQ(image->Grayscale(), c.grayscale);
        EXPECT_EQ(image->ProgressiveEncoding(), c.progressive);
        EXPECT_EQ(image->DecodedBitmap(), nullptr);

        TBitmap target;
        target.SetSize(33, 17);
        image->Draw(target.Canvas(), Rect(0, 0, 33, 17));
        const TBitmap* decoded = image->DecodedBitmap();
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded->PixelFormat(), c.format);
        if (c.grayscale) {
            EXPECT_LE(decoded->ColorTable().size(), 236u);
        }
        // Left edge dark red, right edge full red; green rises downwards.
        const TColor right = c.grayscale ? RGB(255, 255, 255) : RGB(255, 255, 0x40);
        const TColor left = c.grayscale ? RGB(0, 0, 0) : RGB(0, 0, 0x40);
        EXPECT_LE(Distance(target.GetPixel(32, 16), right), 24);
        EXPECT_LE(Distance(target.GetPixel(0, 0), left), 24);
    }
}

TEST(Jpeg, EmptyFileIsAnEmptyPicture) {
    auto image = Load<TJPEGImage>({});
    EXPECT_TRUE(image->Empty());
    TBitmap target;
    target.SetSize(2, 2);
    image->Draw(target.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(target.GetPixel(0, 0), clWhite);
}

TEST(Jpeg, HeaderErrorsCarryTheDecoderNumber) {
    const Bytes full = MakeJpeg(8, 8, JpegKind::Baseline);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"not a JPEG", {'B', 'M', 0, 0}},
        {"only the start marker", {0xFF, 0xD8}},
        {"header cut short", Bytes(full.begin(), full.begin() + 40)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            Load<TJPEGImage>(c.bytes);
            ADD_FAILURE() << "loaded";
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.Message().rfind("JPEG エラー #", 0), 0u) << e.Message();
        }
    }
}

// A file damaged after its header loads; what decodes is kept, and only the first drawing
// may complain.
TEST(Jpeg, DamagedDataDecodesOnceAndKeepsWhatItGot) {
    Bytes bytes = MakeJpeg(64, 256, JpegKind::Baseline);
    bytes.resize(bytes.size() * 3 / 4);
    auto image = Load<TJPEGImage>(bytes);
    TBitmap target;
    target.SetSize(64, 256);
    try {
        image->Draw(target.Canvas(), Rect(0, 0, 64, 256));
    } catch (const EJPEG&) {
    }
    ASSERT_NE(image->DecodedBitmap(), nullptr);
    EXPECT_NO_THROW(image->Draw(target.Canvas(), Rect(0, 0, 64, 256)));
    EXPECT_LE(Distance(target.GetPixel(63, 0), RGB(255, 0, 0x40)), 24);
}

TEST(Jpeg, CloneAndSaveKeepTheBytes) {
    const Bytes bytes = MakeJpeg(9, 5, JpegKind::Progressive);
    auto image = Load<TJPEGImage>(bytes);
    auto copy = image->Clone();
    EXPECT_EQ(copy->Width(), 9);
    TMemoryStream out;
    copy->SaveToStream(out);
    EXPECT_EQ(out.Bytes(), bytes);
}

// --- icons --------------------------------------------------------------------------------

Bytes IconFile(const std::vector<std::pair<std::array<int, 3>, Bytes>>& images) {
    Bytes out(6 + 16 * images.size(), 0);
    out[2] = 1;
    out[4] = static_cast<std::uint8_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto& [size, data] = images[i];
        const std::size_t e = 6 + 16 * i;
        out[e] = static_cast<std::uint8_t>(size[0]);
        out[e + 1] = static_cast<std::uint8_t>(size[1]);
        out[e + 6] = static_cast<std::uint8_t>(size[2]);
        testing::Put32(out, e + 8, static_cast<std::uint32_t>(data.size()));
        testing::Put32(out, e + 12, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

// A 2 x 2 4-bit image: top row red, blue; bottom row blue, red; the top-right pixel masked.
Bytes DibImage() {
    Bytes dib(40, 0);
    testing::Put32(dib, 0, 40);
    testing::Put32(dib, 4, 2);
    testing::Put32(dib, 8, 4);
    testing::Put16(dib, 12, 1);
    testing::Put16(dib, 14, 4);
    testing::Put32(dib, 32, 2);
    const Bytes rest = {0,    0, 0xFF, 0, 0xFF, 0, 0, 0,   // table: red, blue
                        0x10, 0, 0,    0, 0x01, 0, 0, 0,   // colour rows, bottom first
                        0x00, 0, 0,    0, 0x40, 0, 0, 0};  // mask rows, bottom first
    dib.insert(dib.end(), rest.begin(), rest.end());
    return dib;
}

Bytes PngImage() {
    // 3 x 1: opaque green, transparent, opaque white.
    const std::uint8_t pixels[] = {0, 255, 0, 255, 9, 9, 9, 0, 255, 255, 255, 255};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 3;
    image.height = 1;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels, 0, nullptr);
    Bytes out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, pixels, 0, nullptr);
    out.resize(size);
    return out;
}

TEST(Icon, DecodesOnFirstDrawWithItsMask) {
    auto icon = Load<TIcon>(IconFile({{{2, 2, 4}, DibImage()}}));
    EXPECT_EQ(icon->Width(), TIcon::kStandardSize);
    TBitmap target;
    target.SetSize(2, 2);
    icon->Draw(target.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(icon->Width(), 2);
    EXPECT_EQ(target.GetPixel(0, 0), 0x0000FFu);
    EXPECT_EQ(target.GetPixel(1, 0), clWhite) << "masked: the canvas shows through";
    EXPECT_EQ(target.GetPixel(0, 1), 0xFF0000u);
    EXPECT_EQ(target.GetPixel(1, 1), 0x0000FFu);
}

TEST(Icon, PngImagesAndTheNearestSize) {
    // The 3 x 1 PNG is nearer the standard size than the 2 x 2 image and wins.
    auto icon = Load<TIcon>(IconFile({{{2, 2, 4}, DibImage()}, {{30, 30, 32}, PngImage()}}));
    TBitmap target;
    target.SetSize(3, 1);
    icon->Draw(target.Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(icon->Width(), 3);
    EXPECT_EQ(target.GetPixel(0, 0), 0x00FF00u);
    EXPECT_EQ(target.GetPixel(1, 0), clWhite);
    EXPECT_EQ(target.GetPixel(2, 0), clWhite);
    EXPECT_FALSE(icon->Opaque(1, 0));
}

TEST(Icon, DirectoryOutsideTheFileIsRefused) {
    Bytes file = IconFile({{{2, 2, 4}, DibImage()}});
    Bytes offsetPast = file;
    testing::Put32(offsetPast, 6 + 12, static_cast<std::uint32_t>(file.size()));
    Bytes sizeWraps = file;
    testing::Put32(sizeWraps, 6 + 8, 0xFFFFFFF0);
    Bytes countTooLarge = file;
    countTooLarge[4] = 9;
    for (const Bytes& bytes : {offsetPast, sizeWraps, countTooLarge}) {
        EXPECT_THROW(Load<TIcon>(bytes), EInvalidGraphic);
    }
}

TEST(Icon, DamagedImageFailsOnceThenDrawsNothing) {
    Bytes dib = DibImage();
    testing::Put32(dib, 8, 0);  // height 0
    auto icon = Load<TIcon>(IconFile({{{2, 2, 4}, dib}}));
    TBitmap target;
    target.SetSize(2, 2);
    EXPECT_THROW(icon->Draw(target.Canvas(), Rect(0, 0, 2, 2)), EInvalidGraphic);
    EXPECT_NO_THROW(icon->Draw(target.Canvas(), Rect(0, 0, 2, 2)));
    EXPECT_EQ(target.GetPixel(0, 0), clWhite);
}

// A few bytes must not make the first drawing allocate and walk a giant picture.
TEST(Icon, GiantImageIsRefusedOnDrawing) {
    Bytes dib = DibImage();
    testing::Put32(dib, 4, 30000);
    testing::Put32(dib, 8, 60000);
    auto icon = Load<TIcon>(IconFile({{{0, 0, 4}, dib}}));
    TBitmap target;
    target.SetSize(2, 2);
    EXPECT_THROW(icon->Draw(target.Canvas(), Rect(0, 0, 2, 2)), EInvalidGraphic);
}

// --- metafiles ----------------------------------------------------------------------------

Bytes Placeable(std::int16_t right, std::int16_t bottom, std::uint16_t perInch) {
    Bytes out(22 + 18 + 6, 0);  // placeable header, metafile header, end record
    testing::Put32(out, 0, 0x9AC6CDD7);
    testing::Put16(out, 10, static_cast<std::uint16_t>(right));
    testing::Put16(out, 12, static_cast<std::uint16_t>(bottom));
    testing::Put16(out, 14, perInch);
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= static_cast<std::uint16_t>(out[i] | (out[i + 1] << 8));
    testing::Put16(out, 20, sum);
    testing::Put16(out, 22, 1);  // memory metafile
    testing::Put16(out, 24, 9);  // header of nine words
    return out;
}

Bytes Enhanced(std::int32_t right, std::int32_t bottom, std::uint32_t length) {
    Bytes out(108, 0);
    testing::Put32(out, 0, 1);
    testing::Put32(out, 4, 108);
    testing::Put32(out, 32, static_cast<std::uint32_t>(right));
    testing::Put32(out, 36, static_cast<std::uint32_t>(bottom));
    testing::Put32(out, 40, 0x464D4520);
    testing::Put32(out, 48, length);
    return out;
}

Bytes Cut(Bytes bytes, std::size_t length) {
    bytes.resize(length);
    return bytes;
}

TEST(Metafile, FormBySizeAndContent) {
    Screen::SetPixelsPerInch(96);
    {
        auto placeable = Load<TMetafile>(Placeable(1440, 720, 1440));
        EXPECT_FALSE(placeable->Enhanced());
        EXPECT_EQ(placeable->Width(), 96);
        EXPECT_EQ(placeable->Height(), 48);
    }
    {
        auto enhanced = Load<TMetafile>(Enhanced(2540, 1270, 108));
        EXPECT_TRUE(enhanced->Enhanced());
        EXPECT_EQ(enhanced->Width(), 96);
        EXPECT_EQ(enhanced->Height(), 48);
    }
    Bytes badSum = Placeable(10, 10, 1440);
    badSum[20] ^= 1;
    Bytes shortEnhanced = Enhanced(10, 10, 108);
    shortEnhanced.resize(100);  // not more than 100 bytes: not enhanced, and not placeable
    const struct {
        const char* name;
        Bytes bytes;
        const char* message;
    } failures[] = {
        {"bad checksum", badSum, msg::kInvalidMetafile},
        {"zero units per inch", Placeable(10, 10, 0), msg::kInvalidMetafile},
        {"no metafile header", Cut(Placeable(10, 10, 1440), 30), msg::kInvalidMetafile},
        {"enhanced of 100 bytes", shortEnhanced, msg::kInvalidMetafile},
        {"enhanced longer than the file", Enhanced(10, 10, 5000), msg::kReadError},
        {"empty", {}, msg::kInvalidMetafile},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.name);
        try {
            Load<TMetafile>(f.bytes);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), f.message);
        }
    }
}

TEST(Metafile, DrawsAFrame) {
    auto metafile = Load<TMetafile>(Placeable(100, 100, 1440));
    TBitmap target;
    target.SetSize(5, 5);
    metafile->Draw(target.Canvas(), Rect(1, 1, 4, 4));
    EXPECT_EQ(target.GetPixel(1, 1), clBlack);
    EXPECT_EQ(target.GetPixel(3, 3), clBlack);
    EXPECT_EQ(target.GetPixel(2, 2), clWhite);
    EXPECT_EQ(target.GetPixel(0, 0), clWhite);
}

}  // namespace
}  // namespace brodix
