#pragma once
// What a reading source works with during one pass.
#include <string>

#include "platform/Clock.h"
#include "readings/ReadingSet.h"
#include "settings/EventLog.h"
#include "settings/Settings.h"

namespace cx {

struct tReadingContext {
    tReadingSet& rs;
    // Sources may name slots that still carry their default label and bind
    // free network and disk slots, so they get the settings to change.
    tSettings& settings;
    const tEventLog& events;
    const IClock& clock;
    // Root of every /proc, /sys and /dev reader ("/" on a real machine; a fake
    // tree under tests/fixtures in tests).
    std::string root = "/";
};

// One source of the reading pass. A source that is missing (its program is
// not running, its file does not exist) returns without a word; a failure
// throws, and the pass logs it under the source's code and goes on.
class IReadingSource {
public:
    virtual ~IReadingSource() = default;
    virtual void Read(tReadingContext& context) = 0;
};

}  // namespace cx
