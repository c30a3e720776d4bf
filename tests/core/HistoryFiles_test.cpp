// The history file pairs: format, backups, legacy files and every failure rule of loading.
#include "monitor/core/HistoryFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "core/CoreFixture.h"

namespace cx::test {
namespace {

namespace fs = std::filesystem;

class HistoryFilesTest : public tCoreFixture {
protected:
    // A log of `rows` rows, 20 s apart, slot T1 holding the row's index.
    static tT MakeLog(int rows, TDateTime start = kMarch10At15) {
        tT log;
        ResetLog(log);
        for (int i = 0; i < rows; ++i) {
            tSample s;
            tSample2 s2;
            FillSample(s, s2, start + i * 20 * kSecond, static_cast<int16_t>(i));
            s2.ActiveSeconds = i;
            log.rows.push_back(s);
            log.rows2.push_back(s2);
            ++log.count;
        }
        return log;
    }
    std::string Stem() const { return kLog8h.stem; }
    std::string Read(const std::string& name) const { return dir.Read(name); }
};

TEST_F(HistoryFilesTest, WritesPlainRowsAndReadsThemBack) {
    const tT written = MakeLog(5);
    WriteStatsLog(written, dir.Path(), Stem(), false, events);
    const std::string main = Read("Calorix8h.log6");
    const std::string second = Read("Calorix8h.log7");
    ASSERT_EQ(main.size(), 5 * 141u);
    ASSERT_EQ(second.size(), 5 * 172u);
    // Row 3's slot T1 sits at offset 8 of its record, little-endian.
    int16_t t1 = 0;
    std::memcpy(&t1, main.data() + 3 * 141 + 8, 2);
    EXPECT_EQ(t1, 3);
    EXPECT_TRUE(Logged("Writing " + (dir / "Calorix8h.log6").string()));
    EXPECT_TRUE(Logged("Writing " + (dir / "Calorix8h.log7").string()));
    EXPECT_FALSE(fs::exists(dir / "Calorix8h.log6.backup"));

    tT read;
    ReadStatsLog(read, dir.Path(), Stem(), events);
    ASSERT_EQ(read.count, 4);
    EXPECT_EQ(read.cropLimit, 7);
    EXPECT_EQ(std::memcmp(read.rows.data(), written.rows.data(), 5 * sizeof(tSample)), 0);
    EXPECT_EQ(std::memcmp(read.rows2.data(), written.rows2.data(), 5 * sizeof(tSample2)), 0);
    EXPECT_TRUE(Logged("Loading " + (dir / "Calorix8h.log6").string()));
    EXPECT_TRUE(Logged("Loading " + (dir / "Calorix8h.log7").string()));
}

TEST_F(HistoryFilesTest, BackupKeepsThePreviousPair) {
    WriteStatsLog(MakeLog(2), dir.Path(), Stem(), false, events);
    const std::string oldMain = Read("Calorix8h.log6");
    const std::string oldSecond = Read("Calorix8h.log7");
    WriteStatsLog(MakeLog(3), dir.Path(), Stem(), true, events);
    EXPECT_EQ(Read("Calorix8h.log6.backup"), oldMain);
    EXPECT_EQ(Read("Calorix8h.log7.backup"), oldSecond);
    EXPECT_EQ(Read("Calorix8h.log6").size(), 3 * 141u);

    // A save without backups leaves the backups alone.
    WriteStatsLog(MakeLog(4), dir.Path(), Stem(), false, events);
    EXPECT_EQ(Read("Calorix8h.log6.backup"), oldMain);
}

TEST_F(HistoryFilesTest, WritingDeletesOlderGenerations) {
    const char* legacy[] = {"Calorix8h.log",  "Calorix8h.log.backup",
                            "Calorix8h.log2", "Calorix8h.log3.backup",
                            "Calorix8h.log5", "Calorix8h.log5.backup"};
    for (const char* name : legacy) dir.Write(name, "old");
    dir.Write("Calorix7d.log2", "other log");
    tT empty;
    ResetLog(empty);
    WriteStatsLog(empty, dir.Path(), Stem(), false, events);
    for (const char* name : legacy) EXPECT_FALSE(fs::exists(dir / name)) << name;
    EXPECT_TRUE(fs::exists(dir / "Calorix7d.log2"));
    // An empty log writes no pair.
    EXPECT_FALSE(fs::exists(dir / "Calorix8h.log6"));
}

TEST_F(HistoryFilesTest, LegacyMarkersReadAsNoValue) {
    tT log = MakeLog(1);
    log.rows[0].V[0] = 0;
    log.rows[0].V[1] = 25500;
    log.rows[0].V[2] = -1;
    log.rows[0].F[0] = 255;
    log.rows[0].F[1] = 256;
    log.rows[0].T[0] = 0;
    WriteStatsLog(log, dir.Path(), Stem(), false, events);
    tT read;
    ReadStatsLog(read, dir.Path(), Stem(), events);
    ASSERT_EQ(read.count, 0);
    EXPECT_EQ(Value(read.rows[0].V[0]), kNoValue16);
    EXPECT_EQ(Value(read.rows[0].V[1]), kNoValue16);
    EXPECT_EQ(Value(read.rows[0].V[2]), -1);
    EXPECT_EQ(Value(read.rows[0].F[0]), kNoValue16);
    EXPECT_EQ(Value(read.rows[0].F[1]), 256);
    EXPECT_EQ(Value(read.rows[0].T[0]), 0);
}

// A second file that does not fit its main file: rows without a partner get
// no-value second rows, each with its log line.
struct tSecondFileCase {
    const char* fault;
    int secondRows;     // rows of the second file
    int secondStart;    // index of the main row its first row belongs to
    int wantPartnered;  // rows that keep their second row
    const char* line;   // logged once per row without partner
    int lines;
};

class SecondFileTest : public HistoryFilesTest,
                       public ::testing::WithParamInterface<tSecondFileCase> {};

TEST_P(SecondFileTest, RowsWithoutPartnerGetNoValue) {
    const tSecondFileCase& c = GetParam();
    WriteStatsLog(MakeLog(4), dir.Path(), Stem(), false, events);
    const tT other = MakeLog(c.secondRows, kMarch10At15 + c.secondStart * 20 * kSecond);
    dir.Write("Calorix8h.log7", SecondRowBytes(other));
    ClearEvents();

    tT read;
    ReadStatsLog(read, dir.Path(), Stem(), events);
    ASSERT_EQ(read.count, 3);
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(Value(read.rows2[i].time), Value(read.rows[i].time));
        if (i < c.wantPartnered) {
            EXPECT_EQ(Value(read.rows2[i].ActiveSeconds), i) << i;
        } else {
            EXPECT_EQ(Value(read.rows2[i].ActiveSeconds), kNoValue32) << i;
            EXPECT_EQ(Value(read.rows2[i].Reserved1[0]), kNoValue32) << i;
        }
    }
    int found = 0;
    for (const std::string& line : Events()) found += line == c.line;
    EXPECT_EQ(found, c.lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, SecondFileTest,
                         ::testing::Values(tSecondFileCase{"one_row_shorter", 3, 0, 3,
                                                           "rsl3 Read beyond end of file", 1},
                                           tSecondFileCase{"one_row_longer_at_the_end", 5, 0, 4, "",
                                                           0},
                                           tSecondFileCase{"one_row_longer_at_the_front", 5, -1, 0,
                                                           "rsl3 Time mismatch", 4}),
                         [](const auto& info) { return std::string(info.param.fault); });

TEST_F(HistoryFilesTest, MissingSecondFileGivesZeroSecondRows) {
    WriteStatsLog(MakeLog(2), dir.Path(), Stem(), false, events);
    fs::remove(dir / "Calorix8h.log7");
    tT read;
    ReadStatsLog(read, dir.Path(), Stem(), events);
    ASSERT_EQ(read.count, 1);
    EXPECT_EQ(Value(read.rows2[1].time), 0);
    EXPECT_EQ(Value(read.rows2[1].ActiveSeconds), 0);
}

TEST_F(HistoryFilesTest, MissingMainFileLeavesTheLog) {
    dir.Write("Calorix8h.log7", SecondRowBytes(MakeLog(2)));
    tT log = MakeLog(3);
    log.cropLimit = 55;
    ReadStatsLog(log, dir.Path(), Stem(), events);
    EXPECT_EQ(log.count, 2);
    EXPECT_EQ(log.cropLimit, 55);
    EXPECT_TRUE(Events().empty());
}

TEST_F(HistoryFilesTest, LostFilesAreRestoredFromTheirBackups) {
    WriteStatsLog(MakeLog(3), dir.Path(), Stem(), false, events);
    WriteStatsLog(MakeLog(2), dir.Path(), Stem(), true, events);
    fs::remove(dir / "Calorix8h.log6");
    fs::remove(dir / "Calorix8h.log7");
    ClearEvents();
    tT read;
    ReadStatsLog(read, dir.Path(), Stem(), events);
    EXPECT_EQ(read.count, 2);
    EXPECT_EQ(Value(read.rows2[2].ActiveSeconds), 2);
    const std::string a = (dir / "Calorix8h.log6").string();
    const std::string b = (dir / "Calorix8h.log7").string();
    EXPECT_TRUE(Logged("Restoring backup: " + a + ".backup -> " + a));
    EXPECT_TRUE(Logged("Restoring backup: " + b + ".backup -> " + b));
    EXPECT_TRUE(fs::exists(a));
}

TEST_F(HistoryFilesTest, TrailingPartialMainRowIsDropped) {
    const tT log = MakeLog(3);
    dir.Write("Calorix8h.log6", MainRowBytes(log) + std::string(100, 'x'));
    dir.Write("Calorix8h.log7", SecondRowBytes(log));
    tT read;
    ReadStatsLog(read, dir.Path(), Stem(), events);
    EXPECT_EQ(read.count, 2);
    EXPECT_EQ(read.cropLimit, 5);
    EXPECT_EQ(Value(read.rows2[2].ActiveSeconds), 2);
}

TEST_F(HistoryFilesTest, EmptyMainFileGivesAnEmptyLog) {
    dir.Write("Calorix8h.log6", "");
    tT read = MakeLog(3);
    ReadStatsLog(read, dir.Path(), Stem(), events);
    EXPECT_EQ(read.count, -1);
    EXPECT_TRUE(read.rows.empty());
    EXPECT_EQ(read.cropLimit, 2);
}

TEST_F(HistoryFilesTest, FailedWriteKeepsTheOldPairAndLogs) {
    WriteStatsLog(MakeLog(2), dir.Path(), Stem(), false, events);
    const std::string oldSecond = Read("Calorix8h.log7");
    // A folder in the main file's place makes its replacement fail.
    fs::remove(dir / "Calorix8h.log6");
    fs::create_directory(dir / "Calorix8h.log6");
    WriteStatsLog(MakeLog(3), dir.Path(), Stem(), false, events);
    EXPECT_EQ(Read("Calorix8h.log7"), oldSecond);
    bool logged = false;
    for (const std::string& line : Events()) logged |= line.rfind("wsl1 ", 0) == 0;
    EXPECT_TRUE(logged);
}

}  // namespace
}  // namespace cx::test
