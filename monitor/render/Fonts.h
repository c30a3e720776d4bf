#pragma once
// Fonts for the pictures: faces found through fontconfig, glyphs rendered by
// FreeType. A crisp (non-antialiased) font renders in monochrome, so every
// text pixel carries exactly the font colour and a palette picture stays small.
#include <cstdint>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "monitor/render/Colour.h"

namespace cx {

enum class tFontQuality { Default, NonAntialiased };

// A font as the drawing code chooses it. `height` follows the Windows rule:
// positive is the cell height in pixels (ascent plus descent), negative the
// character height (the em size, without internal leading).
struct tFont {
    std::string name = "Arial";
    int height = 12;
    bool bold = false;
    tColour colour = 0x000000;
    tFontQuality quality = tFontQuality::Default;
};

// Gives the font the non-antialiased quality, so that its text pixels keep the
// exact font colour. The quality stays with the font until it is changed back.
void SetCrispFont(tFont& font);

// The family that stands for a Windows family name on this system: "Arial" is
// Liberation Sans, "Courier New" Liberation Mono, "Small Fonts" DejaVu
// Sans; any other name is looked up as it stands.
std::string FamilyForFontName(std::string_view name);

// UTF-8 text as code points; a byte that does not start a valid sequence
// becomes U+FFFD, so broken text still draws and measures.
std::u32string DecodeUtf8(std::string_view text);
// The same into `codePoints`, whose storage is reused.
void DecodeUtf8(std::string_view text, std::u32string& codePoints);

// One rendered glyph: `coverage` holds width x rows values from 0 (background)
// to 255 (full font colour); crisp glyphs hold only 0 and 255.
struct tGlyph {
    int left = 0;  // columns from the pen position to the bitmap's left edge
    int top = 0;   // rows from the bitmap's top edge down to the baseline
    int width = 0;
    int rows = 0;
    int advance = 0;  // pixels the pen moves on after this glyph
    std::vector<uint8_t> coverage;
};

// One face at one size, with the glyphs rendered so far.
class tSizedFont {
public:
    tSizedFont(void* library, const std::string& file, int faceIndex, const tFont& font,
               bool syntheticBold);
    ~tSizedFont();
    tSizedFont(const tSizedFont&) = delete;
    tSizedFont& operator=(const tSizedFont&) = delete;

    int Ascent() const { return m_ascent; }
    int Descent() const { return m_descent; }
    // The cell height: what a text line occupies, ascent plus descent.
    int Height() const { return m_ascent + m_descent; }
    const tGlyph& Glyph(char32_t codePoint);
    int TextWidth(std::u32string_view text);

private:
    void* m_face = nullptr;  // FT_Face, kept opaque so that users need no FreeType headers
    bool m_mono = true;
    bool m_syntheticBold = false;
    int m_ascent = 0;
    int m_descent = 0;
    std::unordered_map<char32_t, tGlyph> m_glyphs;
    // The glyphs of the first 256 code points once rendered, found without a
    // hash (the map's elements never move).
    std::array<const tGlyph*, 256> m_latin{};
};

// FreeType and fontconfig for one renderer: faces are looked up and sized once
// and kept here, so that drawing a picture again costs no font loading. Not
// shared between threads.
class tFontLibrary {
public:
    // Throws std::runtime_error when FreeType or fontconfig cannot start.
    tFontLibrary();
    ~tFontLibrary();
    tFontLibrary(const tFontLibrary&) = delete;
    tFontLibrary& operator=(const tFontLibrary&) = delete;

    // The sized face for a font (its colour plays no part). Throws
    // std::runtime_error when no face can be found or opened.
    tSizedFont& Get(const tFont& font);
    // The file fontconfig chose for a family and weight (for diagnostics).
    std::string FontFile(std::string_view name, bool bold);

private:
    struct tMatch {
        std::string file;
        int index = 0;
        bool syntheticBold = false;
    };
    const tMatch& Match(std::string_view name, bool bold);

    void* m_library = nullptr;  // FT_Library
    void* m_config = nullptr;   // FcConfig*
    std::map<std::tuple<std::string, bool>, tMatch> m_matches;
    std::map<std::tuple<std::string, int, bool, tFontQuality>, std::unique_ptr<tSizedFont>> m_sized;
};

}  // namespace cx
