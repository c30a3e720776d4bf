#pragma once
// The hover hint over the statistics chart and the double click that opens
// the options on the page of the section under the cursor.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "monitor/core/HistoryLog.h"
#include "monitor/core/StatsView.h"
#include "platform/Locale.h"
#include "readings/ReadingSet.h"
#include "settings/EventLog.h"
#include "settings/Messages.h"
#include "settings/Settings.h"

namespace cx {

// The vertical bands of the chart's sections, in the order the hover looks
// them up.
enum tHoverBandIndex {
    kBandTemperatures = 0,
    kBandVoltages = 1,
    kBandFans = 2,
    kBandMemory = 3,
    kBandNetwork = 4,
    kBandBattery = 5,
    kBandDisks = 6,
    kBandBelowSections = 7,
    kBandCPU = 8,
    kBandCount = 9,
};

struct tHoverBand {
    int top = 0;
    int bottom = 0;
};

// One series the chart drew: its slot (0-based) and its name with the
// placeholders expanded.
struct tHintSlot {
    int slot = 0;
    std::string name;
};

// What the chart publishes each time it draws, for the hover and the double
// click to find what lies under the cursor.
struct tHoverData {
    TDateTime endTime = 0;  // UTC time at the chart's right edge
    double pixelsPerHour = 0;
    double halfPixelHours = 0;  // span / (2 * (StatsWidth - 50))
    std::array<tHoverBand, kBandCount> bands{};
    // The series shown in the chart, per section.
    std::vector<tHintSlot> temperatures, voltages, fans, cpus, networks;
};

// The first band (in index order) with top < y < bottom.
std::optional<int> BandAt(const tHoverData& hover, int y);

// Whether x lies in the chart's plot area, where hints and double clicks count.
bool InPlotArea(int x, int statsWidth);

// The time (UTC) under x.
TDateTime TimeAt(const tHoverData& hover, int x, int statsWidth);

// Everything a hint text is built from.
struct tHintInput {
    const tSettings& settings;
    const tMessages& messages;
    const tLocaleFormats& locale;
    const tReadingSet& rs;        // totals and the highest clock
    const tTimeZoneRules& rules;  // for the display time
    const tEventLog& events;
};

// The hint for `band` at time `t`: the row of `log` not later than t when it
// lies within the half-pixel distance, its display time and the band's
// values, one per line. Empty for the disk band, the band below the sections,
// an empty log or no row close enough.
std::string HintText(int band, TDateTime t, const tT& log, const tHoverData& hover,
                     const tHintInput& input);

// The hint under the cursor for the current view, or empty when hints are
// off, x lies outside the plot area or no band is under y.
std::string HoverHint(const tStatsView& view, TDateTime nowLocal, const tHistories& histories,
                      const tHoverData& hover, int x, int y, const tHintInput& input);

// The options page a double click at (x, y) opens: the page of the section
// under the cursor, else page 3.
int OptionsPageForDoubleClick(const tHoverData& hover, int x, int y, int statsWidth);

}  // namespace cx
