#pragma once
// Captions and hints of the windows, by component name. A language file holds
// them in one section per program as keys "<component>.Caption" and
// "<component>.Hint"; the window programs look each component up by its
// object name and apply what it accepts.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"
#include "settings/Messages.h"

namespace cx {

enum class tCaptionKind { Caption, Hint };

struct tCaptionEntry {
    std::string component;  // the part of the key before ".Caption" or ".Hint"
    tCaptionKind kind = tCaptionKind::Caption;
    std::string text;
};

// Every key of `section` that contains ".Caption" (anywhere: "mnuExit.Caption2"
// names mnuExit) or, failing that, ".Hint", in file order. Other keys are left
// out. Values are taken as they stand.
std::vector<tCaptionEntry> ReadCaptions(const tIniFile& languageFile, std::string_view section);

// The few things the monitor's caption step needs of its main window. Names
// are component (object) names.
class ICaptionTarget {
public:
    virtual ~ICaptionTarget() = default;
    virtual bool IsMenuItem(std::string_view name) const = 0;
    virtual std::string Caption(std::string_view name) const = 0;
    virtual void SetCaption(std::string_view name, std::string_view caption) = 0;
    virtual void HideItem(std::string_view name) = 0;
    virtual void SetSaveDialogFilter(std::string_view filter) = 0;
};

inline constexpr std::string_view kMainSection = "Main";

// The tray menu's items and the main-menu items whose captions they copy.
struct tMenuTwin {
    std::string_view trayItem;
    std::string_view mainItem;
};
std::span<const tMenuTwin> TrayMenuTwins();

// The monitor's caption step: menu items of section "Main" (current caption as
// the default), mnuReportBug hidden, the tray twins copied from the main menu,
// the statistics-view items and the save dialog's filter from the messages.
void ApplyMonitorCaptions(const tIniFile& languageFile, const tMessages& messages,
                          ICaptionTarget& target);
// The same from a file; a missing or unreadable file leaves the menu captions
// as they are (the remaining steps still run).
void ApplyMonitorCaptions(const std::filesystem::path& languageFile, const tMessages& messages,
                          ICaptionTarget& target);

}  // namespace cx
