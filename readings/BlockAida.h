#pragma once
// The AIDA64 and EVEREST blocks ("AIDA64_SensorValues", "EVEREST_SensorValues"):
// text in a tag syntax with "sys", "temp", "fan" and "volt" elements, each
// holding a "label" and a "value" child.
#include <string>
#include <string_view>
#include <vector>

#include "readings/SharedBlock.h"

namespace cx {

// One element of the tag text: the sensor's name and its reading as written.
struct tAidaElement {
    std::string label;
    std::string value;
};

struct tAidaSensors {
    std::vector<tAidaElement> sys, temp, fan, volt;
};

// The elements of every kind in the order they appear. A missing child gives
// an empty text; an element without its closing tag ends the scan of its kind.
tAidaSensors ParseAidaText(std::string_view text);

// Puts the parsed elements into the reading set: the processor clock, then the
// temperatures, fans and voltages by their "OrderAIDA" ordinals, naming slots
// while the name-refresh flag is up. Throws when the clock is no number.
void ApplyAidaSensors(const tAidaSensors& sensors, tReadingContext& context);

// Reads a mapped block: the tag text is its first 4096 characters.
void ReadAidaBlock(const tBlockView& view, tReadingContext& context);

// One source each for AIDA64 and EVEREST, read the same way.
class tAidaSource : public tSharedBlockSource {
public:
    explicit tAidaSource(const tSharedBlockInfo& info) : tSharedBlockSource(info) {}

protected:
    void ReadBlock(const tBlockView& view, tReadingContext& context) override {
        ReadAidaBlock(view, context);
    }
};

}  // namespace cx
