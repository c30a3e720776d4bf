#pragma once
// The processor clock: the highest current frequency of the processors'
// cpufreq folders and the highest maximum, else the "cpu MHz" lines of
// /proc/cpuinfo.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

// The highest "cpu MHz" of /proc/cpuinfo in kHz, or -1 when it has none.
int64_t HighestCpuinfoClock(std::string_view text);

class tProcessorClockSource : public IReadingSource {
public:
    // Writes the clock slot and the maximum clock (kHz). When neither source
    // has a clock, both become 0.
    void Read(tReadingContext& context) override;

private:
    void RescanWhenChanged(const std::string& root);

    struct tCpufreq {
        std::string current, maximum;  // scaling_cur_freq, cpuinfo_max_freq
    };
    std::vector<tCpufreq> m_cpus;
    std::vector<std::string> m_listing, m_cpuFolders, m_entries, m_policies;
    std::string m_scannedRoot, m_base, m_cpuinfo, m_policyFolder;
    // Whether the kernel's cpufreq folder is there to tell if any processor
    // has a frequency driver at all.
    bool m_hasPolicyFolder = false;
    tHeldFolder m_folder, m_policyList;
    tHeldFiles m_files;
    tHeldFile m_cpuinfoFile;
    std::string m_buffer;
};

}  // namespace cx
