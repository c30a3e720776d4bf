#pragma once
// Pictures as colour tables and indices, for the palette file formats.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/render/Canvas.h"

namespace cx {

struct tIndexedPicture {
    std::vector<tColour> palette;  // at most the number of colours asked for
    std::vector<uint8_t> indices;  // one per pixel, row by row
    bool exact = true;             // every pixel kept its colour
};

// The picture with a table of its own colours, in order of first appearance,
// when it has no more than `maxColours` (at most 256) of them.
bool ExactColourTable(const tCanvas& canvas, size_t maxColours, tIndexedPicture& result);

// The picture reduced to at most `maxColours` (at most 256) colours: its own
// colours when they fit, otherwise a median-cut table of the colours it uses,
// each pixel taking the nearest entry (no dithering, so flat areas stay flat).
tIndexedPicture ReduceColours(const tCanvas& canvas, size_t maxColours = 256);

}  // namespace cx
