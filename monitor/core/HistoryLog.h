#pragma once
// One rolling history of samples (the 8-hour, 7-day or 1-year log) and the
// routines that add rows to it: the open row, thinning by step, break rows
// across gaps, cleaning of implausible values and cropping to the span.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Locale.h"
#include "readings/Sample.h"
#include "settings/EventLog.h"

namespace cx {

// A history log. The arrays always hold count + 1 rows (indices 0..count);
// count -1 is an empty log. The row at index count is the open row, which
// each sample overwrites until the log's step has passed.
struct tT {
    int32_t count = 0;
    int32_t cropLimit = 0;
    // A fresh log has count 0, so its first insertion leaves this all-zero
    // row (time 0) at index 0, outside every chart span.
    std::vector<tSample> rows = std::vector<tSample>(1);
    std::vector<tSample2> rows2 = std::vector<tSample2>(1);
};

// Step, gap limit and span of one log, as day fractions, and its file stem.
struct tLogParams {
    double step;
    double gapLimit;
    double span;
    const char* stem;
};

inline constexpr tLogParams kLog8h{1.0 / 4320, 1.0 / 864, 1.0 / 3, "Calorix8h.log"};
inline constexpr tLogParams kLog7d{1.0 / 288, 1.0 / 57.6, 7.0, "Calorix7d.log"};
inline constexpr tLogParams kLog1a{1.0 / 6, 5.0 / 6, 366.0, "Calorix1a.log"};

// The three logs of a program, owned by it and passed by reference.
struct tHistories {
    tT log8h;
    tT log7d;
    tT log1a;
};

// What adding a sample to a log needs from the program.
struct tHistoryInput {
    const tSample& sample;
    const tSample2& sample2;
    TDateTime nowUTC;     // the time a break row gets
    bool ignoreNonsense;  // clean faulty values and spikes
    const tEventLog& events;
    const tLocaleFormats& locale;  // for the time in "Deleting data up to "
};

// A break row pair stamped `time`: every value the no-value marker, no battery.
void MakeBreakRow(TDateTime time, tSample& row, tSample2& row2);

// Appends a break row pair stamped `nowUTC`.
void AddBreakValue(tT& log, TDateTime nowUTC, const tEventLog& events);

// Adds the current sample to the log: overwrites the open row or, when the
// step has passed (or `force` is set), opens a new one, with a break row first
// when the previous rows lie more than `gapLimit` apart; then cleans the
// newest rows and crops the log to `span` when its count exceeds the crop limit.
void AddToStats(tT& log, const tHistoryInput& input, bool force, double gapLimit, double step,
                double span);

// Empties a log: no rows, count -1, crop limit 100.
void ResetLog(tT& log);

}  // namespace cx
