#include "monitor/render/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
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

}  // namespace

tCanvas::tCanvas(int width, int height, std::shared_ptr<tFontLibrary> fonts)
    : m_fonts(std::move(fonts)) {
    SetSize(width, height);
}

void tCanvas::SetSize(int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative picture size");
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
    ClearClipRect();
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
    return m_pixels[size_t(y) * size_t(m_width) + size_t(x)];
}

void tCanvas::SetPixel(int x, int y, tColour colour) {
    Plot(x, y, colour);
}

void tCanvas::Plot(int x, int y, tColour colour) {
    if (Visible(x, y)) m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = colour & 0xFFFFFF;
}

void tCanvas::FillSpan(int y, int x1, int x2, tColour colour) {
    if (y < m_clip.top || y >= m_clip.bottom) return;
    x1 = std::max(x1, m_clip.left);
    x2 = std::min(x2, m_clip.right);
    if (x1 >= x2) return;
    std::fill(m_pixels.begin() + ptrdiff_t(y) * m_width + x1,
              m_pixels.begin() + ptrdiff_t(y) * m_width + x2, colour & 0xFFFFFF);
}

void tCanvas::FillRect(const tRect& rect) {
    tRect r = Intersect(Normalised(rect.left, rect.top, rect.right, rect.bottom), m_clip);
    for (int y = r.top; y < r.bottom; ++y) FillSpan(y, r.left, r.right, m_brush.colour);
}

// A pen wider than one pixel paints a round nib centred on each point.
void tCanvas::Nib(int x, int y) {
    int width = std::max(1, m_pen.width);
    if (width == 1) {
        Plot(x, y, m_pen.colour);
        return;
    }
    double radius = width / 2.0;
    int first = -(width - 1) / 2;
    for (int dy = first; dy < first + width; ++dy) {
        for (int dx = first; dx < first + width; ++dx) {
            double cx = dx - first + 0.5 - radius;
            double cy = dy - first + 0.5 - radius;
            if (cx * cx + cy * cy <= radius * radius) Plot(x + dx, y + dy, m_pen.colour);
        }
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
    const int margin = std::max(1, m_pen.width);  // a wide nib reaches beyond its point
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
        // Coordinates span 2^32, so the products need more than 64 bits.
        __extension__ using tWide = __int128;
        tWide numerator = tWide(2) * minor * first - major;
        tWide denominator = tWide(2) * major;
        tWide moved = numerator >= 0 ? (numerator + denominator - 1) / denominator
                                     : -(-numerator / denominator);
        auto error = int64_t(tWide(2) * minor * (first + 1) - major - denominator * moved);
        int64_t along = majorStart + majorStep * first;
        int64_t across = minorStart + minorStep * int64_t(moved);
        int step = int((state.patternStep + first) % (2 * kDotLength));
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
    for (size_t i = 0; i + 1 < points.size(); ++i) DrawLine(points[i], points[i + 1], state, true);
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
        std::vector<double> crossings;
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

void tCanvas::DrawText(int x, int y, std::string_view text, const tRect& clip) {
    tSizedFont& font = Fonts().Get(m_font);
    std::u32string codePoints = DecodeUtf8(text);
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
        for (int row = 0; row < glyph.rows; ++row) {
            int py = baseline - glyph.top + row;
            for (int column = 0; column < glyph.width; ++column) {
                unsigned coverage =
                    glyph.coverage[size_t(row) * size_t(glyph.width) + size_t(column)];
                if (coverage == 0) continue;
                int px = penX + glyph.left + column;
                if (!Visible(px, py)) continue;
                tColour& pixel = m_pixels[size_t(py) * size_t(m_width) + size_t(px)];
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
    return Fonts().Get(m_font).TextWidth(DecodeUtf8(text));
}

int tCanvas::TextHeight(std::string_view /*text*/) {
    return Fonts().Get(m_font).Height();
}

void tCanvas::Draw(int x, int y, const tCanvas& source) {
    for (int row = 0; row < source.Height(); ++row) {
        for (int column = 0; column < source.Width(); ++column) {
            Plot(x + column, y + row, source.Pixel(column, row));
        }
    }
}

}  // namespace cx
