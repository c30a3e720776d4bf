#pragma once
// MBM 5's blocks in their three layouts: 5.1.9 ("$M$B$M$5$S$D$", sensor
// records), and 5.1.0.7 and 5.0.9x (both "$M$B$M$5$D$", fixed arrays).
#include "readings/SharedBlock.h"

namespace cx {

// Layout 5.1.9: temperatures by "OrderMBM5190", voltages and fans in record order.
void ReadMBM5190Block(const tBlockView& view, tReadingContext& context);
// Layout 5.1.0.7: read only when the word at 0xA0 is above 0.
void ReadMBM5107Block(const tBlockView& view, tReadingContext& context);
// Layouts 5.0.9x: read only when the word at 0x70 is above 0.
void ReadMBM509xBlock(const tBlockView& view, tReadingContext& context);

class tMBM5190Source : public tSharedBlockSource {
public:
    tMBM5190Source() : tSharedBlockSource(kMBM5190Block) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadMBM5190Block(view, context);
    }
};

class tMBM5107Source : public tSharedBlockSource {
public:
    tMBM5107Source() : tSharedBlockSource(kMBM510xBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadMBM5107Block(view, context);
    }
};

class tMBM509xSource : public tSharedBlockSource {
public:
    tMBM509xSource() : tSharedBlockSource(kMBM510xBlock) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadMBM509xBlock(view, context);
    }
};

}  // namespace cx
