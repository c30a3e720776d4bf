// Adding samples to one history log: the open row, break rows, cleaning and cropping.
#include "monitor/core/HistoryLog.h"

#include <gtest/gtest.h>

#include "core/CoreFixture.h"
#include "settings/Formats.h"

namespace cx::test {
namespace {

class HistoryLogTest : public tCoreFixture {
protected:
    // Adds a sample stamped `t` whose slot T1 (or V1, F1) holds the given values.
    void Add(tT& log, TDateTime t, bool force = false, const tLogParams& p = kLog8h) {
        sample.time = t;
        sample2.time = t;
        const tHistoryInput input{sample, sample2, t, settings.IgnoreNonsense, events, locale};
        AddToStats(log, input, force, p.gapLimit, p.step, p.span);
    }
    // A log holding one frozen row per value of T1 in `values`, 20 s apart,
    // followed by the open row of the last value.
    tT RowsWithT1(std::initializer_list<int16_t> values) {
        tT log;
        ResetLog(log);
        TDateTime t = kMarch10At15;
        for (int16_t v : values) {
            sample.T[0] = v;
            Add(log, t, true);
            t += 20 * kSecond;
        }
        return log;
    }

    tSample sample{};
    tSample2 sample2{};
    tLocaleFormats locale;
};

TEST_F(HistoryLogTest, TicksWithinTheStepShareTheOpenRow) {
    FillSample(sample, sample2, 0);
    tT log;
    ResetLog(log);
    const TDateTime frozen = kMarch10At15;
    Add(log, frozen, true);
    Add(log, frozen, true);  // as a break leaves it: a frozen row and an open row
    ASSERT_EQ(log.count, 1);

    Add(log, frozen + 15 * kSecond);
    EXPECT_EQ(log.count, 1);
    EXPECT_DOUBLE_EQ(Value(log.rows[1].time), frozen + 15 * kSecond);

    Add(log, frozen + 25 * kSecond);
    EXPECT_EQ(log.count, 2);
    EXPECT_DOUBLE_EQ(Value(log.rows[1].time), frozen + 15 * kSecond);
    EXPECT_DOUBLE_EQ(Value(log.rows[2].time), frozen + 25 * kSecond);
    EXPECT_EQ(log.rows.size(), 3u);
    EXPECT_EQ(log.rows2.size(), 3u);
    EXPECT_EQ(Value(log.rows2[2].ActiveSeconds), 7);
}

TEST_F(HistoryLogTest, FreshLogStartsWithAnAllZeroRow) {
    FillSample(sample, sample2, 0);
    tT log;
    Add(log, kMarch10At15);
    ASSERT_EQ(log.count, 1);
    EXPECT_EQ(Value(log.rows[0].time), 0);
    EXPECT_EQ(Value(log.rows[0].T[0]), 0);
    EXPECT_DOUBLE_EQ(Value(log.rows[1].time), kMarch10At15);
}

TEST_F(HistoryLogTest, BreakRowCarriesMarkersEverywhere) {
    tT log;
    ResetLog(log);
    AddBreakValue(log, kMarch10At15, events);
    ASSERT_EQ(log.count, 0);
    const tSample& row = log.rows[0];
    EXPECT_DOUBLE_EQ(Value(row.time), kMarch10At15);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Value(row.T[i]), kNoValue16);
        EXPECT_EQ(Value(row.V[i]), kNoValue16);
        EXPECT_EQ(Value(row.F[i]), kNoValue16);
    }
    EXPECT_EQ(Value(row.CPU[3]), kNoValue16);
    EXPECT_EQ(Value(row.NetIn[0]), kNoValue32);
    EXPECT_EQ(Value(row.NetOut[3]), kNoValue32);
    EXPECT_EQ(Value(row.BatRemaining), kNoValue32);
    EXPECT_EQ(Value(row.BatFull), 0);
    EXPECT_EQ(Value(row.OnMains), 0);
    EXPECT_DOUBLE_EQ(Value(log.rows2[0].time), kMarch10At15);
    EXPECT_EQ(Value(log.rows2[0].ActiveSeconds), kNoValue32);
    EXPECT_EQ(Value(log.rows2[0].Reserved4[9]), kNoValue32);
}

TEST_F(HistoryLogTest, GapBeyondTheLimitAddsABreakRow) {
    FillSample(sample, sample2, 0);
    tT log;
    ResetLog(log);
    Add(log, kMarch10At15, true);
    Add(log, kMarch10At15 + 20 * kSecond, true);
    // The open row lies 101 s after its predecessor when the next row opens.
    Add(log, kMarch10At15 + 121 * kSecond);
    Add(log, kMarch10At15 + 150 * kSecond);
    ASSERT_EQ(log.count, 4);
    EXPECT_EQ(Value(log.rows[3].T[0]), kNoValue16);
    EXPECT_TRUE(Logged("Discarding too old value."));
}

// Slot T1 over the rows Q, P, N (oldest first): what P and N become.
struct tCleanCase {
    const char* fault;
    int16_t q, p, n;
    int16_t wantP, wantN;
    const char* line;  // the expected event-log line, or "" for none
};

class CleanTemperatureTest : public HistoryLogTest,
                             public ::testing::WithParamInterface<tCleanCase> {};

TEST_P(CleanTemperatureTest, RepairsT1) {
    const tCleanCase& c = GetParam();
    FillSample(sample, sample2, 0);
    tT log = RowsWithT1({c.q, c.p, c.n});
    ASSERT_EQ(log.count, 2);
    EXPECT_EQ(Value(log.rows[1].T[0]), c.wantP);
    EXPECT_EQ(Value(log.rows[2].T[0]), c.wantN);
    const std::vector<std::string> lines = Events();
    if (*c.line) {
        EXPECT_EQ(lines, std::vector<std::string>{c.line});
    } else {
        EXPECT_TRUE(lines.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CleanTemperatureTest,
    ::testing::Values(tCleanCase{"jump_above_20_degrees", 4500, 4500, 6501, 4500, kNoValue16,
                                 "Removed faulty T1: 6501 (4500)"},
                      tCleanCase{"jump_of_exactly_20_degrees", 4500, 4500, 6500, 4500, 6500, ""},
                      tCleanCase{"drop_below_20_degrees", 4500, 4500, 2499, 4500, kNoValue16,
                                 "Removed faulty T1: 2499 (4500)"},
                      tCleanCase{"spike_above_both_neighbours", 4000, 6000, 4100, 4000, 4100,
                                 "Removed gap T1: 6000"},
                      tCleanCase{"dip_below_both_neighbours", 4000, 3000, 4100, 4000, 4100,
                                 "Removed gap T1: 3000"},
                      tCleanCase{"small_bump_stays", 4000, 4500, 4100, 4500, 4100, ""},
                      tCleanCase{"previous_missing_skips_slot", 4000, kNoValue16, 9000, kNoValue16,
                                 9000, ""},
                      tCleanCase{"before_previous_missing_no_spike_test", kNoValue16, 6000, 4100,
                                 6000, 4100, ""}),
    [](const auto& info) { return std::string(info.param.fault); });

TEST_F(HistoryLogTest, CleaningIsOffWithoutIgnoreNonsense) {
    settings.IgnoreNonsense = false;
    FillSample(sample, sample2, 0);
    tT log = RowsWithT1({4000, 6000, 9000});
    EXPECT_EQ(Value(log.rows[1].T[0]), 6000);
    EXPECT_EQ(Value(log.rows[2].T[0]), 9000);
    EXPECT_TRUE(Events().empty());
}

TEST_F(HistoryLogTest, VoltageOfZeroMakesEveryNextValueFaulty) {
    FillSample(sample, sample2, 0);
    tT log;
    ResetLog(log);
    sample.V[2] = 1200;
    Add(log, kMarch10At15, true);
    sample.V[2] = 0;
    Add(log, kMarch10At15 + 20 * kSecond, true);
    // Each sample overwriting the open row is compared with the frozen 0.
    for (int16_t v : {1, 1200, -5}) {
        sample.V[2] = v;
        Add(log, kMarch10At15 + 30 * kSecond, log.count < 2);
        EXPECT_EQ(Value(log.rows[log.count].V[2]), kNoValue16) << v;
        EXPECT_TRUE(Logged("Removed faulty V3: " + std::to_string(v) + " (0)"));
    }
    sample.V[2] = 0;
    Add(log, kMarch10At15 + 35 * kSecond);
    EXPECT_EQ(Value(log.rows[log.count].V[2]), 0);
}

TEST_F(HistoryLogTest, VoltageAndFanTolerancesScaleWithTheValue) {
    FillSample(sample, sample2, 0);
    tT log;
    ResetLog(log);
    // Q 1200, P 1300 (above max(N, Q) + 1200 div 16 = 75), N 1210: a spike.
    sample.V[0] = 1200;
    sample.F[0] = 2000;
    Add(log, kMarch10At15, true);
    sample.V[0] = 1300;
    sample.F[0] = 2100;  // within max(2000, 2010) + 125: stays
    Add(log, kMarch10At15 + 20 * kSecond, true);
    sample.V[0] = 1210;
    sample.F[0] = 2626;  // beyond 2100 + 2100 div 4 = 2625: faulty
    Add(log, kMarch10At15 + 40 * kSecond, true);
    EXPECT_EQ(Value(log.rows[2].F[0]), kNoValue16);
    EXPECT_EQ(Value(log.rows[1].V[0]), 1200);
    EXPECT_EQ(Value(log.rows[1].F[0]), 2100);
    EXPECT_EQ(Value(log.rows[2].V[0]), 1210);
    EXPECT_TRUE(Logged("Removed gap V1: 1300"));
    EXPECT_TRUE(Logged("Removed faulty F1: 2626 (2100)"));
}

TEST_F(HistoryLogTest, CroppingKeepsTwoRowsBeforeTheSpan) {
    FillSample(sample, sample2, 0);
    tT log;
    ResetLog(log);
    // Rows one minute apart, cropped to a span of 60.5 minutes (the half
    // minute keeps every row clear of the span's edge).
    const tLogParams hourLog{1.0 / 4320, 1.0, 3630 * kSecond, "x"};
    for (int i = 0; i < 203; ++i) {
        sample.T[0] = static_cast<int16_t>(i);
        Add(log, kMarch10At15 + i * 60 * kSecond, true, hourLog);
        if (i == 101) {
            // The first crop ran at count 101: row 40 is the first one older
            // than the span and becomes row 1.
            EXPECT_EQ(Value(log.rows[0].T[0]), 39);
            EXPECT_EQ(Value(log.rows[1].T[0]), 40);
            EXPECT_EQ(log.count, 62);
            EXPECT_EQ(log.cropLimit, 162);
        }
    }
    // The second crop ran at count 163, when row 202 was added.
    EXPECT_EQ(Value(log.rows[0].T[0]), 140);
    EXPECT_EQ(Value(log.rows[1].T[0]), 141);
    EXPECT_EQ(Value(log.rows[log.count].T[0]), 202);
    EXPECT_EQ(log.count, 62);
    EXPECT_EQ(log.rows.size(), 63u);
    EXPECT_EQ(log.rows2.size(), 63u);
    EXPECT_TRUE(Logged("Cropping log"));
    EXPECT_TRUE(Logged("Deleting data up to " +
                       FormatDateTime("c", kMarch10At15 + 141 * 60 * kSecond, locale)));
}

TEST_F(HistoryLogTest, CroppingAYoungLogOnlyRaisesTheLimit) {
    FillSample(sample, sample2, 0);
    tT log;
    ResetLog(log);
    for (int i = 0; i < 102; ++i) Add(log, kMarch10At15 + i * 20 * kSecond, true);
    EXPECT_EQ(log.count, 101);
    EXPECT_EQ(log.cropLimit, 201);
    EXPECT_TRUE(Logged("Cropping log"));
    for (const std::string& line : Events()) EXPECT_EQ(line.find("Deleting"), std::string::npos);
}

// A year of 20-second ticks, with a forced row every 30 minutes as the saves
// add: each log stays within its span plus the two leading rows (and the rows
// added since its last crop), and its arrays stop growing once the span is full.
TEST_F(HistoryLogTest, AYearOfTicksStaysInsideEachSpan) {
    debug = false;
    FillSample(sample, sample2, 0);
    tHistories h;
    const tLogParams params[] = {kLog8h, kLog7d, kLog1a};
    tT* logs[] = {&h.log8h, &h.log7d, &h.log1a};
    size_t capacityAtDay30[3] = {0, 0, 0};
    const int ticksPerDay = 4320;
    for (int tick = 0; tick < 366 * ticksPerDay; ++tick) {
        const TDateTime t = kMarch10At15 + tick * 20 * kSecond;
        const bool save = tick % 90 == 89;
        for (int k = 0; k < 3; ++k) {
            tT& log = *logs[k];
            const int32_t limitBefore = log.cropLimit;
            Add(log, t, save, params[k]);
            ASSERT_EQ(log.rows.size(), static_cast<size_t>(log.count + 1));
            ASSERT_EQ(log.rows2.size(), log.rows.size());
            if (log.cropLimit != limitBefore && t - kMarch10At15 > params[k].span + 1) {
                // Just cropped: rows 0 and 1 lie before the span, row 2 inside it.
                ASSERT_GT(t - Value(log.rows[1].time), params[k].span) << k << " " << tick;
                ASSERT_LE(t - Value(log.rows[2].time), params[k].span) << k << " " << tick;
            }
        }
        if (tick == 30 * ticksPerDay) {
            for (int k = 0; k < 3; ++k) capacityAtDay30[k] = logs[k]->rows.capacity();
        }
    }
    // Rows in a span: one per tick for 8 hours; one per step plus one per save
    // for 7 days and for the year; then two leading rows and up to 101 rows
    // added since the last crop.
    EXPECT_LE(h.log8h.count, 1441 + 2 + 101);
    EXPECT_GE(h.log8h.count, 1440);
    EXPECT_LE(h.log7d.count, 7 * (288 + 48) + 2 + 101);
    EXPECT_LE(h.log1a.count, 366 * (6 + 48) + 2 + 101);
    EXPECT_EQ(h.log8h.rows.capacity(), capacityAtDay30[0]);
    EXPECT_EQ(h.log7d.rows.capacity(), capacityAtDay30[1]);
    EXPECT_LE(h.log1a.rows.capacity(), 2 * h.log1a.rows.size());
}

}  // namespace
}  // namespace cx::test
