#include "readings/ProcessorClock.h"

#include <algorithm>
#include <cctype>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

bool IsCpuFolder(std::string_view name) {
    if (!name.starts_with("cpu") || name.size() == 3) return false;
    return std::all_of(name.begin() + 3, name.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

int64_t HighestCpuinfoClock(std::string_view text) {
    int64_t highest = -1;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.starts_with("cpu MHz")) continue;
        const size_t colon = line.find(':');
        double mhz = 0;
        if (colon == std::string_view::npos || !ParseDecimal(line.substr(colon + 1), mhz) ||
            mhz <= 0)
            continue;
        highest = std::max(highest, RoundHalfEven(mhz * 1000.0));
    }
    return highest;
}

void tProcessorClockSource::RescanWhenChanged(const std::string& root) {
    const std::string base = RootedPath(root, "/sys/devices/system/cpu/");
    ListFolder(base, m_listing);
    std::erase_if(m_listing, [](const std::string& name) { return !IsCpuFolder(name); });
    if (m_scannedRoot == root && m_listing == m_entries) return;
    m_cpus.clear();
    for (const std::string& cpu : m_listing)
        m_cpus.push_back(
            {base + cpu + "/cpufreq/scaling_cur_freq", base + cpu + "/cpufreq/cpuinfo_max_freq"});
    m_entries = m_listing;
    m_scannedRoot = root;
}

void tProcessorClockSource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    RescanWhenChanged(context.root);
    int64_t current = -1, maximum = -1;
    for (const tCpufreq& cpu : m_cpus) {
        int64_t value = 0;
        if (ReadIntegerFile(cpu.current, value, m_buffer) && value > 0)
            current = std::max(current, value);
        if (ReadIntegerFile(cpu.maximum, value, m_buffer) && value > 0)
            maximum = std::max(maximum, value);
    }
    if (current > 0) {
        rs.sample.Clock = ToSlot32(current);
        rs.maxClock = ToSlot32(std::max(maximum, current));
        return;
    }
    // No cpufreq (many virtual machines): the clock the kernel measured at boot.
    if (ReadSystemFile(RootedPath(context.root, "/proc/cpuinfo"), m_buffer)) {
        if (const int64_t khz = HighestCpuinfoClock(m_buffer); khz > 0) {
            rs.sample.Clock = ToSlot32(khz);
            rs.maxClock = std::max(rs.maxClock, ToSlot32(khz));
            return;
        }
    }
    rs.sample.Clock = 0;
    rs.maxClock = 0;
}

}  // namespace cx
