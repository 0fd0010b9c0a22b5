#include "TextRenderer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <unordered_map>

#include "raster/FontNames.h"
#include "raster/GraphicsObjects.h"

namespace brodix::detail {

namespace {

// Bounds on the caches, so that a program drawing in many sizes cannot grow them forever.
constexpr std::size_t kMaxFaces = 16;
constexpr std::size_t kMaxGlyphs = 8192;
constexpr int kMaxPixelSize = 1024;
constexpr int kDefaultPixelSize = 12;  // a font whose Height is 0

struct FontFile {
    std::string path;
    int index = 0;
};

struct GlyphKey {
    FT_Face face;
    bool bold;
    char32_t codepoint;
    bool operator==(const GlyphKey&) const = default;
};

struct GlyphKeyHash {
    std::size_t operator()(const GlyphKey& key) const {
        return std::hash<const void*>()(key.face) ^ (std::size_t{key.codepoint} * 0x9E3779B1u) ^
               (key.bold ? 0x5bd1e995u : 0u);
    }
};

// Decodes one UTF-8 sequence at text[i], advancing i; malformed input gives U+FFFD.
char32_t NextCodepoint(std::string_view text, std::size_t& i) {
    constexpr char32_t kReplacement = 0xFFFD;
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    int length = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3;
        cp = lead & 0x07;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < length; ++k) {
        if (i >= text.size())
            return kReplacement;
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return kReplacement;
        cp = (cp << 6) | (next & 0x3F);
        ++i;
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return kReplacement;
    }
    return cp;
}

class Renderer {
  public:
    static Renderer& Instance() {
        static Renderer renderer;
        return renderer;
    }

    bool Layout(const TFont& font, std::string_view text, TextRun& run) {
        FT_Face face = FaceForFont(font);
        if (face == nullptr)
            return false;
        if (m_glyphs.size() > kMaxGlyphs)
            m_glyphs.clear();

        const FT_Size_Metrics& metrics = face->size->metrics;
        run.ascender = static_cast<int>((metrics.ascender + 63) >> 6);
        const int descender = static_cast<int>(metrics.descender >> 6);  // floor, negative
        run.height = run.ascender - descender;
        const bool bold = font.Style().bold;
        int pen = 0;
        for (std::size_t i = 0; i < text.size();) {
            const GlyphImage& glyph = GlyphFor(face, bold, NextCodepoint(text, i));
            run.glyphs.push_back({pen, &glyph});
            pen += glyph.advance;
        }
        run.width = pen;
        return true;
    }

  private:
    // The face of the font drawn last is kept at hand: a legend draws 255 counts in one font,
    // and finding its face by name and size each time cost more than drawing them.
    FT_Face FaceForFont(const TFont& font) {
        if (m_lastFace != nullptr && m_lastHeight == font.Height() && m_lastName == font.Name())
            return m_lastFace;
        const std::optional<FontFile> file = FileFor(FontFamilyFor(font.Name()));
        FT_Face face = file ? FaceFor(*file, font.Height()) : nullptr;
        if (face != nullptr) {
            m_lastName = font.Name();
            m_lastHeight = font.Height();
        }
        m_lastFace = face;
        return face;
    }

    Renderer() {
        if (FT_Init_FreeType(&m_library) != 0)
            m_library = nullptr;
        m_config = FcInitLoadConfigAndFonts();
    }
    ~Renderer() {
        for (auto& [key, face] : m_faces)
            FT_Done_Face(face);
        for (auto& [key, face] : m_baseFaces) {
            if (face != nullptr)
                FT_Done_Face(face);
        }
        if (m_library != nullptr)
            FT_Done_FreeType(m_library);
        if (m_config != nullptr)
            FcConfigDestroy(m_config);
    }

    std::optional<FontFile> Match(const std::string& family, bool exactFamily) {
        FcPattern* pattern = FcPatternCreate();
        if (pattern == nullptr)
            return std::nullopt;
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcConfigSubstitute(m_config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(m_config, pattern, &result);
        FcPatternDestroy(pattern);
        if (match == nullptr)
            return std::nullopt;
        std::optional<FontFile> found;
        bool familyMatches = !exactFamily;
        FcChar8* value = nullptr;
        for (int k = 0;
             !familyMatches && FcPatternGetString(match, FC_FAMILY, k, &value) == FcResultMatch;
             ++k) {
            familyMatches =
                FcStrCmpIgnoreCase(value, reinterpret_cast<const FcChar8*>(family.c_str())) == 0;
        }
        int index = 0;
        if (familyMatches && FcPatternGetString(match, FC_FILE, 0, &value) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            found = FontFile{reinterpret_cast<const char*>(value), index};
        }
        FcPatternDestroy(match);
        return found;
    }

    std::optional<FontFile> FileFor(const std::string& family) {
        if (m_library == nullptr || m_config == nullptr)
            return std::nullopt;
        auto it = m_files.find(family);
        if (it != m_files.end())
            return it->second;
        if (m_files.size() >= kMaxFaces * 4)
            m_files.clear();
        // fontconfig always offers something; a font of another family is only taken through
        // the generic sans-serif request, so that the choice is the system's default face.
        std::optional<FontFile> file = Match(family, true);
        if (!file)
            file = Match("sans-serif", false);
        m_files.emplace(family, file);
        return file;
    }

    // The pixel size to ask FreeType for. A negative Height is the character height without
    // internal leading, which is the em size; a positive one is the cell height, which takes
    // the font's own line spacing into account.
    static int PixelSizeFor(FT_Face face, int height) {
        if (height < 0) {
            return static_cast<int>(
                std::min<long long>(-static_cast<long long>(height), kMaxPixelSize));
        }
        if (height == 0)
            return kDefaultPixelSize;
        long cell = static_cast<long>(face->ascender) - face->descender;
        if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
            os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
            cell = os2->usWinAscent + os2->usWinDescent;
        }
        if (cell <= 0 || face->units_per_EM == 0)
            return std::min(height, kMaxPixelSize);
        const double size = std::round(static_cast<double>(height) * face->units_per_EM /
                                       static_cast<double>(cell));
        return static_cast<int>(std::clamp(size, 1.0, static_cast<double>(kMaxPixelSize)));
    }

    FT_Face FaceFor(const FontFile& file, int height) {
        FT_Face base = BaseFace(file);
        if (base == nullptr)
            return nullptr;
        const int pixels = PixelSizeFor(base, height);
        const std::string key =
            file.path + '\n' + std::to_string(file.index) + '\n' + std::to_string(pixels);
        if (auto it = m_faces.find(key); it != m_faces.end())
            return it->second;
        if (m_faces.size() >= kMaxFaces)
            DropFaces();
        FT_Face face = nullptr;
        if (FT_New_Face(m_library, file.path.c_str(), file.index, &face) != 0)
            return nullptr;
        if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) != 0) {
            FT_Done_Face(face);
            return nullptr;
        }
        m_faces.emplace(key, face);
        return face;
    }

    // An unsized face per file, only for reading its design metrics.
    FT_Face BaseFace(const FontFile& file) {
        const std::string key = file.path + '\n' + std::to_string(file.index);
        if (auto it = m_baseFaces.find(key); it != m_baseFaces.end())
            return it->second;
        if (m_baseFaces.size() >= kMaxFaces) {
            for (auto& [name, face] : m_baseFaces) {
                if (face != nullptr)
                    FT_Done_Face(face);
            }
            m_baseFaces.clear();
        }
        FT_Face face = nullptr;
        if (FT_New_Face(m_library, file.path.c_str(), file.index, &face) != 0)
            face = nullptr;
        m_baseFaces.emplace(key, face);
        return face;
    }

    void DropFaces() {
        // Glyph images refer to their face; they go with it.
        m_glyphs.clear();
        m_lastFace = nullptr;
        for (auto& [key, face] : m_faces)
            FT_Done_Face(face);
        m_faces.clear();
    }

    const GlyphImage& GlyphFor(FT_Face face, bool bold, char32_t codepoint) {
        const GlyphKey key{face, bold, codepoint};
        if (auto it = m_glyphs.find(key); it != m_glyphs.end())
            return it->second;
        GlyphImage& glyph = m_glyphs[key];
        const FT_UInt index = FT_Get_Char_Index(face, codepoint);
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) != 0)
            return glyph;
        FT_GlyphSlot slot = face->glyph;
        FT_Pos extra = 0;
        if (bold && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            // About what a heavier weight adds: a pixel per 24 pixels of size, at least one.
            extra = std::max<FT_Pos>(64, face->size->metrics.y_ppem * 64 / 24);
            FT_Outline_Embolden(&slot->outline, extra);
        }
        glyph.advance = static_cast<int>((slot->advance.x + extra + 32) >> 6);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
            return glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.buffer == nullptr)
            return glyph;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.width = static_cast<int>(bitmap.width);
        glyph.rows = static_cast<int>(bitmap.rows);
        glyph.pitch = (glyph.width + 7) / 8;
        glyph.bits.resize((bitmap.width + 7) / 8 * std::size_t{bitmap.rows});
        for (int r = 0; r < glyph.rows; ++r) {
            const unsigned char* from =
                bitmap.pitch >= 0
                    ? bitmap.buffer + static_cast<std::ptrdiff_t>(r) * bitmap.pitch
                    : bitmap.buffer +
                          static_cast<std::ptrdiff_t>(glyph.rows - 1 - r) * -bitmap.pitch;
            std::memcpy(glyph.Row(r), from, static_cast<std::size_t>(glyph.pitch));
        }
        return glyph;
    }

    FT_Library m_library = nullptr;
    FcConfig* m_config = nullptr;
    std::map<std::string, std::optional<FontFile>> m_files;
    std::map<std::string, FT_Face> m_baseFaces;
    std::map<std::string, FT_Face> m_faces;
    std::unordered_map<GlyphKey, GlyphImage, GlyphKeyHash> m_glyphs;
    std::string m_lastName;
    int m_lastHeight = 0;
    FT_Face m_lastFace = nullptr;  // one of m_faces, or none
};

}  // namespace

bool LayoutText(const TFont& font, std::string_view text, TextRun& run) {
    run = TextRun{};
    return Renderer::Instance().Layout(font, text, run);
}

}  // namespace brodix::detail

namespace brodix {

std::string FontFamilyFor(const std::string& name) {
    if (name == kWindowFontFamily)
        return "IPAPGothic";
    if (name == kGroupFontFamily)
        return "IPAGothic";
    if (name == kDefaultFontFamily)
        return "DejaVu Sans";
    return name;
}

}  // namespace brodix
