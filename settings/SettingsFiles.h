#pragma once
// Loading and saving the in-memory settings: the three INI files of the
// settings directory, the autostart entry and the notice to a running monitor
// that the files changed.
#include <string>
#include <string_view>

#include "platform/Autostart.h"
#include "platform/MessageBus.h"
#include "platform/Power.h"
#include "settings/EventLog.h"
#include "settings/Settings.h"

namespace cx {

inline constexpr std::string_view kClientIni = "CXClient.ini";
inline constexpr std::string_view kDisplayIni = "CXDisplay.ini";
inline constexpr std::string_view kServerIni = "CXServer.ini";
// The monitor's main window: the one told when the settings files change.
inline constexpr std::string_view kMonitorWindowClass = "TfrmCalorixMain";

// Everything LoadSettings and SaveSettings reach beyond the settings
// themselves; each program builds one, a test builds one on temporary folders.
struct tSettingsContext {
    std::string settingsDirectory;  // with trailing '/'
    std::string programDirectory;   // with trailing '/'
    const tEventLog& events;
    const tAutostart& autostart;
    IPowerBackend& power;
    const tMessageBus& messageBus;
    std::string userName;  // the account the process runs as
};

// Whether the account is the system account: "SYSTEM" there, "root" here.
bool IsServiceAccount(std::string_view userName);

// Fills `settings` and its derived values from the three files and the
// autostart entry. Raises nothing: problems go to the event log ("rr1 ",
// "rr2 ", "rr3 ", "rr4 ", "rr7 ", "rr8 "), and the fields of a step that
// failed keep their previous values. A plain-text password found in
// CXServer.ini is replaced there by its scrambled form.
void LoadSettings(tSettings& settings, const tSettingsContext& context);

// Which of the files SaveSettings wrote. A file that could not be written
// is left exactly as it was.
struct tSaveResult {
    bool client = false;
    bool display = false;
    bool server = false;
    bool AllWritten() const { return client && display && server; }
};

// Writes the settings into the three files (keys the program does not know
// survive), brings the autostart entry in line with the autostart flag and,
// when `notifyMonitor` is set, posts WM_OPTIONSCHANGED to the monitor's main
// window. Raises nothing.
tSaveResult SaveSettings(const tSettings& settings, bool notifyMonitor,
                         const tSettingsContext& context);

}  // namespace cx
