#pragma once
// Seconds since the system started, from the boot-time clock (which keeps
// counting through suspend), and the days, hours, minutes and seconds of it.
#include <cstdint>
#include <string>
#include <string_view>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

// The first number of /proc/uptime ("12345.67 45678.90") in milliseconds.
bool ParseProcUptime(std::string_view text, uint64_t& milliseconds);

// Uptime in seconds from the milliseconds since boot. With the tick work-around
// on, the count is taken as the 32-bit millisecond tick, which wraps to 0
// after about 49.7 days.
uint32_t UptimeSeconds(uint64_t milliseconds, bool tickWorkaround);

// Sets the uptime and its parts in the reading set.
void SetUptime(tReadingSet& rs, uint32_t seconds);

class tUptimeSource : public IReadingSource {
public:
    // On the real machine the boot-time clock; under another root its
    // /proc/uptime. Throws when neither answers; the uptime keeps its value.
    void Read(tReadingContext& context) override;

private:
    tHeldFile m_file;
    std::string m_buffer, m_path, m_pathRoot;
};

}  // namespace cx
