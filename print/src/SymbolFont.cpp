#include "SymbolFont.h"

#include <memory>
#include <string>

#include "engine/SymbolSheet.h"
#include "raster/Exceptions.h"
#include "raster/TBitmap.h"

namespace brodix::print::detail {

namespace {

// The cell's first and last pixel rows and columns are its frame, drawn as grid lines.
constexpr int kInkFirst = 1;
constexpr int kInkLast = kCellSize - 2;

using Glyphs = std::vector<std::vector<InkRect>>;
const cairo_user_data_key_t kGlyphsKey{};

// Dark is ink: the shipped sheet is pure black on white, and a sheet drawn in colours keeps
// the symbols' shapes rather than only their pure black pixels.
bool IsInk(TColor color) {
    const int r = color & 0xFF;
    const int g = (color >> 8) & 0xFF;
    const int b = (color >> 16) & 0xFF;
    return r * 299 + g * 587 + b * 114 < 128 * 1000;
}

cairo_status_t RenderSymbol(cairo_scaled_font_t* font, unsigned long glyph, cairo_t* cr,
                            cairo_text_extents_t* extents) {
    const auto* glyphs = static_cast<const Glyphs*>(
        cairo_font_face_get_user_data(cairo_scaled_font_get_font_face(font), &kGlyphsKey));
    extents->x_advance = 1.0;
    if (glyphs == nullptr || glyph == 0 || glyph > glyphs->size())
        return CAIRO_STATUS_SUCCESS;
    // One path: adjacent rectangles fill as one shape, with no seams between them.
    for (const InkRect& rect : (*glyphs)[glyph - 1]) {
        cairo_rectangle(cr, rect.x / double(kCellPitch), rect.y / double(kCellPitch),
                        rect.width / double(kCellPitch), rect.height / double(kCellPitch));
    }
    cairo_fill(cr);
    return CAIRO_STATUS_SUCCESS;
}

void DestroyGlyphs(void* glyphs) {
    delete static_cast<Glyphs*>(glyphs);
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
    auto glyphs = std::make_unique<Glyphs>(kSymbolCount);
    m_inked.assign(kSymbolCount, false);
    if (sheet != nullptr) {
        for (int k = 0; k < kSymbolCount; ++k) {
            (*glyphs)[k] = TraceSymbol(*sheet, k);
            m_inked[k] = !(*glyphs)[k].empty();
        }
    }
    m_face = cairo_user_font_face_create();
    cairo_user_font_face_set_render_glyph_func(m_face, RenderSymbol);
    if (cairo_font_face_set_user_data(m_face, &kGlyphsKey, glyphs.get(), DestroyGlyphs) !=
        CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(m_face);
        throw EWriteError(msg::kWriteError);
    }
    glyphs.release();  // the face owns them now
}

SymbolFont::~SymbolFont() {
    cairo_font_face_destroy(m_face);
}

bool SymbolFont::HasInk(int k) const {
    return k >= 0 && k < kSymbolCount && m_inked[static_cast<std::size_t>(k)];
}

void SymbolFont::Show(cairo_t* cr, const std::vector<cairo_glyph_t>& glyphs) {
    if (glyphs.empty())
        return;
    const std::string spaces(glyphs.size(), ' ');
    const std::vector<cairo_text_cluster_t> clusters(glyphs.size(), cairo_text_cluster_t{1, 1});
    cairo_show_text_glyphs(cr, spaces.data(), static_cast<int>(spaces.size()), glyphs.data(),
                           static_cast<int>(glyphs.size()), clusters.data(),
                           static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
}

void SymbolFont::Select(cairo_t* cr, double pitch) const {
    cairo_set_font_face(cr, m_face);
    cairo_set_font_size(cr, pitch);
}

}  // namespace brodix::print::detail
