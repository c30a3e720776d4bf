#pragma once
// What the main window's chart shows: the live view, the last 24 hours, the
// last 7 days or a chosen past day, and the commands that move between them.
#include <string>

#include "monitor/core/HistoryLog.h"
#include "platform/Clock.h"
#include "settings/Messages.h"

namespace cx {

// The radio items of the view menu; None while a past day is shown.
enum class tStatsItem { None, Live, Stats24, Stats7 };

struct tStatsView {
    tStatsItem checked = tStatsItem::Live;
    // The selected day as a local time (it keeps the time of day it was set
    // with); 0 when no day is selected.
    TDateTime selectedDay = 0;
};

enum class tLogChoice { Log8h, Log7d, Log1a };

// The log, end time (UTC) and span (hours) of a chart.
struct tChartSelection {
    tLogChoice log;
    TDateTime endTime;
    double spanHours;
};

// The chart of the current view. `nowLocal` is the local time now,
// `sampleTime` the current sample's time stamp, `spanStats` the live span in
// hours. A selected day D shows the 24 hours (or, more than six days back,
// the 168 hours) ending at the last second of the day before D.
tChartSelection SelectChart(const tStatsView& view, TDateTime nowLocal, TDateTime sampleTime,
                            double spanStats, const tTimeZoneRules& rules);

// The log the hover hint reads for the current view.
tLogChoice HoverLog(const tStatsView& view, TDateTime nowLocal);

tT& LogOf(tHistories& histories, tLogChoice choice);
const tT& LogOf(const tHistories& histories, tLogChoice choice);

// "Calorix", the name of a checked 24-hour or 7-day view, and the upload-off
// note when automatic uploads are off, joined by " - ".
std::string StatsWindowTitle(const tStatsView& view, bool autoConnect, const tMessages& messages);

// A view item was chosen: no day selected, the item checked.
void ChooseView(tStatsView& view, tStatsItem item);

// "<": one day back, or a week once more than six days back; the first step
// selects today, which shows yesterday. Unchecks the view items.
void StepBackOneDay(tStatsView& view, TDateTime nowLocal);

// ">": one day forward, or a week while more than seven days back; reaching
// today clears the selection and checks the live view.
void StepForwardOneDay(tStatsView& view, TDateTime nowLocal);

// The wheel steps between the live, 24-hour and 7-day views; true when it
// moved (the event is then handled). Any other state is left alone.
bool WheelUp(tStatsView& view);
bool WheelDown(tStatsView& view);

}  // namespace cx
