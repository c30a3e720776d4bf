#include "readings/ThermalZones.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr std::string_view kZonePrefix = "thermal_zone";

// The number of a "thermal_zone<n>" entry, -1 for any other entry.
int ZoneNumber(std::string_view name) {
    if (!name.starts_with(kZonePrefix)) return -1;
    name.remove_prefix(kZonePrefix.size());
    int number = -1;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), number);
    return error == std::errc() && end == name.data() + name.size() ? number : -1;
}

}  // namespace

void tThermalZoneSource::Read(tReadingContext& context) {
    if (m_base.empty() || m_scannedRoot != context.root)
        m_base = RootedPath(context.root, "/sys/class/thermal/");
    const std::string& base = m_base;
    m_folder.List(base, m_listing);
    if (m_scannedRoot != context.root || m_listing != m_entries) {
        std::vector<std::pair<int, std::string>> numbered;
        for (const std::string& name : m_listing)
            if (const int n = ZoneNumber(name); n >= 0) numbered.emplace_back(n, name);
        // thermal_zone10 comes after thermal_zone9.
        std::sort(numbered.begin(), numbered.end());
        m_zones.clear();
        for (const auto& [number, name] : numbered) m_zones.push_back(base + name + "/temp");
        m_entries = m_listing;
        m_scannedRoot = context.root;
    }
    int slot = 0;
    for (const std::string& path : m_zones) {
        if (slot >= 10) break;
        int64_t millidegrees = 0;
        if (!m_files.ReadInteger(path, millidegrees, m_buffer)) continue;
        context.rs.sample.T[slot++] = ToSlot16(static_cast<double>(millidegrees) / 10.0);
    }
}

}  // namespace cx
