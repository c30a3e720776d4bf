#pragma once
// A 32-bit picture in memory with the drawing rules the pictures are laid out
// for: a rectangle leaves out its right column and bottom row, a line leaves
// out its end point, a dotted pen draws three pixels and skips three, and
// while the brush is solid the gaps of a dotted line and the cell behind text
// take the brush colour (with a clear brush they keep what lies beneath).
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "monitor/render/Colour.h"
#include "monitor/render/Fonts.h"

namespace cx {

struct tPoint {
    int x = 0;
    int y = 0;
    bool operator==(const tPoint&) const = default;
};

// A rectangle whose right column and bottom row lie outside it.
struct tRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const tRect&) const = default;
};

enum class tPenStyle { Solid, Dot, Clear };
enum class tBrushStyle { Solid, Clear };

struct tPen {
    tColour colour = 0x000000;
    tPenStyle style = tPenStyle::Solid;
    int width = 1;
};

struct tBrush {
    tColour colour = 0xFFFFFF;
    tBrushStyle style = tBrushStyle::Solid;
};

class tCanvas {
public:
    // A picture of the given size, all black. Text uses `fonts`; without one
    // the canvas makes its own on first use.
    explicit tCanvas(int width = 0, int height = 0, std::shared_ptr<tFontLibrary> fonts = nullptr);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Changes the size; the pixels inside both sizes keep their colour, new
    // ones are black. The clipping rectangle is removed.
    void SetSize(int width, int height);
    // A picture of the given size all in `background`, the clipping rectangle
    // removed. A row takes the colour only when it is first drawn on or read,
    // so a tall working picture that is cut to its content later costs only
    // the rows it used.
    void Reset(int width, int height, tColour background);

    // The drawing tools, changed in place like the properties of a canvas.
    tPen& Pen() { return m_pen; }
    tBrush& Brush() { return m_brush; }
    tFont& Font() { return m_font; }
    tFontLibrary& Fonts();
    std::shared_ptr<tFontLibrary> SharedFonts();

    // Only pixels inside the clipping rectangle (and the picture) change.
    void SetClipRect(const tRect& clip);
    void ClearClipRect();

    tColour Pixel(int x, int y) const;  // 0 outside the picture
    void SetPixel(int x, int y, tColour colour);
    const std::vector<tColour>& Pixels() const;  // row by row

    // The corners may come in any order. The outline uses the pen, the inside
    // the brush; with a clear pen the filled area is one pixel narrower and
    // lower, as the outline's pixels are not drawn either.
    void Rectangle(int x1, int y1, int x2, int y2);
    // The whole rectangle in the brush colour, whatever the pen.
    void FillRect(const tRect& rect);
    // A rectangle whose corners are quarter ellipses of the given width and
    // height; its outline is one pixel in the pen colour unless the pen is clear.
    void RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight);
    // Filled by the alternate (even-odd) rule, then outlined by the pen
    // including the closing edge.
    void Polygon(std::span<const tPoint> points);

    void MoveTo(int x, int y);
    // A line from the current position up to, but not including, (x, y),
    // which becomes the current position.
    void LineTo(int x, int y);
    // Lines from point to point; the last point is left out and the dotted
    // pattern runs on across the corners.
    void Polyline(std::span<const tPoint> points);

    // Text with its cell's top left corner at (x, y) in the font colour.
    void TextOut(int x, int y, std::string_view text);
    // Text at (x, y) that draws only inside `clip`; a solid brush fills `clip`.
    void TextRect(const tRect& clip, int x, int y, std::string_view text);
    // Text that ends at x = right (the last pixel column of its cell is right - 1).
    void TextOutRight(int right, int y, std::string_view text);
    int TextWidth(std::string_view text);
    int TextHeight(std::string_view text);

    // Copies another picture with its top left corner at (x, y).
    void Draw(int x, int y, const tCanvas& source);

    // Rectangles that all end on one row, collected and then painted as if
    // filled one after the other in that order, but writing each pixel only
    // once: a column holds the colour of the last bar that reaches it. Bars
    // drawn by the hundred over one another (the rates of a long span) cost
    // no more than the pixels they leave. Other drawing between Begin and End
    // lies under the bars.
    void BeginStandingBars(int bottom);  // the bars' rows end before `bottom`
    // The rectangle (left, top) to (right, bottom) in `colour`, corners in any
    // order along x; nothing when top >= bottom or left == right.
    void StandingBar(int left, int top, int right, tColour colour);
    void EndStandingBars();

private:
    struct tLineState {
        int patternStep = 0;  // position in the dotted pattern
    };
    // One row of a wide pen's round nib: the columns first..last around its centre.
    struct tNibRow {
        int dy = 0;
        int first = 0;
        int last = 0;
    };
    bool Visible(int x, int y) const;
    // Makes rows up to `end` (left out) real pixels before they are drawn on.
    void Reach(int end) const {
        if (end > m_readyRows) Materialise(end);
    }
    void Materialise(int end) const;
    void Plot(int x, int y, tColour colour);
    void FillSpan(int y, int x1, int x2, tColour colour);  // x1 up to, not including, x2
    // Fills a rectangle that already lies inside the clipping rectangle.
    void FillClipped(const tRect& area, tColour colour);
    const std::vector<tNibRow>& NibRows();
    void Nib(int x, int y);
    void DrawLine(tPoint from, tPoint to, tLineState& state, bool includeEnd);
    void DrawThinInside(tPoint from, tPoint to);
    void DrawPath(std::span<const tPoint> points, bool closed);
    tSizedFont& SizedFont();
    void DrawText(int x, int y, std::string_view text, const tRect& clip);

    int m_width = 0;
    int m_height = 0;
    // Rows [0, m_readyRows) are in m_pixels; the rows below them, up to the
    // height, are m_background until reached (m_pixels may hold leftovers of
    // an earlier picture there).
    mutable std::vector<tColour> m_pixels;
    mutable int m_readyRows = 0;
    tColour m_background = 0;
    tRect m_clip;  // always inside the picture
    tPen m_pen;
    tBrush m_brush;
    tFont m_font;
    tPoint m_position;
    tLineState m_lineState;
    std::shared_ptr<tFontLibrary> m_fonts;
    // Reused from drawing to drawing, so that drawing allocates nothing once
    // the picture has been drawn: the nib of the last wide pen, the polygon
    // crossings of one row, the code points of one text, and the sized face
    // of the last font with the font it stands for.
    int m_nibWidth = 0;
    std::vector<tNibRow> m_nibRows;
    std::vector<double> m_crossings;
    std::u32string m_codePoints;
    tSizedFont* m_sizedFont = nullptr;
    tFont m_sizedFor;
    struct tStandingBar {
        int left, top, right;
        tColour colour;
    };
    int m_barsBottom = 0;
    std::vector<tStandingBar> m_bars;
    std::vector<int> m_coveredFrom;  // per column: the top row the later bars cover
};

}  // namespace cx
