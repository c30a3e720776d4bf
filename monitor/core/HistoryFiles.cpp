#include "monitor/core/HistoryFiles.h"

#include <cstring>
#include <exception>
#include <system_error>

#include "platform/AtomicFile.h"

namespace cx {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMainSuffix = "6";
constexpr const char* kSecondSuffix = "7";
constexpr const char* kBackupSuffix = ".backup";
// The I/O error of a second row that lies beyond the end of its file.
constexpr const char* kReadBeyondEnd = "Read beyond end of file";

fs::path WithSuffix(const fs::path& file, const char* suffix) {
    return fs::path(file.string() + suffix);
}

bool Exists(const fs::path& file) {
    std::error_code ec;
    return fs::exists(file, ec);
}

// Copies `from` over `to` through a temporary file, so that `to` is never torn.
bool CopyWhole(const fs::path& from, const fs::path& to, std::string* error) {
    const std::optional<std::string> content = ReadWholeFile(from);
    if (!content) {
        if (error) *error = "cannot read " + from.string();
        return false;
    }
    return WriteFileAtomically(to, *content, 0644, false, error);
}

// Makes `backup` a copy of `file` as it is now. The file is only ever
// replaced whole by a rename, never changed in place, so a second name for
// its current content is as good as a copy and costs no writing; where the
// file system has no hard links the content is copied. The new name is made
// durable by the folder flush of the file's own replacement that follows.
bool KeepBackup(const fs::path& file, const fs::path& backup, std::string* error) {
    const fs::path link = WithSuffix(backup, ".link");
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_hard_link(file, link, ec);
    if (!ec) {
        fs::rename(link, backup, ec);
        if (!ec) return true;
        fs::remove(link, ec);
    }
    return CopyWhole(file, backup, error);
}

// Generations of the files before the current pair: stem, stem2..stem5, each
// with and without its backup.
void DeleteOlderGenerations(const fs::path& dir, const std::string& stem) {
    static constexpr const char* kGenerations[] = {"", "2", "3", "4", "5"};
    for (const char* generation : kGenerations) {
        const fs::path file = dir / (stem + generation);
        std::error_code ec;
        fs::remove(file, ec);
        fs::remove(WithSuffix(file, kBackupSuffix), ec);
    }
}

// Puts back a missing file from its backup copy.
void RestoreFromBackup(const fs::path& file, const tEventLog& events) {
    const fs::path backup = WithSuffix(file, kBackupSuffix);
    if (Exists(file) || !Exists(backup)) return;
    std::string error;
    if (CopyWhole(backup, file, &error)) {
        events.WriteEvent("Restoring backup: " + backup.string() + " -> " + file.string());
    } else {
        events.WriteEvent("rsl2 " + error);
    }
}

template <typename tRow>
void AppendBytes(std::string& out, const std::vector<tRow>& rows, int32_t count) {
    out.reserve(sizeof(tRow) * static_cast<size_t>(count + 1));
    for (int32_t i = 0; i <= count; ++i) {
        out.append(reinterpret_cast<const char*>(&rows[i]), sizeof(tRow));
    }
}

// Older versions stored "no voltage" as 0 or 25500 and "no fan" as 255.
void MapLegacyMarkers(tSample& row) {
    for (int i = 0; i < 10; ++i) {
        if (row.V[i] == 0 || row.V[i] == 25500) row.V[i] = kNoValue16;
        if (row.F[i] == 255) row.F[i] = kNoValue16;
    }
}

tSample2 NoValueSecondRow(TDateTime time) {
    tSample2 row{};
    row.time = time;
    row.ActiveSeconds = kNoValue32;
    for (int i = 0; i < 10; ++i) {
        row.Reserved1[i] = row.Reserved2[i] = row.Reserved3[i] = row.Reserved4[i] = kNoValue32;
    }
    return row;
}

}  // namespace

std::string MainRowBytes(const tT& log) {
    std::string out;
    AppendBytes(out, log.rows, log.count);
    return out;
}

std::string SecondRowBytes(const tT& log) {
    std::string out;
    AppendBytes(out, log.rows2, log.count);
    return out;
}

void WriteStatsLog(const tT& log, const fs::path& dir, const std::string& stem, bool keepBackup,
                   const tEventLog& events) {
    DeleteOlderGenerations(dir, stem);
    if (log.count < 0) return;
    const fs::path mainFile = dir / (stem + kMainSuffix);
    const fs::path secondFile = dir / (stem + kSecondSuffix);
    try {
        for (const fs::path& file : {mainFile, secondFile}) {
            std::string error;
            if (keepBackup && Exists(file) &&
                !KeepBackup(file, WithSuffix(file, kBackupSuffix), &error)) {
                events.WriteEvent("wsl1 " + error);
            }
            events.WriteEvent("Writing " + file.string());
        }
        // A new main file beside an old second file would leave every row
        // without its partner, so the second file is only replaced after the
        // main file has been.
        std::string error;
        if (!WriteFileAtomically(mainFile, MainRowBytes(log), 0644, false, &error)) {
            events.WriteEvent("wsl1 " + error);
            return;
        }
        if (!WriteFileAtomically(secondFile, SecondRowBytes(log), 0644, false, &error)) {
            events.WriteEvent("wsl1 " + error);
        }
    } catch (const std::exception& e) {
        events.WriteEvent(std::string("wsl1 ") + e.what());
    }
}

void ParseStatsLog(tT& log, std::string_view mainRows, std::optional<std::string_view> secondRows,
                   const tEventLog& events) {
    log.rows.clear();
    log.rows2.clear();
    log.count = -1;
    const size_t mainCount = mainRows.size() / sizeof(tSample);
    log.rows.reserve(mainCount);
    log.rows2.reserve(mainCount);
    size_t secondOffset = 0;
    for (size_t i = 0; i < mainCount; ++i) {
        try {
            tSample row;
            std::memcpy(&row, mainRows.data() + i * sizeof(tSample), sizeof row);
            MapLegacyMarkers(row);
            tSample2 row2;
            if (!secondRows) {
                std::memset(&row2, 0, sizeof row2);
            } else if (secondOffset + sizeof(tSample2) > secondRows->size()) {
                row2 = NoValueSecondRow(row.time);
                events.WriteEvent(std::string("rsl3 ") + kReadBeyondEnd);
            } else {
                std::memcpy(&row2, secondRows->data() + secondOffset, sizeof row2);
                secondOffset += sizeof(tSample2);
                // Exact comparison: a partner row is a byte copy of the same stamp.
                if (row2.time != row.time) {
                    row2 = NoValueSecondRow(row.time);
                    events.WriteEvent("rsl3 Time mismatch");
                }
            }
            log.rows.push_back(row);
            log.rows2.push_back(row2);
            ++log.count;
        } catch (const std::exception& e) {
            events.WriteEvent(std::string("rsl1 ") + e.what());
        }
    }
    log.cropLimit = log.count + 3;
}

void ReadStatsLog(tT& log, const fs::path& dir, const std::string& stem, const tEventLog& events) {
    const fs::path mainFile = dir / (stem + kMainSuffix);
    const fs::path secondFile = dir / (stem + kSecondSuffix);
    // A save killed before its rename leaves a temporary file beside the log;
    // the log itself is whole, so the leftovers only take room.
    for (const fs::path& file : {mainFile, secondFile}) {
        RemoveLeftoverTemporaryFiles(file);
        RemoveLeftoverTemporaryFiles(fs::path(file.string() + ".backup"));
    }
    RestoreFromBackup(mainFile, events);
    if (!Exists(mainFile)) return;
    try {
        events.WriteEvent("Loading " + mainFile.string());
        RestoreFromBackup(secondFile, events);
        const bool haveSecond = Exists(secondFile);
        if (haveSecond) events.WriteEvent("Loading " + secondFile.string());

        const std::optional<std::string> mainRows = ReadWholeFile(mainFile);
        if (!mainRows) {
            // The file is there but cannot be read: the log starts empty
            // rather than mixing old rows with new ones.
            ParseStatsLog(log, {}, std::nullopt, events);
            events.WriteEvent("rsl2 cannot read " + mainFile.string());
            return;
        }
        std::optional<std::string> secondRows;
        if (haveSecond) {
            secondRows = ReadWholeFile(secondFile);
            if (!secondRows) {
                events.WriteEvent("rsl2 cannot read " + secondFile.string());
                // Every row then gets a no-value second row, as for a short file.
                secondRows.emplace();
            }
        }
        ParseStatsLog(log, *mainRows,
                      secondRows ? std::optional<std::string_view>(*secondRows) : std::nullopt,
                      events);
    } catch (const std::exception& e) {
        events.WriteEvent(std::string("rsl2 ") + e.what());
        log.cropLimit = log.count + 3;
    }
}

}  // namespace cx
