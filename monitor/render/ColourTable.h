#pragma once
// Pictures as colour tables and indices, for the palette file formats.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "monitor/render/Canvas.h"

namespace cx {

// A table of at most 256 colours in order of first appearance, with the
// position of a colour found by open addressing (no allocation per colour).
class tColourLookup {
public:
    explicit tColourLookup(size_t maxColours = 256);
    // The colour's position, the colour added at the end when it is new; -1
    // when it is new and the table is full.
    int Find(tColour colour) {
        size_t slot = Hash(colour);
        while (m_used[slot]) {
            if (m_keys[slot] == colour) return m_positions[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        return Add(slot, colour);
    }
    const std::vector<tColour>& Colours() const { return m_colours; }

private:
    static constexpr size_t kSlots = 1024;  // four times the largest table
    static size_t Hash(tColour colour) { return (colour * 0x9E3779B1u) >> 22; }
    int Add(size_t slot, tColour colour);

    size_t m_maxColours;
    std::vector<tColour> m_colours;
    std::array<tColour, kSlots> m_keys{};
    std::array<uint8_t, kSlots> m_positions{};
    std::array<bool, kSlots> m_used{};
};

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
