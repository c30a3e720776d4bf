#include "readings/MemoryStatus.h"

#include <sys/sysinfo.h>

#include <algorithm>
#include <array>
#include <utility>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

struct tMeminfoField {
    std::string_view name;
    int64_t tMeminfo::*field;
};

constexpr std::array<tMeminfoField, 9> kFields{{
    {"MemTotal", &tMeminfo::memTotal},
    {"MemFree", &tMeminfo::memFree},
    {"MemAvailable", &tMeminfo::memAvailable},
    {"Buffers", &tMeminfo::buffers},
    {"Cached", &tMeminfo::cached},
    {"SwapTotal", &tMeminfo::swapTotal},
    {"SwapFree", &tMeminfo::swapFree},
    {"CommitLimit", &tMeminfo::commitLimit},
    {"Committed_AS", &tMeminfo::committedAS},
}};

// Used, free and total of one pair; free never goes below 0. The kernel's
// heuristic overcommit lets committed memory pass the commit limit, which a
// free figure cannot show.
void SetPair(int32_t& used, int32_t& free, int64_t usedKB, int64_t freeKB) {
    used = ToSlot32(usedKB);
    free = ToSlot32(std::max<int64_t>(freeKB, 0));
}

}  // namespace

tMeminfo ParseMeminfo(std::string_view text) {
    tMeminfo info;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, colon);
        const auto known = std::find_if(kFields.begin(), kFields.end(),
                                        [&](const tMeminfoField& f) { return f.name == name; });
        if (known == kFields.end()) continue;
        std::string_view value = TrimText(line.substr(colon + 1));
        if (value.ends_with("kB")) value = value.substr(0, value.size() - 2);
        int64_t kb = 0;
        if (ParseInteger(value, kb) && kb >= 0) info.*(known->field) = kb;
    }
    return info;
}

bool ApplyCommitMethod(const tMeminfo& info, tReadingSet& rs) {
    if (info.memTotal <= 0 || info.memAvailable < 0 || info.commitLimit < 0 || info.committedAS < 0)
        return false;
    tSample& s = rs.sample;
    rs.pageTotal = ToSlot32(info.commitLimit);
    SetPair(s.PageUsed, s.PageFree, info.committedAS, info.commitLimit - info.committedAS);
    rs.memTotal = ToSlot32(info.memTotal);
    const int64_t available = std::min(info.memAvailable, info.memTotal);
    SetPair(s.MemUsed, s.MemFree, info.memTotal - available, available);
    // The file cache: page cache and block-device buffers.
    if (info.cached >= 0) s.Cache = ToSlot32(info.cached + std::max<int64_t>(info.buffers, 0));
    return true;
}

bool ApplyMemoryStatusMethod(const tMeminfo& info, tReadingSet& rs) {
    if (info.memTotal <= 0) return false;
    const int64_t buffers = std::max<int64_t>(info.buffers, 0);
    const int64_t cached = std::max<int64_t>(info.cached, 0);
    int64_t available = info.memAvailable;
    if (available < 0) available = std::max<int64_t>(info.memFree, 0) + buffers + cached;
    available = std::min(available, info.memTotal);
    tSample& s = rs.sample;
    rs.memTotal = ToSlot32(info.memTotal);
    SetPair(s.MemUsed, s.MemFree, info.memTotal - available, available);
    const int64_t swapTotal = std::max<int64_t>(info.swapTotal, 0);
    const int64_t swapFree = std::clamp<int64_t>(info.swapFree, 0, swapTotal);
    const int64_t pageTotal = info.memTotal + swapTotal;
    const int64_t pageFree = available + swapFree;
    rs.pageTotal = ToSlot32(pageTotal);
    SetPair(s.PageUsed, s.PageFree, pageTotal - pageFree, pageFree);
    if (info.cached >= 0) s.Cache = ToSlot32(cached + buffers);
    return true;
}

bool ApplySysinfoMethod(tReadingSet& rs) {
    struct sysinfo si {};
    if (sysinfo(&si) != 0 || si.totalram == 0) return false;
    const uint64_t unit = si.mem_unit == 0 ? 1 : si.mem_unit;
    const auto kb = [unit](unsigned long count) {
        return static_cast<int64_t>(static_cast<uint64_t>(count) * unit / 1024);
    };
    const int64_t total = kb(si.totalram);
    const int64_t available = std::min(total, kb(si.freeram) + kb(si.bufferram));
    tSample& s = rs.sample;
    rs.memTotal = ToSlot32(total);
    SetPair(s.MemUsed, s.MemFree, total - available, available);
    const int64_t pageTotal = total + kb(si.totalswap);
    const int64_t pageFree = available + kb(si.freeswap);
    rs.pageTotal = ToSlot32(pageTotal);
    SetPair(s.PageUsed, s.PageFree, pageTotal - pageFree, pageFree);
    return true;
}

void tMemorySource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    if (m_path.empty() || m_pathRoot != context.root) {
        m_path = RootedPath(context.root, "/proc/meminfo");
        m_pathRoot = context.root;
    }
    // A method that finds no physical total leaves the total at 0 and hands over.
    rs.memTotal = 0;
    if (m_file.Read(m_path, m_buffer)) {
        const tMeminfo info = ParseMeminfo(m_buffer);
        if (ApplyCommitMethod(info, rs) || ApplyMemoryStatusMethod(info, rs)) return;
    }
    if (IsRealRoot(context.root) && ApplySysinfoMethod(rs)) return;
    context.events.WriteEvent("rv32 No physical memory total in " + m_path);
}

}  // namespace cx
