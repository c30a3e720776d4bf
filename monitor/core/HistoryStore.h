#pragma once
// Saving and loading the three history logs as a whole.
#include "monitor/core/CoreContext.h"

namespace cx {

// Takes a fresh sample, adds it to the three logs as a new row and writes the
// three file pairs; with `keepBackup` the previous files are kept as ".backup".
void WriteLogs(tCoreContext& context, bool keepBackup);

// Loads the three logs from their files, then inserts a break value so that
// the charts do not join the stored rows to the fresh ones.
void ReadLogs(tCoreContext& context);

// Empties the three logs (no rows, count -1, crop limit 100).
void ResetLogs(tHistories& histories);

}  // namespace cx
