#pragma once
// Named shared-memory blocks published by other programs, and the common
// pattern every block source of the pass follows: open the block by name, map
// all of it and read it through a bounds-checked view. With the block watch
// the block stays open and mapped between passes and is looked at again only
// when its name sees an event; without it, each pass opens, maps, unmaps and
// closes the block.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "readings/ReadingContext.h"
#include "readings/SharedBlockWatch.h"

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
// Unmaps and closes in its destructor, so no view outlives the block.
class tSharedBlock {
public:
    // Opens the block read-only, or read-write for the blocks that are opened
    // with all access. An absent block (or one this user may not open) gives
    // nothing: a missing source is skipped without a word.
    static std::optional<tSharedBlock> Open(std::string_view blockName, bool writable);
    // The same with the full object name ("/" + prefix + block name).
    static std::optional<tSharedBlock> OpenObject(const std::string& objectName, bool writable);

    tSharedBlock(tSharedBlock&& other) noexcept;
    tSharedBlock& operator=(tSharedBlock&&) = delete;
    tSharedBlock(const tSharedBlock&) = delete;
    tSharedBlock& operator=(const tSharedBlock&) = delete;
    ~tSharedBlock();

    // Maps the whole object; false when its size cannot be taken or the
    // mapping fails (an empty object cannot be mapped either).
    bool Map();
    // Maps the object again when its size is no longer the mapping's (or it
    // is not mapped yet), so that no read reaches beyond the end of a block
    // that shrank; true when the block is mapped afterwards.
    bool Refresh();
    bool IsMapped() const { return m_data != nullptr; }
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
// While a block source follows the name through the process's block watch,
// the answer is kept until an event touches the name.
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
//
// The object name is built once, when the source is made: the prefix
// variable has to be set before. The source follows its name through the
// process's block watch and keeps the block open and mapped between passes:
// a pass without events for the name reads the mapping as it is; a write or
// size change makes it look at the size (and map again when it changed)
// before reading; a creation, removal, rename or permission change makes it
// open the block afresh. Where no watch can be had, every pass opens, maps,
// unmaps and closes the block.
class tSharedBlockSource : public IReadingSource {
public:
    // Follows the block through the process's block watch where there is one.
    explicit tSharedBlockSource(tSharedBlockInfo info);
    // Follows the block through `watch`; without one (nullptr) the block is
    // opened and closed on every pass.
    tSharedBlockSource(tSharedBlockInfo info, std::shared_ptr<tSharedBlockWatch> watch);
    ~tSharedBlockSource() override;
    tSharedBlockSource(const tSharedBlockSource&) = delete;
    tSharedBlockSource& operator=(const tSharedBlockSource&) = delete;

    void Read(tReadingContext& context) final;
    const tSharedBlockInfo& Info() const { return m_info; }
    const std::string& ObjectName() const { return m_objectName; }

protected:
    // Reads the block's values into the reading set. Slots written before a
    // failure keep their new values.
    virtual void ReadBlock(const tBlockView& view, tReadingContext& context) = 0;

private:
    // Brings the kept block up to date with the watch's events; false when
    // the folder is not watched and the block has to be opened for this pass.
    bool Follow();
    // Maps (or maps again) the block at the mapping level; true when mapped.
    bool MapAtItsLevel(tSharedBlock& block, tReadingContext& context);
    // Reads the mapped block at the reading level.
    void ReadAtItsLevel(const tSharedBlock& block, tReadingContext& context);

    tSharedBlockInfo m_info;
    std::string m_objectName;
    std::shared_ptr<tSharedBlockWatch> m_watch;
    tSharedBlockWatch::tStamp m_stamp;
    // The block kept open between passes, nothing while it is absent.
    std::optional<tSharedBlock> m_block;
    // The size has to be looked at before the next read.
    bool m_checkSize = false;
};

}  // namespace cx
