#pragma once
// CoreTemp's block "CoreTempMappingObject": per-core temperatures over all
// processors, the core voltage and the clock.
#include "readings/SharedBlock.h"

namespace cx {

// Writes the clock and V10, then T1.. with the cores in order (at most ten),
// turning distances to the junction maximum and Fahrenheit into Celsius.
void ReadCoreTempBlock(const tBlockView& view, tReadingContext& context);

class tCoreTempSource : public tSharedBlockSource {
public:
    tCoreTempSource() : tSharedBlockSource(kCoreTempBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadCoreTempBlock(view, context);
    }
};

}  // namespace cx
