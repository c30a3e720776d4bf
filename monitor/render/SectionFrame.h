#pragma once
// The framed plot area that every chart section, the banner and the disk bars
// share: a light rectangle with shaded edges and rounded corners, an optional
// clock watermark and dotted vertical grid lines.
#include <optional>
#include <vector>

#include "monitor/render/Canvas.h"

namespace cx {

struct tFrameColours {
    tColour back = 0xE0E0E0;      // the picture around the frame (cBack)
    tColour plotBack = 0xF0F0F0;  // inside the frame (cScBack)
    tColour border = 0xFFFFFF;    // top and left edge (cScBorder)
    tColour border2 = 0xC0C0C0;   // bottom and right edge (cScBorder2)
    tColour grid = 0xC0C0C0;      // grid lines (cScGrid)
};

// The current processor clock in large seven-segment digits behind a plot.
struct tClockWatermark {
    int megahertz = 0;
    int cores = 0;  // "1 core", "<n> cores", or no core text for 0
    double length = 50;
    double thickness = 4;
    double gap = 15;
    int textHeight = 38;
    int centreX = 0;
    int centreY = 0;
};

// The watermark sizes of a chart plot `plotHeight` high: segment length 50,
// thickness 4, gap 15 and text height 38 at 120 pixels or more, scaled by
// plotHeight / 120 below (the text height rounded half to even).
tClockWatermark ChartWatermarkSizes(int plotHeight);

// Draws the digits with their right edge at centreX + 2 * length - 55 and
// their top at centreY - length - thickness, "MHz" in bold at
// (centreX + 2 * length - 35, centreY - length - thickness) and the core text
// under it with its bottom at centreY + length + thickness, all in `colour`
// and the canvas font's face. The canvas font is left as it was.
void DrawClockWatermark(tCanvas& canvas, const tClockWatermark& watermark, tColour colour);

// The shading of a frame rectangle (right and bottom edge excluded): its
// bottom row and right column in border2, the three outermost pixels of each
// corner in the background colour, and the pixel diagonally inside each
// corner in border (left corners) or border2 (right corners).
void DrawFrameShading(tCanvas& canvas, const tRect& frame, const tFrameColours& colours);

struct tSectionFrame {
    tRect frame;  // the outer rectangle, right and bottom edge excluded
    std::optional<tClockWatermark> watermark;
    std::vector<int> gridX;  // the columns of the vertical grid lines
    int gridTop = 0;         // each grid line runs from gridTop towards gridBottom,
    int gridBottom = 0;      // which as a line's end point is left out
};

// The frame of a chart plot `plotHeight` high whose top is `plotTop`
// (the section's y + 7) in a chart `chartWidth` wide, with its grid rows.
tSectionFrame ChartSectionFrame(int chartWidth, int plotTop, int plotHeight);

// Draws the frame: the rectangle with pen border and brush plotBack, its
// shading, the watermark in the colour halfway between grid and plotBack,
// then the dotted grid lines. Leaves a solid pen and a clear brush.
void DrawSectionFrame(tCanvas& canvas, const tSectionFrame& frame, const tFrameColours& colours);

}  // namespace cx
