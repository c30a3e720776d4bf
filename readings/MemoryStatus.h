#pragma once
// Physical memory, commit (shown as the page file) and cache from
// /proc/meminfo, with two fallbacks for kernels and trees that lack fields.
#include <cstdint>
#include <string>
#include <string_view>

#include "readings/HeldFiles.h"
#include "readings/ReadingContext.h"

namespace cx {

// The /proc/meminfo fields the memory reader uses, in KB; -1 = not in the file.
struct tMeminfo {
    int64_t memTotal = -1, memFree = -1, memAvailable = -1;
    int64_t buffers = -1, cached = -1;
    int64_t swapTotal = -1, swapFree = -1;
    int64_t commitLimit = -1, committedAS = -1;
};

// Parses the text of /proc/meminfo ("MemTotal:  16318480 kB" lines). Lines it
// does not know or cannot read are skipped.
tMeminfo ParseMeminfo(std::string_view text);

// The first method: the kernel's commit accounting. Physical total and
// available memory, commit limit and committed memory (the page file of the
// reading set) and the page cache. Fills nothing and returns false unless
// the physical total is there and not 0.
bool ApplyCommitMethod(const tMeminfo& info, tReadingSet& rs);

// The second method, for kernels without the available estimate or the commit
// fields: free memory is free plus buffers plus cache, and the page file is
// memory and swap together. The cache is left as it is when the file lacks it.
bool ApplyMemoryStatusMethod(const tMeminfo& info, tReadingSet& rs);

// The last method: the sysinfo() system call, used on the real machine only
// (a fake tree has no system call of its own). The cache is left unchanged.
bool ApplySysinfoMethod(tReadingSet& rs);

class tMemorySource : public IReadingSource {
public:
    // Writes the memory slots and totals by the first method that yields a
    // physical total; when every method fails, logs "rv32 " and the reason.
    void Read(tReadingContext& context) override;

private:
    tHeldFile m_file;
    std::string m_buffer;
    std::string m_path;
    std::string m_pathRoot;
};

}  // namespace cx
