#include "PdfCanvas.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numeric>

#include "raster/Exceptions.h"

namespace brodix::print::detail {

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    try {
        static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        return CAIRO_STATUS_NO_MEMORY;
    }
    return CAIRO_STATUS_SUCCESS;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

PaperSize SizeOf(Paper paper) {
    return paper == Paper::Letter ? PaperSize{215.9, 279.4} : PaperSize{210.0, 297.0};
}

Rgb RgbOf(TColor color) {
    return {(color & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, ((color >> 16) & 0xFF) / 255.0};
}

Rgb TintOf(TColor color, double share) {
    const Rgb c = RgbOf(color);
    const auto mix = [share](double v) { return 1.0 - share * (1.0 - v); };
    return {mix(c.r), mix(c.g), mix(c.b)};
}

bool WantsWhiteInk(TColor color) {
    const Rgb c = RgbOf(color);
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
    return (1.05 / (luminance + 0.05)) > ((luminance + 0.05) / 0.05);
}

std::uint32_t PackedRgb(const Rgb& color) {
    const auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255.0 + 0.5);
    };
    return (channel(color.r) << 16) | (channel(color.g) << 8) | channel(color.b);
}

PdfCanvas::PdfCanvas(Paper paper)
    : m_size(SizeOf(paper)),
      m_surface(cairo_pdf_surface_create_for_stream(
          AppendBytes, &m_bytes, m_size.width * kPointsPerMm, m_size.height * kPointsPerMm)),
      m_context(cairo_create(m_surface.get())),
      m_cr(m_context.get()) {
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS)
        throw EWriteError(msg::kWriteError);
    cairo_scale(m_cr, kPointsPerMm, kPointsPerMm);
}

void PdfCanvas::SetMetadata(const std::string& title, const std::string& subject) {
    cairo_surface_t* surface = m_surface.get();
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_TITLE, ValidUtf8(title).c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_SUBJECT, ValidUtf8(subject).c_str());
    cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATOR, "Brodix");
}

void PdfCanvas::EndPage() {
    if (m_pageTotal > 0) {
        constexpr double kFootMm = 5.0;  // the number's baseline above the paper's edge
        Text(m_size.width / 2, m_size.height - kFootMm,
             "page " + std::to_string(m_page) + " of " + std::to_string(m_pageTotal), 8,
             Align::Centre);
    }
    ++m_page;
    DrawText();
    cairo_show_page(m_cr);
}

void PdfCanvas::NextPage() {
    EndPage();
}

std::string PdfCanvas::Finish() {
    EndPage();
    cairo_surface_finish(m_surface.get());
    if (cairo_status(m_cr) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_status(m_surface.get()) != CAIRO_STATUS_SUCCESS) {
        throw EWriteError(msg::kWriteError);
    }
    return std::move(m_bytes);
}

void PdfCanvas::Blocks(double left, double top, double size, int columns, int rows,
                       const std::function<std::uint32_t(int, int)>& rgbAt) {
    if (columns <= 0 || rows <= 0)
        return;
    const CairoSurface owned(cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns, rows));
    cairo_surface_t* image = owned.get();
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS)
        throw EWriteError(msg::kWriteError);
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < rows; ++y) {
        auto* row =
            reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < columns; ++x)
            row[x] = rgbAt(x, y);
    }
    cairo_surface_mark_dirty(image);
    // One image, one pixel a block, drawn without interpolation: the PDF marks it so, and
    // viewers show sharp blocks.
    cairo_save(m_cr);
    cairo_translate(m_cr, left, top);
    cairo_scale(m_cr, size, size);
    cairo_set_source_surface(m_cr, image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(m_cr, 0, 0, columns, rows);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void PdfCanvas::SetColor(const Rgb& color) {
    cairo_set_source_rgb(m_cr, color.r, color.g, color.b);
}

PdfCanvas::TextBatch& PdfCanvas::BatchFor(bool fallback, double size, Weight weight) {
    TextBatch& batch = m_text[FontKey{fallback, weight, size}];
    if (!batch.font) {
        cairo_save(m_cr);
        cairo_select_font_face(
            m_cr, fallback ? "IPAPGothic" : "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
            weight == Weight::Bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(m_cr, size * kMmPerPoint);
        batch.font.reset(cairo_scaled_font_reference(cairo_get_scaled_font(m_cr)));
        cairo_restore(m_cr);
    }
    return batch;
}

std::vector<PdfCanvas::Run> PdfCanvas::RunsOf(const std::string& valid, double size,
                                              Weight weight) {
    if (IsAscii(valid))
        return {{false, valid}};
    // Character by character: the Japanese font only for what DejaVu Sans lacks, so that a
    // name keeps one typeface around a character such as U+2011.
    cairo_scaled_font_t* main = BatchFor(false, size, weight).font.get();
    const FT_Face face = cairo_ft_scaled_font_lock_face(main);
    std::vector<Run> runs;
    for (std::size_t i = 0; i < valid.size();) {
        const auto lead = static_cast<unsigned char>(valid[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(valid[i + k]) & 0x3F);
        const bool fallback = face != nullptr && FT_Get_Char_Index(face, c) == 0;
        if (runs.empty() || runs.back().fallback != fallback)
            runs.push_back({fallback, {}});
        runs.back().text.append(valid, i, length);
        i += length;
    }
    cairo_ft_scaled_font_unlock_face(main);
    return runs;
}

double PdfCanvas::RunWidth(const Run& run, double size, Weight weight) {
    cairo_text_extents_t extents{};
    cairo_scaled_font_text_extents(BatchFor(run.fallback, size, weight).font.get(),
                                   run.text.c_str(), &extents);
    return extents.x_advance;  // in the page's millimetres, as the font was made for them
}

double PdfCanvas::TextWidth(std::string_view text, double size, Weight weight) {
    double width = 0;
    for (const Run& run : RunsOf(ValidUtf8(text), size, weight))
        width += RunWidth(run, size, weight);
    return width;
}

double PdfCanvas::Text(double x, double y, std::string_view text, double size, Align align,
                       Weight weight) {
    const std::vector<Run> runs = RunsOf(ValidUtf8(text), size, weight);
    std::vector<double> widths;
    for (const Run& run : runs)
        widths.push_back(RunWidth(run, size, weight));
    const double width = std::accumulate(widths.begin(), widths.end(), 0.0);
    if (align == Align::Centre)
        x -= width / 2;
    else if (align == Align::Right)
        x -= width;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        AddRun(x, y, runs[i], size, weight);
        x += widths[i];
    }
    return width;
}

void PdfCanvas::AddRun(double x, double y, const Run& run, double size, Weight weight) {
    if (run.text.empty())
        return;
    TextBatch& batch = BatchFor(run.fallback, size, weight);
    const std::string& valid = run.text;
    cairo_glyph_t* glyphs = nullptr;
    int glyphCount = 0;
    cairo_text_cluster_t* clusters = nullptr;
    int clusterCount = 0;
    cairo_text_cluster_flags_t flags{};
    const cairo_status_t status = cairo_scaled_font_text_to_glyphs(
        batch.font.get(), x, y, valid.data(), static_cast<int>(valid.size()), &glyphs, &glyphCount,
        &clusters, &clusterCount, &flags);
    const CairoGlyphs ownedGlyphs(glyphs);
    const CairoClusters ownedClusters(clusters);
    if (status == CAIRO_STATUS_SUCCESS) {
        batch.utf8 += valid;
        batch.glyphs.insert(batch.glyphs.end(), glyphs, glyphs + glyphCount);
        batch.clusters.insert(batch.clusters.end(), clusters, clusters + clusterCount);
    }
}

void PdfCanvas::DrawText() {
    cairo_save(m_cr);
    cairo_set_source_rgb(m_cr, 0, 0, 0);
    for (auto& [key, batch] : m_text) {
        if (batch.glyphs.empty())
            continue;
        cairo_set_scaled_font(m_cr, batch.font.get());
        cairo_show_text_glyphs(m_cr, batch.utf8.data(), static_cast<int>(batch.utf8.size()),
                               batch.glyphs.data(), static_cast<int>(batch.glyphs.size()),
                               batch.clusters.data(), static_cast<int>(batch.clusters.size()),
                               cairo_text_cluster_flags_t{});
        batch.utf8.clear();
        batch.glyphs.clear();
        batch.clusters.clear();
    }
    cairo_restore(m_cr);
}

std::string PdfCanvas::Fitted(std::string_view text, double size, double width) {
    const std::string valid = ValidUtf8(text);
    // The end of the prefix of at most length bytes that holds only whole characters.
    const auto whole = [&](std::size_t length) {
        length = std::min(length, valid.size());
        while (length > 0 && length < valid.size() &&
               (static_cast<unsigned char>(valid[length]) & 0xC0) == 0x80)
            --length;
        return length;
    };
    const auto fits = [&](std::size_t length) {
        return TextWidth(std::string_view(valid).substr(0, length), size) <= width;
    };
    // Prefixes are measured at doubling lengths, so a text far too long for the column costs
    // in proportion to what the column holds, not to its own length.
    std::size_t probe = 16;
    while (probe < valid.size() && fits(whole(probe)))
        probe *= 2;
    if (probe >= valid.size() && fits(valid.size()))
        return valid;
    // The longest prefix that fits with the ellipsis, searched over byte lengths cut back to
    // whole characters: the width only grows with the length.
    const auto fitsCut = [&](std::size_t length) {
        return TextWidth(valid.substr(0, whole(length)) + "...", size) <= width;
    };
    std::size_t low = 0;
    std::size_t high = std::min(probe, valid.size());
    while (low < high) {
        const std::size_t middle = low + (high - low + 1) / 2;
        if (fitsCut(middle))
            low = middle;
        else
            high = middle - 1;
    }
    low = whole(low);
    return valid.substr(0, low) + "...";
}

}  // namespace brodix::print::detail
