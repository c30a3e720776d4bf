#pragma once
// The reading cycle: the periodic tick that folds the previous sample into the
// histories and takes a new one, the break values written at every break in
// the continuity of time (start-up, clock changes, standby), the tray tip and
// the rules for the intervals of the main window's timers.
#include <cstdint>
#include <functional>
#include <string>

#include "monitor/core/CoreContext.h"

namespace cx {

// The normal step (`breakFirst` false): when the current sample is more than a
// second old, add it to the three logs and take a new one. The break
// (`breakFirst` true): a break row in each log, a forced pass and two forced
// rows of the fresh sample. Both then update the uptime record.
void InsertValue(tCoreContext& context, bool breakFirst);

// Keeps the longest uptime seen in the settings, when uptimes are read at all.
void UpdateUptimeRecord(const tReadingSet& rs, tSettings& settings);

// The language texts of the tray tip.
struct tTrayTipTexts {
    std::string uptime;          // Uptime
    std::string uploadActive;    // UploadActive
    std::string uploadInactive;  // UploadInactive
};

// The tray tip's longest text, in characters.
inline constexpr size_t kTrayTipLength = 63;

// "Calorix", the uptime line when uptimes are read, and the upload state, the
// lines separated by CR LF and the whole cut to 63 characters (never inside a
// character's bytes).
std::string TrayTipText(const tReadingSet& rs, const tSettings& settings,
                        const tTrayTipTexts& texts);

// A timer of the main window as the cycle drives it.
class ICycleTimer {
public:
    virtual ~ICycleTimer() = default;
    // Sets the period; like a window timer, this restarts the count, so the
    // next tick comes one full period later.
    virtual void SetInterval(uint32_t milliseconds) = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

struct tCycleTimers {
    ICycleTimer& readTemp;     // the reading tick
    ICycleTimer& log;          // the history saves
    ICycleTimer& check;        // the light and picture checks
    ICycleTimer& autoConnect;  // the uploads
};

// What the window shell does for the cycle.
struct tCycleDisplay {
    // Redraws the chart, the light and the banner.
    std::function<void()> displayStats;
    // Replaces the tray icon's tip text.
    std::function<void(const std::string&)> setTrayTip;
};

// Power-broadcast event codes.
enum : uint32_t {
    kPowerQuerySuspend = 0,
    kPowerQueryStandby = 1,
    kPowerSuspend = 4,
    kPowerResumeCritical = 6,
    kPowerResumeSuspend = 7,
    kPowerResumeStandby = 8,
    kPowerResumeAutomatic = 18,
};

// Intervals the cycle sets, in milliseconds.
inline constexpr uint32_t kLogInterval = 1800000;     // history saves
inline constexpr uint32_t kQuickReadInterval = 2000;  // after options or a reset
inline constexpr uint32_t kResumeReadInterval = 10000;
inline constexpr uint32_t kResumeCheckInterval = 93000;
inline constexpr uint32_t kResumeConnectInterval = 40000;
// A clock change of more than this many seconds is a break in time.
inline constexpr double kTimeChangeLimit = 300;

// The handlers the program binds to its timers and system events.
class tReadingCycle {
public:
    tReadingCycle(tCoreContext& context, tCycleTimers& timers, tCycleDisplay display);

    // tmrReadTemp: the tick.
    void OnReadTempTimer(const tTrayTipTexts& texts);
    // tmrLog: saves the histories without backups while SaveLog is on.
    void OnLogTimer();
    // The system clock was set.
    void OnTimeChange();
    // A power-saving state begins or ends; the answer is always 1 (granted).
    int OnPowerBroadcast(uint32_t code);
    // After applying options the next tick comes soon.
    void OnOptionsApplied();

private:
    tCoreContext& m_context;
    tCycleTimers& m_timers;
    tCycleDisplay m_display;
};

}  // namespace cx
