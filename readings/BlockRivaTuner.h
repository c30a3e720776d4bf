#pragma once
// RivaTuner's hardware-monitoring block "RTHMSharedMemory": a header with
// signature, version, entry count and entry size, then named entries. Entries
// go to the slots whose name fragment they contain.
#include "readings/SharedBlock.h"

namespace cx {

// The signature "RTHM" that marks a block of the known layout.
inline constexpr uint32_t kRivaTunerSignature = 0x5254484D;

// Logs the block's version and every entry, and fills T and F by the
// "OrderRivaTuner" fragments, each matched fragment becoming the full
// lower-case name so that the sensor keeps its slot on later passes. Throws
// when the entries the header counts do not fit the block.
void ReadRivaTunerBlock(const tBlockView& view, tReadingContext& context);

class tRivaTunerSource : public tSharedBlockSource {
public:
    tRivaTunerSource() : tSharedBlockSource(kRivaTunerBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadRivaTunerBlock(view, context);
    }
};

}  // namespace cx
