#include "readings/FileSources.h"

#include "readings/Aquaero.h"
#include "readings/Boinc.h"
#include "readings/MobileMeter.h"
#include "readings/SpeedFanNames.h"
#include "readings/ValueBlock.h"

namespace cx {

void AddFileSources(tReadingSources& sources, const tFileSourcePlaces& places) {
    sources.speedFanNames = std::make_unique<tSpeedFanNamesSource>(places.registryFile);
    sources.aquaero = std::make_unique<tAquaeroSource>(places.settingsDir, places.programDir);
    sources.boinc = std::make_unique<tBOINCSource>(places.registryFile);
    sources.valueBlock = std::make_unique<tValueBlockSource>();
    sources.mobileMeter = std::make_unique<tMobileMeterSource>();
}

}  // namespace cx
