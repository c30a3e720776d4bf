#include "readings/SharedBlock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
    const std::string objectName = SharedBlockObjectName(blockName);
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
    struct stat info {};
    if (fstat(m_fd, &info) != 0 || info.st_size <= 0) return false;
    const auto size = static_cast<size_t>(info.st_size);
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

bool SharedBlockExists(std::string_view blockName) {
    return tSharedBlock::Open(blockName, false).has_value();
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

void tSharedBlockSource::Read(tReadingContext& context) {
    std::optional<tSharedBlock> block = tSharedBlock::Open(m_info.name, m_info.writable);
    if (!block) return;

    // Mapping the view. A level without its own code lets the failure reach
    // the pass, which logs it for the whole source.
    bool mapped = false;
    if (m_info.mapCode.empty()) {
        mapped = block->Map();
    } else {
        try {
            mapped = block->Map();
        } catch (const std::exception& e) {
            LogFailure(context, m_info.mapCode, e.what());
        } catch (...) {
            LogFailure(context, m_info.mapCode, "unknown error");
        }
    }
    if (!mapped) return;

    // Reading and unmapping. The block is closed by its destructor on every way out.
    if (m_info.readCode.empty()) {
        ReadBlock(block->View(), context);
        block->Unmap();
        return;
    }
    try {
        ReadBlock(block->View(), context);
        block->Unmap();
    } catch (const std::exception& e) {
        LogFailure(context, m_info.readCode, e.what());
    } catch (...) {
        LogFailure(context, m_info.readCode, "unknown error");
    }
}

}  // namespace cx
