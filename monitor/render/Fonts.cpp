#include "monitor/render/Fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <strings.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace cx {

namespace {

struct tFamilyAlias {
    const char* windowsName;
    const char* family;
};

// The Windows families the pictures ask for and the faces that stand in for
// them. Liberation Sans and Mono share the metrics of the faces they replace.
// For the small raster face DejaVu Sans stands in: its hand-made hinting keeps
// every letter apart at 8 to 10 pixels in monochrome, where the narrower faces
// run their letters together.
constexpr std::array<tFamilyAlias, 3> kFamilyAliases{{
    {"Arial", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
    {"Small Fonts", "DejaVu Sans"},
}};

FT_Library AsLibrary(void* library) {
    return static_cast<FT_Library>(library);
}
FT_Face AsFace(void* face) {
    return static_cast<FT_Face>(face);
}
FcConfig* AsConfig(void* config) {
    return static_cast<FcConfig*>(config);
}

int RoundToInt(double value) {
    return int(std::lround(value));
}

// The face's Windows ascent and descent in font units: the OS/2 table's
// usWinAscent and usWinDescent, which define a Windows font's cell; the
// horizontal header's values where a face has no such table.
void WindowsMetrics(FT_Face face, double& ascent, double& descent) {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
    } else {
        ascent = face->ascender;
        descent = -face->descender;
    }
    if (ascent + descent <= 0) {
        ascent = face->units_per_EM * 0.8;
        descent = face->units_per_EM * 0.2;
    }
}

}  // namespace

void SetCrispFont(tFont& font) {
    font.quality = tFontQuality::NonAntialiased;
}

std::string FamilyForFontName(std::string_view name) {
    for (const auto& alias : kFamilyAliases) {
        std::string_view windowsName = alias.windowsName;
        if (name.size() == windowsName.size() &&
            strncasecmp(name.data(), windowsName.data(), name.size()) == 0) {
            return alias.family;
        }
    }
    return std::string(name);
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string result;
    DecodeUtf8(text, result);
    return result;
}

void DecodeUtf8(std::string_view text, std::u32string& result) {
    result.clear();
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        auto byte = uint8_t(text[i]);
        int length = byte < 0x80           ? 1
                     : (byte >> 5) == 0x6  ? 2
                     : (byte >> 4) == 0xE  ? 3
                     : (byte >> 3) == 0x1E ? 4
                                           : 0;
        char32_t codePoint = length == 1   ? byte
                             : length == 2 ? byte & 0x1F
                             : length == 3 ? byte & 0x0F
                                           : byte & 0x07;
        bool valid = length > 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            auto next = uint8_t(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not text.
        static constexpr std::array<char32_t, 5> kLowest{0, 0, 0x80, 0x800, 0x10000};
        if (valid && (codePoint < kLowest[length] || codePoint > 0x10FFFF ||
                      (codePoint >= 0xD800 && codePoint <= 0xDFFF))) {
            valid = false;
        }
        if (valid) {
            result.push_back(codePoint);
            i += length;
        } else {
            result.push_back(U'\uFFFD');
            ++i;
        }
    }
}

tSizedFont::tSizedFont(void* library, const std::string& file, int faceIndex, const tFont& font,
                       bool syntheticBold)
    : m_mono(font.quality == tFontQuality::NonAntialiased), m_syntheticBold(syntheticBold) {
    FT_Face face = nullptr;
    if (FT_New_Face(AsLibrary(library), file.c_str(), faceIndex, &face) != 0) {
        throw std::runtime_error("cannot open font file " + file);
    }
    m_face = face;
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    int requested = std::max(1, std::abs(font.height));
    if (FT_IS_SCALABLE(face)) {
        double winAscent = 0;
        double winDescent = 0;
        WindowsMetrics(face, winAscent, winDescent);
        double upem = face->units_per_EM;
        // A cell height asks for the size whose ascent plus descent fills the
        // cell; a character height is the em size itself. Sizes are whole
        // pixels, so the hinting fits the glyphs to the pixel grid.
        int ppem =
            font.height > 0 ? RoundToInt(requested * upem / (winAscent + winDescent)) : requested;
        ppem = std::max(1, ppem);
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(ppem)) != 0) {
            FT_Done_Face(face);
            m_face = nullptr;
            throw std::runtime_error("cannot size font " + file);
        }
        if (font.height > 0) {
            m_ascent = RoundToInt(requested * winAscent / (winAscent + winDescent));
            m_descent = requested - m_ascent;
        } else {
            m_ascent = RoundToInt(winAscent * ppem / upem);
            m_descent = RoundToInt(winDescent * ppem / upem);
        }
    } else {
        // A bitmap face offers fixed strikes: take the one nearest the size,
        // as a raster font would be chosen.
        int best = 0;
        for (int i = 1; i < face->num_fixed_sizes; ++i) {
            if (std::abs(face->available_sizes[i].height - requested) <
                std::abs(face->available_sizes[best].height - requested)) {
                best = i;
            }
        }
        if (face->num_fixed_sizes == 0 || FT_Select_Size(face, best) != 0) {
            FT_Done_Face(face);
            m_face = nullptr;
            throw std::runtime_error("cannot size font " + file);
        }
        m_ascent = int((face->size->metrics.ascender + 63) >> 6);
        m_descent = int((-face->size->metrics.descender + 63) >> 6);
    }
}

tSizedFont::~tSizedFont() {
    if (m_face != nullptr) FT_Done_Face(AsFace(m_face));
}

const tGlyph& tSizedFont::Glyph(char32_t codePoint) {
    const bool latin = codePoint < m_latin.size();
    if (latin && m_latin[codePoint] != nullptr) return *m_latin[codePoint];
    auto found = m_glyphs.find(codePoint);
    if (found != m_glyphs.end()) return found->second;

    tGlyph glyph;
    FT_Face face = AsFace(m_face);
    FT_UInt index = FT_Get_Char_Index(face, FT_ULong(codePoint));
    FT_Int32 loadFlags = m_mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL;
    if (FT_Load_Glyph(face, index, loadFlags) == 0) {
        FT_GlyphSlot slot = face->glyph;
        FT_Pos advance = slot->advance.x;
        if (m_syntheticBold && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            // Without a bold face the outline is widened by one pixel, and the
            // advance with it, as a synthesised bold font is.
            FT_Outline_EmboldenXY(&slot->outline, 64, 0);
            advance += 64;
        }
        glyph.advance = int((advance + 32) >> 6);
        if (FT_Render_Glyph(slot, m_mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0) {
            const FT_Bitmap& bitmap = slot->bitmap;
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.width = int(bitmap.width);
            glyph.rows = int(bitmap.rows);
            glyph.coverage.assign(size_t(glyph.width) * size_t(glyph.rows), 0);
            for (int row = 0; row < glyph.rows; ++row) {
                const unsigned char* line = bitmap.buffer + ptrdiff_t(row) * bitmap.pitch;
                for (int column = 0; column < glyph.width; ++column) {
                    uint8_t value = 0;
                    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                        value = (line[column >> 3] & (0x80 >> (column & 7))) ? 255 : 0;
                    } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                        value = line[column];
                        // A crisp font never blends, even from a grey strike.
                        if (m_mono) value = value >= 128 ? 255 : 0;
                    }
                    glyph.coverage[size_t(row) * size_t(glyph.width) + size_t(column)] = value;
                }
            }
        }
    }
    const tGlyph& stored = m_glyphs.emplace(codePoint, std::move(glyph)).first->second;
    if (latin) m_latin[codePoint] = &stored;
    return stored;
}

int tSizedFont::TextWidth(std::u32string_view text) {
    int width = 0;
    for (char32_t codePoint : text) width += Glyph(codePoint).advance;
    return width;
}

tFontLibrary::tFontLibrary() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) throw std::runtime_error("FreeType does not start");
    m_library = library;
    m_config = FcInitLoadConfigAndFonts();
    if (m_config == nullptr) {
        FT_Done_FreeType(library);
        throw std::runtime_error("fontconfig does not start");
    }
}

tFontLibrary::~tFontLibrary() {
    m_sized.clear();
    FcConfigDestroy(AsConfig(m_config));
    FT_Done_FreeType(AsLibrary(m_library));
}

const tFontLibrary::tMatch& tFontLibrary::Match(std::string_view name, bool bold) {
    std::string family = FamilyForFontName(name);
    auto key = std::make_tuple(family, bold);
    auto found = m_matches.find(key);
    if (found != m_matches.end()) return found->second;

    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(AsConfig(m_config), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* matched = FcFontMatch(AsConfig(m_config), pattern, &result);
    FcPatternDestroy(pattern);
    if (matched == nullptr) throw std::runtime_error("no font found for " + family);

    tMatch match;
    FcChar8* file = nullptr;
    int index = 0;
    int weight = FC_WEIGHT_REGULAR;
    if (FcPatternGetString(matched, FC_FILE, 0, &file) == FcResultMatch) {
        match.file = reinterpret_cast<const char*>(file);
    }
    if (FcPatternGetInteger(matched, FC_INDEX, 0, &index) == FcResultMatch) match.index = index;
    FcPatternGetInteger(matched, FC_WEIGHT, 0, &weight);
    FcPatternDestroy(matched);
    if (match.file.empty()) throw std::runtime_error("no font file for " + family);
    match.syntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    return m_matches.emplace(key, std::move(match)).first->second;
}

tSizedFont& tFontLibrary::Get(const tFont& font) {
    const tMatch& match = Match(font.name, font.bold);
    auto key = std::make_tuple(match.file + "#" + std::to_string(match.index), font.height,
                               match.syntheticBold, font.quality);
    auto found = m_sized.find(key);
    if (found != m_sized.end()) return *found->second;
    auto sized =
        std::make_unique<tSizedFont>(m_library, match.file, match.index, font, match.syntheticBold);
    return *m_sized.emplace(key, std::move(sized)).first->second;
}

std::string tFontLibrary::FontFile(std::string_view name, bool bold) {
    return Match(name, bold).file;
}

}  // namespace cx
