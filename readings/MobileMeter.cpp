#include "readings/MobileMeter.h"

#include <sys/uio.h>

#include <array>

#include "readings/ProcessDir.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr std::array<uint16_t, 3> kMarker = {21, 65535, 65535};
// The sensor's value sits this many words before its marker.
constexpr size_t kValueDistance = 11;

}  // namespace

void ApplyMobileMeterWords(std::span<const int16_t> words, tSample& sample) {
    size_t matched = 0;  // marker words matched so far
    int match = 0;       // markers found so far
    for (size_t i = 0; i < words.size() && match <= kTempSlots; ++i) {
        const auto word = static_cast<uint16_t>(words[i]);
        if (word == kMarker[matched]) {
            ++matched;
        } else {
            // The word that broke a partial match does not start a new one.
            matched = 0;
            continue;
        }
        if (matched < kMarker.size()) continue;
        matched = 0;
        const size_t start = i + 1 - kMarker.size();
        if (match >= 1 && start >= kValueDistance) {
            const int16_t value = words[start - kValueDistance];
            // Tenths of a degree into hundredths; a value the slot cannot
            // hold becomes the marker rather than a wrapped number.
            if (value != 0) sample.T[match - 1] = ToSlot16(value * 10.0);
        }
        ++match;
    }
}

bool ReadProcessMemory(int pid, uint64_t address, void* buffer, size_t size) {
    iovec local{buffer, size};
    iovec remote{reinterpret_cast<void*>(static_cast<uintptr_t>(address)), size};
    const ssize_t got = process_vm_readv(pid, &local, 1, &remote, 1, 0);
    return got == static_cast<ssize_t>(size);
}

void tMobileMeterSource::Read(tReadingContext& context) {
    if (!IsRealRoot(context.root)) return;
    std::array<int16_t, kMobileMeterWords> words{};
    for (const tRunningProgram& program : m_programs.Find(context.root, m_programName)) {
        if (!ReadProcessMemory(program.pid, kMobileMeterAddress, words.data(),
                               words.size() * sizeof(int16_t))) {
            continue;
        }
        ApplyMobileMeterWords(words, context.rs.sample);
        return;
    }
}

}  // namespace cx
