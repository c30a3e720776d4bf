#pragma once
// SpeedFan's sensor names: its configuration file "speedfansens.cfg" gives
// the slots that still carry their default labels the names the user gave the
// sensors in SpeedFan, with the chip in brackets ("CPU (W83627HF)").
#include <filesystem>
#include <string_view>
#include <utility>

#include "readings/ReadingContext.h"
#include "settings/Settings.h"

namespace cx {

inline constexpr std::string_view kSpeedFanNamesFile = "speedfansens.cfg";
// The registry key whose default value is SpeedFan's folder.
inline constexpr std::string_view kSpeedFanRegistryKey = "HKEY_LOCAL_MACHINE\\Software\\SpeedFan";

// Names the slots from the configuration text. The n-th named sensor of a
// kind (counted from 0 in the file) goes to every slot whose "OrderSpeedFan"
// index is n and whose label is still the default ("T3", "F1", "V2").
void ApplySpeedFanNames(std::string_view text, tSettings& settings);

// The source of the speedFanNames step: runs while the SpeedFan name flag is
// up, finds the file in SpeedFan's folder (the registry values file names it)
// and lowers the flag once the file is there. Until then it tries again on
// every pass.
class tSpeedFanNamesSource : public IReadingSource {
public:
    // `registryFile` empty: the registry values file of this machine, looked
    // up at each read (DefaultRegistryValuesFile).
    explicit tSpeedFanNamesSource(std::filesystem::path registryFile = {})
        : m_registryFile(std::move(registryFile)) {}
    void Read(tReadingContext& context) override;

private:
    std::filesystem::path m_registryFile;
};

}  // namespace cx
