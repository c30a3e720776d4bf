#pragma once
// The sources of this machine's own readings, put into their steps of the pass.
#include "readings/ReadingPass.h"

namespace cx {

// Fills the steps that Linux itself answers: hwmon sensors, processor clock
// and loads, thermal zones, network, batteries, disks, memory and uptime.
// Steps of other programs' blocks and files are left as they are.
void AddSystemSources(tReadingSources& sources);

}  // namespace cx
