#include "settings/RegistryValues.h"

#include <system_error>
#include <utility>

#include "platform/SystemInfo.h"

namespace cx {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

// The key path in one spelling: backslashes single, none at either end, and
// the short root names written out. Case is left to the INI layer.
std::string NormalKeyPath(std::string_view keyPath) {
    std::string path;
    for (char c : keyPath) {
        if (c == '/') c = '\\';
        if (c == '\\' && (path.empty() || path.back() == '\\')) continue;
        path += c;
    }
    while (!path.empty() && path.back() == '\\') path.pop_back();
    static constexpr std::pair<std::string_view, std::string_view> kRoots[] = {
        {"HKCR", "HKEY_CLASSES_ROOT"},
        {"HKCU", "HKEY_CURRENT_USER"},
        {"HKLM", "HKEY_LOCAL_MACHINE"},
        {"HKU", "HKEY_USERS"},
    };
    std::string_view root = std::string_view(path).substr(0, path.find('\\'));
    for (const auto& [shortName, longName] : kRoots) {
        if (root.size() != shortName.size()) continue;
        if (EqualNoCase(root, shortName)) return std::string(longName) + path.substr(root.size());
    }
    return path;
}

}  // namespace

tRegistryValues tRegistryValues::Load(const std::filesystem::path& file) {
    tRegistryValues values;
    values.m_ini = tIniFile::Load(file);
    return values;
}

tRegistryValues tRegistryValues::FromText(std::string_view text) {
    tRegistryValues values;
    values.m_ini = tIniFile::FromText(text);
    return values;
}

std::optional<std::string> tRegistryValues::Read(std::string_view keyPath,
                                                 std::string_view valueName) const {
    const std::string wanted = NormalKeyPath(keyPath);
    const std::string name = valueName.empty() ? std::string("@") : std::string(valueName);
    for (const std::string& section : m_ini.ReadSections()) {
        if (EqualNoCase(NormalKeyPath(section), wanted) && m_ini.ValueExists(section, name)) {
            return m_ini.ReadString(section, name, "");
        }
    }
    return std::nullopt;
}

std::filesystem::path DefaultRegistryValuesFile() {
    std::string chosen = EnvironmentValue("CALORIX_REGISTRY");
    if (!chosen.empty()) return chosen;
    std::filesystem::path user;
    std::string config = EnvironmentValue("XDG_CONFIG_HOME");
    std::string home = EnvironmentValue("HOME");
    if (!config.empty() && config.front() == '/') {
        user = std::filesystem::path(config) / "calorix" / "registry.ini";
    } else if (!home.empty()) {
        user = std::filesystem::path(home) / ".config" / "calorix" / "registry.ini";
    }
    std::error_code ec;
    if (!user.empty() && std::filesystem::exists(user, ec)) return user;
    return "/etc/calorix/registry.ini";
}

}  // namespace cx
