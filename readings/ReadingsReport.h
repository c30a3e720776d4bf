#pragma once
// The reading set as text for the command line: an aligned table for a person
// and one JSON object for a script. Both list the slots under their default
// labels (T1, V1, F1, CPU1, Net1In, memUsed, ...) beside the user's labels.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "readings/ReadingSet.h"
#include "settings/Settings.h"
#include "settings/ValueFormats.h"

namespace cx {

// How a slot's stored integer reads.
enum class tReportUnit {
    Temperature,  // hundredths of a degree Celsius
    Voltage,      // hundredths of a volt
    Fan,          // rpm, or minus hundredths of a percent of duty
    Load,         // hundredths of a percent
    Kilobytes,
    ClockKHz,
    Battery,  // mWh, or a relative figure when the batteries report no energy
    Flag,     // 0 or 1
    Seconds,  // a duration
    Count,
};

// One slot of the report.
struct tReportSlot {
    std::string key;     // the default label, the JSON key
    std::string label;   // the user's label
    bool named = false;  // whether the settings give the slot a label
    tReportUnit unit = tReportUnit::Count;
    std::optional<int64_t> stored;  // the stored integer; nothing for the no-value marker
    bool shown = false;             // whether the table counts it as having a value
};

// Every slot of the reading set in report order, disks left out.
std::vector<tReportSlot> CollectReportSlots(const tReadingSet& rs, const tSettings& settings);

// What the table needs beyond the reading set.
struct tReportContext {
    const tReadingSet& rs;
    const tSettings& settings;
    const tValueFormatContext& formats;
    // The zone the sample time is shown in (unless TimeInUTC is on).
    const tTimeZoneRules& zone;
};

// One line per slot with a value: default label, the user's label and the
// formatted value with its unit, in aligned columns; the disk slots and the
// sample time follow. With `all`, slots without a value are listed with "-".
std::string FormatReadingsTable(const tReportContext& context, bool all);

// One JSON object: each slot's stored integer (null for the no-value marker),
// "onMains" as a boolean, "time" as ISO 8601 UTC (null before any pass) and
// "labels" mapping each default label to the user's label.
std::string FormatReadingsJson(const tReadingSet& rs, const tSettings& settings);

// `text` as a quoted JSON string. Text that is not valid UTF-8 is read as
// Windows-1252, so the result is always valid JSON.
std::string JsonString(std::string_view text);

// A sample time as "2024-05-01T12:34:56Z", to the nearest second; nothing for
// a time that is not finite or lies outside the years 1..9999.
std::optional<std::string> IsoUtcTime(TDateTime t);

}  // namespace cx
