#include "readings/CPUUsage.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

// Columns of a cpu line: user nice system idle iowait irq softirq steal guest
// guest_nice. Guest time is counted in user and nice already.
constexpr int kIdleColumn = 3;
constexpr int kIOWaitColumn = 4;
constexpr int kCountedColumns = 8;

// Parses the numbers after the line's name; false when there are none.
bool ParseCPULine(std::string_view rest, tCPUTimes& times) {
    times = {};
    int column = 0;
    const char* p = rest.data();
    const char* end = rest.data() + rest.size();
    while (p < end && column < kCountedColumns) {
        while (p < end && *p == ' ') ++p;
        if (p == end) break;
        int64_t value = 0;
        const auto [next, error] = std::from_chars(p, end, value);
        if (error != std::errc()) break;
        p = next;
        if (column == kIdleColumn || column == kIOWaitColumn) times.idle += value;
        times.total += value;
        ++column;
    }
    return column > kIdleColumn;
}

}  // namespace

bool ParseProcStat(std::string_view text, std::vector<tCPUTimes>& perProcessor, tCPUTimes& total) {
    perProcessor.clear();
    bool haveTotal = false;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (!line.starts_with("cpu")) continue;
        line.remove_prefix(3);
        const size_t blank = line.find(' ');
        if (blank == std::string_view::npos) continue;
        const std::string_view number = line.substr(0, blank);
        tCPUTimes times;
        if (!ParseCPULine(line.substr(blank), times)) continue;
        if (number.empty()) {
            total = times;
            haveTotal = true;
            continue;
        }
        unsigned index = 0;
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), index);
        // A processor number beyond any real machine is a broken line, not a reason to
        // allocate without bound.
        if (error != std::errc() || end != number.data() + number.size() || index >= 65536)
            continue;
        if (perProcessor.size() <= index) perProcessor.resize(index + 1);
        perProcessor[index] = times;
    }
    return haveTotal;
}

void tCPUUsageSource::RefreshCPUData(const std::string& root) {
    if (m_path.empty() || m_pathRoot != root) {
        m_path = RootedPath(root, "/proc/stat");
        m_pathRoot = root;
    }
    if (!m_file.Read(m_path, m_buffer)) throw std::runtime_error("Cannot read " + m_path);
    RefreshFromText(m_buffer);
}

void tCPUUsageSource::RefreshFromText(std::string_view text) {
    tCPUTimes total;
    if (!ParseProcStat(text, m_parsed, total)) throw std::runtime_error("No processor counters");
    if (m_instanceCount < 0) {
        // The first snapshot fixes the instances; its predecessor is all zeros.
        m_instanceCount = static_cast<int>(m_parsed.size()) + 1;
        m_current.assign(m_instanceCount, tCPUTimes{});
        m_previous.assign(m_instanceCount, tCPUTimes{});
    }
    const size_t processors = static_cast<size_t>(m_instanceCount) - 1;
    for (size_t i = 0; i < processors; ++i) {
        m_previous[i] = m_current[i];
        // A processor that left the text (taken offline) keeps its counters, so its
        // load reads 0 rather than a jump.
        if (i < m_parsed.size() && m_parsed[i].total != 0) m_current[i] = m_parsed[i];
    }
    m_previous[processors] = m_current[processors];
    m_current[processors] = total;
}

int tCPUUsageSource::ProcessorCount(const std::string& root) {
    if (m_instanceCount < 0) RefreshCPUData(root);
    return std::max(m_instanceCount - 1, 1);
}

double tCPUUsageSource::ProcessorUsage(int index) const {
    if (index < 0 || index >= m_instanceCount)
        throw std::out_of_range("Processor index " + std::to_string(index) + " out of range");
    const tCPUTimes& now = m_current[index];
    const tCPUTimes& before = m_previous[index];
    // Each processor's own tick total is its time base, so a processor that was
    // offline for part of the interval, or stolen from by a hypervisor, still
    // comes out right.
    const int64_t elapsed = now.total - before.total;
    if (elapsed == 0) return 0.0;
    const double load =
        1.0 - static_cast<double>(now.idle - before.idle) / static_cast<double>(elapsed);
    return std::clamp(load, 0.0, 1.0);
}

void tCPUUsageSource::Read(tReadingContext& context) {
    RefreshCPUData(context.root);
    const int count = ProcessorCount(context.root);
    if (count <= 0) return;
    for (int i = 0; i <= std::min(count, static_cast<int>(kCpuSlots)) - 1; ++i)
        context.rs.sample.CPU[i] = ToSlot16(ProcessorUsage(i) * 10000.0);
    context.rs.processorCount = static_cast<uint8_t>(std::min(count, 255));
}

}  // namespace cx
