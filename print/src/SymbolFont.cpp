#include "SymbolFont.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <memory>
#include <string>

#include "SymbolFontFile.h"
#include "engine/SymbolSheet.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"

namespace brodix::print::detail {

namespace {

// The cell's first and last pixel rows and columns are its frame, drawn as grid lines.
constexpr int kInkFirst = 1;
constexpr int kInkLast = kCellSize - 2;

// The font's file and FreeType's hold on it, which live as long as cairo keeps the face.
struct FontHold {
    std::vector<std::uint8_t> file;
    FT_Library library = nullptr;
    FT_Face face = nullptr;

    ~FontHold() {
        if (face != nullptr)
            FT_Done_Face(face);
        if (library != nullptr)
            FT_Done_FreeType(library);
    }
};
const cairo_user_data_key_t kHoldKey{};

void ReleaseHold(void* hold) {
    delete static_cast<FontHold*>(hold);
}

// Dark is ink: the shipped sheet is pure black on white, and a sheet drawn in colours keeps
// the symbols' shapes rather than only their pure black pixels.
bool IsInk(TColor color) {
    const int r = color & 0xFF;
    const int g = (color >> 8) & 0xFF;
    const int b = (color >> 16) & 0xFF;
    return r * 299 + g * 587 + b * 114 < 128 * 1000;
}

}  // namespace

std::vector<InkRect> TraceSymbol(const TBitmap& sheet, int k) {
    const TRect cell = SymbolCellRect(k);
    std::vector<InkRect> rects;
    // Runs of ink along each row; a run that continues one of the row above grows that
    // rectangle instead of starting a new one.
    std::vector<std::size_t> open;  // rectangles that reach the previous row
    for (int y = kInkFirst; y <= kInkLast; ++y) {
        std::vector<std::size_t> reaching;
        const int py = cell.Top + y;
        for (int x = kInkFirst; x <= kInkLast;) {
            const auto inked = [&](int cx) {
                const int px = cell.Left + cx;
                return px < sheet.Width() && py < sheet.Height() && IsInk(sheet.GetPixel(px, py));
            };
            if (!inked(x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x <= kInkLast && inked(x))
                ++x;
            std::size_t index = rects.size();
            for (std::size_t o : open) {
                if (rects[o].x == start && rects[o].width == x - start)
                    index = o;
            }
            if (index == rects.size())
                rects.push_back({start, y, x - start, 0});
            ++rects[index].height;
            reaching.push_back(index);
        }
        open = std::move(reaching);
    }
    return rects;
}

SymbolFont::SymbolFont(const TBitmap* sheet) {
    std::vector<std::vector<InkRect>> symbols(kSymbolCount);
    m_ink.assign(kSymbolCount, 0);
    if (sheet != nullptr) {
        for (std::size_t k = 0; k < symbols.size(); ++k) {
            symbols[k] = TraceSymbol(*sheet, static_cast<int>(k));
            for (const InkRect& rect : symbols[k])
                m_ink[k] += rect.width * rect.height;
        }
    }
    auto hold = std::make_unique<FontHold>();
    hold->file = SymbolFontFile(symbols);
    if (FT_Init_FreeType(&hold->library) != 0 ||
        FT_New_Memory_Face(hold->library, hold->file.data(),
                           static_cast<FT_Long>(hold->file.size()), 0, &hold->face) != 0) {
        throw Exception(
            "cannot make the PDF: FreeType cannot read the symbol font traced from "
            "the symbol sheet");
    }
    m_face.reset(cairo_ft_font_face_create_for_ft_face(hold->face, FT_LOAD_NO_HINTING));
    if (cairo_font_face_set_user_data(m_face.get(), &kHoldKey, hold.get(), ReleaseHold) !=
        CAIRO_STATUS_SUCCESS) {
        m_face.reset();  // before the hold, whose face it reads
        throw EWriteError(msg::kWriteError);
    }
    hold.release();  // the face owns it now
}

bool SymbolFont::HasInk(int k) const {
    return k >= 0 && k < kSymbolCount && m_ink[static_cast<std::size_t>(k)] > 0;
}

void SymbolFont::Show(cairo_t* cr, const std::vector<cairo_glyph_t>& glyphs) {
    if (glyphs.empty())
        return;
    // Each glyph is one cluster of its symbol's own character: the PDF's ToUnicode table then
    // maps every glyph to that character, the same on every page, so that a reader's text
    // shows which symbol stands in which cell.
    std::string text;
    std::vector<cairo_text_cluster_t> clusters;
    clusters.reserve(glyphs.size());
    for (const cairo_glyph_t& glyph : glyphs) {
        const std::string character = SymbolText(static_cast<int>(glyph.index) - 1);
        text += character;
        clusters.push_back({static_cast<int>(character.size()), 1});
    }
    cairo_show_text_glyphs(cr, text.data(), static_cast<int>(text.size()), glyphs.data(),
                           static_cast<int>(glyphs.size()), clusters.data(),
                           static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
}

void SymbolFont::ShowFirst(cairo_t* cr, const std::vector<cairo_glyph_t>& glyphs) {
    if (!glyphs.empty())
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
}

void SymbolFont::Select(cairo_t* cr, double pitch) const {
    cairo_set_font_face(cr, m_face.get());
    cairo_set_font_size(cr, pitch);
}

}  // namespace brodix::print::detail
