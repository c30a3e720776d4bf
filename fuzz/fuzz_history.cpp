// The history file parser over arbitrary bytes: the first byte chooses whether
// a second file exists and where the input splits into the two files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "monitor/core/HistoryFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool debug = false;
    static const cx::tEventLog events("/dev/null", debug);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = bytes.size() * (data[0] & 0x7F) / 127;
    std::optional<std::string_view> second;
    if (data[0] & 0x80) second = bytes.substr(split);

    cx::tT log;
    cx::ParseStatsLog(log, bytes.substr(0, split), second, events);
    const size_t rows = static_cast<size_t>(log.count + 1);
    if (log.rows.size() != rows || log.rows2.size() != rows) std::abort();
    if (rows != split / sizeof(cx::tSample) || log.cropLimit != log.count + 3) std::abort();
    // What was read writes back as whole rows.
    if (cx::MainRowBytes(log).size() != rows * sizeof(cx::tSample)) std::abort();
    return 0;
}
