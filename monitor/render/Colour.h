#pragma once
// Colours as the settings store them: COLORREF numbers 0x00BBGGRR, red in the
// low byte. The pictures carry these values unchanged from settings to pixels.
#include <cstdint>

namespace cx {

using tColour = uint32_t;

constexpr tColour MakeColour(uint8_t red, uint8_t green, uint8_t blue) {
    return tColour(red) | (tColour(green) << 8) | (tColour(blue) << 16);
}
constexpr uint8_t RedOf(tColour colour) {
    return uint8_t(colour & 0xFF);
}
constexpr uint8_t GreenOf(tColour colour) {
    return uint8_t((colour >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(tColour colour) {
    return uint8_t((colour >> 16) & 0xFF);
}

// The colour halfway between two others: red, green and blue each the integer
// mean of the two (the watermark, the clock area and the network bars use it).
constexpr tColour HalfwayColour(tColour a, tColour b) {
    return MakeColour(uint8_t((RedOf(a) + RedOf(b)) / 2), uint8_t((GreenOf(a) + GreenOf(b)) / 2),
                      uint8_t((BlueOf(a) + BlueOf(b)) / 2));
}

}  // namespace cx
