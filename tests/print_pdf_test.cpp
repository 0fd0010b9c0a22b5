// The printed pattern read back by a real PDF reader (poppler): pages, paper, text, pixels.
#include <gtest/gtest.h>

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ChartPages.h"
#include "SymbolFont.h"
#include "engine/SymbolSheet.h"
#include "print/PatternPdf.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "raster/TPicture.h"
#include "test_files.h"
#include "threads/KeyBuilder.h"

namespace brodix::print {
namespace {

using Document = std::unique_ptr<poppler::document>;

// A picture of width x height stitches in colours colours, each stitch's index given by index.
template <typename Index>
Census MakeCensus(int width, int height, int colours, Index index) {
    Census census;
    census.width = width;
    census.height = height;
    for (int k = 0; k < colours; ++k)
        census.palette.push_back({RGB(250 - k, static_cast<std::uint8_t>(k * 7), 3), 0});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int k = index(x, y);
            census.stitches.push_back(static_cast<std::uint8_t>(k));
            ++census.palette[static_cast<std::size_t>(k)].count;
        }
    }
    return census;
}

const TBitmap& Sheet() {
    static TImage* sheet = [] {
        auto* image = new TImage;
        image->Picture().LoadFromFile(std::string(BRODIX_BIN_DIR) + "/" + kSymbolSheetFileName);
        return image;
    }();
    return sheet->Picture().Bitmap();
}

Document Pdf(const Census& census, const PdfOptions& options = {},
             const std::string& name = "/pictures/rose.bmp") {
    const threads::PatternKey key = threads::BuildPatternKey(census, nullptr, {});
    const std::string bytes = MakePatternPdf({census, &Sheet(), key, name}, options);
    // The document takes the bytes over.
    poppler::byte_array data(bytes.begin(), bytes.end());
    Document document(poppler::document::load_from_data(&data));
    if (!document)
        ADD_FAILURE() << "poppler cannot read the PDF";
    return document;
}

std::string TextOf(const poppler::document& document, int page) {
    const std::unique_ptr<poppler::page> p(document.create_page(page));
    const poppler::byte_array text = p->text().to_utf8();
    return {text.begin(), text.end()};
}

struct Layout {
    int width, height;
    Paper paper;
    int pages;  // cover, one key page, chart pages
};

TEST(PatternPdfTest, HasTheCoverTheKeyAndTheSavedPagesOnItsPaper) {
    const Layout layouts[] = {
        {0, 0, Paper::A4, 3},  // an empty picture: one empty chart page
        {1, 1, Paper::A4, 3},        {50, 70, Paper::Letter, 3}, {51, 70, Paper::A4, 4},
        {120, 80, Paper::Letter, 8}, {200, 200, Paper::A4, 14},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(std::to_string(layout.width) + " x " + std::to_string(layout.height));
        const Census census =
            MakeCensus(layout.width, layout.height, 3, [](int x, int y) { return (x + y) % 3; });
        const Document pdf = Pdf(census, {.paper = layout.paper});
        ASSERT_TRUE(pdf);
        ASSERT_EQ(pdf->pages(), layout.pages);
        const double width = layout.paper == Paper::A4 ? 595.28 : 612.0;
        const double height = layout.paper == Paper::A4 ? 841.89 : 792.0;
        for (int i = 0; i < pdf->pages(); ++i) {
            const std::unique_ptr<poppler::page> page(pdf->create_page(i));
            EXPECT_NEAR(page->page_rect().width(), width, 0.1);
            EXPECT_NEAR(page->page_rect().height(), height, 0.1);
        }
    }
}

TEST(PatternPdfTest, CoverNamesThePictureItsSizeAndItsFinishedSize) {
    const Document pdf = Pdf(MakeCensus(140, 70, 2, [](int x, int) { return x % 2; }));
    const std::string cover = TextOf(*pdf, 0);
    EXPECT_NE(cover.find("rose.bmp"), std::string::npos);
    EXPECT_EQ(cover.find("/pictures"), std::string::npos);
    EXPECT_NE(cover.find("140 x 70 stitches"), std::string::npos);
    // 140 / 14 = 10 inches = 25.4 cm; 70 / 14 = 5 inches = 12.7 cm.
    EXPECT_NE(cover.find("25.4 x 12.7 cm (10.0 x 5.0 in)"), std::string::npos);
    EXPECT_NE(cover.find("(3-1)"), std::string::npos);
    EXPECT_NE(cover.find("columns 101-140"), std::string::npos);

    // A Japanese name is drawn in the Japanese font; bytes that are no UTF-8 become '?'.
    const Census one = MakeCensus(1, 1, 1, [](int, int) { return 0; });
    EXPECT_NE(TextOf(*Pdf(one, {}, "/p/ばら.bmp"), 0).find("ばら.bmp"), std::string::npos);
    EXPECT_NE(TextOf(*Pdf(one, {}, "/p/a\xFF.bmp"), 0).find("a?.bmp"), std::string::npos);
}

TEST(PatternPdfTest, KeyListsEveryOneOf255ColoursAcrossItsPagesWithTheTotal) {
    const Census census = MakeCensus(200, 200, 255, [](int x, int y) { return (x * 7 + y) % 255; });
    const Document pdf = Pdf(census);
    const int keyPages = pdf->pages() - 1 - 12;
    ASSERT_GT(keyPages, 1);
    std::string key;
    for (int i = 1; i <= keyPages; ++i)
        key += TextOf(*pdf, i);
    for (const PaletteEntry& entry : census.palette) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "#%02X%02X%02X", entry.color & 0xFF,
                      (entry.color >> 8) & 0xFF, (entry.color >> 16) & 0xFF);
        EXPECT_NE(key.find(hex), std::string::npos) << hex;
    }
    EXPECT_NE(key.find("Total: 255 colours"), std::string::npos);
    EXPECT_NE(key.find("40000"), std::string::npos);
}

TEST(PatternPdfTest, ChartPagesCarryTheirLabelsAndAbsoluteRowAndColumnNumbers) {
    const Document pdf = Pdf(MakeCensus(120, 80, 2, [](int x, int) { return x % 2; }));
    // Pages in the saved pages' order: page column by page column.
    const char* labels[] = {"(1-1)", "(1-2)", "(2-1)", "(2-2)", "(3-1)", "(3-2)"};
    for (int i = 0; i < 6; ++i)
        EXPECT_NE(TextOf(*pdf, 2 + i).find(labels[i]), std::string::npos) << labels[i];
    const std::string page22 = TextOf(*pdf, 5);  // columns 51-100, rows 71-80
    for (const char* number : {"60", "70", "80", "90", "100"})
        EXPECT_NE(page22.find(number), std::string::npos) << number;
    EXPECT_EQ(page22.find("50"), std::string::npos);  // numbered from the chart's edge
    EXPECT_EQ(page22.find("110"), std::string::npos);
    const std::string page31 = TextOf(*pdf, 6);  // columns 101-120, rows 1-70
    EXPECT_NE(page31.find("120"), std::string::npos);
    EXPECT_NE(page31.find("70"), std::string::npos);
}

// A picture of 4 x 3 stitches with symbol kSymbol at stitch (2, 1).
constexpr int kSymbol = 37;
Census KnownCellCensus() {
    return MakeCensus(4, 3, kSymbol + 1,
                      [](int x, int y) { return x == 2 && y == 1 ? kSymbol : 1 + (x + y) % 5; });
}

// The chart page at 300 dpi without smoothing.
poppler::image RenderChart(const Census& census, ChartStyle style) {
    const Document pdf = Pdf(census, {.style = style});
    const std::unique_ptr<poppler::page> page(pdf->create_page(2));
    poppler::page_renderer renderer;
    renderer.set_render_hint(poppler::page_renderer::antialiasing, false);
    renderer.set_render_hint(poppler::page_renderer::text_antialiasing, false);
    return renderer.render_page(page.get(), 300, 300);
}

// The 0xAARRGGBB pixel at a place on the page, in mm.
std::uint32_t PixelAt(const poppler::image& image, double xMm, double yMm) {
    const int px = static_cast<int>(xMm / 25.4 * 300);
    const int py = static_cast<int>(yMm / 25.4 * 300);
    return reinterpret_cast<const std::uint32_t*>(image.const_data() +
                                                  py * image.bytes_per_row())[px];
}

// Pixels of a chart page at 300 dpi: the symbol of a known cell, pixel for pixel as on the
// sheet, in pure black and white.
TEST(PatternPdfTest, ChartCellShowsItsSymbolSharpAt300Dpi) {
    const poppler::image image = RenderChart(KnownCellCensus(), ChartStyle::BlackWhite);
    ASSERT_TRUE(image.is_valid());
    const auto level = [&](double xMm, double yMm) {
        return static_cast<int>(PixelAt(image, xMm, yMm) & 0xFF);  // the page is grey only
    };
    const detail::ChartPlacement at = detail::ChartPlacementOn({210.0, 297.0});
    const TRect cell = SymbolCellRect(kSymbol);
    const double pixel = at.cell / kCellPitch;
    int ink = 0;
    for (int y = 1; y < kCellSize - 1; ++y) {
        for (int x = 1; x < kCellSize - 1; ++x) {
            const bool black = Sheet().GetPixel(cell.Left + x, cell.Top + y) == clBlack;
            ink += black;
            const int value = level(at.X(2) + pixel * (x + 0.5), at.Y(1) + pixel * (y + 0.5));
            EXPECT_EQ(value == 0, black) << "sheet pixel " << x << ", " << y;
        }
    }
    // Sharp: every device pixel of the cell is pure black or pure white.
    for (double y = at.Y(1); y < at.Y(2); y += 0.05) {
        for (double x = at.X(2); x < at.X(3); x += 0.05) {
            const int value = level(x, y);
            ASSERT_TRUE(value == 0 || value == 255) << value;
        }
    }
    EXPECT_GT(ink, 10);
}

TEST(PatternPdfTest, TintedCellsShowALightTintOfTheirColourAroundTheSymbol) {
    const Census census = KnownCellCensus();
    const poppler::image image = RenderChart(census, ChartStyle::Tint);
    const detail::ChartPlacement at = detail::ChartPlacementOn({210.0, 297.0});
    const TColor color = census.palette[kSymbol].color;
    const TRect cell = SymbolCellRect(kSymbol);
    // The first pixel inside the frame that the symbol leaves white.
    int x = 1;
    while (Sheet().GetPixel(cell.Left + x, cell.Top + 1) == clBlack)
        ++x;
    const double pixel = at.cell / kCellPitch;
    const std::uint32_t seen = PixelAt(image, at.X(2) + pixel * (x + 0.5), at.Y(1) + pixel * 1.5);
    const int shifts[] = {0, 8, 16};      // red, green, blue of the colour value
    const int seenShifts[] = {16, 8, 0};  // of the rendered pixel
    for (int c = 0; c < 3; ++c) {
        const int channel = (color >> shifts[c]) & 0xFF;
        EXPECT_NEAR((seen >> seenShifts[c]) & 0xFF, 255 - 0.3 * (255 - channel), 2) << c;
    }
}

TEST(PatternPdfTest, SymbolTracingKeepsTheInkInsideTheFrame) {
    TBitmap sheet;
    sheet.SetWidth(kSymbolSheetWidth);
    sheet.SetHeight(kSymbolSheetHeight);
    const TRect cell = SymbolCellRect(12);
    // A frame pixel, an L of three pixels and a dark grey pixel; light grey is no ink.
    for (const auto& [x, y, color] :
         std::vector<std::tuple<int, int, TColor>>{{0, 4, clBlack},
                                                   {3, 3, clBlack},
                                                   {4, 3, clBlack},
                                                   {3, 4, clBlack},
                                                   {8, 8, RGB(60, 60, 60)},
                                                   {9, 9, RGB(200, 200, 200)}}) {
        sheet.SetPixel(cell.Left + x, cell.Top + y, color);
    }
    const auto rects = detail::TraceSymbol(sheet, 12);
    int area = 0;
    for (const detail::InkRect& r : rects) {
        area += r.width * r.height;
        EXPECT_GE(r.x, 1);
        EXPECT_GE(r.y, 1);
    }
    EXPECT_EQ(area, 4);
    EXPECT_TRUE(detail::TraceSymbol(sheet, 11).empty());
}

TEST(PatternPdfTest, AFailedWriteRaisesAndLeavesTheFolderAsItWas) {
    testing::TempDir folder;
    const Census census = MakeCensus(2, 2, 1, [](int, int) { return 0; });
    const threads::PatternKey key = threads::BuildPatternKey(census, nullptr, {});
    const std::string missing = folder / "missing/rose.pdf";
    try {
        SavePatternPdf(missing, {census, &Sheet(), key, "rose.bmp"}, {});
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "ファイル " + missing + " を作成できません");
    }
    EXPECT_TRUE(folder.Files().empty());

    // A disk that fills up part way through: the old file stays whole, no part file is left.
    const std::string written = folder / "rose.pdf";
    testing::WriteFileBytes(written, {'o', 'l', 'd'});
    {
        const testing::FileSizeLimit full(1024);
        EXPECT_THROW(SavePatternPdf(written, {census, &Sheet(), key, "rose.bmp"}, {}), EWriteError);
    }
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"rose.pdf"});
    EXPECT_EQ(testing::ReadFileBytes(written), (testing::Bytes{'o', 'l', 'd'}));

    SavePatternPdf(written, {census, &Sheet(), key, "rose.bmp"}, {});
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"rose.pdf"});
    const auto bytes = testing::ReadFileBytes(written);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
}

}  // namespace
}  // namespace brodix::print
