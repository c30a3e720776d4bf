#include "readings/Uptime.h"

#include <time.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "readings/SystemFiles.h"

namespace cx {

bool ParseProcUptime(std::string_view text, uint64_t& milliseconds) {
    text = TrimText(text);
    const size_t blank = text.find(' ');
    double seconds = 0;
    if (!ParseDecimal(text.substr(0, blank), seconds) || seconds < 0) return false;
    milliseconds = static_cast<uint64_t>(std::floor(seconds * 1000.0 + 0.5));
    return true;
}

uint32_t UptimeSeconds(uint64_t milliseconds, bool tickWorkaround) {
    if (tickWorkaround) return static_cast<uint32_t>(milliseconds) / 1000;
    return static_cast<uint32_t>(milliseconds / 1000);
}

void SetUptime(tReadingSet& rs, uint32_t seconds) {
    rs.uptime = seconds;
    rs.uptimeSeconds = static_cast<uint16_t>(seconds % 60);
    rs.uptimeMinutes = static_cast<uint16_t>(seconds / 60 % 60);
    rs.uptimeHours = static_cast<uint16_t>(seconds / 3600 % 24);
    rs.uptimeDays = static_cast<uint16_t>(seconds / 86400);
}

void tUptimeSource::Read(tReadingContext& context) {
    uint64_t milliseconds = 0;
    if (IsRealRoot(context.root)) {
        timespec now{};
        if (clock_gettime(CLOCK_BOOTTIME, &now) != 0)
            throw std::runtime_error(std::string("CLOCK_BOOTTIME: ") + std::strerror(errno));
        milliseconds =
            static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
    } else {
        if (m_path.empty() || m_pathRoot != context.root) {
            m_path = RootedPath(context.root, "/proc/uptime");
            m_pathRoot = context.root;
        }
        if (!m_file.Read(m_path, m_buffer)) throw std::runtime_error("Cannot read " + m_path);
        if (!ParseProcUptime(m_buffer, milliseconds))
            throw std::runtime_error("No uptime in " + m_path);
    }
    SetUptime(context.rs, UptimeSeconds(milliseconds, context.settings.QPCFix));
}

}  // namespace cx
