#pragma once
// The history files: each log is a pair of record files in the settings
// folder, stem + "6" with the 141-byte main rows and stem + "7" with the
// 172-byte second rows, plain sequences in row order without a header.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/core/HistoryLog.h"
#include "settings/EventLog.h"

namespace cx {

// Writes the log to its file pair in `dir`. Older generations of the files
// are deleted first. With `keepBackup` the previous files are copied to their
// ".backup" names before they are replaced. Each file is replaced whole
// through a temporary file, so a reader always finds either the old or the
// new complete file; when the main file cannot be written the second file is
// left alone too, so the pair stays consistent.
void WriteStatsLog(const tT& log, const std::filesystem::path& dir, const std::string& stem,
                   bool keepBackup, const tEventLog& events);

// Loads the log from its file pair in `dir`, restoring a missing file from its
// ".backup" copy. A missing main file leaves the log as it is.
void ReadStatsLog(tT& log, const std::filesystem::path& dir, const std::string& stem,
                  const tEventLog& events);

// Replaces the log's rows by those of the file contents: `mainRows` is the main
// file, `secondRows` the second file or nothing when it is missing. A trailing
// partial main row is dropped with its second row; a second row that is
// missing or whose time differs from its main row becomes a no-value row.
void ParseStatsLog(tT& log, std::string_view mainRows, std::optional<std::string_view> secondRows,
                   const tEventLog& events);

// The bytes of the two files for the log's rows 0..count.
std::string MainRowBytes(const tT& log);
std::string SecondRowBytes(const tT& log);

}  // namespace cx
