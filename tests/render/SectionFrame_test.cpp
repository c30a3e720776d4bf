#include "monitor/render/SectionFrame.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace cx {
namespace {

// Distinct colours so that every pixel tells where it came from.
const tFrameColours kColours{0x111111, 0xEEEEEE, 0xFFFFFF, 0x888888, 0x444444};

std::string Art(const tCanvas& canvas) {
    std::string art;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            tColour c = canvas.Pixel(x, y);
            art += c == kColours.back       ? ' '
                   : c == kColours.plotBack ? '.'
                   : c == kColours.border   ? 'W'
                   : c == kColours.border2  ? 'S'
                   : c == kColours.grid     ? ':'
                                            : '?';
        }
        art += '\n';
    }
    return art;
}

tCanvas Background(int width, int height) {
    tCanvas canvas(width, height);
    canvas.Brush() = {kColours.back, tBrushStyle::Solid};
    canvas.FillRect({0, 0, width, height});
    return canvas;
}

TEST(SectionFrame, FrameHasShadedEdgesRoundedCornersAndDottedGrid) {
    tCanvas canvas = Background(12, 12);
    tSectionFrame frame;
    frame.frame = {1, 1, 11, 12};
    frame.gridX = {3, 8};
    frame.gridTop = 3;
    frame.gridBottom = 10;
    DrawSectionFrame(canvas, frame, kColours);
    EXPECT_EQ(Art(canvas),
              "            \n"
              "   WWWWWW   \n"
              "  W......S  \n"
              " W.:....:.S \n"
              " W.:....:.S \n"
              " W.:....:.S \n"
              " W........S \n"
              " W........S \n"
              " W........S \n"
              " W.:....:.S \n"
              "  W......S  \n"
              "   SSSSSS   \n");
    EXPECT_EQ(canvas.Pen().style, tPenStyle::Solid);
    EXPECT_EQ(canvas.Brush().style, tBrushStyle::Clear);
}

TEST(SectionFrame, ChartFrameFollowsThePlotGeometry) {
    // A chart 550 wide: the frame runs from x 5 to 507 and from T - 2 to T + H + 1,
    // the grid lines from T + 2 to T + H - 2.
    tSectionFrame frame = ChartSectionFrame(550, 17, 120);
    EXPECT_EQ(frame.frame, (tRect{5, 15, 508, 139}));
    EXPECT_EQ(frame.gridTop, 19);
    EXPECT_EQ(frame.gridBottom, 136);
    tCanvas canvas = Background(550, 150);
    frame.gridX = {506};
    DrawSectionFrame(canvas, frame, kColours);
    EXPECT_EQ(canvas.Pixel(507, 60), kColours.border2) << "right column";
    EXPECT_EQ(canvas.Pixel(200, 138), kColours.border2) << "bottom row";
    EXPECT_EQ(canvas.Pixel(508, 60), kColours.back);
    EXPECT_EQ(canvas.Pixel(506, 19), kColours.grid) << "the rightmost grid line";
    EXPECT_EQ(canvas.Pixel(506, 22), kColours.plotBack) << "a gap of the dots";
    EXPECT_EQ(canvas.Pixel(506, 135), kColours.grid) << "the last dot";
    EXPECT_EQ(canvas.Pixel(506, 136), kColours.plotBack) << "the end row is left out";
}

TEST(SectionFrame, WatermarkSitsBehindTheGridInTheHalfwayColour) {
    tCanvas canvas = Background(550, 160);
    SetCrispFont(canvas.Font());
    tSectionFrame frame = ChartSectionFrame(550, 17, 120);
    tClockWatermark watermark = ChartWatermarkSizes(120);
    watermark.megahertz = 2394;
    watermark.cores = 4;
    watermark.centreX = 6 + 550 / 2;
    watermark.centreY = 17 + 60;
    frame.watermark = watermark;
    for (int x = 506; x >= 6; x -= 63) frame.gridX.push_back(x);
    canvas.Font().height = 12;
    DrawSectionFrame(canvas, frame, kColours);
    const tColour halfway = HalfwayColour(kColours.grid, kColours.plotBack);
    std::set<tColour> colours(canvas.Pixels().begin(), canvas.Pixels().end());
    EXPECT_EQ(colours, (std::set<tColour>{kColours.back, kColours.plotBack, kColours.border,
                                          kColours.border2, kColours.grid, halfway}));
    // The digits end at x = cx + 2 * 50 - 55 = 326: the last digit's right bar.
    EXPECT_EQ(canvas.Pixel(325, 40), halfway);
    EXPECT_EQ(canvas.Pixel(326, 40), kColours.plotBack);
    EXPECT_EQ(canvas.Font().height, 12) << "the canvas font is given back";
    EXPECT_FALSE(canvas.Font().bold);
}

TEST(SectionFrame, WatermarkSizesScaleBelow120Pixels) {
    tClockWatermark full = ChartWatermarkSizes(150);
    EXPECT_EQ(full.length, 50);
    EXPECT_EQ(full.thickness, 4);
    EXPECT_EQ(full.gap, 15);
    EXPECT_EQ(full.textHeight, 38);
    tClockWatermark half = ChartWatermarkSizes(60);
    EXPECT_DOUBLE_EQ(half.length, 25);
    EXPECT_DOUBLE_EQ(half.thickness, 2);
    EXPECT_DOUBLE_EQ(half.gap, 7.5);
    EXPECT_EQ(half.textHeight, 19);
}

TEST(SectionFrame, ShadingAloneFramesTheDiskBars) {
    tCanvas canvas = Background(8, 5);
    canvas.Brush() = {kColours.plotBack, tBrushStyle::Solid};
    canvas.FillRect({0, 0, 8, 5});
    DrawFrameShading(canvas, {0, 0, 8, 5}, kColours);
    EXPECT_EQ(Art(canvas),
              "  ....  \n"
              " W....S \n"
              ".......S\n"
              " W....S \n"
              "  SSSS  \n");
}

}  // namespace
}  // namespace cx
