#pragma once
// What the banner and the light pictures are drawn from: the current sample,
// the 8-hour log, the settings, the texts and formats, and where the light's
// text file lives. One per program; a test builds its own.
#include <memory>
#include <string>

#include "monitor/core/HistoryLog.h"
#include "monitor/render/Fonts.h"
#include "monitor/render/Placeholders.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "readings/ReadingSet.h"
#include "settings/EventLog.h"
#include "settings/Messages.h"
#include "settings/Settings.h"

namespace cx {

// The program line and the web address drawn in the footers and titles.
inline constexpr const char* kProgramLine = "Calorix 3.36";
inline constexpr const char* kProductWebAddress = "https://calorix.example.org/";

struct tPictureContext {
    const tReadingSet& rs;
    // The banner's automatic scale keeps its limits here, so the settings are
    // the one input the drawing changes.
    tSettings& settings;
    const tT& log8h;
    const tMessages& messages;
    const tLocaleFormats& locale;
    const tTimeZoneRules& zoneRules;
    const tEventLog& events;
    // The settings folder with a trailing '/': the light's "CXLight.txt" lives there.
    std::string settingsDirectory;
    tSystemFacts system = PlatformSystemFacts();
    // The fonts of the pictures drawn for saving; a fresh library when empty.
    std::shared_ptr<tFontLibrary> fonts;

    tPlaceholderContext Placeholders() const {
        return {rs, settings, messages, locale, zoneRules, events, system};
    }
};

// The web address as the pictures show it: the host name alone, which is what
// a reader types and what fits the narrow light.
std::string WebAddressText();

// "1 core", "<n> cores", or no text when the count is unknown (0).
std::string CoreText(int cores);

}  // namespace cx
