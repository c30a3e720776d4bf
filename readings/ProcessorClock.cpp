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
    if (m_base.empty() || m_scannedRoot != root) {
        m_base = RootedPath(root, "/sys/devices/system/cpu/");
        m_cpuinfo = RootedPath(root, "/proc/cpuinfo");
    }
    const std::string& base = m_base;
    m_folder.List(base, m_listing);
    // The processors' folders, copied over the last pass's strings.
    size_t count = 0;
    for (const std::string& name : m_listing) {
        if (!IsCpuFolder(name)) continue;
        if (count < m_cpuFolders.size())
            m_cpuFolders[count].assign(name);
        else
            m_cpuFolders.push_back(name);
        ++count;
    }
    m_cpuFolders.resize(count);
    if (m_scannedRoot == root && m_cpuFolders == m_entries) return;
    m_cpus.clear();
    for (const std::string& cpu : m_cpuFolders)
        m_cpus.push_back(
            {base + cpu + "/cpufreq/scaling_cur_freq", base + cpu + "/cpufreq/cpuinfo_max_freq"});
    m_hasPolicyFolder = std::find(m_listing.begin(), m_listing.end(), "cpufreq") != m_listing.end();
    m_policyFolder = base + "cpufreq";
    m_entries = m_cpuFolders;
    m_scannedRoot = root;
}

void tProcessorClockSource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    RescanWhenChanged(context.root);
    int64_t current = -1, maximum = -1;
    // A kernel whose cpufreq folder holds no policy has no frequency driver
    // for any processor (most virtual machines): their files are not asked for.
    bool anyPolicy = true;
    if (m_hasPolicyFolder) {
        m_policyList.List(m_policyFolder, m_policies);
        anyPolicy = std::any_of(m_policies.begin(), m_policies.end(),
                                [](const std::string& name) { return name.starts_with("policy"); });
    }
    for (const tCpufreq& cpu : m_cpus) {
        if (!anyPolicy) break;
        int64_t value = 0;
        if (m_files.ReadInteger(cpu.current, value, m_buffer) && value > 0)
            current = std::max(current, value);
        if (m_files.ReadInteger(cpu.maximum, value, m_buffer) && value > 0)
            maximum = std::max(maximum, value);
    }
    if (current > 0) {
        rs.sample.Clock = ToSlot32(current);
        rs.maxClock = ToSlot32(std::max(maximum, current));
        return;
    }
    // No cpufreq (many virtual machines): the clock the kernel measured at boot.
    if (m_cpuinfoFile.Read(m_cpuinfo, m_buffer)) {
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
