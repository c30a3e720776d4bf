#include "monitor/render/ColourTable.h"

#include <algorithm>
#include <array>
#include <limits>
#include <stdexcept>
#include <unordered_map>

namespace cx {

namespace {

struct tColourCount {
    tColour colour;
    uint64_t count;
};

int Channel(tColour colour, int channel) {
    return int((colour >> (8 * channel)) & 0xFF);
}

// A box of the median cut: a range of the colour list.
struct tBox {
    size_t begin;
    size_t end;
    int widestChannel = 0;
    int width = 0;
};

void Measure(const std::vector<tColourCount>& colours, tBox& box) {
    std::array<int, 3> low{255, 255, 255};
    std::array<int, 3> high{0, 0, 0};
    for (size_t i = box.begin; i < box.end; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[size_t(c)] = std::min(low[size_t(c)], Channel(colours[i].colour, c));
            high[size_t(c)] = std::max(high[size_t(c)], Channel(colours[i].colour, c));
        }
    }
    box.width = -1;
    for (int c = 0; c < 3; ++c) {
        if (high[size_t(c)] - low[size_t(c)] > box.width) {
            box.width = high[size_t(c)] - low[size_t(c)];
            box.widestChannel = c;
        }
    }
}

std::vector<tColour> MedianCut(std::vector<tColourCount> colours, size_t maxColours) {
    std::vector<tBox> boxes{{0, colours.size()}};
    Measure(colours, boxes[0]);
    while (boxes.size() < maxColours) {
        // Split the box with the widest spread that still holds two colours.
        auto widest = boxes.end();
        for (auto box = boxes.begin(); box != boxes.end(); ++box) {
            if (box->end - box->begin >= 2 && (widest == boxes.end() || box->width > widest->width))
                widest = box;
        }
        if (widest == boxes.end()) break;
        tBox box = *widest;
        int channel = box.widestChannel;
        std::sort(colours.begin() + ptrdiff_t(box.begin), colours.begin() + ptrdiff_t(box.end),
                  [channel](const tColourCount& a, const tColourCount& b) {
                      return Channel(a.colour, channel) < Channel(b.colour, channel);
                  });
        uint64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += colours[i].count;
        // Cut at the pixel-weighted median, leaving at least one colour each side.
        uint64_t running = 0;
        size_t cut = box.begin + 1;
        for (size_t i = box.begin; i + 1 < box.end; ++i) {
            running += colours[i].count;
            cut = i + 1;
            if (running * 2 >= total) break;
        }
        tBox lower{box.begin, cut};
        tBox upper{cut, box.end};
        Measure(colours, lower);
        Measure(colours, upper);
        *widest = lower;
        boxes.push_back(upper);
    }
    std::vector<tColour> palette;
    for (const tBox& box : boxes) {
        std::array<uint64_t, 3> sum{};
        uint64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int c = 0; c < 3; ++c)
                sum[size_t(c)] += uint64_t(Channel(colours[i].colour, c)) * colours[i].count;
            total += colours[i].count;
        }
        palette.push_back(MakeColour(uint8_t((sum[0] + total / 2) / total),
                                     uint8_t((sum[1] + total / 2) / total),
                                     uint8_t((sum[2] + total / 2) / total)));
    }
    return palette;
}

uint8_t Nearest(const std::vector<tColour>& palette, tColour colour) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < palette.size(); ++i) {
        int distance = 0;
        for (int c = 0; c < 3; ++c) {
            int d = Channel(palette[i], c) - Channel(colour, c);
            distance += d * d;
        }
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return uint8_t(best);
}

}  // namespace

tColourLookup::tColourLookup(size_t maxColours) : m_maxColours(maxColours) {
    if (maxColours == 0 || maxColours > 256) throw std::invalid_argument("colour table size");
    m_colours.reserve(maxColours);
}

int tColourLookup::Add(size_t slot, tColour colour) {
    if (m_colours.size() == m_maxColours) return -1;
    const auto position = uint8_t(m_colours.size());
    m_used[slot] = true;
    m_keys[slot] = colour;
    m_positions[slot] = position;
    m_colours.push_back(colour);
    return position;
}

bool ExactColourTable(const tCanvas& canvas, size_t maxColours, tIndexedPicture& result) {
    if (maxColours == 0 || maxColours > 256) throw std::invalid_argument("colour table size");
    result = {};
    result.indices.resize(canvas.Pixels().size());
    tColourLookup lookup(maxColours);
    tColour last = 0;
    int lastIndex = -1;
    uint8_t* index = result.indices.data();
    for (tColour colour : canvas.Pixels()) {
        // Neighbouring pixels mostly share a colour; skip the table for them.
        if (lastIndex < 0 || colour != last) {
            lastIndex = lookup.Find(colour);
            if (lastIndex < 0) {
                result.indices.clear();
                return false;
            }
            last = colour;
        }
        *index++ = uint8_t(lastIndex);
    }
    result.palette = lookup.Colours();
    result.exact = true;
    return true;
}

tIndexedPicture ReduceColours(const tCanvas& canvas, size_t maxColours) {
    tIndexedPicture result;
    if (ExactColourTable(canvas, maxColours, result)) return result;

    std::unordered_map<tColour, uint64_t> histogram;
    for (tColour colour : canvas.Pixels()) ++histogram[colour];
    std::vector<tColourCount> colours;
    colours.reserve(histogram.size());
    for (const auto& [colour, count] : histogram) colours.push_back({colour, count});
    std::sort(colours.begin(), colours.end(),
              [](const tColourCount& a, const tColourCount& b) { return a.colour < b.colour; });

    result.palette = MedianCut(std::move(colours), maxColours);
    result.exact = false;
    result.indices.resize(canvas.Pixels().size());
    std::unordered_map<tColour, uint8_t> mapped;
    size_t i = 0;
    for (tColour colour : canvas.Pixels()) {
        auto [entry, added] = mapped.try_emplace(colour, uint8_t(0));
        if (added) entry->second = Nearest(result.palette, colour);
        result.indices[i++] = entry->second;
    }
    return result;
}

}  // namespace cx
