#include "monitor/render/SevenSegment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "monitor/render/ContrastColours.h"

namespace cx {
namespace {

constexpr tColour kBack = 0xF0F0F0;
constexpr tColour kInk = 0x008000;

std::string Art(const tCanvas& canvas) {
    std::string art;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            tColour c = canvas.Pixel(x, y);
            art += c == kBack ? '.' : c == kInk ? '#' : '?';
        }
        art += '\n';
    }
    return art;
}

// Thickness 0 and length 3 make every segment a plain bar of three pixels, so
// the digits read as the classic shapes: advance Round(0 + 3 + 2 + gap 1) = 6.
std::string Digits(double value, int width = 21) {
    tCanvas canvas(width, 9);
    canvas.Brush() = {kBack, tBrushStyle::Solid};
    canvas.FillRect({0, 0, width, 9});
    DrawSevenSegment(canvas, kInk, value, 1, 0, 3, 0, width - 1);
    EXPECT_EQ(canvas.Brush().style, tBrushStyle::Clear) << "the brush is left clear";
    return Art(canvas);
}

TEST(SevenSegment, DigitsAndMinusBarSitRightToLeft) {
    // The "2" has its right edge at x = 20 (left out), the "1" one advance
    // further left at 14, and the minus bar one more advance left, less one.
    EXPECT_EQ(Digits(-12),
              "................###..\n"
              ".............#.....#.\n"
              ".............#.....#.\n"
              ".............#.....#.\n"
              "....###.........###..\n"
              ".............#.#.....\n"
              ".............#.#.....\n"
              ".............#.#.....\n"
              "................###..\n");
    EXPECT_EQ(Digits(8, 7),
              "..###..\n"
              ".#...#.\n"
              ".#...#.\n"
              ".#...#.\n"
              "..###..\n"
              ".#...#.\n"
              ".#...#.\n"
              ".#...#.\n"
              "..###..\n");
}

TEST(SevenSegment, EveryDigitLightsItsOwnSegments) {
    // Each digit as the set of its lit bars: top, upper left, upper right,
    // middle, lower left, lower right, bottom; sampled at one pixel of each bar.
    const char* const expected[] = {"1110111", "0010010", "1011101", "1011011", "0111010",
                                    "1101011", "1101111", "1010010", "1111111", "1111011"};
    for (int digit = 0; digit <= 9; ++digit) {
        tCanvas canvas(7, 9);
        canvas.Brush() = {kBack, tBrushStyle::Solid};
        canvas.FillRect({0, 0, 7, 9});
        DrawSevenSegment(canvas, kInk, digit, 1, 0, 3, 0, 6);
        const tPoint probes[] = {{3, 0}, {1, 2}, {5, 2}, {3, 4}, {1, 6}, {5, 6}, {3, 8}};
        std::string lit;
        for (tPoint p : probes) lit += canvas.Pixel(p.x, p.y) == kInk ? '1' : '0';
        EXPECT_EQ(lit, expected[digit]) << digit;
    }
}

TEST(SevenSegment, ValuesRoundHalfToEvenAndZeroShowsOneDigit) {
    EXPECT_EQ(Digits(2.5), Digits(2));
    EXPECT_EQ(Digits(3.5), Digits(4));
    EXPECT_EQ(Digits(-0.4), Digits(-0.0001)) << "a negative value keeps its bar";
    std::string zero = Digits(0);
    EXPECT_NE(zero.find('#'), std::string::npos);
    EXPECT_EQ(zero.substr(0, 14), std::string(14, '.')) << "one digit only";
    std::string blank = Digits(std::nan(""));
    EXPECT_EQ(blank.find('#'), std::string::npos) << "a value that is no number draws nothing";
}

TEST(SevenSegment, ThickSegmentsAreRoundedBars) {
    // The chart's watermark size: thickness 4 gives corners of 8 pixels.
    tCanvas canvas(80, 120);
    canvas.Brush() = {kBack, tBrushStyle::Solid};
    canvas.FillRect({0, 0, 80, 120});
    DrawSevenSegment(canvas, kInk, 1, 15, 4, 50, 0, 70);
    // The upper right bar spans x 61..69 and y 5..54; its corners are cut.
    EXPECT_EQ(canvas.Pixel(65, 5), kInk);
    EXPECT_EQ(canvas.Pixel(65, 54), kInk);
    EXPECT_EQ(canvas.Pixel(61, 5), kBack);
    EXPECT_EQ(canvas.Pixel(69, 54), kBack);
    EXPECT_EQ(canvas.Pixel(70, 30), kBack) << "the right edge itself stays outside";
}

TEST(ContrastColours, DarkAndLightBackgroundsGetTheirSets) {
    struct tCase {
        tColour background;
        tColour first, second, third, shadow;
    };
    const tContrastColours dark{0x00FFFF, 0xFFFFFF, 0xE0E0E0, 0x000000};
    const tContrastColours light{0x804000, 0x000000, 0x404040, 0xE0E0E0};
    const std::pair<tColour, tContrastColours> cases[] = {
        {0x000000, dark},  {0xE0E0E0, light},
        {0x8B8B8B, dark},   // grey 139: luminance 119, nearer to 45
        {0x8C8C8C, light},  // grey 140: luminance 120, as near to 45 as to 195
        {0x0000FF, dark},   // pure red: luminance 66
        {0x00FF00, light},  // pure green: luminance 129
    };
    for (const auto& [background, colours] : cases) {
        tCanvas canvas(3, 3);
        canvas.SetPixel(1, 2, background);
        tContrastColours picked = PickContrastColours(canvas, 1, 2);
        EXPECT_EQ(picked.first, colours.first) << std::hex << background;
        EXPECT_EQ(picked.second, colours.second) << std::hex << background;
        EXPECT_EQ(picked.third, colours.third) << std::hex << background;
        EXPECT_EQ(picked.shadow, colours.shadow) << std::hex << background;
    }
}

}  // namespace
}  // namespace cx
