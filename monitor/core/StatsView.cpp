#include "monitor/core/StatsView.h"

#include <cmath>

#include "readings/TimeFunctions.h"

namespace cx {

namespace {

constexpr double kOneSecond = 1.0 / 86400;

// The last second of the day before the selected day's date, in UTC.
TDateTime EndOfDayBefore(TDateTime selectedDay, const tTimeZoneRules& rules) {
    return LocalToUTC(std::floor(selectedDay) - kOneSecond, rules);
}

}  // namespace

tChartSelection SelectChart(const tStatsView& view, TDateTime nowLocal, TDateTime sampleTime,
                            double spanStats, const tTimeZoneRules& rules) {
    if (view.selectedDay != 0 && nowLocal - view.selectedDay > 6) {
        return {tLogChoice::Log1a, EndOfDayBefore(view.selectedDay, rules), 168};
    }
    if (view.selectedDay != 0 && nowLocal - view.selectedDay >= 0) {
        return {tLogChoice::Log7d, EndOfDayBefore(view.selectedDay, rules), 24};
    }
    if (view.checked == tStatsItem::Stats24) return {tLogChoice::Log7d, sampleTime, 24};
    if (view.checked == tStatsItem::Stats7) return {tLogChoice::Log7d, sampleTime, 168};
    return {tLogChoice::Log8h, sampleTime, spanStats};
}

tLogChoice HoverLog(const tStatsView& view, TDateTime nowLocal) {
    if (view.selectedDay != 0 && nowLocal - view.selectedDay > 6) return tLogChoice::Log1a;
    if (view.selectedDay != 0 || view.checked == tStatsItem::Stats24 ||
        view.checked == tStatsItem::Stats7) {
        return tLogChoice::Log7d;
    }
    return tLogChoice::Log8h;
}

template <typename tHistoriesRef>
auto& PickLog(tHistoriesRef& histories, tLogChoice choice) {
    switch (choice) {
        case tLogChoice::Log1a:
            return histories.log1a;
        case tLogChoice::Log7d:
            return histories.log7d;
        case tLogChoice::Log8h:
            break;
    }
    return histories.log8h;
}

tT& LogOf(tHistories& histories, tLogChoice choice) {
    return PickLog(histories, choice);
}
const tT& LogOf(const tHistories& histories, tLogChoice choice) {
    return PickLog(histories, choice);
}

std::string StatsWindowTitle(const tStatsView& view, bool autoConnect, const tMessages& messages) {
    std::string title = "Calorix";
    if (view.checked == tStatsItem::Stats24) {
        title += " - " + messages["Stats24"];
    } else if (view.checked == tStatsItem::Stats7) {
        title += " - " + messages["Stats7"];
    }
    if (!autoConnect) title += " - " + messages["UploadInactive"];
    return title;
}

void ChooseView(tStatsView& view, tStatsItem item) {
    view.selectedDay = 0;
    view.checked = item;
}

void StepBackOneDay(tStatsView& view, TDateTime nowLocal) {
    if (view.selectedDay != 0) {
        view.selectedDay -= nowLocal - view.selectedDay > 6 ? 7 : 1;
    } else {
        view.selectedDay = nowLocal;
    }
    view.checked = tStatsItem::None;
}

void StepForwardOneDay(tStatsView& view, TDateTime nowLocal) {
    if (view.selectedDay != 0) {
        view.selectedDay += nowLocal - view.selectedDay > 7 ? 7 : 1;
        if (view.selectedDay >= nowLocal) view.selectedDay = 0;
    }
    if (view.selectedDay == 0) view.checked = tStatsItem::Live;
}

bool WheelUp(tStatsView& view) {
    if (view.selectedDay != 0) return false;
    if (view.checked == tStatsItem::Stats24) {
        view.checked = tStatsItem::Live;
    } else if (view.checked == tStatsItem::Stats7) {
        view.checked = tStatsItem::Stats24;
    } else {
        return false;
    }
    return true;
}

bool WheelDown(tStatsView& view) {
    if (view.selectedDay != 0) return false;
    if (view.checked == tStatsItem::Live) {
        view.checked = tStatsItem::Stats24;
    } else if (view.checked == tStatsItem::Stats24) {
        view.checked = tStatsItem::Stats7;
    } else {
        return false;
    }
    return true;
}

}  // namespace cx
