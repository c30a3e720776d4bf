#include "monitor/core/ReadingCycle.h"

#include <exception>

#include "monitor/core/HistoryStore.h"
#include "settings/Formats.h"

namespace cx {

namespace {

constexpr double kSecondsPerDay = 86400;

void ReadValuesOf(tCoreContext& context, bool force) {
    if (context.readValues) context.readValues(force);
}

// The reading interval of the settings; a setting that is not a positive
// number of milliseconds gives the default.
uint32_t ReadInterval(const tSettings& settings) {
    return settings.ReadTemp > 0 ? static_cast<uint32_t>(settings.ReadTemp) : 20000;
}

// The first `limit` characters of UTF-8 text.
std::string CutToCharacters(const std::string& text, size_t limit) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == limit) return text.substr(0, i);
    }
    return text;
}

}  // namespace

void UpdateUptimeRecord(const tReadingSet& rs, tSettings& settings) {
    if (!settings.ReadUpTime || rs.uptime <= settings.upRecSeconds) return;
    settings.upRecSeconds = rs.uptime;
    settings.upRecTime = std::to_string(rs.uptime);
    settings.upRecDays = rs.uptimeDays;
    settings.upRecHours = rs.uptimeHours;
    settings.upRecMinutes = rs.uptimeMinutes;
    settings.upRecSecs = rs.uptimeSeconds;
}

void InsertValue(tCoreContext& context, bool breakFirst) {
    if (breakFirst) {
        context.events.WriteEvent("Inserting break value");
        const TDateTime now = CurrentUTC(context);
        AddBreakValue(context.histories.log8h, now, context.events);
        AddBreakValue(context.histories.log7d, now, context.events);
        AddBreakValue(context.histories.log1a, now, context.events);
        ReadValuesOf(context, true);
        AddSampleToAllLogs(context, true);
        AddSampleToAllLogs(context, true);
    } else if (CurrentUTC(context) - context.rs.sample.time > 1 / kSecondsPerDay) {
        AddSampleToAllLogs(context, false);
        ReadValuesOf(context, false);
    }
    UpdateUptimeRecord(context.rs, context.settings);
}

std::string TrayTipText(const tReadingSet& rs, const tSettings& settings,
                        const tTrayTipTexts& texts) {
    std::string tip = "Calorix";
    if (settings.ReadUpTime) {
        tip += "\r\n" + texts.uptime + " " +
               Format("%d d %.2d:%.2d:%.2d h", rs.uptimeDays, rs.uptimeHours, rs.uptimeMinutes,
                      rs.uptimeSeconds);
    }
    tip += "\r\n" + (settings.AutoConnect ? texts.uploadActive : texts.uploadInactive);
    return CutToCharacters(tip, kTrayTipLength);
}

tReadingCycle::tReadingCycle(tCoreContext& context, tCycleTimers& timers, tCycleDisplay display)
    : m_context(context), m_timers(timers), m_display(std::move(display)) {}

void tReadingCycle::OnReadTempTimer(const tTrayTipTexts& texts) {
    InsertValue(m_context, false);
    if (m_display.displayStats) m_display.displayStats();
    try {
        const std::string tip = TrayTipText(m_context.rs, m_context.settings, texts);
        if (m_display.setTrayTip) m_display.setTrayTip(tip);
    } catch (const std::exception& e) {
        m_context.events.WriteEvent(std::string("tct1 ") + e.what());
    }
    m_timers.readTemp.SetInterval(ReadInterval(m_context.settings));
}

void tReadingCycle::OnLogTimer() {
    if (!m_context.settings.SaveLog) return;
    m_timers.log.SetEnabled(false);
    WriteLogs(m_context, false);
    m_timers.log.SetEnabled(true);
}

void tReadingCycle::OnTimeChange() {
    m_context.events.WriteEvent("Time change detected");
    const double seconds = (CurrentUTC(m_context) - m_context.rs.sample.time) * kSecondsPerDay;
    if (seconds < -kTimeChangeLimit || seconds > kTimeChangeLimit) InsertValue(m_context, true);
    m_timers.readTemp.SetInterval(ReadInterval(m_context.settings));
}

int tReadingCycle::OnPowerBroadcast(uint32_t code) {
    m_context.events.WriteEvent("WMPowerBroadcast " + std::to_string(code));
    switch (code) {
        case kPowerQuerySuspend:
        case kPowerQueryStandby:
        case kPowerSuspend:
            m_timers.readTemp.SetEnabled(false);
            m_timers.log.SetEnabled(false);
            m_timers.check.SetEnabled(false);
            m_timers.autoConnect.SetEnabled(false);
            m_context.events.WriteEvent("Entering standby/suspend/hibernation");
            break;
        case kPowerResumeCritical:
        case kPowerResumeSuspend:
        case kPowerResumeStandby:
        case kPowerResumeAutomatic:
            InsertValue(m_context, true);
            m_timers.readTemp.SetInterval(kResumeReadInterval);
            m_timers.readTemp.SetEnabled(true);
            m_timers.log.SetEnabled(true);
            m_timers.check.SetInterval(kResumeCheckInterval);
            m_timers.check.SetEnabled(true);
            m_timers.autoConnect.SetInterval(kResumeConnectInterval);
            m_timers.autoConnect.SetEnabled(true);
            m_context.events.WriteEvent("Awaking from standby/suspend");
            break;
        default:
            break;
    }
    return 1;
}

void tReadingCycle::OnOptionsApplied() {
    m_timers.readTemp.SetInterval(kQuickReadInterval);
}

}  // namespace cx
