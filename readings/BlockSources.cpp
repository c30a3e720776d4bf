#include "readings/BlockSources.h"

#include <memory>

#include "readings/BlockATITool.h"
#include "readings/BlockATITrayTools.h"
#include "readings/BlockAida.h"
#include "readings/BlockCPUID.h"
#include "readings/BlockCoreTemp.h"
#include "readings/BlockMBM.h"
#include "readings/BlockRivaTuner.h"
#include "readings/BlockSmallSources.h"
#include "readings/BlockSpeedFan.h"

namespace cx {

void AddBlockSources(tReadingSources& sources) {
    sources.aida64 = std::make_unique<tAidaSource>(kAIDA64Block);
    sources.everest = std::make_unique<tAidaSource>(kEverestBlock);
    sources.cpuid = std::make_unique<tCPUIDSource>();
    sources.cpuCool = std::make_unique<tCPUCooLSource>();
    sources.vCool = std::make_unique<tVCoolSource>();
    sources.hMonitor = std::make_unique<tHmonitorSource>();
    sources.speedFan = std::make_unique<tSpeedFanSource>();
    sources.atiTool = std::make_unique<tATIToolSource>();
    sources.rivaTuner = std::make_unique<tRivaTunerSource>();
    sources.atiTrayTools = std::make_unique<tATITrayToolsSource>();
    sources.coreTemp = std::make_unique<tCoreTempSource>();
    sources.mbm5190 = std::make_unique<tMBM5190Source>();
    sources.mbm5107 = std::make_unique<tMBM5107Source>();
    sources.mbm509x = std::make_unique<tMBM509xSource>();
}

}  // namespace cx
