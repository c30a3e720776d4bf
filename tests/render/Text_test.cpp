#include <gtest/gtest.h>

#include <set>
#include <string>

#include "monitor/render/Canvas.h"
#include "monitor/render/Fonts.h"

namespace cx {
namespace {

constexpr tColour kBack = 0xF0F0F0;
constexpr tColour kInk = 0x0000C0;

// One font library for the whole file, as a renderer keeps one for all its pictures.
std::shared_ptr<tFontLibrary> SharedLibrary() {
    static auto library = std::make_shared<tFontLibrary>();
    return library;
}

tCanvas Blank(int width, int height) {
    tCanvas canvas(width, height, SharedLibrary());
    canvas.Brush() = {kBack, tBrushStyle::Solid};
    canvas.FillRect({0, 0, width, height});
    canvas.Brush().style = tBrushStyle::Clear;
    return canvas;
}

std::set<tColour> Colours(const tCanvas& canvas) {
    return {canvas.Pixels().begin(), canvas.Pixels().end()};
}

// The smallest rectangle around every pixel that is not the background.
tRect InkBounds(const tCanvas& canvas) {
    tRect bounds{canvas.Width(), canvas.Height(), 0, 0};
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            if (canvas.Pixel(x, y) == kBack) continue;
            bounds = {std::min(bounds.left, x), std::min(bounds.top, y),
                      std::max(bounds.right, x + 1), std::max(bounds.bottom, y + 1)};
        }
    }
    return bounds;
}

const char* const kSample = "Calorix 3.36 45.5°C Min 40 MHz gjpqy";

TEST(Text, CrispTextHasOnlyTheFontColourInEveryFamilyAndWeight) {
    for (const char* name : {"Arial", "Courier New", "Small Fonts"}) {
        for (bool bold : {false, true}) {
            for (int height : {8, 10, 12, 15, -11}) {
                tCanvas canvas = Blank(400, 30);
                canvas.Font() = {name, height, bold, kInk};
                SetCrispFont(canvas.Font());
                canvas.TextOut(2, 2, kSample);
                EXPECT_EQ(Colours(canvas), (std::set<tColour>{kBack, kInk}))
                    << name << (bold ? " bold " : " ") << height;
            }
        }
    }
}

TEST(Text, DefaultQualityBlendsSoSetCrispFontMatters) {
    tCanvas canvas = Blank(300, 30);
    canvas.Font() = {"Arial", 12, false, kInk};
    canvas.TextOut(2, 2, kSample);
    EXPECT_GT(Colours(canvas).size(), 2u) << "antialiased text blends into the background";
}

TEST(Text, WindowsFamiliesMapToTheirStandIns) {
    EXPECT_EQ(FamilyForFontName("Arial"), "Liberation Sans");
    EXPECT_EQ(FamilyForFontName("courier new"), "Liberation Mono");
    EXPECT_EQ(FamilyForFontName("Small Fonts"), "DejaVu Sans");
    EXPECT_EQ(FamilyForFontName("Verdana"), "Verdana");
    tFontLibrary& fonts = *SharedLibrary();
    EXPECT_NE(fonts.FontFile("Arial", false).find("LiberationSans-Regular"), std::string::npos);
    EXPECT_NE(fonts.FontFile("Arial", true).find("LiberationSans-Bold"), std::string::npos);
    EXPECT_NE(fonts.FontFile("Courier New", false).find("LiberationMono"), std::string::npos);
    EXPECT_NE(fonts.FontFile("Small Fonts", false).find("DejaVuSans"), std::string::npos);
}

TEST(Text, PositiveHeightIsTheCellAndNegativeTheCharacterHeight) {
    tCanvas canvas = Blank(10, 10);
    SetCrispFont(canvas.Font());
    for (int height : {8, 9, 10, 12, 13, 14, 15, 38}) {
        canvas.Font().height = height;
        EXPECT_EQ(canvas.TextHeight("Hg"), height) << height;
    }
    // A character height leaves the internal leading out, so the cell is taller.
    canvas.Font().height = -11;
    EXPECT_GT(canvas.TextHeight("Hg"), 11);
    canvas.Font().height = 12;
    int cell = canvas.TextHeight("Hg");
    canvas.Font().height = -12;
    EXPECT_GT(canvas.TextHeight("Hg"), cell);
}

TEST(Text, DrawnInkStaysInsideTheMeasuredCell) {
    for (const char* name : {"Arial", "Courier New", "Small Fonts"}) {
        for (bool bold : {false, true}) {
            tCanvas canvas = Blank(400, 40);
            canvas.Font() = {name, 13, bold, kInk};
            SetCrispFont(canvas.Font());
            canvas.TextOut(10, 5, kSample);
            tRect ink = InkBounds(canvas);
            int width = canvas.TextWidth(kSample);
            SCOPED_TRACE(std::string(name) + (bold ? " bold" : ""));
            EXPECT_GE(ink.left, 10);
            EXPECT_LE(ink.right, 10 + width);
            EXPECT_GE(ink.right, 10 + width - 3) << "the last glyph ends near the advance";
            EXPECT_GE(ink.top, 5);
            // The em is a whole number of pixels, so a descender may reach one
            // row past a cell whose exact em would have been a fraction smaller.
            EXPECT_LE(ink.bottom, 5 + canvas.TextHeight(kSample) + 1);
        }
    }
}

TEST(Text, TextDrawnInPiecesMatchesTextDrawnWhole) {
    tCanvas whole = Blank(300, 20);
    SetCrispFont(whole.Font());
    whole.Font().colour = kInk;
    whole.TextOut(3, 2, "Uptime 3 d 04:05:06 h");
    tCanvas pieces = Blank(300, 20);
    SetCrispFont(pieces.Font());
    pieces.Font().colour = kInk;
    pieces.TextOut(3, 2, "Uptime 3 d");
    pieces.TextOut(3 + pieces.TextWidth("Uptime 3 d"), 2, " 04:05:06 h");
    EXPECT_EQ(whole.Pixels(), pieces.Pixels());
    EXPECT_EQ(whole.TextWidth("Uptime 3 d 04:05:06 h"),
              whole.TextWidth("Uptime 3 d") + whole.TextWidth(" 04:05:06 h"));
}

TEST(Text, BoldIsWiderThanRegular) {
    tCanvas canvas = Blank(10, 10);
    SetCrispFont(canvas.Font());
    for (const char* name : {"Arial", "Small Fonts"}) {
        canvas.Font().name = name;
        canvas.Font().bold = false;
        int regular = canvas.TextWidth("MHz 2400");
        canvas.Font().bold = true;
        EXPECT_GT(canvas.TextWidth("MHz 2400"), regular) << name;
    }
}

TEST(Text, TextRectDrawsOnlyInsideItsRectangle) {
    tCanvas canvas = Blank(200, 30);
    SetCrispFont(canvas.Font());
    canvas.Font().colour = kInk;
    canvas.TextRect({0, 5, 40, 25}, 2, 5, "A sensor name far too long for its cell");
    tRect ink = InkBounds(canvas);
    EXPECT_LE(ink.right, 40);
    EXPECT_GE(ink.right, 35) << "the text reaches the edge and is cut there";
    // With a solid brush the whole rectangle takes the brush colour first.
    constexpr tColour kCell = 0x00FFFF;
    canvas.Brush() = {kCell, tBrushStyle::Solid};
    canvas.TextRect({100, 2, 150, 28}, 102, 5, "x");
    EXPECT_EQ(canvas.Pixel(100, 2), kCell);
    EXPECT_EQ(canvas.Pixel(149, 27), kCell);
    EXPECT_EQ(canvas.Pixel(150, 27), kBack);
}

TEST(Text, SolidBrushFillsTheTextCell) {
    tCanvas canvas = Blank(100, 30);
    SetCrispFont(canvas.Font());
    constexpr tColour kCell = 0x00FFFF;
    canvas.Brush() = {kCell, tBrushStyle::Solid};
    canvas.TextOut(5, 5, "12:00");
    int width = canvas.TextWidth("12:00");
    EXPECT_EQ(canvas.Pixel(5, 5), kCell);
    EXPECT_EQ(canvas.Pixel(5 + width - 1, 5 + 12 - 1), kCell);
    EXPECT_EQ(canvas.Pixel(5 + width, 5), kBack);
    EXPECT_EQ(canvas.Pixel(5, 5 + 12), kBack);
}

TEST(Text, RightAlignedTextEndsAtItsRightEdge) {
    tCanvas canvas = Blank(200, 20);
    SetCrispFont(canvas.Font());
    canvas.Font().colour = kInk;
    canvas.TextOutRight(150, 2, "Calorix 3.36");
    tRect ink = InkBounds(canvas);
    EXPECT_LE(ink.right, 150);
    EXPECT_GE(ink.right, 147);
    EXPECT_GE(ink.left, 150 - canvas.TextWidth("Calorix 3.36"));
}

TEST(Text, Utf8DecodingKeepsBrokenBytesAsReplacementCharacters) {
    struct tCase {
        const char* name;
        std::string bytes;
        std::u32string expected;
    };
    const tCase cases[] = {
        {"ascii", "MHz", U"MHz"},
        {"degree sign",
         "38\xC2\xB0"
         "C",
         U"38\u00B0C"},
        {"windows-1252 degree",
         "38\xB0"
         "C",
         U"38\uFFFDC"},
        {"cut sequence at end", "a\xE2\x82", U"a\uFFFD\uFFFD"},
        {"overlong slash", "\xC0\xAF", U"\uFFFD\uFFFD"},
        {"surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"four bytes", "\xF0\x9F\x94\xA5", U"\U0001F525"},
    };
    for (const tCase& c : cases) EXPECT_EQ(DecodeUtf8(c.bytes), c.expected) << c.name;
    // Broken text still measures and draws.
    tCanvas canvas = Blank(100, 20);
    SetCrispFont(canvas.Font());
    EXPECT_GT(canvas.TextWidth("\xFF\xFE"), 0);
    canvas.TextOut(0, 0, "\xFF\xFE");
}

TEST(Text, CanvasesWithoutALibraryMakeTheirOwn) {
    tCanvas canvas(50, 20);
    SetCrispFont(canvas.Font());
    EXPECT_GT(canvas.TextWidth("abc"), 0);
    EXPECT_NE(canvas.SharedFonts(), SharedLibrary());
}

}  // namespace
}  // namespace cx
