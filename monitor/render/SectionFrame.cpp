#include "monitor/render/SectionFrame.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "monitor/render/SevenSegment.h"

namespace cx {

namespace {

int RoundHalfEven(double value) {
    return int(std::nearbyint(value));
}

std::string CoreText(int cores) {
    if (cores == 1) return "1 core";
    if (cores <= 0) return {};
    return std::to_string(cores) + " cores";
}

}  // namespace

tClockWatermark ChartWatermarkSizes(int plotHeight) {
    tClockWatermark sizes;
    if (plotHeight < 120) {
        double scale = plotHeight / 120.0;
        sizes.length = 50 * scale;
        sizes.thickness = 4 * scale;
        sizes.gap = 15 * scale;
        sizes.textHeight = RoundHalfEven(38 * scale);
    }
    return sizes;
}

void DrawClockWatermark(tCanvas& canvas, const tClockWatermark& watermark, tColour colour) {
    const double top = watermark.centreY - watermark.length - watermark.thickness;
    DrawSevenSegment(canvas, colour, watermark.megahertz, watermark.gap, watermark.thickness,
                     watermark.length, top, watermark.centreX + 2 * watermark.length - 55);
    tFont saved = canvas.Font();
    const int textX = RoundHalfEven(watermark.centreX + 2 * watermark.length - 35);
    canvas.Font().height = watermark.textHeight;
    canvas.Font().colour = colour;
    canvas.Font().bold = true;
    canvas.TextOut(textX, RoundHalfEven(top), "MHz");
    canvas.Font().bold = false;
    std::string cores = CoreText(watermark.cores);
    if (!cores.empty()) {
        int bottom = RoundHalfEven(watermark.centreY + watermark.length + watermark.thickness);
        canvas.TextOut(textX, bottom - canvas.TextHeight(cores), cores);
    }
    canvas.Font() = saved;
}

void DrawFrameShading(tCanvas& canvas, const tRect& frame, const tFrameColours& colours) {
    const int left = std::min(frame.left, frame.right);
    const int right = std::max(frame.left, frame.right) - 1;  // the last column inside
    const int top = std::min(frame.top, frame.bottom);
    const int bottom = std::max(frame.top, frame.bottom) - 1;  // the last row inside
    if (right - left < 2 || bottom - top < 2) return;
    for (int x = left; x <= right; ++x) canvas.SetPixel(x, bottom, colours.border2);
    for (int y = top; y <= bottom; ++y) canvas.SetPixel(right, y, colours.border2);
    struct tCorner {
        int x, y, towardsX, towardsY;
        tColour inner;
    };
    const tCorner corners[] = {{left, top, 1, 1, colours.border},
                               {left, bottom, 1, -1, colours.border},
                               {right, top, -1, 1, colours.border2},
                               {right, bottom, -1, -1, colours.border2}};
    for (const tCorner& corner : corners) {
        canvas.SetPixel(corner.x, corner.y, colours.back);
        canvas.SetPixel(corner.x + corner.towardsX, corner.y, colours.back);
        canvas.SetPixel(corner.x, corner.y + corner.towardsY, colours.back);
        canvas.SetPixel(corner.x + corner.towardsX, corner.y + corner.towardsY, corner.inner);
    }
}

tSectionFrame ChartSectionFrame(int chartWidth, int plotTop, int plotHeight) {
    tSectionFrame frame;
    frame.frame = {5, plotTop - 2, chartWidth - 42, plotTop + plotHeight + 2};
    frame.gridTop = plotTop + 2;
    frame.gridBottom = plotTop + plotHeight - 1;
    return frame;
}

void DrawSectionFrame(tCanvas& canvas, const tSectionFrame& frame, const tFrameColours& colours) {
    canvas.Pen() = {colours.border, tPenStyle::Solid, 1};
    canvas.Brush() = {colours.plotBack, tBrushStyle::Solid};
    canvas.Rectangle(frame.frame.left, frame.frame.top, frame.frame.right, frame.frame.bottom);
    DrawFrameShading(canvas, frame.frame, colours);
    if (frame.watermark) {
        DrawClockWatermark(canvas, *frame.watermark, HalfwayColour(colours.grid, colours.plotBack));
    }
    // The gaps of the dotted lines keep what lies beneath, the watermark too.
    canvas.Brush().style = tBrushStyle::Clear;
    canvas.Pen() = {colours.grid, tPenStyle::Dot, 1};
    for (int x : frame.gridX) {
        canvas.MoveTo(x, frame.gridTop);
        canvas.LineTo(x, frame.gridBottom);
    }
    canvas.Pen().style = tPenStyle::Solid;
}

}  // namespace cx
