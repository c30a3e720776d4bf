#include "monitor/core/HistoryStore.h"

#include "monitor/core/HistoryFiles.h"
#include "monitor/core/ReadingCycle.h"

namespace cx {

void WriteLogs(tCoreContext& context, bool keepBackup) {
    context.events.WriteEvent("Writing log");
    if (context.readValues) context.readValues(true);
    AddSampleToAllLogs(context, true);
    tHistories& h = context.histories;
    WriteStatsLog(h.log8h, context.settingsDir, kLog8h.stem, keepBackup, context.events);
    WriteStatsLog(h.log7d, context.settingsDir, kLog7d.stem, keepBackup, context.events);
    WriteStatsLog(h.log1a, context.settingsDir, kLog1a.stem, keepBackup, context.events);
}

void ReadLogs(tCoreContext& context) {
    tHistories& h = context.histories;
    ReadStatsLog(h.log8h, context.settingsDir, kLog8h.stem, context.events);
    ReadStatsLog(h.log7d, context.settingsDir, kLog7d.stem, context.events);
    ReadStatsLog(h.log1a, context.settingsDir, kLog1a.stem, context.events);
    InsertValue(context, true);
}

void ResetLogs(tHistories& histories) {
    ResetLog(histories.log8h);
    ResetLog(histories.log7d);
    ResetLog(histories.log1a);
}

}  // namespace cx
