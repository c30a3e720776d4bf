#pragma once
// Placeholders in sensor names, image file names and the light picture's text
// lines ("%freq%", "%t1%", "%envHOME%", ...), replaced by the current readings
// at drawing time.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Locale.h"
#include "readings/ReadingSet.h"
#include "settings/EventLog.h"
#include "settings/Messages.h"
#include "settings/Settings.h"

namespace cx {

// Facts about the machine and the process; the platform's by default, a
// test's own where it replaces one.
struct tSystemFacts {
    std::function<std::optional<std::string>()> userName;
    std::function<std::string()> hostName;
    std::function<std::vector<std::string>()> localIPAddresses;
    std::function<std::string(const std::string&)> environmentValue;
};
tSystemFacts PlatformSystemFacts();

struct tPlaceholderContext {
    const tReadingSet& rs;
    const tSettings& settings;
    const tMessages& messages;
    const tLocaleFormats& locale;
    const tTimeZoneRules& zoneRules;  // for the display time of %date% and %time%
    const tEventLog& events;
    tSystemFacts system = PlatformSystemFacts();
};

// The user name shows with at most this many bytes.
inline constexpr size_t kMaxUserNameLength = 253;

// The base set, replaced without regard to case at every occurrence, in a
// fixed order: clock, memory, intervals, user, host, uptime, date and time of
// `time` (UTC) in display time, environment variables, the temperature, fan
// and voltage slots, processor loads, page file and cache. A slot whose value
// is unknown stays in the text. A failure is logged as "sa1 " and the text
// expanded so far is returned.
std::string ExpandPlaceholders(std::string_view text, TDateTime time,
                               const tPlaceholderContext& context);

// The base set, then "%ip%" (every local address), "%ip0%".."%ip9%" and, while
// the uptime is read, "%uptimerecord%". A failure is logged as "sa21 ".
std::string ExpandAllPlaceholders(std::string_view text, TDateTime time,
                                  const tPlaceholderContext& context);

}  // namespace cx
