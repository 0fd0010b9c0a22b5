// The printed pattern read back by a real PDF reader (poppler): pages, paper, text, pixels.
#include <gtest/gtest.h>

#include <poppler-document.h>
#include <poppler-font.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ChartPages.h"
#include "PageLayout.h"
#include "PdfCanvas.h"
#include "SymbolFont.h"
#include "engine/SymbolSheet.h"
#include "print/PatternPdf.h"
#include "raster/Exceptions.h"
#include "raster/Geometry.h"
#include "raster/TBitmap.h"
#include "raster/TImage.h"
#include "raster/TPicture.h"
#include "test_files.h"
#include "threads/KeyBuilder.h"
#include "threads/ThreadCatalogue.h"

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
            ++census.PaletteAt(k).count;
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
    const Pattern pattern(census, {}, name);
    const std::string bytes = MakePatternPdf({pattern, &Sheet()}, options);
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
        // Chart pages hold up to 50 x 73 stitches on A4, 51 x 68 on Letter.
        {0, 0, Paper::A4, 3},  // an empty picture: one empty chart page
        {1, 1, Paper::A4, 3},        {50, 70, Paper::Letter, 4}, {51, 70, Paper::A4, 4},
        {120, 80, Paper::Letter, 8}, {200, 200, Paper::A4, 14},  {50, 73, Paper::A4, 3},
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
    // With 2 inches each side: 14 x 9 inches.
    EXPECT_NE(cover.find("35.6 x 22.9 cm (14.0 x 9.0 in)"), std::string::npos);
    // Three balanced pages across, the third on the PDF's page 5.
    EXPECT_NE(cover.find("(3-1) p. 5"), std::string::npos);
    EXPECT_NE(cover.find("columns 95-140"), std::string::npos);

    // A Japanese name is drawn in the Japanese font; bytes that are no UTF-8 become '?'.
    const Census one = MakeCensus(1, 1, 1, [](int, int) { return 0; });
    EXPECT_NE(TextOf(*Pdf(one, {}, "/p/ばら.bmp"), 0).find("ばら.bmp"), std::string::npos);
    EXPECT_NE(TextOf(*Pdf(one, {}, "/p/a\xFF.bmp"), 0).find("a?.bmp"), std::string::npos);
}

// Every page prints its number in the same place, and the cover's map sends the stitcher to
// the page that prints that number and is headed with the map's label.
TEST(PatternPdfTest, TheCoverMapsNumbersAreThePrintedPageNumbers) {
    const Census census = MakeCensus(140, 150, 255, [](int x, int y) { return (x * 7 + y) % 255; });
    const Document pdf = Pdf(census);
    const int pages = pdf->pages();
    ASSERT_GT(pages, 6);  // several key pages before the chart
    double footX = -1, footY = -1;
    std::map<int, std::string> numbered;  // printed number: the page's text
    for (int i = 0; i < pages; ++i) {
        const std::unique_ptr<poppler::page> page(pdf->create_page(i));
        const std::vector<poppler::text_box> boxes = page->text_list();
        for (std::size_t b = 0; b + 3 < boxes.size(); ++b) {
            if (boxes[b].text().to_latin1() != "page" || boxes[b + 2].text().to_latin1() != "of")
                continue;
            EXPECT_EQ(boxes[b + 3].text().to_latin1(), std::to_string(pages));
            const int number = std::stoi(boxes[b + 1].text().to_latin1());
            numbered[number] = TextOf(*pdf, i);
            EXPECT_EQ(number, i + 1);
            if (footX < 0) {
                footX = boxes[b].bbox().x();
                footY = boxes[b].bbox().y();
            }
            EXPECT_NEAR(boxes[b].bbox().y(), footY, 0.5) << i;
            EXPECT_NEAR(boxes[b].bbox().x(), footX, 8) << i;  // centred: its width varies
        }
    }
    EXPECT_EQ(numbered.size(), static_cast<std::size_t>(pages));
    const std::string cover = TextOf(*pdf, 0);
    int mapped = 0;
    for (std::size_t at = cover.find(" p. "); at != std::string::npos;
         at = cover.find(" p. ", at + 1)) {
        const std::string label = cover.substr(cover.rfind('(', at), at - cover.rfind('(', at));
        const int number = std::stoi(cover.substr(at + 4));
        ASSERT_TRUE(numbered.count(number)) << label << " p. " << number;
        EXPECT_NE(numbered[number].find(" " + label), std::string::npos) << label;
        EXPECT_NE(numbered[number].find("Chart "), std::string::npos) << label;
        ++mapped;
    }
    const auto grid =
        detail::ChartPagesOf(140, 150, detail::ChartPageSizeOn(detail::SizeOf(Paper::A4)));
    EXPECT_EQ(mapped, static_cast<int>(grid.pages.size()));
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
    // Balanced pages of 40 x 40, page column by page column.
    const char* labels[] = {"(1-1)", "(1-2)", "(2-1)", "(2-2)", "(3-1)", "(3-2)"};
    for (int i = 0; i < 6; ++i) {
        const std::string text = TextOf(*pdf, 2 + i);
        EXPECT_NE(text.find(labels[i]), std::string::npos) << labels[i];
        EXPECT_NE(text.find("rose.bmp"), std::string::npos);
        EXPECT_NE(text.find("Chart " + std::to_string(i + 1) + " of 6"), std::string::npos);
        EXPECT_NE(text.find("page " + std::to_string(i + 3) + " of 8"), std::string::npos);
    }
    const std::string page22 = TextOf(*pdf, 5);
    EXPECT_NE(page22.find("columns 41-80, rows 41-80"), std::string::npos) << page22;
    for (const char* number : {"50", "60", "70", "80"})
        EXPECT_NE(page22.find(number), std::string::npos) << number;
    EXPECT_EQ(page22.find("90"), std::string::npos);  // numbered from the chart's edge
    const std::string page31 = TextOf(*pdf, 6);       // columns 81-120, rows 1-40
    EXPECT_NE(page31.find("120"), std::string::npos);
    EXPECT_NE(page31.find("40"), std::string::npos);
    EXPECT_EQ(pdf->info_key("Title").to_latin1(), "rose.bmp");
    EXPECT_EQ(pdf->info_key("Creator").to_latin1(), "Brodix");
}

// A picture of 4 x 3 stitches with colour kColour at stitch (2, 1).
constexpr int kColour = 37;
Census KnownCellCensus() {
    return MakeCensus(4, 3, kColour + 1,
                      [](int x, int y) { return x == 2 && y == 1 ? kColour : 1 + (x + y) % 5; });
}

// The sheet symbol the PDF prints a colour of the census with.
int PrintedSymbol(const Census& census, int colour) {
    return Pattern(census, {}, "rose.bmp").Colour(colour).printedSymbol;
}

// The chart page at 300 dpi without smoothing.
poppler::image RenderChart(const Census& census, ChartStyle style) {
    const Document pdf = Pdf(census, {.style = style});
    // The one chart page, after the cover and the key.
    const std::unique_ptr<poppler::page> page(pdf->create_page(pdf->pages() - 1));
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
    const TRect cell = SymbolCellRect(PrintedSymbol(KnownCellCensus(), kColour));
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
    EXPECT_GT(ink, 4);
}

TEST(PatternPdfTest, TintedCellsShowALightTintOfTheirColourAroundTheSymbol) {
    const Census census = KnownCellCensus();
    const poppler::image image = RenderChart(census, ChartStyle::Tint);
    const detail::ChartPlacement at = detail::ChartPlacementOn({210.0, 297.0});
    const TColor color = census.palette[kColour].color;
    const TRect cell = SymbolCellRect(PrintedSymbol(census, kColour));
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

// The text of a page as a reading app takes it: each character with the centre of its box,
// in mm from the page's top-left corner, and the box's height.
struct PlacedCharacter {
    std::u32string character;
    double x, y, height;
};
std::vector<PlacedCharacter> CharactersOf(const poppler::document& document, int page) {
    const std::unique_ptr<poppler::page> p(document.create_page(page));
    std::vector<PlacedCharacter> placed;
    for (const poppler::text_box& box : p->text_list()) {
        const poppler::ustring text = box.text();
        const poppler::byte_array utf8 = text.to_utf8();
        const std::u32string characters = [&] {
            std::u32string out;
            for (std::size_t i = 0; i < utf8.size();) {
                const auto lead = static_cast<unsigned char>(utf8[i]);
                const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
                char32_t c = length == 1 ? lead : lead & (0x7F >> length);
                for (int k = 1; k < length; ++k)
                    c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
                out += c;
                i += static_cast<std::size_t>(length);
            }
            return out;
        }();
        for (std::size_t i = 0; i < characters.size(); ++i) {
            const poppler::rectf r = box.char_bbox(i);
            placed.push_back({std::u32string(1, characters[i]), (r.x() + r.width() / 2) * 25.4 / 72,
                              (r.y() + r.height() / 2) * 25.4 / 72, r.height() * 25.4 / 72});
        }
    }
    return placed;
}

// Full colour: each cell in its colour, the symbol in white on a dark colour and in black on a
// light one.
TEST(PatternPdfTest, FullColourCellsTakeTheSymbolInkThatStandsOut) {
    Census census = KnownCellCensus();
    const detail::ChartPlacement at = detail::ChartPlacementOn({210.0, 297.0});
    const double pixel = at.cell / kCellPitch;
    for (const auto& [colour, ink] :
         {std::pair{RGB(20, 30, 90), 0xFFFFFFu}, {RGB(250, 230, 120), 0u}}) {
        census.palette[kColour].color = colour;
        const poppler::image image = RenderChart(census, ChartStyle::Colour);
        const TRect cell = SymbolCellRect(PrintedSymbol(census, kColour));
        int inked = 0, plain = 0;
        for (int y = 1; y < kCellSize - 1; ++y) {
            for (int x = 1; x < kCellSize - 1; ++x) {
                const std::uint32_t seen =
                    PixelAt(image, at.X(2) + pixel * (x + 0.5), at.Y(1) + pixel * (y + 0.5)) &
                    0xFFFFFF;
                if (Sheet().GetPixel(cell.Left + x, cell.Top + y) == clBlack)
                    inked += seen == ink;
                else
                    plain += seen == detail::PackedRgb(detail::RgbOf(colour));
            }
        }
        EXPECT_GT(inked, 4) << std::hex << colour;
        EXPECT_GT(plain, 30) << std::hex << colour;
    }
}

// A stitcher's app reads the chart as text: every chart cell's character, found at its place
// on its page, names through the key the colour of that stitch; blank cells hold none.
TEST(PatternPdfTest, ChartReadBackAsTextThroughTheKeyIsTheChart) {
    // 60 colours, white among them, over 3 x 3 pages.
    const int colours = 60;
    Census census = MakeCensus(130, 160, colours, [](int x, int y) {
        return (x / 3 * 7 + y / 2 * 3 + (x * y) % 5) % colours;
    });
    census.palette[17].color = clWhite;
    const Document pdf = Pdf(census);
    const detail::PrintedGrid grid =
        detail::ChartPagesOf(130, 160, detail::ChartPageSizeOn({210.0, 297.0}));
    ASSERT_EQ(grid.pages.size(), 9u);
    const int keyPages = pdf->pages() - 1 - 9;
    const detail::ChartPlacement at = detail::ChartPlacementOn({210.0, 297.0});

    // The key: each row's symbol, in the first column, beside its "#RRGGBB", a character a
    // reader can name (none of the private use area), at least as large as on the chart.
    std::map<std::u32string, std::string> colourOf;
    double smallestInKey = 1e9, largestOnChart = 0;
    for (int page = 1; page <= keyPages; ++page) {
        const std::vector<PlacedCharacter> text = CharactersOf(*pdf, page);
        for (const PlacedCharacter& hash : text) {
            if (hash.character != U"#")
                continue;
            std::string hex = "#";
            for (const PlacedCharacter& c : text) {
                if (std::abs(c.y - hash.y) < 1 && c.x > hash.x && c.x < hash.x + 12)
                    hex += static_cast<char>(c.character[0]);
            }
            for (const PlacedCharacter& c : text) {
                if (std::abs(c.y - hash.y) < 1.5 && c.x < 12 + 4.5) {
                    EXPECT_TRUE(colourOf.emplace(c.character, hex).second) << hex;
                    EXPECT_FALSE(c.character[0] >= 0xE000 && c.character[0] < 0xF900) << hex;
                    smallestInKey = std::min(smallestInKey, c.height);
                }
            }
        }
    }
    ASSERT_EQ(colourOf.size(), static_cast<std::size_t>(colours - 1));  // white has none
    // One font for every symbol, whatever its character: the same code on every page.
    int symbolFonts = 0;
    for (const poppler::font_info& font : pdf->fonts())
        symbolFonts += font.name().find("BrodixSymbols") != std::string::npos;
    EXPECT_EQ(symbolFonts, 1);

    std::vector<std::string> read(130 * 160, "#FFFFFF");
    for (std::size_t i = 0; i < grid.pages.size(); ++i) {
        const detail::PrintedPage& page = grid.pages[i];
        for (const PlacedCharacter& c : CharactersOf(*pdf, 1 + keyPages + static_cast<int>(i))) {
            const double column = (c.x - at.left) / at.cell;
            const double row = (c.y - at.top) / at.cell;
            // The page's own cells; the neighbours' greyed strips are left out.
            if (column < 0 || row < 0 || column >= page.cols || row >= page.rows)
                continue;
            ASSERT_TRUE(colourOf.count(c.character)) << static_cast<std::uint32_t>(c.character[0]);
            largestOnChart = std::max(largestOnChart, c.height);
            read[GridIndex(page.x0 + static_cast<int>(column), page.y0 + static_cast<int>(row),
                           130)] = colourOf[c.character];
        }
    }
    int wrong = 0;
    for (int y = 0; y < 160; ++y) {
        for (int x = 0; x < 130; ++x)
            wrong += read[GridIndex(x, y, 130)] != threads::HexColour(census.ColorAt(x, y));
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(largestOnChart, 0.0);
    EXPECT_GE(smallestInKey, largestOnChart - 1e-6);
}

// Several colours on one thread: the shopping list lists the thread once, with all their
// stitches, and its totals are --key's and an independent count's.
TEST(PatternPdfTest, ShoppingListCountsSharedThreadsOnceWithTheKeysTotals) {
    const threads::ThreadCatalogue catalogue =
        threads::ParseCatalogue("t.gpl",
                                "GIMP Palette\nName: T\n0 0 0 310 Black\n200 0 0 321 Red\n"
                                "0 0 200 820 Dark\u2011Blue\n255 255 255 B5200 Snow White\n");
    // Colours 0-2 are near black, 3-4 near red, 5 blue, 6 white (blank).
    Census census =
        MakeCensus(300, 100, 7, [](int x, int y) { return (x + 3 * y) % 7 == 6 ? 6 : x % 6; });
    const TColor colours[] = {RGB(0, 0, 0),   RGB(5, 0, 0),   RGB(0, 4, 0), RGB(200, 0, 0),
                              RGB(198, 2, 0), RGB(0, 0, 200), clWhite};
    for (std::size_t k = 0; k < 7; ++k)
        census.palette[k].color = colours[k];
    threads::PatternSettings settings;
    settings.catalogue = catalogue;
    settings.floss = {14.5, 1};
    const Pattern pattern(census, settings, "rose.bmp");
    const std::string bytes = MakePatternPdf({pattern, &Sheet()}, {});
    poppler::byte_array data(bytes.begin(), bytes.end());
    const Document pdf(poppler::document::load_from_data(&data));
    ASSERT_TRUE(pdf);
    // The text with each run of spaces and line breaks as one space, as the columns lay it out.
    std::string text;
    for (int i = 1; i < pdf->pages(); ++i) {
        for (const char c : TextOf(*pdf, i)) {
            const bool space = c == ' ' || c == '\n' || c == '\r';
            if (!space || (!text.empty() && text.back() != ' '))
                text += space ? ' ' : c;
        }
    }

    // Independently: stitches per thread, (2 + 2 sqrt 2) stitch sides per strand plus 25%,
    // one strand of six, skeins of 8 m.
    int stitches[3] = {0, 0, 0};
    for (std::size_t k = 0; k < 6; ++k)
        stitches[k < 3 ? 0 : k < 5 ? 1 : 2] += census.palette[k].count;
    int skeins = 0;
    double metres = 0;
    for (int s : stitches) {
        const double m = s * (2 + 2 * std::sqrt(2.0)) * 0.0254 / 14.5 * 1.25 / 6;
        metres += m;
        skeins += static_cast<int>(std::ceil(m / 8));
    }
    const std::string total = "Total: 3 threads " +
                              std::to_string(stitches[0] + stitches[1] + stitches[2]) + " " +
                              threads::Fixed(metres, 1) + " " + std::to_string(skeins);
    EXPECT_NE(text.find(total), std::string::npos) << total << "\n" << text;
    EXPECT_NE(threads::KeyTable(pattern.Key())
                  .find("Total: " + std::to_string(stitches[0] + stitches[1] + stitches[2]) +
                        " stitches, " + threads::Fixed(metres, 2) + " m, " +
                        std::to_string(skeins) + " skeins of 3 threads"),
              std::string::npos);
    // One line per thread, by number; the white is fabric.
    const std::size_t list = text.find("Shopping list");
    ASSERT_NE(list, std::string::npos);
    std::size_t at = list;
    for (const auto& [thread, count] : {std::pair{"310 Black ", stitches[0]},
                                        {"321 Red ", stitches[1]},
                                        {"820 Dark\u2011Blue ", stitches[2]}}) {
        at = text.find(thread, at);
        ASSERT_NE(at, std::string::npos) << thread;
        // The symbols of its colours, then its stitches.
        EXPECT_EQ(text.find(" " + std::to_string(count) + " ", at),
                  text.find_first_of("0123456789", at + 9) - 1)
            << thread;
    }
    EXPECT_EQ(text.find("B5200", list), std::string::npos);
    EXPECT_NE(text.find("blank: not stitched"), std::string::npos);
    // U+2011 is DejaVu Sans's own: no second typeface in the document.
    for (const poppler::font_info& font : pdf->fonts())
        EXPECT_EQ(font.name().find("IPA"), std::string::npos) << font.name();
    EXPECT_NE(text.find("14.5-count fabric with 1 strand,"), std::string::npos);
    EXPECT_NE(text.find("Skeins of 8 m of 6 strands"), std::string::npos);
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
    const Pattern pattern(census, {}, "rose.bmp");
    const std::string missing = folder / "missing/rose.pdf";
    try {
        SavePatternPdf(missing, {pattern, &Sheet()}, {});
        FAIL() << "no error";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "cannot write " + missing + ": No such file or directory");
    }
    EXPECT_TRUE(folder.Files().empty());

    // A disk that fills up part way through: the old file stays whole, no part file is left.
    const std::string written = folder / "rose.pdf";
    testing::WriteFileBytes(written, {'o', 'l', 'd'});
    {
        const testing::FileSizeLimit full(1024);
        EXPECT_THROW(SavePatternPdf(written, {pattern, &Sheet()}, {}), EWriteError);
    }
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"rose.pdf"});
    EXPECT_EQ(testing::ReadFileBytes(written), (testing::Bytes{'o', 'l', 'd'}));

    SavePatternPdf(written, {pattern, &Sheet()}, {});
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"rose.pdf"});
    const auto bytes = testing::ReadFileBytes(written);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 5), "%PDF-");
}

TEST(PdfCanvas, FittingALongNameEndsSoonAndCutsItWithAnEllipsis) {
    detail::PdfCanvas pdf(Paper::A4);
    EXPECT_EQ(pdf.Fitted("310 Black", 8, 40), "310 Black");
    for (const std::size_t length : {40, 2'000'000}) {
        const std::string name(length, 'W');
        std::string fitted;
        EXPECT_TRUE(brodix::testing::EndsWithin(10, [&] {
            if (pdf.Fitted(name, 8, 40).size() > 40)
                ::_exit(1);
        })) << length;
        fitted = pdf.Fitted(name.substr(0, 4000), 8, 40);
        ASSERT_EQ(fitted.substr(fitted.size() - 3), "...");
        // The longest cut that fits: one character more would not.
        EXPECT_LE(pdf.TextWidth(fitted, 8), 40);
        EXPECT_GT(pdf.TextWidth(std::string(fitted.size() - 2, 'W') + "...", 8), 40);
    }
}

// The cover shows a pattern of at most 200 x 200 stitches as it will look stitched, the fabric
// between the legs of its crosses, and a larger one as its reduced picture, flat blocks.
TEST(PatternPdfTest, CoverShowsASmallPatternStitchedAndALargeOneFlat) {
    for (const int width : {20, 201}) {
        const Document pdf = Pdf(MakeCensus(width, width / 2, 1, [](int, int) { return 0; }));
        const std::unique_ptr<poppler::page> page(pdf->create_page(0));
        const poppler::image image = poppler::page_renderer().render_page(page.get(), 150, 150);
        ASSERT_TRUE(image.is_valid());
        // Within the picture's red, how much is the fabric's white.
        int red = 0;
        int light = 0;
        for (int y = 0; y < image.height(); ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(image.const_data() +
                                                                     y * image.bytes_per_row());
            for (int x = 0; x < image.width(); ++x) {
                const std::uint32_t pixel = row[x];
                const int r = (pixel >> 16) & 0xFF;
                const int g = (pixel >> 8) & 0xFF;
                red += r > 150 && g < 100;
                // The picture lies from 33 mm down to 143 mm: nothing else there is light
                // but the page around it, which lies outside its red columns.
                light += g > 200 && y > 33 * 150 / 25.4 + 10 && y < 88 * 150 / 25.4 &&
                         x > 105 * 150 / 25.4 - 40 && x < 105 * 150 / 25.4 + 40;
            }
        }
        EXPECT_GT(red, 10000) << width;
        if (width <= 200)
            EXPECT_GT(light, 100) << "the fabric between the stitches";
        else
            EXPECT_EQ(light, 0) << "flat blocks";
    }
}

// The cover's report names colours as the key does (the symbols given by use, and threads when
// chosen), never by the window's numbers, and compares the symbols the PDF prints.
TEST(PatternPdfTest, CoverReportNamesColoursAsTheKeyDoes) {
    // By use: colour 2 (a red) takes symbol 0, black 1, the other red 2, blue 3.
    Census census = MakeCensus(20, 10, 4, [](int x, int) {
        return x < 8 ? 2 : x < 13 ? 3 : x < 17 ? 1 : 0;
    });
    const TColor colours[] = {RGB(0, 0, 200), RGB(200, 0, 0), RGB(201, 1, 0), RGB(0, 0, 0)};
    for (std::size_t k = 0; k < 4; ++k)
        census.palette[k].color = colours[k];
    const threads::ThreadCatalogue catalogue = threads::ParseCatalogue(
        "t.gpl",
        "GIMP Palette\nName: T\n0 0 0 310 Black\n200 0 0 321 Red\n201 1 0 666 Bright\n"
        "0 0 200 820 Blue\n");
    // A sheet whose symbol 1 looks like symbol 0 (its character stays its own).
    TBitmap twins(Sheet());
    for (int y = 1; y < kCellSize - 1; ++y) {
        for (int x = 1; x < kCellSize - 1; ++x)
            twins.SetPixel(SymbolCellRect(1).Left + x, y, twins.GetPixel(x, y));
    }
    const std::string red = SymbolText(2), otherRed = SymbolText(0);
    struct Case {
        const threads::ThreadCatalogue* catalogue;
        const TBitmap* sheet;
        std::string close, alike;
    };
    const Case cases[] = {
        {nullptr, &Sheet(), "by symbol: " + red + " and " + otherRed + " (", "in use: none"},
        {&catalogue, &twins, "by symbol and thread: " + red + " 321 and " + otherRed + " 666 (",
         "in use: " + otherRed + " and " + SymbolText(1)},
    };
    for (const Case& c : cases) {
        threads::PatternSettings settings;
        if (c.catalogue != nullptr)
            settings.catalogue = *c.catalogue;
        settings.report = true;
        const Pattern pattern(census, settings, "rose.bmp");
        const std::string bytes = MakePatternPdf({pattern, c.sheet}, {});
        poppler::byte_array data(bytes.begin(), bytes.end());
        const Document pdf(poppler::document::load_from_data(&data));
        ASSERT_TRUE(pdf);
        std::string cover;
        for (const char ch : TextOf(*pdf, 0)) {
            const bool space = ch == ' ' || ch == '\n' || ch == '\r';
            if (!space || (!cover.empty() && cover.back() != ' '))
                cover += space ? ' ' : ch;
        }
        EXPECT_NE(cover.find(c.close), std::string::npos) << c.close << "\n" << cover;
        EXPECT_NE(cover.find(c.alike + " Chart pages"), std::string::npos) << c.alike << "\n"
                                                                           << cover;
        EXPECT_EQ(cover.find("2 and 3"), std::string::npos) << cover;
    }
}

}  // namespace
}  // namespace brodix::print
