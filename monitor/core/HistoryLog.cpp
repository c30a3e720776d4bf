#include "monitor/core/HistoryLog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include "settings/Formats.h"

namespace cx {

namespace {

// Tolerances of one family: how far the newest value may lie from the previous
// one, and how far the previous one may stick out of its neighbours.
template <char kFamily>
int JumpTolerance(int previous) {
    if constexpr (kFamily == 'T') {
        return 2000;
    } else {
        return std::abs(previous) / 4;
    }
}
template <char kFamily>
int SpikeMargin(int beforePrevious) {
    if constexpr (kFamily == 'T') {
        return 500;
    } else {
        return std::abs(beforePrevious) / 16;
    }
}

template <char kFamily>
bool IsJump(int newest, int previous) {
    const int tolerance = JumpTolerance<kFamily>(previous);
    return newest < previous - tolerance || newest > previous + tolerance;
}
template <char kFamily>
bool IsSpike(int newest, int previous, int before) {
    const int margin = SpikeMargin<kFamily>(before);
    return previous < std::min(newest, before) - margin ||
           previous > std::max(newest, before) + margin;
}

// Whether any slot of the family needs a repair. This runs for every row
// added, nearly always finds nothing and is written without branches so the
// compiler can test all ten slots at once.
template <char kFamily>
bool AnyToClean(const int16_t* n, const int16_t* p, const int16_t* q) {
    bool any = false;
    for (int slot = 0; slot < 10; ++slot) {
        const int newest = n[slot], previous = p[slot], before = q[slot];
        const bool skip = (newest == kNoValue16) | (previous == kNoValue16);
        const bool spike = (before != kNoValue16) & IsSpike<kFamily>(newest, previous, before);
        const bool check = !skip;
        any |= check & (IsJump<kFamily>(newest, previous) | spike);
    }
    return any;
}

// Cleans one family of ten slots in the rows N (newest), P and Q (the two
// before it): a value that jumps too far from P is faulty and becomes the
// marker; otherwise a P that sticks out of both neighbours is a one-row spike
// and takes Q's value.
template <char kFamily>
void CleanFamily(int16_t* n, int16_t* p, const int16_t* q, const tEventLog& events) {
    for (int slot = 0; slot < 10; ++slot) {
        if (n[slot] == kNoValue16 || p[slot] == kNoValue16) continue;
        const int newest = n[slot];
        const int previous = p[slot];
        if (IsJump<kFamily>(newest, previous)) {
            n[slot] = kNoValue16;
            events.WriteEvent(std::string("Removed faulty ") + kFamily + std::to_string(slot + 1) +
                              ": " + std::to_string(newest) + " (" + std::to_string(previous) +
                              ")");
            continue;
        }
        if (q[slot] == kNoValue16) continue;
        if (IsSpike<kFamily>(newest, previous, q[slot])) {
            p[slot] = q[slot];
            events.WriteEvent(std::string("Removed gap ") + kFamily + std::to_string(slot + 1) +
                              ": " + std::to_string(previous));
        }
    }
}

// Cleans one family of the packed rows through aligned copies of its slots:
// the rows' 16-bit fields sit at odd addresses.
template <char kFamily>
void CleanFamilyOf(int16_t (tSample::*family)[10], tSample& newest, tSample& previous,
                   const tSample& before, const tEventLog& events) {
    int16_t n[10], p[10], q[10];
    std::memcpy(n, &(newest.*family), sizeof n);
    std::memcpy(p, &(previous.*family), sizeof p);
    std::memcpy(q, &(before.*family), sizeof q);
    if (!AnyToClean<kFamily>(n, p, q)) return;
    CleanFamily<kFamily>(n, p, q, events);
    std::memcpy(&(newest.*family), n, sizeof n);
    std::memcpy(&(previous.*family), p, sizeof p);
}

void CleanNewestRows(tT& log, const tEventLog& events) {
    tSample& n = log.rows[log.count];
    tSample& p = log.rows[log.count - 1];
    const tSample& q = log.rows[log.count - 2];
    CleanFamilyOf<'T'>(&tSample::T, n, p, q, events);
    CleanFamilyOf<'V'>(&tSample::V, n, p, q, events);
    CleanFamilyOf<'F'>(&tSample::F, n, p, q, events);
}

// Drops the rows that have left the span, keeping the first two rows older
// than the span in front of it so that a chart of the whole span starts its
// lines at the left edge. Everything that can fail happens before the arrays
// change, so a failure leaves the log as it was.
void Crop(tT& log, TDateTime now, double span, const tHistoryInput& input) {
    input.events.WriteEvent("Cropping log");
    int32_t i = log.count;
    while (i > 1 && !(now - log.rows[i].time > span)) --i;
    if (now - log.rows[i].time > span) {
        input.events.WriteEvent("Deleting data up to " +
                                FormatDateTime("c", log.rows[i].time, input.locale));
    }
    if (i > 1) {
        log.rows.erase(log.rows.begin(), log.rows.begin() + (i - 1));
        log.rows2.erase(log.rows2.begin(), log.rows2.begin() + (i - 1));
    }
    log.count = log.count - i + 1;
    log.cropLimit = log.count + 100;
}

// Grows both arrays by one row; when the second cannot grow the first is
// shrunk back, so the arrays never differ in length.
void AppendRow(tT& log) {
    log.rows.emplace_back();
    try {
        log.rows2.emplace_back();
    } catch (...) {
        log.rows.pop_back();
        throw;
    }
    ++log.count;
}

}  // namespace

void MakeBreakRow(TDateTime time, tSample& row, tSample2& row2) {
    // Built in aligned locals and copied whole: the rows are packed.
    tSample r{};
    r.time = time;
    for (int i = 0; i < 10; ++i) r.T[i] = r.V[i] = r.F[i] = kNoValue16;
    for (int i = 0; i < 4; ++i) {
        r.CPU[i] = kNoValue16;
        r.NetIn[i] = r.NetOut[i] = kNoValue32;
    }
    r.MemUsed = r.MemFree = r.PageUsed = r.PageFree = kNoValue32;
    r.Cache = r.Clock = r.BatRemaining = kNoValue32;
    r.BatFull = 0;
    r.OnMains = 0;
    std::memcpy(&row, &r, sizeof r);

    tSample2 r2{};
    r2.time = time;
    r2.ActiveSeconds = kNoValue32;
    for (int i = 0; i < 10; ++i) {
        r2.Reserved1[i] = r2.Reserved2[i] = r2.Reserved3[i] = r2.Reserved4[i] = kNoValue32;
    }
    std::memcpy(&row2, &r2, sizeof r2);
}

void AddBreakValue(tT& log, TDateTime nowUTC, const tEventLog& events) {
    try {
        AppendRow(log);
        MakeBreakRow(nowUTC, log.rows[log.count], log.rows2[log.count]);
    } catch (const std::exception& e) {
        events.WriteEvent(std::string("abv1 ") + e.what());
    }
}

void AddToStats(tT& log, const tHistoryInput& input, bool force, double gapLimit, double step,
                double span) {
    const TDateTime now = input.sample.time;
    try {
        const bool openRow = force || log.count < 1 || now - log.rows[log.count - 1].time > step;
        if (openRow) {
            if (log.count > 0 &&
                log.rows[log.count].time - log.rows[log.count - 1].time > gapLimit) {
                AddBreakValue(log, input.nowUTC, input.events);
                input.events.WriteEvent("Discarding too old value.");
            }
            AppendRow(log);
        }
        log.rows[log.count] = input.sample;
        log.rows2[log.count] = input.sample2;
        if (input.ignoreNonsense && log.count > 1) CleanNewestRows(log, input.events);
    } catch (const std::exception& e) {
        input.events.WriteEvent(std::string("ats1 ") + e.what());
    }

    // A log of fewer than two rows has nothing to crop.
    if (log.count <= log.cropLimit || log.count < 1) return;
    try {
        Crop(log, now, span, input);
    } catch (const std::exception& e) {
        input.events.WriteEvent(std::string("ats2 ") + e.what());
    }
}

void ResetLog(tT& log) {
    log.rows.clear();
    log.rows2.clear();
    log.count = -1;
    log.cropLimit = 100;
}

}  // namespace cx
