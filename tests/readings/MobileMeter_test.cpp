#include "readings/MobileMeter.h"

#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "readings/SystemReaderHarness.h"

namespace cx {
namespace {

using tWords = std::array<int16_t, kMobileMeterWords>;

// Puts a sensor record: the marker at `at`, the value 11 words before it.
void PutRecord(tWords& words, size_t at, int16_t value) {
    words[at] = 21;
    words[at + 1] = -1;  // 65535
    words[at + 2] = -1;
    if (at >= 11) words[at - 11] = value;
}

tSample MarkedSample() {
    tSample s{};
    for (int n = 0; n < kTempSlots; ++n) s.T[n] = kNoValue16;
    return s;
}

// The memory of a small MobileMeter: a layout record and three sensors.
tWords MeterWords() {
    tWords words{};
    PutRecord(words, 5, 999);    // the first marker only fixes the layout
    PutRecord(words, 40, 452);   // T1 = 45.2 degrees
    PutRecord(words, 80, 0);     // T2: no reading
    PutRecord(words, 120, -55);  // T3 = -5.5 degrees
    return words;
}

TEST(MobileMeter, MarkersNumberTheTemperatures) {
    tSample s = MarkedSample();
    ApplyMobileMeterWords(MeterWords(), s);
    EXPECT_EQ(s.T[0], 4520);
    EXPECT_EQ(s.T[1], kNoValue16);
    EXPECT_EQ(s.T[2], -550);
    EXPECT_EQ(s.T[3], kNoValue16);
}

TEST(MobileMeter, ScanRulesAndLimits) {
    // The word that breaks a partial match does not start the next one: the
    // second 21 of "21 21 65535 65535" is no marker.
    tWords words{};
    PutRecord(words, 20, 1);
    words[50] = 21;
    PutRecord(words, 51, 300);
    PutRecord(words, 90, 310);
    tSample s = MarkedSample();
    ApplyMobileMeterWords(words, s);
    EXPECT_EQ(s.T[0], 3100);
    EXPECT_EQ(s.T[1], kNoValue16);

    // Only T1..T10 are written; a value a slot cannot hold becomes the marker.
    tWords many{};
    for (size_t k = 0; k < 14; ++k) PutRecord(many, 20 + 20 * k, static_cast<int16_t>(100 + k));
    PutRecord(many, 400, 4000);  // the 20th marker is past the slots anyway
    many[20 + 20 * 3 - 11] = 4000;
    tSample m = MarkedSample();
    ApplyMobileMeterWords(many, m);
    EXPECT_EQ(m.T[0], 1010);
    EXPECT_EQ(m.T[2], kNoValue16);
    EXPECT_EQ(m.T[9], 1100);
}

TEST(MobileMeter, MissingProgramIsSkippedSilently) {
    test::tSystemReaderHarness harness;
    harness.rs.sample = MarkedSample();
    tMobileMeterSource source("cx-no-such-meter");
    source.Read(harness.context);
    EXPECT_EQ(harness.rs.sample.T[0], kNoValue16);
    EXPECT_EQ(harness.EventText(), "");
}

// A child of ours named like the program, with the meter's words at its address.
TEST(MobileMeter, ReadsTheMemoryOfTheRunningProgram) {
    const std::string name = "cxmm" + std::to_string(getpid() % 100000000);
    int ready[2];
    int hold[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(hold), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        close(hold[1]);
        const uintptr_t page = kMobileMeterAddress & ~uintptr_t{0xFFF};
        void* want = reinterpret_cast<void*>(page);
        void* got = mmap(want, 0x2000, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
        char state = 'n';
        if (got == want) {
            const tWords words = MeterWords();
            std::memcpy(reinterpret_cast<void*>(kMobileMeterAddress), words.data(), sizeof words);
            prctl(PR_SET_NAME, name.c_str());
            state = 'y';
        }
        if (write(ready[1], &state, 1) != 1) _exit(1);
        char byte;
        while (read(hold[0], &byte, 1) > 0) {
        }
        _exit(0);
    }
    close(ready[1]);
    close(hold[0]);
    char state = 0;
    ASSERT_EQ(read(ready[0], &state, 1), 1);
    close(ready[0]);

    test::tSystemReaderHarness harness;
    harness.rs.sample = MarkedSample();
    tMobileMeterSource source(name);
    source.Read(harness.context);
    // A fake process tree names no real program: nothing is read through it.
    test::tSystemReaderHarness fake(test::SysFixture("."));
    fake.rs.sample = MarkedSample();
    source.Read(fake.context);

    close(hold[1]);
    int status = 0;
    waitpid(child, &status, 0);
    if (state != 'y') GTEST_SKIP() << "the meter's address is taken in this process";
    EXPECT_EQ(harness.rs.sample.T[0], 4520);
    EXPECT_EQ(harness.rs.sample.T[2], -550);
    EXPECT_EQ(fake.rs.sample.T[0], kNoValue16);
}

}  // namespace
}  // namespace cx
