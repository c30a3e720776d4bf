#pragma once
// The diagnostic event log "CXEvents.txt" in the settings directory, shared by
// every program of the system. Lines are written only while the debug flag is
// on; each is "[" local date and time "] " text.
#include <filesystem>
#include <string_view>

#include "platform/Clock.h"
#include "platform/Locale.h"

namespace cx {

class tEventLog {
public:
    // `debugFlag` is the program's debug switch (the Debug setting, or the
    // monitor's -debug switch); the log reads it at every call.
    tEventLog(std::filesystem::path file, const bool& debugFlag,
              const IClock& clock = SystemClock(), tLocaleFormats locale = SystemLocaleFormats());

    // Appends one line; any failure is swallowed. Line breaks and other control
    // characters inside `text` are written as blanks, so a line stays a line.
    void WriteEvent(std::string_view text) const;

    void SetFile(std::filesystem::path file) { m_file = std::move(file); }
    const std::filesystem::path& File() const { return m_file; }
    bool Enabled() const { return m_debug; }

private:
    std::filesystem::path m_file;
    const bool& m_debug;
    const IClock& m_clock;
    tLocaleFormats m_locale;
};

}  // namespace cx
