#include "monitor/render/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace cx {

namespace {

// A dotted pen draws three pixels and leaves three out.
constexpr int kDotLength = 3;

tRect Intersect(const tRect& a, const tRect& b) {
    tRect result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    if (result.right < result.left) result.right = result.left;
    if (result.bottom < result.top) result.bottom = result.top;
    return result;
}

tRect Normalised(int x1, int y1, int x2, int y2) {
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

uint8_t Blend(uint8_t over, uint8_t under, unsigned coverage) {
    return uint8_t((over * coverage + under * (255 - coverage) + 127) / 255);
}

// `count` pixels in one colour, four at a time where the run is long.
void FillPixels(tColour* pixel, ptrdiff_t count, tColour colour) {
    if (count >= 8) {
        typedef tColour tFour __attribute__((vector_size(16)));
        const tFour four = {colour, colour, colour, colour};
        for (; count >= 4; count -= 4, pixel += 4) std::memcpy(pixel, &four, sizeof four);
    }
    for (; count > 0; --count) *pixel++ = colour;
}

}  // namespace

tCanvas::tCanvas(int width, int height, std::shared_ptr<tFontLibrary> fonts)
    : m_fonts(std::move(fonts)) {
    SetSize(width, height);
}

void tCanvas::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative picture size");
    // The rows that stay keep their colour; what lies below them goes.
    Materialise(std::min(height, m_height));
    m_pixels.resize(size_t(m_readyRows) * size_t(m_width));
    if (width == m_width) {
        // The rows keep their place: the buffer (and its capacity, so that a
        // picture drawn again at the same width allocates nothing) stays.
        m_pixels.resize(size_t(width) * size_t(height), 0);
        m_height = height;
        m_readyRows = height;
        ClearClipRect();
        return;
    }
    std::vector<tColour> pixels(size_t(width) * size_t(height), 0);
    int keepWidth = std::min(width, m_width);
    int keepHeight = std::min(height, m_height);
    for (int y = 0; y < keepHeight; ++y) {
        std::copy_n(m_pixels.begin() + ptrdiff_t(y) * m_width, keepWidth,
                    pixels.begin() + ptrdiff_t(y) * width);
    }
    m_pixels = std::move(pixels);
    m_width = width;
    m_height = height;
    m_readyRows = height;
    ClearClipRect();
}

void tCanvas::Reset(int width, int height, tColour background) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative picture size");
    // The pixels stay where they are until their rows are painted: a picture
    // drawn again at its size writes each pixel once and allocates nothing.
    m_readyRows = 0;
    m_background = background & 0xFFFFFF;
    m_width = width;
    m_height = height;
    ClearClipRect();
}

void tCanvas::Materialise(int end) const {
    end = std::min(end, m_height);
    if (end <= m_readyRows) return;
    const size_t from = size_t(m_readyRows) * size_t(m_width);
    const size_t to = size_t(end) * size_t(m_width);
    if (m_pixels.size() < to) m_pixels.resize(to);
    FillPixels(m_pixels.data() + from, ptrdiff_t(to - from), m_background);
    m_readyRows = end;
}

const std::vector<tColour>& tCanvas::Pixels() const {
    Materialise(m_height);
    m_pixels.resize(size_t(m_width) * size_t(m_height));  // what an earlier picture left
    return m_pixels;
}

tFontLibrary& tCanvas::Fonts() {
    return *SharedFonts();
}

std::shared_ptr<tFontLibrary> tCanvas::SharedFonts() {
    if (!m_fonts) m_fonts = std::make_shared<tFontLibrary>();
    return m_fonts;
}

void tCanvas::SetClipRect(const tRect& clip) {
    m_clip = Intersect(Normalised(clip.left, clip.top, clip.right, clip.bottom),
                       {0, 0, m_width, m_height});
}

void tCanvas::ClearClipRect() {
    m_clip = {0, 0, m_width, m_height};
}

bool tCanvas::Visible(int x, int y) const {
    return x >= m_clip.left && x < m_clip.right && y >= m_clip.top && y < m_clip.bottom;
}

tColour tCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    if (y >= m_readyRows) return m_background;
    return m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
}

void tCanvas::SetPixel(int x, int y, tColour colour) {
    Plot(x, y, colour);
}

void tCanvas::Plot(int x, int y, tColour colour) {
    if (!Visible(x, y)) return;
    Reach(y + 1);
    m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = colour & 0xFFFFFF;
}

void tCanvas::FillSpan(int y, int x1, int x2, tColour colour) {
    if (y < m_clip.top || y >= m_clip.bottom) return;
    x1 = std::max(x1, m_clip.left);
    x2 = std::min(x2, m_clip.right);
    if (x1 >= x2) return;
    Reach(y + 1);
    FillPixels(m_pixels.data() + ptrdiff_t(y) * m_width + x1, x2 - x1, colour & 0xFFFFFF);
}

void tCanvas::FillClipped(const tRect& area, tColour colour) {
    const int width = area.right - area.left;
    if (width <= 0 || area.bottom <= area.top) return;
    colour &= 0xFFFFFF;
    Reach(area.bottom);
    tColour* row = m_pixels.data() + ptrdiff_t(area.top) * m_width + area.left;
    const tColour* const end = row + ptrdiff_t(area.bottom - area.top) * m_width;
    if (width == 1) {
        // A column (the bars of a long span are mostly one pixel wide).
        for (; row != end; row += m_width) *row = colour;
        return;
    }
    for (; row != end; row += m_width) FillPixels(row, width, colour);
}

void tCanvas::FillRect(const tRect& rect) {
    FillClipped(Intersect(Normalised(rect.left, rect.top, rect.right, rect.bottom), m_clip),
                m_brush.colour);
}

// A pen wider than one pixel paints a round nib centred on each point: the
// pixels whose centres lie within half the pen width of the point's cell
// centre. Each row of the disc is one run of columns, worked out once per
// pen width.
const std::vector<tCanvas::tNibRow>& tCanvas::NibRows() {
    const int width = std::max(1, m_pen.width);
    if (width == m_nibWidth) return m_nibRows;
    m_nibRows.clear();
    const double radius = width / 2.0;
    const int first = -(width - 1) / 2;
    for (int dy = first; dy < first + width; ++dy) {
        tNibRow row{dy, 0, -1};
        bool found = false;
        for (int dx = first; dx < first + width; ++dx) {
            const double cx = dx - first + 0.5 - radius;
            const double cy = dy - first + 0.5 - radius;
            if (cx * cx + cy * cy <= radius * radius) {
                if (!found) row.first = dx;
                row.last = dx;
                found = true;
            }
        }
        if (found) m_nibRows.push_back(row);
    }
    m_nibWidth = width;
    return m_nibRows;
}

void tCanvas::Nib(int x, int y) {
    if (m_pen.width <= 1) {
        Plot(x, y, m_pen.colour);
        return;
    }
    for (const tNibRow& row : NibRows()) FillSpan(y + row.dy, x + row.first, x + row.last + 1, m_pen.colour);
}

namespace {

// The pixels of a one-pixel pen along the steps [first, last) of a
// Bresenham walk, written straight into the picture. The major coordinate of
// every step lies inside the clipping rectangle; the minor one is checked
// against [minorLow, minorHigh). `offset` is the place in `pixels` of the
// step `first`, which has the minor coordinate `across` and the error term
// `error`; it lies outside the picture while the minor coordinate does.
struct tThinWalk {
    tColour* pixels;
    ptrdiff_t offset;
    ptrdiff_t majorStride;  // offset steps per major and minor step
    ptrdiff_t minorStride;
    int64_t count;
    int64_t across;
    int minorStep;
    int minorLow;
    int minorHigh;
    int64_t error;
    int64_t twiceMajor;
    int64_t twiceMinor;
};

bool Inside(const tThinWalk& w) {
    return uint64_t(w.across - w.minorLow) < uint64_t(w.minorHigh - w.minorLow);
}

void WalkSolid(tThinWalk w, tColour ink) {
    if (w.twiceMinor == 0) {
        // A horizontal or vertical line: one run of pixels, or none.
        if (!Inside(w)) return;
        if (w.majorStride == 1 || w.majorStride == -1) {
            const ptrdiff_t start = w.majorStride > 0 ? w.offset : w.offset - (w.count - 1);
            std::fill_n(w.pixels + start, w.count, ink);
        } else {
            for (int64_t i = 0; i < w.count; ++i, w.offset += w.majorStride) w.pixels[w.offset] = ink;
        }
        return;
    }
    for (int64_t i = 0; i < w.count; ++i) {
        if (Inside(w)) w.pixels[w.offset] = ink;
        if (w.error > 0) {
            w.across += w.minorStep;
            w.offset += w.minorStride;
            w.error -= w.twiceMajor;
        }
        w.error += w.twiceMinor;
        w.offset += w.majorStride;
    }
}

// Three pixels on, three off from `step` on; the gaps take `gap` when
// `gapsFilled`.
void WalkDotted(tThinWalk w, tColour ink, tColour gap, bool gapsFilled, int step) {
    for (int64_t i = 0; i < w.count; ++i) {
        if (Inside(w)) {
            if (step < kDotLength) {
                w.pixels[w.offset] = ink;
            } else if (gapsFilled) {
                w.pixels[w.offset] = gap;
            }
        }
        if (++step == 2 * kDotLength) step = 0;
        if (w.error > 0) {
            w.across += w.minorStep;
            w.offset += w.minorStride;
            w.error -= w.twiceMajor;
        }
        w.error += w.twiceMinor;
        w.offset += w.majorStride;
    }
}

}  // namespace

// Bresenham's walk as in DrawLine, from its first step, with the end point
// left out.
inline void tCanvas::DrawThinInside(tPoint from, tPoint to) {
    const int dx = std::abs(to.x - from.x);
    const int dy = std::abs(to.y - from.y);
    const bool xMajor = dx >= dy;
    const int major = xMajor ? dx : dy;
    const int minor = xMajor ? dy : dx;
    if (major == 0) return;
    Reach(std::max(from.y, to.y) + 1);
    const ptrdiff_t stride = m_width;
    const ptrdiff_t stepX = to.x >= from.x ? 1 : -1;
    const ptrdiff_t stepY = to.y >= from.y ? stride : -stride;
    const ptrdiff_t majorStride = xMajor ? stepX : stepY;
    const ptrdiff_t minorStride = xMajor ? stepY : stepX;
    tColour* pixel = m_pixels.data() + ptrdiff_t(from.y) * stride + from.x;
    const tColour ink = m_pen.colour & 0xFFFFFF;
    int error = 2 * minor - major;
    for (int i = 0; i < major; ++i) {
        *pixel = ink;
        if (error > 0) {
            pixel += minorStride;
            error -= 2 * major;
        }
        error += 2 * minor;
        pixel += majorStride;
    }
}

// Bresenham's walk along the major axis from `from` towards `to`; the end
// point itself is drawn only for a wide pen, whose round end reaches it. Only
// the steps whose major coordinate can reach the clipping rectangle are
// walked: the error term of any step follows in closed form, so a line from
// far outside costs no more than one across the picture, and the dotted
// pattern keeps its phase.
void tCanvas::DrawLine(tPoint from, tPoint to, tLineState& state, bool includeEnd) {
    if (m_pen.style == tPenStyle::Clear) return;
    if (m_pen.style == tPenStyle::Solid && m_pen.width <= 1 && Visible(from.x, from.y) &&
        Visible(to.x, to.y)) {
        // The common case of the series lines: a thin solid line between two
        // points inside the clip, so every pixel of it is inside too.
        DrawThinInside(from, to);
        const int steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
        state.patternStep = (state.patternStep + steps) % (2 * kDotLength);
        return;
    }
    const int64_t dx = std::abs(int64_t(to.x) - from.x);
    const int64_t dy = std::abs(int64_t(to.y) - from.y);
    const int64_t steps = std::max(dx, dy);
    const bool xMajor = dx >= dy;
    const int64_t major = xMajor ? dx : dy;
    const int64_t minor = xMajor ? dy : dx;
    const int64_t majorStart = xMajor ? from.x : from.y;
    const int64_t minorStart = xMajor ? from.y : from.x;
    const int64_t majorStep = (xMajor ? to.x >= from.x : to.y >= from.y) ? 1 : -1;
    const int64_t minorStep = (xMajor ? to.y >= from.y : to.x >= from.x) ? 1 : -1;
    const bool thin = m_pen.width <= 1;
    // A wide nib reaches beyond its point; a thin pen's pixel is the point.
    const int margin = thin ? 0 : m_pen.width;
    const int64_t low = (xMajor ? m_clip.left : m_clip.top) - margin;
    const int64_t high = (xMajor ? m_clip.right : m_clip.bottom) + margin;

    // The steps i in [first, last) whose major coordinate lies in [low, high).
    int64_t first = 0;
    int64_t last = steps;
    if (majorStep > 0) {
        first = std::max<int64_t>(first, low - majorStart);
        last = std::min<int64_t>(last, high - majorStart);
    } else {
        first = std::max<int64_t>(first, majorStart - high + 1);
        last = std::min<int64_t>(last, majorStart - low + 1);
    }
    const bool gapsFilled = m_brush.style == tBrushStyle::Solid;
    if (first < last) {
        // After i steps the minor axis has moved k = ceil((2 minor i - major) / (2 major))
        // times and the error term is 2 minor (i + 1) - major - 2 major k.
        // Coordinates span 2^32, so the products need more than 64 bits; a
        // walk from its start has k = 0.
        int64_t moved = 0;
        int64_t error = 2 * minor - major;
        if (first > 0) {
            __extension__ using tWide = __int128;
            tWide numerator = tWide(2) * minor * first - major;
            tWide denominator = tWide(2) * major;
            tWide wideMoved = numerator >= 0 ? (numerator + denominator - 1) / denominator
                                             : -(-numerator / denominator);
            error = int64_t(tWide(2) * minor * (first + 1) - major - denominator * wideMoved);
            moved = int64_t(wideMoved);
        }
        int64_t along = majorStart + majorStep * first;
        int64_t across = minorStart + minorStep * moved;
        int step = int((state.patternStep + first) % (2 * kDotLength));
        if (thin) {
            // Every coordinate walked lies between the end points, so within int.
            const int x = int(xMajor ? along : across);
            const int y = int(xMajor ? across : along);
            const ptrdiff_t stride = m_width;
            tThinWalk walk{};
            walk.majorStride = xMajor ? majorStep : majorStep * stride;
            walk.minorStride = xMajor ? minorStep * stride : minorStep;
            walk.count = last - first;
            walk.across = across;
            walk.minorStep = int(minorStep);
            walk.minorLow = xMajor ? m_clip.top : m_clip.left;
            walk.minorHigh = xMajor ? m_clip.bottom : m_clip.right;
            walk.error = error;
            walk.twiceMajor = 2 * major;
            walk.twiceMinor = 2 * minor;
            // The rows walked lie between the end points.
            Reach(int(std::min<int64_t>(int64_t(std::max(from.y, to.y)) + 1, m_clip.bottom)));
            walk.pixels = m_pixels.data();
            walk.offset = ptrdiff_t(y) * stride + x;
            const tColour ink = m_pen.colour & 0xFFFFFF;
            if (m_pen.style == tPenStyle::Solid) {
                WalkSolid(walk, ink);
            } else {
                WalkDotted(walk, ink, m_brush.colour & 0xFFFFFF, gapsFilled, step);
            }
            state.patternStep = int((state.patternStep + steps) % (2 * kDotLength));
            return;
        }
        for (int64_t i = first; i < last; ++i) {
            int x = int(xMajor ? along : across);
            int y = int(xMajor ? across : along);
            bool on = m_pen.style == tPenStyle::Solid || (step / kDotLength) % 2 == 0;
            if (on) {
                Nib(x, y);
            } else if (gapsFilled) {
                Plot(x, y, m_brush.colour);
            }
            step = (step + 1) % (2 * kDotLength);
            if (error > 0) {
                across += minorStep;
                error -= 2 * major;
            }
            error += 2 * minor;
            along += majorStep;
        }
    }
    state.patternStep = int((state.patternStep + steps) % (2 * kDotLength));
    if (includeEnd && m_pen.width > 1) Nib(to.x, to.y);
}

void tCanvas::DrawPath(std::span<const tPoint> points, bool closed) {
    if (points.size() < 2 && !closed) return;
    tLineState state;
    if (m_pen.style == tPenStyle::Solid && m_pen.width <= 1) {
        // A solid pen has no pattern to carry on, so the lines between points
        // inside the clip are walked straight away.
        for (size_t i = 0; i + 1 < points.size(); ++i) {
            const tPoint from = points[i];
            const tPoint to = points[i + 1];
            if (Visible(from.x, from.y) && Visible(to.x, to.y)) {
                DrawThinInside(from, to);
            } else {
                DrawLine(from, to, state, true);
            }
        }
    } else {
        for (size_t i = 0; i + 1 < points.size(); ++i)
            DrawLine(points[i], points[i + 1], state, true);
    }
    if (closed && !points.empty()) {
        if (points.size() == 1) {
            if (m_pen.style != tPenStyle::Clear) Nib(points[0].x, points[0].y);
        } else {
            DrawLine(points.back(), points.front(), state, true);
        }
    }
}

void tCanvas::MoveTo(int x, int y) {
    m_position = {x, y};
    m_lineState = {};
}

void tCanvas::LineTo(int x, int y) {
    DrawLine(m_position, {x, y}, m_lineState, true);
    m_position = {x, y};
}

void tCanvas::Polyline(std::span<const tPoint> points) {
    DrawPath(points, false);
}

void tCanvas::Rectangle(int x1, int y1, int x2, int y2) {
    tRect r = Normalised(x1, y1, x2, y2);
    if (m_pen.style == tPenStyle::Clear) {
        if (m_brush.style == tBrushStyle::Solid)
            FillRect({r.left, r.top, r.right - 1, r.bottom - 1});
        return;
    }
    if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
    if (m_pen.style == tPenStyle::Solid && m_pen.width <= 1) {
        // A thin solid outline is the rectangle's border ring: four runs of
        // pixels, and the whole rectangle when the inside has the pen colour.
        const tColour ink = m_pen.colour & 0xFFFFFF;
        const bool filled = m_brush.style == tBrushStyle::Solid;
        if (filled && (m_brush.colour & 0xFFFFFF) == ink) {
            FillClipped(Intersect(r, m_clip), ink);
            return;
        }
        if (filled) {
            FillClipped(Intersect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, m_clip),
                        m_brush.colour);
        }
        FillClipped(Intersect({r.left, r.top, r.right, r.top + 1}, m_clip), ink);
        if (r.bottom - r.top > 1)
            FillClipped(Intersect({r.left, r.bottom - 1, r.right, r.bottom}, m_clip), ink);
        FillClipped(Intersect({r.left, r.top + 1, r.left + 1, r.bottom - 1}, m_clip), ink);
        if (r.right - r.left > 1)
            FillClipped(Intersect({r.right - 1, r.top + 1, r.right, r.bottom - 1}, m_clip), ink);
        return;
    }
    if (m_brush.style == tBrushStyle::Solid) {
        FillRect({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
    }
    const tPoint outline[] = {
        {r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
    if (r.right - r.left == 1 || r.bottom - r.top == 1) {
        // A rectangle one pixel wide or high is a single line of pen pixels.
        tLineState state;
        DrawLine(outline[0], outline[2], state, false);
        Nib(outline[2].x, outline[2].y);
        return;
    }
    DrawPath(outline, true);
}

void tCanvas::RoundRect(int x1, int y1, int x2, int y2, int cornerWidth, int cornerHeight) {
    tRect r = Normalised(x1, y1, x2, y2);
    bool outlined = m_pen.style != tPenStyle::Clear;
    if (!outlined) {
        --r.right;
        --r.bottom;
    }
    if (r.right <= r.left || r.bottom <= r.top) return;
    double rx = std::min(std::abs(cornerWidth), r.right - r.left) / 2.0;
    double ry = std::min(std::abs(cornerHeight), r.bottom - r.top) / 2.0;
    // A pixel belongs to the shape when its centre lies inside the rectangle
    // with the corners cut along the quarter ellipses.
    auto inside = [&](int px, int py) {
        if (px < r.left || px >= r.right || py < r.top || py >= r.bottom) return false;
        if (rx <= 0 || ry <= 0) return true;
        double fx = px + 0.5;
        double fy = py + 0.5;
        double cx = fx < r.left + rx ? r.left + rx : fx > r.right - rx ? r.right - rx : fx;
        double cy = fy < r.top + ry ? r.top + ry : fy > r.bottom - ry ? r.bottom - ry : fy;
        double ex = (fx - cx) / rx;
        double ey = (fy - cy) / ry;
        return ex * ex + ey * ey <= 1.0 + 1e-9;
    };
    const tRect visible = Intersect(r, m_clip);
    for (int py = visible.top; py < visible.bottom; ++py) {
        for (int px = visible.left; px < visible.right; ++px) {
            if (!inside(px, py)) continue;
            bool edge = !inside(px - 1, py) || !inside(px + 1, py) || !inside(px, py - 1) ||
                        !inside(px, py + 1);
            if (edge && outlined) {
                Plot(px, py, m_pen.colour);
            } else if (m_brush.style == tBrushStyle::Solid) {
                Plot(px, py, m_brush.colour);
            }
        }
    }
}

void tCanvas::Polygon(std::span<const tPoint> points) {
    if (points.empty()) return;
    if (m_brush.style == tBrushStyle::Solid && points.size() >= 3) {
        auto [lowest, highest] = std::minmax_element(points.begin(), points.end(),
                                                     [](tPoint a, tPoint b) { return a.y < b.y; });
        std::vector<double>& crossings = m_crossings;
        for (int y = std::max(lowest->y, m_clip.top); y < std::min(highest->y, m_clip.bottom);
             ++y) {
            double centre = y + 0.5;
            crossings.clear();
            for (size_t i = 0; i < points.size(); ++i) {
                tPoint a = points[i];
                tPoint b = points[(i + 1) % points.size()];
                if (a.y == b.y) continue;
                if ((centre >= a.y && centre < b.y) || (centre >= b.y && centre < a.y)) {
                    crossings.push_back(a.x + (centre - a.y) * (b.x - a.x) / double(b.y - a.y));
                }
            }
            std::sort(crossings.begin(), crossings.end());
            // Pixels whose centres lie between a pair of crossings are inside.
            for (size_t i = 0; i + 1 < crossings.size(); i += 2) {
                int first = int(std::ceil(crossings[i] - 0.5));
                int last = int(std::ceil(crossings[i + 1] - 0.5));
                FillSpan(y, first, last, m_brush.colour);
            }
        }
    }
    DrawPath(points, true);
}

// The sized face of the current font, looked up again only when the font
// has changed since the last text.
tSizedFont& tCanvas::SizedFont() {
    if (m_sizedFont == nullptr || m_font.height != m_sizedFor.height ||
        m_font.bold != m_sizedFor.bold || m_font.quality != m_sizedFor.quality ||
        m_font.name != m_sizedFor.name) {
        m_sizedFont = &Fonts().Get(m_font);
        m_sizedFor = m_font;
    }
    return *m_sizedFont;
}

void tCanvas::DrawText(int x, int y, std::string_view text, const tRect& clip) {
    tSizedFont& font = SizedFont();
    DecodeUtf8(text, m_codePoints);
    const std::u32string& codePoints = m_codePoints;
    tRect saved = m_clip;
    m_clip = Intersect(m_clip, clip);
    if (m_brush.style == tBrushStyle::Solid) {
        FillRect({x, y, x + font.TextWidth(codePoints), y + font.Height()});
    }
    int penX = x;
    int baseline = y + font.Ascent();
    tColour colour = m_font.colour & 0xFFFFFF;
    for (char32_t codePoint : codePoints) {
        const tGlyph& glyph = font.Glyph(codePoint);
        // The glyph's rows and columns inside the clip, found once per glyph.
        const int left = penX + glyph.left;
        const int top = baseline - glyph.top;
        const int firstColumn = std::max(0, m_clip.left - left);
        const int endColumn = std::min(glyph.width, m_clip.right - left);
        const int firstRow = std::max(0, m_clip.top - top);
        const int endRow = std::min(glyph.rows, m_clip.bottom - top);
        Reach(top + endRow);
        for (int row = firstRow; row < endRow; ++row) {
            const uint8_t* coverageRow = glyph.coverage.data() + size_t(row) * size_t(glyph.width);
            tColour* pixelRow = m_pixels.data() + ptrdiff_t(top + row) * m_width + left;
            for (int column = firstColumn; column < endColumn; ++column) {
                unsigned coverage = coverageRow[column];
                if (coverage == 0) continue;
                tColour& pixel = pixelRow[column];
                if (coverage == 255) {
                    pixel = colour;
                } else {
                    pixel = MakeColour(Blend(RedOf(colour), RedOf(pixel), coverage),
                                       Blend(GreenOf(colour), GreenOf(pixel), coverage),
                                       Blend(BlueOf(colour), BlueOf(pixel), coverage));
                }
            }
        }
        penX += glyph.advance;
    }
    m_clip = saved;
}

void tCanvas::TextOut(int x, int y, std::string_view text) {
    DrawText(x, y, text, {0, 0, m_width, m_height});
}

void tCanvas::TextRect(const tRect& clip, int x, int y, std::string_view text) {
    tRect area = Normalised(clip.left, clip.top, clip.right, clip.bottom);
    if (m_brush.style == tBrushStyle::Solid) {
        tRect saved = m_clip;
        m_clip = Intersect(m_clip, area);
        FillRect(area);
        m_clip = saved;
    }
    DrawText(x, y, text, area);
}

void tCanvas::TextOutRight(int right, int y, std::string_view text) {
    TextOut(right - TextWidth(text), y, text);
}

int tCanvas::TextWidth(std::string_view text) {
    tSizedFont& font = SizedFont();
    DecodeUtf8(text, m_codePoints);
    return font.TextWidth(m_codePoints);
}

int tCanvas::TextHeight(std::string_view /*text*/) {
    return SizedFont().Height();
}

void tCanvas::Draw(int x, int y, const tCanvas& source) {
    const tRect area = Intersect({x, y, x + source.Width(), y + source.Height()}, m_clip);
    const std::vector<tColour>& pixels = source.Pixels();
    Reach(area.bottom);
    for (int row = area.top; row < area.bottom; ++row) {
        const tColour* from = pixels.data() + ptrdiff_t(row - y) * source.m_width;
        tColour* to = m_pixels.data() + ptrdiff_t(row) * m_width;
        for (int column = area.left; column < area.right; ++column) {
            to[column] = from[column - x] & 0xFFFFFF;
        }
    }
}

void tCanvas::BeginStandingBars(int bottom) {
    m_bars.clear();
    m_barsBottom = bottom;
}

void tCanvas::StandingBar(int left, int top, int right, tColour colour) {
    if (top >= m_barsBottom || left == right) return;
    m_bars.push_back({std::min(left, right), top, std::max(left, right), colour & 0xFFFFFF});
}

void tCanvas::EndStandingBars() {
    // From the last bar to the first: each paints only the rows of its
    // columns that no later bar covers, which lie above what those cover.
    const int bottom = std::min(m_barsBottom, m_clip.bottom);
    m_coveredFrom.assign(size_t(m_width), bottom);
    if (!m_bars.empty()) Reach(bottom);
    for (auto bar = m_bars.rbegin(); bar != m_bars.rend(); ++bar) {
        const int top = std::max(bar->top, m_clip.top);
        const int left = std::max(bar->left, m_clip.left);
        const int right = std::min(bar->right, m_clip.right);
        for (int x = left; x < right; ++x) {
            int& covered = m_coveredFrom[size_t(x)];
            if (top >= covered) continue;
            tColour* pixel = m_pixels.data() + ptrdiff_t(top) * m_width + x;
            for (int y = top; y < covered; ++y, pixel += m_width) *pixel = bar->colour;
            covered = top;
        }
    }
    m_bars.clear();
}

}  // namespace cx
