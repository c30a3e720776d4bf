#include "readings/SharedBlock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <stdexcept>

namespace cx {

std::string SharedBlockObjectName(std::string_view blockName) {
    std::string name = "/";
    if (const char* prefix = std::getenv(kSharedBlockPrefixVariable)) name += prefix;
    name += blockName;
    return name;
}

const uint8_t* tBlockView::At(size_t offset, size_t length) const {
    if (offset > m_size || length > m_size - offset) {
        throw std::out_of_range("read of " + std::to_string(length) + " bytes at offset " +
                                std::to_string(offset) + " beyond the block's " +
                                std::to_string(m_size) + " bytes");
    }
    return m_data + offset;
}

std::string tBlockView::Text(size_t offset, size_t width) const {
    const auto* start = reinterpret_cast<const char*>(At(offset, width));
    size_t length = 0;
    while (length < width && start[length] != '\0') ++length;
    return {start, length};
}

std::string tBlockView::TextUpTo(size_t offset, size_t maxLength) const {
    if (offset >= m_size) return {};
    const auto* start = reinterpret_cast<const char*>(m_data + offset);
    size_t limit = std::min(maxLength, m_size - offset);
    size_t length = 0;
    while (length < limit && start[length] != '\0') ++length;
    return {start, length};
}

std::optional<tSharedBlock> tSharedBlock::Open(std::string_view blockName, bool writable) {
    return OpenObject(SharedBlockObjectName(blockName), writable);
}

std::optional<tSharedBlock> tSharedBlock::OpenObject(const std::string& objectName, bool writable) {
    int fd = shm_open(objectName.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
    if (fd < 0) return std::nullopt;
    return tSharedBlock(fd, writable);
}

tSharedBlock::tSharedBlock(tSharedBlock&& other) noexcept
    : m_fd(other.m_fd), m_writable(other.m_writable), m_data(other.m_data), m_size(other.m_size) {
    other.m_fd = -1;
    other.m_data = nullptr;
    other.m_size = 0;
}

tSharedBlock::~tSharedBlock() {
    Unmap();
    if (m_fd >= 0) close(m_fd);
}

bool tSharedBlock::Map() {
    Unmap();
    return Refresh();
}

bool tSharedBlock::Refresh() {
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || info.st_size <= 0 ||
        static_cast<uintmax_t>(info.st_size) > SIZE_MAX) {
        Unmap();
        return false;
    }
    const auto size = static_cast<size_t>(info.st_size);
    if (m_data != nullptr && size == m_size) return true;
    Unmap();
    const int protection = m_writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* data = mmap(nullptr, size, protection, MAP_SHARED, m_fd, 0);
    if (data == MAP_FAILED) return false;
    m_data = static_cast<uint8_t*>(data);
    m_size = size;
    return true;
}

void tSharedBlock::Unmap() {
    if (m_data != nullptr) munmap(m_data, m_size);
    m_data = nullptr;
    m_size = 0;
}

namespace {

// Whether the object `name` (without its slash) opens for reading.
bool ProbeObject(std::string_view name) {
    std::string objectName = "/";
    objectName += name;
    const int fd = shm_open(objectName.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    close(fd);
    return true;
}

// The object name as the watch knows it: the file name in the folder.
std::string_view FileName(const std::string& objectName) {
    return std::string_view(objectName).substr(1);
}

}  // namespace

bool SharedBlockExists(std::string_view blockName) {
    const std::string objectName = SharedBlockObjectName(blockName);
    if (std::shared_ptr<tSharedBlockWatch> watch = tSharedBlockWatch::IfRunning()) {
        return watch->Presence(FileName(objectName), ProbeObject);
    }
    return ProbeObject(FileName(objectName));
}

namespace {

// Logs a failure caught at one protection level as its code, a blank and the
// message. Called inside catch handlers, so it must not throw itself.
void LogFailure(const tReadingContext& context, std::string_view code,
                const char* message) noexcept {
    try {
        std::string line(code);
        line += ' ';
        line += message;
        context.events.WriteEvent(line);
    } catch (const std::exception&) {
        // No memory for the line: the event is lost, the pass goes on.
        return;
    }
}

}  // namespace

tSharedBlockSource::tSharedBlockSource(tSharedBlockInfo info)
    : tSharedBlockSource(info, tSharedBlockWatch::ForProcess()) {}

tSharedBlockSource::tSharedBlockSource(tSharedBlockInfo info,
                                       std::shared_ptr<tSharedBlockWatch> watch)
    : m_info(info), m_objectName(SharedBlockObjectName(info.name)), m_watch(std::move(watch)) {
    if (m_watch) m_watch->Follow(FileName(m_objectName));
}

tSharedBlockSource::~tSharedBlockSource() {
    if (m_watch) m_watch->Unfollow(FileName(m_objectName));
}

bool tSharedBlockSource::Follow() {
    if (!m_watch) return false;
    switch (m_watch->Poll(FileName(m_objectName), m_stamp)) {
        case tBlockChange::kNone:
            return true;
        case tBlockChange::kModified:
            // Written or resized: a block that shrank must be mapped anew
            // before anything is read from it.
            m_checkSize = true;
            return true;
        case tBlockChange::kReplaced:
            // Close first: a removed block must not be read, and one made
            // anew is another object.
            m_block.reset();
            m_checkSize = false;
            if (std::optional<tSharedBlock> block =
                    tSharedBlock::OpenObject(m_objectName, m_info.writable)) {
                m_block.emplace(std::move(*block));
            }
            return true;
        case tBlockChange::kUnwatched:
            break;
    }
    m_block.reset();
    return false;
}

bool tSharedBlockSource::MapAtItsLevel(tSharedBlock& block, tReadingContext& context) {
    // A level without its own code lets the failure reach the pass, which
    // logs it for the whole source.
    if (m_info.mapCode.empty()) return block.Refresh();
    try {
        return block.Refresh();
    } catch (const std::exception& e) {
        LogFailure(context, m_info.mapCode, e.what());
    } catch (...) {
        LogFailure(context, m_info.mapCode, "unknown error");
    }
    return false;
}

void tSharedBlockSource::ReadAtItsLevel(const tSharedBlock& block, tReadingContext& context) {
    if (m_info.readCode.empty()) {
        ReadBlock(block.View(), context);
        return;
    }
    try {
        ReadBlock(block.View(), context);
    } catch (const std::exception& e) {
        LogFailure(context, m_info.readCode, e.what());
    } catch (...) {
        LogFailure(context, m_info.readCode, "unknown error");
    }
}

void tSharedBlockSource::Read(tReadingContext& context) {
    if (!Follow()) {
        // No watch: the block is opened for this pass alone and closed by its
        // destructor on every way out.
        std::optional<tSharedBlock> block = tSharedBlock::OpenObject(m_objectName, m_info.writable);
        if (!block || !MapAtItsLevel(*block, context)) return;
        ReadAtItsLevel(*block, context);
        return;
    }
    if (!m_block) return;  // absent until its name is created
    // An empty block (or one whose mapping failed) is looked at on every pass.
    if (m_checkSize || !m_block->IsMapped()) {
        m_checkSize = false;
        if (!MapAtItsLevel(*m_block, context)) return;
    }
    ReadAtItsLevel(*m_block, context);
}

}  // namespace cx
