#include "readings/ReadingPass.h"

#include <cmath>
#include <exception>
#include <string>
#include <string_view>

#include "readings/TimeFunctions.h"
#include "settings/ShellHelpers.h"

namespace cx {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// Slot counts of the sample record, taken from the record itself.
constexpr int kSensorCount = sizeof(tSample::T) / sizeof(tSample::T[0]);
constexpr int kCpuCount = sizeof(tSample::CPU) / sizeof(tSample::CPU[0]);
constexpr int kNetCount = sizeof(tSample::NetIn) / sizeof(tSample::NetIn[0]);

// User activity is counted only between passes closer than this, so a pause
// of the program (sleep, a stopped timer) is not taken for activity.
constexpr double kActivityGapSeconds = 120.0;
// The user counts as active when the last input is more recent than this.
constexpr int64_t kIdleLimitSeconds = 60;
// Disks and BOINC are read on every tenth pass.
constexpr int32_t kSlowSourceInterval = 10;
// BOINC is not read twice within this time, even on forced passes.
constexpr double kBOINCGapSeconds = 3.0;

// Logs a failure as its code, a blank and the message. Called inside catch
// handlers, so it must not throw itself.
void LogFailure(const tReadingContext& context, std::string_view code,
                std::string_view message) noexcept {
    try {
        std::string line(code);
        line += ' ';
        line += message;
        context.events.WriteEvent(line);
    } catch (const std::exception&) {
        // No memory for the line: the event is lost, the pass goes on.
        return;
    }
}

// Asks one source, logging a failure under its code; a missing source costs nothing.
void RunSource(tReadingContext& context, const std::unique_ptr<IReadingSource>& source,
               std::string_view code) {
    if (!source) return;
    try {
        source->Read(context);
    } catch (const std::exception& e) {
        LogFailure(context, code, e.what());
    } catch (...) {
        LogFailure(context, code, "unknown error");
    }
}

// Seconds since the last input, or -1 when they cannot be known: a failed
// query counts as unknown, so the step adds nothing.
int64_t QueryIdleSeconds(const tReadingContext& context, const tReadingSources& sources) {
    try {
        return sources.idleSeconds ? sources.idleSeconds() : IdleSeconds(context.events);
    } catch (const std::exception&) {
        return -1;
    } catch (...) {
        return -1;
    }
}

// Adds the time since the previous pass to the active seconds while the user
// is at the machine. A clock that went backwards adds nothing: the count is a
// running total and never shrinks.
void AddUserActivity(tReadingContext& context, const tReadingSources& sources, TDateTime now) {
    const double elapsedSeconds = (now - context.rs.sample.time) * kSecondsPerDay;
    if (!(elapsedSeconds >= 0 && elapsedSeconds < kActivityGapSeconds)) return;
    const int64_t idle = QueryIdleSeconds(context, sources);
    if (idle < 0 || idle >= kIdleLimitSeconds) return;
    context.rs.sample2.ActiveSeconds += static_cast<int32_t>(std::nearbyint(elapsedSeconds));
}

void ResetBatteryFields(tReadingSet& rs) {
    rs.sample.BatRemaining = kNoValue32;
    rs.sample.BatFull = 0;
    rs.batDesign = 0;
    rs.batRelative = 0;
}

// Divides each fan reading by its slot's divisor; a negative divisor turns
// rpm into a (negative) percentage. A result that a 16-bit slot cannot hold
// becomes the no-value marker rather than a wrapped number.
void ApplyFanDivisors(tSample& sample, const tSettings& settings) {
    for (int n = 0; n < kSensorCount; ++n) {
        const double divisor = settings.divF[n];
        const int16_t value = sample.F[n];
        if (divisor == 0 || value <= 0 || value >= kNoValue16) continue;
        const double result = std::trunc(divisor < 0 ? value * 100.0 / divisor : value / divisor);
        sample.F[n] = std::isfinite(result) && result >= -32768.0 && result <= 32767.0
                          ? static_cast<int16_t>(result)
                          : kNoValue16;
    }
}

// A fan slot never keeps 0: a stopped or absent fan reads as "no value".
void ZeroFansToMarker(tSample& sample) {
    for (int n = 0; n < kSensorCount; ++n) {
        if (sample.F[n] == 0) sample.F[n] = kNoValue16;
    }
}

}  // namespace

void InitReadings(tReadingContext& context, tReadingSources& sources) {
    tReadingSet& rs = context.rs;
    tSample& s = rs.sample;
    // Index loops, not references: the fields of the packed record may sit at
    // addresses their type's alignment does not allow.
    for (int n = 0; n < kSensorCount; ++n) {
        s.T[n] = kNoValue16;
        s.V[n] = kNoValue16;
        s.F[n] = kNoValue16;
    }
    for (int n = 0; n < kCpuCount; ++n) s.CPU[n] = kNoValue16;
    for (int n = 0; n < kNetCount; ++n) {
        s.NetIn[n] = kNoValue32;
        s.NetOut[n] = kNoValue32;
    }
    s.MemUsed = s.MemFree = kNoValue32;
    s.PageUsed = s.PageFree = kNoValue32;
    s.Cache = kNoValue32;
    s.Clock = kNoValue32;
    // The battery fields get their markers at the first pass.
    s.BatRemaining = 0;
    s.BatFull = 0;
    s.OnMains = 0;
    rs.batDesign = 0;
    rs.batRelative = 0;

    rs.sample2 = tSample2{};
    rs.maxClock = 0;
    rs.processorCount = 0;
    rs.passCounter = 0;

    RunSource(context, sources.batteryList, "ib1");

    rs.refreshSpeedFanNames = true;
    rs.refreshCPUIDNames = true;
    rs.refreshEverestNames = true;
}

void ReadValues(tReadingContext& context, tReadingSources& sources, bool force) {
    tReadingSet& rs = context.rs;
    const tSettings& set = context.settings;

    rs.sample.Clock = kNoValue32;
    const TDateTime now = NowUTC(context.clock);

    if (set.ReadHwmon) RunSource(context, sources.hwmon, "rvhw");
    if (set.ReadEverest) {
        RunSource(context, sources.aida64, "re3");
        RunSource(context, sources.everest, "re3");
    }
    if (set.ReadCPUID) RunSource(context, sources.cpuid, "rv3");
    if (set.ReadCPUCooL) RunSource(context, sources.cpuCool, "rv6");
    if (set.ReadVCool) RunSource(context, sources.vCool, "rv7");
    if (set.ReadHMonitor) RunSource(context, sources.hMonitor, "rv10");
    if (set.ReadSpeedFan) {
        RunSource(context, sources.speedFan, "rv13");
        if (rs.refreshSpeedFanNames) RunSource(context, sources.speedFanNames, "rv12");
    }
    if (set.ReadAtiTool) RunSource(context, sources.atiTool, "rv31");
    if (set.ReadRivaTuner) RunSource(context, sources.rivaTuner, "rv rt 3");
    if (set.ReadATITrayTools) RunSource(context, sources.atiTrayTools, "rv att 3");
    if (set.ReadFreq) RunSource(context, sources.freq, "gf");
    if (set.ReadCoreTemp) RunSource(context, sources.coreTemp, "rv ct 3");
    if (set.ReadCPU) RunSource(context, sources.cpu, "rv15");

    AddUserActivity(context, sources, now);

    if (set.ThermalZones) {
        if (set.ForceACPI) RunSource(context, sources.powerSchemes, "tws");
        RunSource(context, sources.thermalZones, "rv16");
    }
    if (set.ReadMobileMeter) RunSource(context, sources.mobileMeter, "rmm1");
    if (set.ReadMBM5190) RunSource(context, sources.mbm5190, "rv17");
    if (set.ReadMBM5107) RunSource(context, sources.mbm5107, "rv18");
    if (set.ReadMBM509x) RunSource(context, sources.mbm509x, "rv19");
    if (set.ReadAquaero) RunSource(context, sources.aquaero, "rv aq");
    if (set.ReadNet) RunSource(context, sources.net, "rv20");

    ResetBatteryFields(rs);
    if (set.ReadBat) RunSource(context, sources.batteries, "gbd1");

    if (force || rs.passCounter % kSlowSourceInterval == 0) {
        if (set.ReadDisk) RunSource(context, sources.disk, "rv22");
        const double sinceLastPass = (now - rs.sample.time) * kSecondsPerDay;
        if (set.ReadSETI && sinceLastPass > kBOINCGapSeconds) {
            RunSource(context, sources.boinc, "rv23");
        }
    }
    ++rs.passCounter;

    RunSource(context, sources.valueBlock, "rv24");

    ApplyFanDivisors(rs.sample, set);
    ZeroFansToMarker(rs.sample);

    if (set.ReadMem) RunSource(context, sources.mem, "rv32");
    if (set.ReadUpTime) RunSource(context, sources.upTime, "rv27");

    rs.sample.time = now;
    rs.sample2.time = now;
}

}  // namespace cx
