#pragma once
// Text colours that stay readable on whatever background the user chose.
#include "monitor/render/Canvas.h"

namespace cx {

struct tContrastColours {
    tColour first = 0;   // headings: the program line, the footer time
    tColour second = 0;  // the date and time line
    tColour third = 0;   // the uptime line
    tColour shadow = 0;  // drawn one pixel off beneath the first colour
};

// Colours for text on the background at (x, y): its luminance
// Y = (66 R + 129 G + 25 B + 128) >> 8 counts as dark when it lies nearer to
// 45 than to 195. Dark: yellow, white, light grey, with a black shadow;
// light: dark blue, black, dark grey, with a light grey shadow.
tContrastColours PickContrastColours(const tCanvas& canvas, int x, int y);

}  // namespace cx
