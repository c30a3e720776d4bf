#pragma once
// The current sample: two packed little-endian records of scaled integers.
// They are stored byte for byte as the rows of the history files, so their
// layout is a file format; the offsets below are checked at compile time.
#include <bit>
#include <cstddef>
#include <cstdint>

#include "platform/Clock.h"

namespace cx {

static_assert(std::endian::native == std::endian::little,
              "history rows are little-endian records stored byte for byte");

// No-value markers.
inline constexpr int16_t kNoValue16 = 32767;
inline constexpr int32_t kNoValue32 = 2147483647;
// The published value block's own "nothing here" value.
inline constexpr int32_t kBlockNoValue = -255;

inline constexpr int kTempSlots = 10;
inline constexpr int kVoltSlots = 10;
inline constexpr int kFanSlots = 10;
// The processor, network and disk slot counts (kCpuSlots, kNetSlots,
// kDiskSlots) are declared once, in settings/Settings.h.

#pragma pack(push, 1)
struct tSample {
    TDateTime time;         // UTC of the pass that filled the record
    int16_t T[10];          // hundredths of a degree Celsius
    int16_t V[10];          // hundredths of a volt
    int16_t F[10];          // rpm (> 0) or minus hundredths of a percent of duty (< 0)
    int16_t CPU[4];         // hundredths of a percent
    int32_t NetIn[4];       // cumulative KB received
    int32_t NetOut[4];      // cumulative KB sent
    int32_t MemUsed;        // KB
    int32_t MemFree;        // KB
    int32_t PageUsed;       // KB
    int32_t PageFree;       // KB
    int32_t Cache;          // KB
    int32_t Clock;          // kHz
    int32_t BatRemaining;   // mWh, or a relative figure
    int32_t BatFull;        // full-charged (else designed) capacity; 0 = no battery
    uint8_t OnMains;        // 1 = running on mains power
};

struct tSample2 {
    TDateTime time;          // equal to the main record's time
    int32_t ActiveSeconds;   // running count of seconds the user was active
    int32_t Reserved1[10];   // never written by a source: 0 live, marker in break rows
    int32_t Reserved2[10];
    int32_t Reserved3[10];
    int32_t Reserved4[10];
};
#pragma pack(pop)

static_assert(sizeof(tSample) == 141);
static_assert(offsetof(tSample, T) == 8);
static_assert(offsetof(tSample, V) == 28);
static_assert(offsetof(tSample, F) == 48);
static_assert(offsetof(tSample, CPU) == 68);
static_assert(offsetof(tSample, NetIn) == 76);
static_assert(offsetof(tSample, NetOut) == 92);
static_assert(offsetof(tSample, MemUsed) == 108);
static_assert(offsetof(tSample, MemFree) == 112);
static_assert(offsetof(tSample, PageUsed) == 116);
static_assert(offsetof(tSample, PageFree) == 120);
static_assert(offsetof(tSample, Cache) == 124);
static_assert(offsetof(tSample, Clock) == 128);
static_assert(offsetof(tSample, BatRemaining) == 132);
static_assert(offsetof(tSample, BatFull) == 136);
static_assert(offsetof(tSample, OnMains) == 140);

static_assert(sizeof(tSample2) == 172);
static_assert(offsetof(tSample2, ActiveSeconds) == 8);
static_assert(offsetof(tSample2, Reserved1) == 12);
static_assert(offsetof(tSample2, Reserved2) == 52);
static_assert(offsetof(tSample2, Reserved3) == 92);
static_assert(offsetof(tSample2, Reserved4) == 132);

}  // namespace cx
