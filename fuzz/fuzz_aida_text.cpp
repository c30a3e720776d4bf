// The tag text of the AIDA64 and EVEREST blocks: arbitrary text through the
// element scan and into the reading set, with names refreshed.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "platform/Clock.h"
#include "readings/BlockAida.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool debug = false;
    static const cx::tFakeClock clock;
    static const cx::tEventLog events("/dev/null", debug, clock);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const cx::tAidaSensors sensors = cx::ParseAidaText(text);
    // Every element's content lies inside the text it came from.
    for (const auto* kind : {&sensors.sys, &sensors.temp, &sensors.fan, &sensors.volt}) {
        for (const cx::tAidaElement& element : *kind) {
            if (element.label.size() > size || element.value.size() > size) __builtin_trap();
        }
    }
    cx::tReadingSet rs;
    rs.refreshEverestNames = true;
    cx::tSettings settings;
    cx::tReadingContext context{rs, settings, events, clock, "/"};
    try {
        cx::ApplyAidaSensors(sensors, context);
    } catch (const std::exception&) {
        // A clock that is no number: the reader's ordinary failure.
        return 0;
    }
    return 0;
}
