#pragma once
// What the monitor core works with: the program's histories, reading set and
// settings, its event log and clock, where the history files live, and the
// reading pass, which the program binds to ReadValues and a test to a fake.
#include <filesystem>
#include <functional>

#include "monitor/core/HistoryLog.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "readings/ReadingSet.h"
#include "settings/EventLog.h"
#include "settings/Settings.h"

namespace cx {

struct tCoreContext {
    tHistories& histories;
    tReadingSet& rs;
    tSettings& settings;
    const tEventLog& events;
    const IClock& clock;
    // The settings folder, which holds the history files.
    std::filesystem::path settingsDir;
    // The reading pass; `force` makes the every-tenth-pass sources run too.
    std::function<void(bool force)> readValues;
    // The formats of time stamps in event-log lines.
    tLocaleFormats locale;
};

// UTC now by the context's clock.
TDateTime CurrentUTC(const tCoreContext& context);

// Adds the current sample to one log with that log's step, gap limit and span.
void AddSampleToLog(tCoreContext& context, tT& log, const tLogParams& params, bool force);

// Adds the current sample to the 8-hour, the 7-day and the 1-year log, in that order.
void AddSampleToAllLogs(tCoreContext& context, bool force);

}  // namespace cx
