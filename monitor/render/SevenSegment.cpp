#include "monitor/render/SevenSegment.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace cx {

namespace {

// Rounding as the pictures' geometry expects it: halves go to the even side.
int RoundHalfEven(double value) {
    return int(std::nearbyint(value));
}

enum tSegment { kTop, kUpperLeft, kUpperRight, kMiddle, kLowerLeft, kLowerRight, kBottom };

constexpr uint8_t Bits(std::initializer_list<int> segments) {
    uint8_t bits = 0;
    for (int segment : segments) bits = uint8_t(bits | (1 << segment));
    return bits;
}

// The lit segments of the digits 0 to 9.
constexpr std::array<uint8_t, 10> kDigits{
    Bits({kTop, kUpperLeft, kUpperRight, kLowerLeft, kLowerRight, kBottom}),
    Bits({kUpperRight, kLowerRight}),
    Bits({kTop, kUpperRight, kMiddle, kLowerLeft, kBottom}),
    Bits({kTop, kUpperRight, kMiddle, kLowerRight, kBottom}),
    Bits({kUpperLeft, kUpperRight, kMiddle, kLowerRight}),
    Bits({kTop, kUpperLeft, kMiddle, kLowerRight, kBottom}),
    Bits({kTop, kUpperLeft, kMiddle, kLowerLeft, kLowerRight, kBottom}),
    Bits({kTop, kUpperRight, kLowerRight}),
    Bits({kTop, kUpperLeft, kUpperRight, kMiddle, kLowerLeft, kLowerRight, kBottom}),
    Bits({kTop, kUpperLeft, kUpperRight, kMiddle, kLowerRight, kBottom}),
};

void Segment(tCanvas& canvas, double x1, double y1, double x2, double y2, int corner) {
    canvas.RoundRect(RoundHalfEven(x1), RoundHalfEven(y1), RoundHalfEven(x2), RoundHalfEven(y2),
                     corner, corner);
}

}  // namespace

void DrawSevenSegment(tCanvas& canvas, tColour colour, double value, double gap, double thickness,
                      double length, double y, double rightX) {
    canvas.Pen().colour = colour;
    canvas.Brush() = {colour, tBrushStyle::Solid};
    // Beyond 18 digits a double no longer holds whole numbers exactly.
    if (std::isfinite(value) && std::fabs(value) < 1e18) {
        const double c = thickness;
        const double d = length;
        const int corner = RoundHalfEven(2 * c);
        const int advance = RoundHalfEven(2 * c + d + 2 + gap);
        auto number = uint64_t(std::nearbyint(std::fabs(value)));
        double r = rightX;
        do {
            uint8_t lit = kDigits[number % 10];
            auto on = [lit](tSegment segment) { return (lit & (1 << segment)) != 0; };
            if (on(kTop)) Segment(canvas, r - c - 1, y, r - c - 1 - d, y + 2 * c + 1, corner);
            if (on(kUpperLeft))
                Segment(canvas, r - d - 1, y + c + 1, r - d - 2 * c - 2, y + c + 1 + d, corner);
            if (on(kUpperRight))
                Segment(canvas, r, y + c + 1, r - 2 * c - 1, y + c + 1 + d, corner);
            if (on(kMiddle))
                Segment(canvas, r - c - 1, y + d + 1, r - c - 1 - d, y + d + 2 * c + 2, corner);
            if (on(kLowerLeft))
                Segment(canvas, r - d - 1, y + d + c + 2, r - d - 2 * c - 2, y + c + 2 + 2 * d,
                        corner);
            if (on(kLowerRight))
                Segment(canvas, r, y + d + c + 2, r - 2 * c - 1, y + c + 2 + 2 * d, corner);
            if (on(kBottom))
                Segment(canvas, r - c - 1, y + 2 * d + 2, r - c - 1 - d, y + 2 * d + 2 * c + 3,
                        corner);
            number /= 10;
            r -= advance;
        } while (number > 0);
        if (value < 0) {
            // r already stands one digit advance left of the last digit drawn.
            double p = r - 1;
            Segment(canvas, p, y + d + 1, p - d, y + d + 2 * c + 2, corner);
        }
    }
    canvas.Brush().style = tBrushStyle::Clear;
}

}  // namespace cx
