#pragma once
// ATITool's block "ATIToolData": two temperatures and the fan speed, put into
// the slots whose "OrderAtiTool" keyword names them.
#include "readings/SharedBlock.h"

namespace cx {

void ReadATIToolBlock(const tBlockView& view, tReadingContext& context);

class tATIToolSource : public tSharedBlockSource {
public:
    tATIToolSource() : tSharedBlockSource(kATIToolBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadATIToolBlock(view, context);
    }
};

}  // namespace cx
