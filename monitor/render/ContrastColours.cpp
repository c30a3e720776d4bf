#include "monitor/render/ContrastColours.h"

#include <cstdlib>

namespace cx {

tContrastColours PickContrastColours(const tCanvas& canvas, int x, int y) {
    tColour background = canvas.Pixel(x, y);
    int luminance =
        (66 * RedOf(background) + 129 * GreenOf(background) + 25 * BlueOf(background) + 128) >> 8;
    if (std::abs(luminance - 45) < std::abs(luminance - 195)) {
        return {MakeColour(255, 255, 0), MakeColour(255, 255, 255), MakeColour(224, 224, 224),
                MakeColour(0, 0, 0)};
    }
    return {MakeColour(0, 64, 128), MakeColour(0, 0, 0), MakeColour(64, 64, 64),
            MakeColour(224, 224, 224)};
}

}  // namespace cx
