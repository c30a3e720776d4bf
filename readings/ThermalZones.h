#pragma once
// The ACPI and platform thermal zones of /sys/class/thermal: each zone with a
// reading fills the next temperature slot, T1 first.
#include <string>
#include <vector>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

class tThermalZoneSource : public IReadingSource {
public:
    // Zones in the order of their numbers; a zone without a reading takes no
    // slot, zones beyond the tenth are ignored. Never throws: a zone that
    // cannot be read is skipped.
    void Read(tReadingContext& context) override;

private:
    std::vector<std::string> m_zones;  // the temp files, by zone number
    std::vector<std::string> m_listing, m_entries;
    std::string m_scannedRoot, m_base;
    tHeldFolder m_folder;
    tHeldFiles m_files;
    std::string m_buffer;
};

}  // namespace cx
