#pragma once
// The temperatures shown by the MobileMeter program, read from its memory:
// 1024 16-bit words at a fixed address hold one record per sensor, each
// marked by the words 21, 65535, 65535; the value of a sensor (tenths of a
// degree Celsius) sits 11 words before its marker.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "readings/ProcessDir.h"
#include "readings/ReadingContext.h"
#include "readings/Sample.h"

namespace cx {

inline constexpr uint64_t kMobileMeterAddress = 0x343A00;
inline constexpr size_t kMobileMeterWords = 1024;
// The program's name as the process list shows it.
inline constexpr const char* kMobileMeterProgram = "mobilemeter";

// Takes the temperatures from the words read: the first marker only fixes
// the layout, the k-th one after it gives T k. A zero value is no reading.
void ApplyMobileMeterWords(std::span<const int16_t> words, tSample& sample);

// Reads `size` bytes at `address` of process `pid`; false unless all of them
// could be read.
bool ReadProcessMemory(int pid, uint64_t address, void* buffer, size_t size);

// The source of the mobileMeter step. A program that is not running, or
// whose memory cannot be read, is skipped without a word. Only the real
// machine's processes are read: a fake process tree names no real program.
class tMobileMeterSource : public IReadingSource {
public:
    explicit tMobileMeterSource(std::string programName = kMobileMeterProgram)
        : m_programName(std::move(programName)) {}
    void Read(tReadingContext& context) override;

private:
    std::string m_programName;
    tProgramWatch m_programs;
};

}  // namespace cx
