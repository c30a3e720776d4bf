#pragma once
// The sources of other programs' files and memory and of the published value
// block, put into their steps of the pass.
#include <filesystem>
#include <string>

#include "readings/ReadingPass.h"

namespace cx {

// Where these sources look besides the folders they find themselves. Empty
// members take this machine's own: the settings folder is the event log's
// folder, the program folder the one of this executable, the registry values
// file DefaultRegistryValuesFile.
struct tFileSourcePlaces {
    std::string settingsDir;
    std::string programDir;
    std::filesystem::path registryFile;
};

// Fills the steps speedFanNames, aquaero, boinc, valueBlock and mobileMeter.
// The other steps are left as they are.
void AddFileSources(tReadingSources& sources, const tFileSourcePlaces& places = {});

}  // namespace cx
