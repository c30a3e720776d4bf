#pragma once
// SpeedFan's block "SFSharedMemory_ALM": three arrays of 32 values already in
// the units of the reading set, mapped to the slots by "OrderSpeedFan".
#include "readings/SharedBlock.h"

namespace cx {

// Reads temperatures, fans and voltages from a mapped SpeedFan block.
void ReadSpeedFanBlock(const tBlockView& view, tReadingContext& context);

class tSpeedFanSource : public tSharedBlockSource {
public:
    tSpeedFanSource() : tSharedBlockSource(kSpeedFanBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadSpeedFanBlock(view, context);
    }
};

// True when SpeedFan's block can be opened for reading (it is closed again at
// once); false when it cannot or anything fails. Decides whether SpeedFan has
// to be started. While the SpeedFan source follows its block through the
// block watch, the answer comes without a lookup until the block's name sees
// an event.
bool SpeedFanPresent() noexcept;

}  // namespace cx
