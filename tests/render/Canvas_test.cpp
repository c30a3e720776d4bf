#include "monitor/render/Canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace cx {
namespace {

constexpr tColour kBack = 0xE0E0E0;
constexpr tColour kInk = 0x0000C0;
constexpr tColour kFill = 0x40FF40;

// A small picture in the background colour with a clear brush and an ink pen.
tCanvas Blank(int width = 20, int height = 12) {
    tCanvas canvas(width, height);
    canvas.Brush() = {kBack, tBrushStyle::Solid};
    canvas.FillRect({0, 0, width, height});
    canvas.Pen() = {kInk, tPenStyle::Solid, 1};
    canvas.Brush().style = tBrushStyle::Clear;
    return canvas;
}

// The picture as one text line per row: '.' background, '#' ink, 'o' fill,
// '?' anything else, so a failing test shows the shape.
std::string Art(const tCanvas& canvas) {
    std::string art;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            tColour c = canvas.Pixel(x, y);
            art += c == kBack ? '.' : c == kInk ? '#' : c == kFill ? 'o' : '?';
        }
        art += '\n';
    }
    return art;
}

TEST(Canvas, RectangleLeavesOutRightColumnAndBottomRow) {
    tCanvas canvas = Blank(7, 6);
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    canvas.Rectangle(1, 1, 6, 5);
    EXPECT_EQ(Art(canvas),
              ".......\n"
              ".#####.\n"
              ".#ooo#.\n"
              ".#ooo#.\n"
              ".#####.\n"
              ".......\n");
    // Corners given the other way round draw the same rectangle.
    tCanvas swapped = Blank(7, 6);
    swapped.Brush() = {kFill, tBrushStyle::Solid};
    swapped.Rectangle(6, 5, 1, 1);
    EXPECT_EQ(Art(swapped), Art(canvas));
}

TEST(Canvas, RectangleWithClearPenFillsOnePixelLess) {
    tCanvas canvas = Blank(6, 5);
    canvas.Pen().style = tPenStyle::Clear;
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    canvas.Rectangle(1, 1, 5, 4);
    EXPECT_EQ(Art(canvas),
              "......\n"
              ".ooo..\n"
              ".ooo..\n"
              "......\n"
              "......\n");
}

TEST(Canvas, RectangleWithClearBrushKeepsInside) {
    tCanvas canvas = Blank(5, 5);
    canvas.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(Art(canvas),
              "#####\n"
              "#...#\n"
              "#...#\n"
              "#...#\n"
              "#####\n");
}

TEST(Canvas, FillRectCoversWholeRectangleWithoutRightAndBottom) {
    tCanvas canvas = Blank(5, 4);
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    canvas.FillRect({1, 1, 4, 3});
    EXPECT_EQ(Art(canvas),
              ".....\n"
              ".ooo.\n"
              ".ooo.\n"
              ".....\n");
}

TEST(Canvas, LineLeavesOutItsEndPoint) {
    struct tCase {
        const char* name;
        tPoint from, to;
        std::vector<tPoint> drawn;
    };
    const tCase cases[] = {
        {"horizontal", {1, 1}, {5, 1}, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {"leftwards", {5, 2}, {1, 2}, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
        {"vertical", {3, 0}, {3, 3}, {{3, 0}, {3, 1}, {3, 2}}},
        {"diagonal", {0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
        {"shallow", {0, 0}, {4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {"zero length", {2, 2}, {2, 2}, {}},
    };
    for (const tCase& c : cases) {
        tCanvas canvas = Blank(8, 5);
        canvas.MoveTo(c.from.x, c.from.y);
        canvas.LineTo(c.to.x, c.to.y);
        std::vector<tPoint> drawn;
        for (int y = 0; y < canvas.Height(); ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                if (canvas.Pixel(x, y) == kInk) drawn.push_back({x, y});
            }
        }
        auto byPosition = [](tPoint a, tPoint b) { return a.y != b.y ? a.y < b.y : a.x < b.x; };
        std::vector<tPoint> expected = c.drawn;
        std::sort(expected.begin(), expected.end(), byPosition);
        EXPECT_EQ(drawn, expected) << c.name;
    }
}

TEST(Canvas, PolylineLeavesOutOnlyItsLastPoint) {
    tCanvas canvas = Blank(6, 4);
    const tPoint points[] = {{0, 0}, {3, 0}, {3, 3}};
    canvas.Polyline(points);
    EXPECT_EQ(Art(canvas),
              "####..\n"
              "...#..\n"
              "...#..\n"
              "......\n");
    // LineTo moves the current position on, so a second LineTo continues.
    tCanvas joined = Blank(6, 4);
    joined.MoveTo(0, 0);
    joined.LineTo(3, 0);
    joined.LineTo(3, 3);
    EXPECT_EQ(Art(joined), Art(canvas));
}

TEST(Canvas, DottedPenDrawsThreeAndSkipsThreeAcrossCorners) {
    tCanvas canvas = Blank(9, 4);
    canvas.Pen().style = tPenStyle::Dot;
    const tPoint points[] = {{0, 0}, {7, 0}, {7, 4}};
    canvas.Polyline(points);
    // The corner pixel (7, 0) is the eighth of the pattern: the run that began
    // at (6, 0) goes on downwards instead of starting afresh.
    EXPECT_EQ(Art(canvas),
              "###...##.\n"
              ".......#.\n"
              ".........\n"
              ".........\n");
}

TEST(Canvas, DottedGapsTakeTheBrushColourOnlyWhileTheBrushIsSolid) {
    tCanvas canvas = Blank(8, 2);
    canvas.Pen().style = tPenStyle::Dot;
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    canvas.MoveTo(0, 0);
    canvas.LineTo(8, 0);
    canvas.Brush().style = tBrushStyle::Clear;
    canvas.MoveTo(0, 1);
    canvas.LineTo(8, 1);
    EXPECT_EQ(Art(canvas),
              "###ooo##\n"
              "###...##\n");
}

TEST(Canvas, MoveToRestartsTheDottedPattern) {
    tCanvas canvas = Blank(6, 2);
    canvas.Pen().style = tPenStyle::Dot;
    canvas.MoveTo(0, 0);
    canvas.LineTo(2, 0);
    canvas.MoveTo(2, 0);
    canvas.LineTo(6, 0);
    EXPECT_EQ(Art(canvas),
              "#####.\n"
              "......\n");
}

TEST(Canvas, LinesFromFarOutsideDrawOnlyTheirVisiblePart) {
    // Each far line must light the same pixels as a short line on the same path.
    struct tCase {
        const char* name;
        tPoint farFrom, farTo, nearFrom, nearTo;
    };
    const int kFar = 2000000000;
    const tCase cases[] = {
        {"horizontal from far left", {-kFar, 5}, {5, 5}, {-3, 5}, {5, 5}},
        {"horizontal to far right", {3, 2}, {kFar, 2}, {3, 2}, {30, 2}},
        {"diagonal", {-kFar, -kFar}, {kFar, kFar}, {-5, -5}, {30, 30}},
        {"steep leftwards", {6, kFar}, {6, -kFar}, {6, 30}, {6, -5}},
    };
    for (const tCase& c : cases) {
        tCanvas far = Blank(12, 10);
        far.MoveTo(c.farFrom.x, c.farFrom.y);
        far.LineTo(c.farTo.x, c.farTo.y);
        tCanvas near = Blank(12, 10);
        near.MoveTo(c.nearFrom.x, c.nearFrom.y);
        near.LineTo(c.nearTo.x, c.nearTo.y);
        EXPECT_EQ(Art(far), Art(near)) << c.name;
    }
    // A shallow dotted line entering from the left keeps its slope and its dots:
    // the same line drawn whole on a wider picture shows the same pixels.
    tCanvas entering = Blank(12, 4);
    entering.Pen().style = tPenStyle::Dot;
    entering.MoveTo(-30, 0);
    entering.LineTo(42, 3);
    tCanvas whole = Blank(80, 4);
    whole.Pen().style = tPenStyle::Dot;
    whole.MoveTo(0, 0);
    whole.LineTo(72, 3);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 12; ++x) EXPECT_EQ(entering.Pixel(x, y), whole.Pixel(x + 30, y));
    }
}

TEST(Canvas, ClippingKeepsEveryOperationInside) {
    tCanvas canvas = Blank(8, 6);
    canvas.SetClipRect({2, 1, 6, 4});
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    canvas.Rectangle(0, 0, 8, 6);
    canvas.SetPixel(0, 0, kInk);
    canvas.MoveTo(0, 5);
    canvas.LineTo(8, 5);
    EXPECT_EQ(Art(canvas),
              "........\n"
              "..oooo..\n"
              "..oooo..\n"
              "..oooo..\n"
              "........\n"
              "........\n");
    canvas.ClearClipRect();
    canvas.SetPixel(0, 0, kInk);
    EXPECT_EQ(canvas.Pixel(0, 0), kInk);
    // Outside the picture nothing is drawn and nothing is read.
    canvas.SetPixel(-1, 3, kInk);
    canvas.SetPixel(8, 3, kInk);
    EXPECT_EQ(canvas.Pixel(-1, 3), 0u);
}

TEST(Canvas, PolygonFillsByTheAlternateRule) {
    tCanvas canvas = Blank(9, 7);
    canvas.Pen().colour = kInk;
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    // Two overlapping squares drawn as one outline: the overlap is outside.
    const tPoint points[] = {{0, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 0},
                             {3, 2}, {8, 2}, {8, 6}, {3, 6}, {3, 2}};
    canvas.Polygon(points);
    EXPECT_EQ(canvas.Pixel(1, 3), kFill);
    EXPECT_EQ(canvas.Pixel(4, 3), kBack) << "overlap of the two squares";
    EXPECT_EQ(canvas.Pixel(6, 4), kFill);
    EXPECT_EQ(canvas.Pixel(8, 6), kInk) << "the outline closes back to the first point";
}

TEST(Canvas, PolygonWithClearPenFillsWithoutRightAndBottomEdge) {
    tCanvas canvas = Blank(6, 5);
    canvas.Pen().style = tPenStyle::Clear;
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    const tPoint points[] = {{1, 1}, {5, 1}, {5, 4}, {1, 4}};
    canvas.Polygon(points);
    EXPECT_EQ(Art(canvas),
              "......\n"
              ".oooo.\n"
              ".oooo.\n"
              ".oooo.\n"
              "......\n");
}

TEST(Canvas, RoundRectCutsItsCornersAndKeepsTheEdgeRule) {
    tCanvas canvas = Blank(12, 8);
    canvas.Brush() = {kFill, tBrushStyle::Solid};
    canvas.RoundRect(11, 7, 1, 1, 4, 4);
    EXPECT_EQ(Art(canvas),
              "............\n"
              "..########..\n"
              ".#oooooooo#.\n"
              ".#oooooooo#.\n"
              ".#oooooooo#.\n"
              ".#oooooooo#.\n"
              "..########..\n"
              "............\n");
    // Without corners it is a plain rectangle.
    tCanvas square = Blank(12, 8);
    square.Brush() = {kFill, tBrushStyle::Solid};
    square.RoundRect(1, 1, 11, 7, 0, 0);
    tCanvas plain = Blank(12, 8);
    plain.Brush() = {kFill, tBrushStyle::Solid};
    plain.Rectangle(1, 1, 11, 7);
    EXPECT_EQ(Art(square), Art(plain));
}

TEST(Canvas, WidePenDrawsAThickLineWithItsEnd) {
    // A two-pixel nib reaches one pixel right of and below each point.
    tCanvas canvas = Blank(8, 5);
    canvas.Pen().width = 2;
    canvas.MoveTo(1, 2);
    canvas.LineTo(5, 2);
    EXPECT_EQ(Art(canvas),
              "........\n"
              "........\n"
              ".######.\n"
              ".######.\n"
              "........\n");
}

TEST(Canvas, DrawCopiesAnotherPictureInsideTheClip) {
    tCanvas icon(3, 2);
    icon.Brush() = {kFill, tBrushStyle::Solid};
    icon.FillRect({0, 0, 3, 2});
    icon.SetPixel(1, 1, kInk);
    tCanvas canvas = Blank(5, 4);
    canvas.SetClipRect({0, 0, 4, 4});
    canvas.Draw(2, 1, icon);
    EXPECT_EQ(Art(canvas),
              ".....\n"
              "..oo.\n"
              "..o#.\n"
              ".....\n");
}

TEST(Canvas, SetSizeKeepsTheCommonPixels) {
    tCanvas canvas = Blank(4, 4);
    canvas.SetPixel(1, 1, kInk);
    canvas.SetSize(6, 2);
    EXPECT_EQ(canvas.Pixel(1, 1), kInk);
    EXPECT_EQ(canvas.Pixel(3, 0), kBack);
    EXPECT_EQ(canvas.Pixel(5, 0), 0u) << "new pixels are black";
    EXPECT_EQ(canvas.Pixels().size(), 12u);
}

}  // namespace
}  // namespace cx
