#pragma once

#include <cairo.h>

#include "raster/Owned.h"

namespace brodix::print::detail {

// Every cairo object the PDF makes is held by one of these; nothing else calls cairo's destroy
// functions.
using CairoSurface = Owned<cairo_surface_t, cairo_surface_destroy>;
using CairoContext = Owned<cairo_t, cairo_destroy>;
using CairoScaledFont = Owned<cairo_scaled_font_t, cairo_scaled_font_destroy>;
using CairoFontFace = Owned<cairo_font_face_t, cairo_font_face_destroy>;
using CairoGlyphs = Owned<cairo_glyph_t, cairo_glyph_free>;
using CairoClusters = Owned<cairo_text_cluster_t, cairo_text_cluster_free>;

}  // namespace brodix::print::detail
