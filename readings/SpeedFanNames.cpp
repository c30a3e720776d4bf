#include "readings/SpeedFanNames.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/TextEncoding.h"
#include "readings/OutsideFiles.h"
#include "settings/RegistryValues.h"

namespace cx {

namespace {

enum class tSensorKind { None, Temperature, Voltage, Fan };

// The labels, the default label prefix, the source map and the running count
// of one kind of sensor.
struct tKindSlots {
    std::array<std::string, kSensorSlots>& labels;
    const char* prefix;
    const std::array<uint8_t, kSensorSlots>& order;
    size_t count = 0;
};

// Labels every slot of the kind mapped to the current sensor that still has
// its default label, then moves the count on to the next sensor.
void NameSlots(tKindSlots& kind, const std::string& name) {
    for (size_t n = 0; n < kSensorSlots; ++n) {
        if (kind.order[n] == kind.count && kind.labels[n] == kind.prefix + std::to_string(n + 1)) {
            kind.labels[n] = name;
        }
    }
    ++kind.count;
}

// The chip of a section's first line: the text after the first " from " (or
// after the five characters "xxx T" when there is none), up to the first '@'.
std::string ChipOf(std::string_view line) {
    constexpr std::string_view kFrom = " from ";
    const size_t from = line.find(kFrom);
    if (from != std::string_view::npos) {
        line.remove_prefix(from + kFrom.size());
    } else {
        line.remove_prefix(std::min<size_t>(5, line.size()));
    }
    return std::string(line.substr(0, line.find('@')));
}

}  // namespace

void ApplySpeedFanNames(std::string_view text, tSettings& settings) {
    tKindSlots temperatures{settings.nameT, "T", settings.OrderSpeedFanT};
    tKindSlots voltages{settings.nameV, "V", settings.OrderSpeedFanV};
    tKindSlots fans{settings.nameF, "F", settings.OrderSpeedFanF};

    tSensorKind state = tSensorKind::None;
    std::string name;
    std::string chip;
    tLineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.starts_with("xxx")) {
            if (line.starts_with("xxx Temp")) {
                state = tSensorKind::Temperature;
            } else if (line.starts_with("xxx Volt")) {
                state = tSensorKind::Voltage;
            } else if (line.starts_with("xxx Fan")) {
                state = tSensorKind::Fan;
            }
            if (!line.starts_with("xxx end")) chip = ChipOf(line);
        }
        if (line.starts_with("xxx end")) {
            if (!name.empty()) {
                const std::string label = name + " (" + chip + ")";
                if (state == tSensorKind::Temperature) NameSlots(temperatures, label);
                if (state == tSensorKind::Voltage) NameSlots(voltages, label);
                if (state == tSensorKind::Fan) NameSlots(fans, label);
            }
            state = tSensorKind::None;
            // Each section names its own sensor: a section without a name
            // line must not take the previous one's.
            name.clear();
        } else if (line.starts_with("name=")) {
            name = std::string(line.substr(5));
        }
    }
}

void tSpeedFanNamesSource::Read(tReadingContext& context) {
    const tRegistryValues registry = tRegistryValues::Load(
        m_registryFile.empty() ? DefaultRegistryValuesFile() : m_registryFile);
    const std::optional<std::string> folder = registry.Read(kSpeedFanRegistryKey, "@");
    if (!folder || folder->empty()) return;

    std::string file = *folder;
    if (file.back() != '/' && file.back() != '\\') file += '/';
    file += kSpeedFanNamesFile;
    if (!IsRegularFile(file)) return;

    // The file is there: its names are read once per run, whatever it holds.
    context.rs.refreshSpeedFanNames = false;
    const std::optional<std::string> content = ReadOutsideFile(file);
    if (!content) return;
    ApplySpeedFanNames(ToUtf8(*content), context.settings);
}

}  // namespace cx
