// Every block reader over arbitrary bytes taken as the whole mapping: the
// first byte sets the zero-value switch and the name-refresh flags, the rest
// is the block. A read outside the bytes must be refused by the view (the
// sanitizers catch any that is not); a refused read is an ordinary failure.
#include <cstddef>
#include <cstdint>
#include <exception>

#include "platform/Clock.h"
#include "readings/BlockATITool.h"
#include "readings/BlockATITrayTools.h"
#include "readings/BlockAida.h"
#include "readings/BlockCPUID.h"
#include "readings/BlockCoreTemp.h"
#include "readings/BlockMBM.h"
#include "readings/BlockRivaTuner.h"
#include "readings/BlockSmallSources.h"
#include "readings/BlockSpeedFan.h"

namespace {

using tBlockReader = void (*)(const cx::tBlockView&, cx::tReadingContext&);

constexpr tBlockReader kReaders[] = {
    cx::ReadAidaBlock,         cx::ReadCPUIDBlock,    cx::ReadCPUCooLBlock, cx::ReadVCoolBlock,
    cx::ReadHmonitorBlock,     cx::ReadSpeedFanBlock, cx::ReadATIToolBlock, cx::ReadRivaTunerBlock,
    cx::ReadATITrayToolsBlock, cx::ReadCoreTempBlock, cx::ReadMBM5190Block, cx::ReadMBM5107Block,
    cx::ReadMBM509xBlock,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const bool debug = false;
    static const cx::tFakeClock clock;
    static const cx::tEventLog events("/dev/null", debug, clock);
    cx::tReadingSet rs;
    cx::tSettings settings;
    settings.AcceptZeroValue = (data[0] & 1) != 0;
    rs.refreshCPUIDNames = rs.refreshEverestNames = (data[0] & 2) != 0;
    cx::tReadingContext context{rs, settings, events, clock, "/"};
    const cx::tBlockView view(data + 1, size - 1);
    // Twice: the second pass meets the fragments and names the first one changed.
    for (int pass = 0; pass < 2; ++pass) {
        for (tBlockReader read : kReaders) {
            try {
                read(view, context);
            } catch (const std::exception&) {
                // A block the reader refuses: the pass would log it and go on.
                continue;
            }
        }
    }
    return 0;
}
