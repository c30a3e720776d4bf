#pragma once
// The published value block "$Calorix2$": a shared-memory block in which other
// programs of this user write readings for us. The monitor creates it at
// start-up filled with "nothing here" markers and releases it at shutdown;
// every reading pass reads it after all other sensor sources, so its values
// override theirs.
//
// Layout (little-endian doubles, 288 bytes):
//   0   T1..T10 in degrees Celsius       -255 = nothing
//   80  V1..V10 in volts                 -255 = nothing
//   160 F1..F10: rpm from 255 on, else percent; negative = nothing, 0 = fan stopped
//   240 processor clock in MHz           0 or below = nothing
//   248 processor count (one byte)       0 = nothing; 7 bytes of padding follow
//   256 CPU1..CPU4 load in percent       -255 = nothing
#include <cstddef>
#include <cstdint>
#include <string>

#include "readings/ReadingSet.h"
#include "readings/SharedBlock.h"
#include "settings/EventLog.h"

namespace cx {

inline constexpr size_t kValueBlockTempOffset = 0;
inline constexpr size_t kValueBlockVoltOffset = 80;
inline constexpr size_t kValueBlockFanOffset = 160;
inline constexpr size_t kValueBlockClockOffset = 240;
inline constexpr size_t kValueBlockCountOffset = 248;
inline constexpr size_t kValueBlockCpuOffset = 256;
inline constexpr size_t kValueBlockSize = 288;
inline constexpr double kValueBlockNothing = kBlockNoValue;

// Writes the state of a fresh block into `data` (kValueBlockSize bytes): the
// marker in every temperature, voltage, fan and load value, clock and count 0.
void FillValueBlockMarkers(uint8_t* data);

// Takes the block's values into the reading set. Throws when the block is
// shorter than its layout; nothing is taken from such a block.
void ApplyValueBlock(const tBlockView& view, tReadingSet& rs);

// The monitor's own block, from creation to release. Created with mode 0600:
// only programs of this user can read it or write into it.
class tValueBlock {
public:
    tValueBlock() = default;
    ~tValueBlock() { Release(); }
    tValueBlock(const tValueBlock&) = delete;
    tValueBlock& operator=(const tValueBlock&) = delete;

    // Creates (or takes over from an earlier run) the block and fills it with
    // markers. On failure logs "Cannot create memory map" or "Cannot view
    // memory map" and returns false; the program goes on without a block. A
    // block of that name owned by another user is not taken over.
    bool Create(const tEventLog& events);

    // Unmaps and removes the block, so that the passes of the other programs
    // find nothing once the monitor has gone. Does nothing without a block.
    void Release();

    bool IsOpen() const { return m_data != nullptr; }

private:
    int m_fd = -1;
    uint8_t* m_data = nullptr;
    std::string m_objectName;
};

// The source of the valueBlock step, run on every pass. Like every block
// source it keeps the block mapped between passes and opens it afresh when
// the block is made anew (Create) or removed (Release).
class tValueBlockSource : public tSharedBlockSource {
public:
    tValueBlockSource() : tSharedBlockSource(kValueBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override;
};

}  // namespace cx
