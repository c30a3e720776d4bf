#pragma once
// The three small fixed-layout blocks: CPUCooL ("CPUCooL$Data$Area"), VCool
// ("VCOOL_SHARED_DATA") and Hmonitor ("Hmonitor_Counters_Block").
#include "readings/SharedBlock.h"

namespace cx {

// Temperatures, voltages, fans and two processor loads; read only when the
// word at 0x54 is not 0.
void ReadCPUCooLBlock(const tBlockView& view, tReadingContext& context);
// Two temperatures, three fans and the load of CPU4.
void ReadVCoolBlock(const tBlockView& view, tReadingContext& context);
// An array of f32 readings (three temperatures, seven voltages) and three fans.
void ReadHmonitorBlock(const tBlockView& view, tReadingContext& context);

class tCPUCooLSource : public tSharedBlockSource {
public:
    tCPUCooLSource() : tSharedBlockSource(kCPUCooLBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadCPUCooLBlock(view, context);
    }
};

class tVCoolSource : public tSharedBlockSource {
public:
    tVCoolSource() : tSharedBlockSource(kVCoolBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadVCoolBlock(view, context);
    }
};

class tHmonitorSource : public tSharedBlockSource {
public:
    tHmonitorSource() : tSharedBlockSource(kHmonitorBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadHmonitorBlock(view, context);
    }
};

}  // namespace cx
