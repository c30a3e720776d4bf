#pragma once
// Processor loads from the kernel's time counters in /proc/stat. The source
// keeps two snapshots: one instance per processor and, last, the total
// instance, so the processor count is the instance count less one.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

// The counters of one line of /proc/stat, in clock ticks.
struct tCPUTimes {
    int64_t idle = 0;   // idle and waiting for I/O
    int64_t total = 0;  // every state (guest time is already part of user time)
};

// The "cpu" lines of /proc/stat: `perProcessor[n]` for line "cpu<n>" (a
// processor missing from the text, e.g. one taken offline, stays zero) and
// the total line. False when the text has no total line.
bool ParseProcStat(std::string_view text, std::vector<tCPUTimes>& perProcessor, tCPUTimes& total);

class tCPUUsageSource : public IReadingSource {
public:
    // Step of the pass: a new snapshot, then CPU1..CPU4 and the processor count.
    void Read(tReadingContext& context) override;

    // Takes a new snapshot of <root>/proc/stat. Throws when the file cannot be
    // read or holds no processor counters.
    void RefreshCPUData(const std::string& root);
    // Takes a new snapshot from the text of /proc/stat.
    void RefreshFromText(std::string_view text);

    // Number of processors to show, at least 1; takes a snapshot first while
    // the instance count is still unknown.
    int ProcessorCount(const std::string& root);
    // Load of instance `index` over the last two snapshots, 0..1. Throws for
    // an index outside the instances.
    double ProcessorUsage(int index) const;
    // -1 until the first snapshot, then fixed: processors plus the total.
    int InstanceCount() const { return m_instanceCount; }

private:
    int m_instanceCount = -1;
    // Instance i is processor i; the last instance is the total.
    std::vector<tCPUTimes> m_current, m_previous;
    // Parsing scratch and the file buffer, kept so a pass allocates nothing.
    std::vector<tCPUTimes> m_parsed;
    tHeldFile m_file;
    std::string m_buffer;
    std::string m_path;
    std::string m_pathRoot;
};

}  // namespace cx
