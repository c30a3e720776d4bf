#pragma once
// Values that the system would keep in a registry and that have no natural
// home on this platform, read from an optional INI file so that a user or a
// test can set them. A section is a key path such as
// "HKEY_CLASSES_ROOT\http\shell\open\command"; its key "@" is the key's
// default value, the other keys are named values.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/IniFile.h"

namespace cx {

class tRegistryValues {
public:
    tRegistryValues() = default;
    // A missing or unreadable file reads as empty.
    static tRegistryValues Load(const std::filesystem::path& file);
    static tRegistryValues FromText(std::string_view text);

    // The value `valueName` of the key `keyPath`; an empty name or "@" is the
    // key's default value. Key paths match without regard to case, with the
    // usual short root names (HKCR, HKCU, HKLM, HKU) and with or without
    // leading and trailing backslashes.
    std::optional<std::string> Read(std::string_view keyPath, std::string_view valueName) const;

private:
    tIniFile m_ini;
};

// $CALORIX_REGISTRY when set; else the user's file
// $XDG_CONFIG_HOME/calorix/registry.ini (~/.config/calorix/registry.ini) when
// it exists; else the machine's /etc/calorix/registry.ini.
std::filesystem::path DefaultRegistryValuesFile();

}  // namespace cx
