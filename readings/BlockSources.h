#pragma once
// The sources of other programs' shared-memory blocks, put into their steps
// of the pass.
#include "readings/ReadingPass.h"

namespace cx {

// Fills the steps of AIDA64 and EVEREST, CPUID Hardware Monitor, CPUCooL,
// VCool, Hmonitor, SpeedFan, ATITool, RivaTuner, ATI Tray Tools, CoreTemp and
// the three MBM 5 layouts. Other steps are left as they are.
void AddBlockSources(tReadingSources& sources);

}  // namespace cx
