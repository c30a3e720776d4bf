#pragma once
// CPUID Hardware Monitor's block "$CPUID$HWM$": a table of devices, each with
// sensor counts per class, followed by the sensor records of all devices.
#include "readings/SharedBlock.h"

namespace cx {

// Fills V, T and F with running slot numbers over the devices' voltage,
// temperature and fan sensors; names slots while the CPUID flag is up.
void ReadCPUIDBlock(const tBlockView& view, tReadingContext& context);

class tCPUIDSource : public tSharedBlockSource {
public:
    tCPUIDSource() : tSharedBlockSource(kCPUIDBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadCPUIDBlock(view, context);
    }
};

}  // namespace cx
