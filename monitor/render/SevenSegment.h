#pragma once
// Numbers drawn as seven-segment digits, the large figures of the light and
// the clock watermark of the charts.
#include "monitor/render/Canvas.h"

namespace cx {

// Draws Round(|value|) (half to even) with its last digit's right edge at
// `rightX` and its top at `y`: each lit segment is a rounded rectangle
// `thickness` thick and `length` long, digits `gap` apart. A negative value
// gets a minus bar one digit further left. Pen and brush take `colour`; the
// brush is left clear. A value that is not finite draws nothing.
void DrawSevenSegment(tCanvas& canvas, tColour colour, double value, double gap, double thickness,
                      double length, double y, double rightX);

}  // namespace cx
