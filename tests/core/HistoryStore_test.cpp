// Saving and loading the three logs: the restart with an old log, and saves
// interrupted by a killed process.
#include "monitor/core/HistoryStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "core/CoreFixture.h"
#include "monitor/core/HistoryFiles.h"
#include "platform/AtomicFile.h"
#include "settings/Formats.h"

namespace cx::test {
namespace {

namespace fs = std::filesystem;

class HistoryStoreTest : public tCoreFixture {};

bool IsBreakRow(const tSample& row) {
    for (int i = 0; i < 10; ++i) {
        if (row.T[i] != kNoValue16 || row.V[i] != kNoValue16 || row.F[i] != kNoValue16) {
            return false;
        }
    }
    return row.CPU[0] == kNoValue16 && row.MemUsed == kNoValue32 && row.BatFull == 0;
}

TEST_F(HistoryStoreTest, WriteLogsAddsAFreshRowToEachLogAndSavesThem) {
    ResetLogs(histories);
    WriteLogs(context, true);
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(lastForce);
    for (const tT* log : {&histories.log8h, &histories.log7d, &histories.log1a}) {
        ASSERT_EQ(log->count, 0);
        EXPECT_DOUBLE_EQ(Value(log->rows[0].time), kMarch10At15);
    }
    for (const char* name : {"Calorix8h.log6", "Calorix8h.log7", "Calorix7d.log6", "Calorix7d.log7",
                             "Calorix1a.log6", "Calorix1a.log7"}) {
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    }
    EXPECT_EQ(Events().front(), "Writing log");
}

// The program restarts two days after it last saved its 8-hour log.
TEST_F(HistoryStoreTest, RestartWithATwoDayOldLog) {
    tT stored;
    ResetLog(stored);
    const TDateTime newest = kMarch10At15 - 2;
    for (int i = 9; i >= 0; --i) {
        tSample s;
        tSample2 s2;
        FillSample(s, s2, newest - i * 20 * kSecond, static_cast<int16_t>(3000 + i));
        stored.rows.push_back(s);
        stored.rows2.push_back(s2);
        ++stored.count;
    }
    WriteStatsLog(stored, dir.Path(), kLog8h.stem, false, events);
    ClearEvents();

    ReadLogs(context);

    const tT& log = histories.log8h;
    ASSERT_EQ(log.count, 5);
    // The last two stored rows lead, then two break rows and two fresh rows.
    EXPECT_DOUBLE_EQ(Value(log.rows[0].time), newest - 20 * kSecond);
    EXPECT_DOUBLE_EQ(Value(log.rows[1].time), newest);
    EXPECT_TRUE(IsBreakRow(log.rows[2]));
    EXPECT_TRUE(IsBreakRow(log.rows[3]));
    EXPECT_EQ(Value(log.rows2[3].ActiveSeconds), kNoValue32);
    for (int i : {4, 5}) {
        EXPECT_DOUBLE_EQ(Value(log.rows[i].time), kMarch10At15);
        EXPECT_EQ(Value(log.rows[i].T[0]), 4000);
        EXPECT_EQ(Value(log.rows2[i].ActiveSeconds), 7);
    }
    EXPECT_EQ(log.cropLimit, 105);
    EXPECT_TRUE(Logged("Inserting break value"));
    EXPECT_TRUE(Logged("Discarding too old value."));
    EXPECT_TRUE(Logged("Deleting data up to " + FormatDateTime("c", newest, tLocaleFormats{})));
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(lastForce);
}

TEST_F(HistoryStoreTest, StartWithoutFilesEndsEachLogWithBreaksAndTwoFreshRows) {
    ReadLogs(context);
    for (const tT* log : {&histories.log8h, &histories.log7d, &histories.log1a}) {
        // The all-zero row of a fresh log, the break row, the second break row
        // for the gap after the zero row, and the fresh sample twice.
        ASSERT_EQ(log->count, 4);
        EXPECT_TRUE(IsBreakRow(log->rows[1]));
        EXPECT_TRUE(IsBreakRow(log->rows[2]));
        EXPECT_EQ(Value(log->rows[3].T[0]), 4000);
        EXPECT_EQ(Value(log->rows[4].T[0]), 4000);
    }
}

// The writer: a fresh 8-hour, 7-day and 1-year log saved again and again,
// each save adding one row whose slot T1 holds the number of the save. After
// each completed save it reports the number on `report`.
[[noreturn]] void SaveForever(tCoreContext& context, tFakeClock& clock, int report) {
    ResetLogs(context.histories);
    int32_t save = 0;
    context.readValues = [&](bool) {
        FillSample(context.rs.sample, context.rs.sample2, clock.local, static_cast<int16_t>(save));
        context.rs.sample2.ActiveSeconds = save;
    };
    for (;;) {
        ++save;
        clock.Advance(20);
        // Every other save keeps backups, as the save at close does.
        WriteLogs(context, save % 2 == 0);
        if (write(report, &save, sizeof save) != static_cast<ssize_t>(sizeof save)) _exit(2);
    }
}

// Checks a log loaded after the writer was killed with `saves` saves
// completed: it holds the rows of those saves, or of one more when the kill
// came after that save's file was replaced; only the newest row may have lost
// its second row.
void ExpectIntactLog(const tT& log, int saves, const std::string& stem) {
    SCOPED_TRACE(stem + " after " + std::to_string(saves) + " saves");
    if (log.count == 0 && log.rows[0].time == 0) {
        // Nothing was written yet: the fresh log stays as it was.
        ASSERT_LE(saves, 0);
        return;
    }
    const int rows = log.count + 1;
    ASSERT_TRUE(rows == saves || rows == saves + 1) << rows;
    for (int i = 0; i < rows; ++i) {
        ASSERT_EQ(Value(log.rows[i].T[0]), i + 1) << i;
        const tSample2& second = log.rows2[i];
        const bool partner = second.time == log.rows[i].time && second.ActiveSeconds == i + 1;
        const bool noValue = second.time == log.rows[i].time && second.ActiveSeconds == kNoValue32;
        const bool missingFile = rows == 1 && second.time == 0;
        if (i + 1 < rows) {
            ASSERT_TRUE(partner) << i;
        } else {
            ASSERT_TRUE(partner || noValue || missingFile) << i;
        }
    }
}

// A backup is a complete earlier main file: whole rows of earlier saves.
void ExpectIntactBackup(const fs::path& stemPath, int saves) {
    const std::optional<std::string> main = ReadWholeFile(stemPath.string() + "6.backup");
    if (!main) return;
    SCOPED_TRACE(stemPath.string() + " backup after " + std::to_string(saves) + " saves");
    ASSERT_EQ(main->size() % sizeof(tSample), 0u);
    const size_t rows = main->size() / sizeof(tSample);
    ASSERT_LE(rows, static_cast<size_t>(saves + 1));
    for (size_t i = 0; i < rows; ++i) {
        tSample row;
        std::memcpy(&row, main->data() + i * sizeof row, sizeof row);
        ASSERT_EQ(Value(row.T[0]), static_cast<int>(i + 1)) << i;
    }
}

TEST_F(HistoryStoreTest, KilledWriterNeverLeavesATornPair) {
    debug = false;
    std::mt19937 random(20260310);
    std::uniform_int_distribution<int> delayMicroseconds(0, 60000);
    for (int run = 0; run < 50; ++run) {
        tTempDir runDir;
        context.settingsDir = runDir.Path();
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(fds[0]);
            SaveForever(context, clock, fds[1]);
        }
        close(fds[1]);
        usleep(static_cast<useconds_t>(delayMicroseconds(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself";
        int32_t saves = 0;
        for (int32_t number; read(fds[0], &number, sizeof number) == sizeof number;) {
            saves = number;
        }
        close(fds[0]);

        for (const char* stem : {kLog8h.stem, kLog7d.stem, kLog1a.stem}) {
            tT log;
            ReadStatsLog(log, runDir.Path(), stem, events);
            ExpectIntactLog(log, saves, stem);
            ExpectIntactBackup(runDir.Path() / stem, saves);
            if (HasFatalFailure()) return;
        }
        for (const auto& entry : std::filesystem::directory_iterator(runDir.Path())) {
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
                << "a killed save's temporary file was left: " << entry.path();
        }
    }
}

}  // namespace
}  // namespace cx::test
