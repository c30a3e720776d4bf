#pragma once
// Named shared-memory blocks published by other programs, and the common
// pattern every block source of the pass follows: open the block by name, map
// all of it, read through a bounds-checked view, unmap and close.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "readings/ReadingContext.h"

namespace cx {

// The environment variable whose value is put in front of every block name,
// so that parallel tests (or two installations) never meet in /dev/shm.
inline constexpr const char* kSharedBlockPrefixVariable = "CALORIX_SHM_PREFIX";

// The POSIX shared-memory object name of a block: "/" + prefix + name.
std::string SharedBlockObjectName(std::string_view blockName);

// A read-only window on the bytes of a mapped block. Every read is checked
// against the mapping's size: a block that is shorter than its layout says
// throws std::out_of_range instead of reading past the end of the mapping.
class tBlockView {
public:
    tBlockView(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Size() const { return m_size; }

    // A little-endian value of a trivially copyable type at `offset`.
    template <typename T>
    T Get(size_t offset) const {
        T value;
        std::memcpy(&value, At(offset, sizeof(T)), sizeof(T));
        return value;
    }
    uint8_t U8(size_t offset) const { return Get<uint8_t>(offset); }
    uint16_t U16(size_t offset) const { return Get<uint16_t>(offset); }
    int16_t I16(size_t offset) const { return Get<int16_t>(offset); }
    uint32_t U32(size_t offset) const { return Get<uint32_t>(offset); }
    int32_t I32(size_t offset) const { return Get<int32_t>(offset); }
    float F32(size_t offset) const { return Get<float>(offset); }
    double F64(size_t offset) const { return Get<double>(offset); }

    // The characters of a fixed-width text field, up to its first zero byte.
    std::string Text(size_t offset, size_t width) const;
    // The text from `offset` up to the first zero byte, at most `maxLength`
    // characters, stopping quietly at the end of the block.
    std::string TextUpTo(size_t offset, size_t maxLength) const;

    // The start of `length` bytes at `offset`; throws when they leave the block.
    const uint8_t* At(size_t offset, size_t length) const;

private:
    const uint8_t* m_data;
    size_t m_size;
};

// One open block: the object's descriptor and, once mapped, its whole view.
// Unmaps and closes in its destructor, so no view outlives a pass.
class tSharedBlock {
public:
    // Opens the block read-only, or read-write for the blocks that are opened
    // with all access. An absent block (or one this user may not open) gives
    // nothing: a missing source is skipped without a word.
    static std::optional<tSharedBlock> Open(std::string_view blockName, bool writable);

    tSharedBlock(tSharedBlock&& other) noexcept;
    tSharedBlock& operator=(tSharedBlock&&) = delete;
    tSharedBlock(const tSharedBlock&) = delete;
    tSharedBlock& operator=(const tSharedBlock&) = delete;
    ~tSharedBlock();

    // Maps the whole object; false when its size cannot be taken or the
    // mapping fails (an empty object cannot be mapped either).
    bool Map();
    tBlockView View() const { return {m_data, m_size}; }
    void Unmap();

private:
    tSharedBlock(int fd, bool writable) : m_fd(fd), m_writable(writable) {}

    int m_fd = -1;
    bool m_writable = false;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

// True when the block can be opened for reading; the block is closed at once.
bool SharedBlockExists(std::string_view blockName);

// What a block source needs to know besides its layout: the block name, the
// access it is opened with and the event-log codes of its two inner
// protection levels (mapping the view; reading and unmapping). An empty code
// lets a failure at that level reach the pass, which logs the source's own
// code for the whole source.
struct tSharedBlockInfo {
    std::string_view name;
    bool writable = false;
    std::string_view mapCode;
    std::string_view readCode;
};

// The blocks of the pass with their access and codes.
inline constexpr tSharedBlockInfo kAIDA64Block{"AIDA64_SensorValues", false, "re1", "re2"};
inline constexpr tSharedBlockInfo kEverestBlock{"EVEREST_SensorValues", false, "re1", "re2"};
inline constexpr tSharedBlockInfo kCPUIDBlock{"$CPUID$HWM$", false, "rv1", "rv2"};
inline constexpr tSharedBlockInfo kCPUCooLBlock{"CPUCooL$Data$Area", false, "rv4", "rv5"};
inline constexpr tSharedBlockInfo kVCoolBlock{"VCOOL_SHARED_DATA", true, "", ""};
inline constexpr tSharedBlockInfo kHmonitorBlock{"Hmonitor_Counters_Block", false, "rv8", "rv9"};
inline constexpr tSharedBlockInfo kSpeedFanBlock{"SFSharedMemory_ALM", false, "rv11", "rv12"};
inline constexpr tSharedBlockInfo kATIToolBlock{"ATIToolData", false, "rv29", "rv30"};
inline constexpr tSharedBlockInfo kRivaTunerBlock{"RTHMSharedMemory", false, "rv rt 1", "rv rt 2"};
inline constexpr tSharedBlockInfo kATITrayToolsBlock{"ATITRAY_SMEM", false, "rv att 1", "rv att 2"};
inline constexpr tSharedBlockInfo kCoreTempBlock{"CoreTempMappingObject", false, "rv ct 1",
                                                 "rv ct 2"};
inline constexpr tSharedBlockInfo kMBM5190Block{"$M$B$M$5$S$D$", true, "", ""};
// Layouts 5.1.0.7 and 5.0.9x share one block name.
inline constexpr tSharedBlockInfo kMBM510xBlock{"$M$B$M$5$D$", true, "", ""};
inline constexpr tSharedBlockInfo kValueBlock{"$Calorix2$", true, "", ""};

// The base of every block source. Read() runs the common pattern with the
// block's protection levels; a subclass reads its layout in ReadBlock.
class tSharedBlockSource : public IReadingSource {
public:
    explicit tSharedBlockSource(tSharedBlockInfo info) : m_info(info) {}

    void Read(tReadingContext& context) final;
    const tSharedBlockInfo& Info() const { return m_info; }

protected:
    // Reads the block's values into the reading set. Slots written before a
    // failure keep their new values.
    virtual void ReadBlock(const tBlockView& view, tReadingContext& context) = 0;

private:
    tSharedBlockInfo m_info;
};

}  // namespace cx
