#pragma once
// ATI Tray Tools' block "ATITRAY_SMEM": the GPU and environment temperatures
// and the fan value, put into the slots whose "OrderATITrayTools" keyword
// names them.
#include "readings/SharedBlock.h"

namespace cx {

// The fan value is stored as value × 100, positive, the scaling the other
// sources give their percentages (those negative).
void ReadATITrayToolsBlock(const tBlockView& view, tReadingContext& context);

class tATITrayToolsSource : public tSharedBlockSource {
public:
    tATITrayToolsSource() : tSharedBlockSource(kATITrayToolsBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadATITrayToolsBlock(view, context);
    }
};

}  // namespace cx
