#include "readings/ValueBlock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "readings/SystemFiles.h"

namespace cx {

namespace {

// A fan value from this on is rpm; below it, a percentage of duty.
constexpr double kRpmThreshold = 255.0;
constexpr mode_t kBlockMode = 0600;

void PutDouble(uint8_t* data, size_t offset, double value) {
    std::memcpy(data + offset, &value, sizeof value);
}

// Opens the block, creating it when it is not there. A new block starts
// without any permission, so that no other program opens it before its
// markers are in; `created` tells the caller to open it up afterwards.
int OpenOrCreate(const std::string& objectName, bool& created) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = shm_open(objectName.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0);
        if (fd >= 0) {
            created = true;
            return fd;
        }
        if (errno != EEXIST) return -1;
        created = false;
        fd = shm_open(objectName.c_str(), O_RDWR | O_CLOEXEC, 0);
        if (fd >= 0 || errno != EACCES) return fd;
        // A block left without permission by a run that ended before opening
        // it up: remove it (only its owner can) and make a new one.
        if (shm_unlink(objectName.c_str()) != 0) return -1;
    }
    return -1;
}

}  // namespace

void FillValueBlockMarkers(uint8_t* data) {
    std::memset(data, 0, kValueBlockSize);
    for (int n = 0; n < kTempSlots; ++n) {
        PutDouble(data, kValueBlockTempOffset + 8 * n, kValueBlockNothing);
        PutDouble(data, kValueBlockVoltOffset + 8 * n, kValueBlockNothing);
        PutDouble(data, kValueBlockFanOffset + 8 * n, kValueBlockNothing);
    }
    for (int n = 0; n < 4; ++n) PutDouble(data, kValueBlockCpuOffset + 8 * n, kValueBlockNothing);
}

void ApplyValueBlock(const tBlockView& view, tReadingSet& rs) {
    if (view.Size() < kValueBlockSize) {
        throw std::runtime_error("value block of " + std::to_string(view.Size()) +
                                 " bytes is shorter than its layout of " +
                                 std::to_string(kValueBlockSize));
    }
    tSample& s = rs.sample;

    const double clock = view.F64(kValueBlockClockOffset);
    if (clock > 0) {
        // A clock the slot cannot hold is no reading.
        const double kHz = std::nearbyint(clock * 1000.0);
        if (kHz < kNoValue32) {
            s.Clock = static_cast<int32_t>(kHz);
            if (rs.maxClock < s.Clock) rs.maxClock = s.Clock;
        }
    }
    const uint8_t count = view.U8(kValueBlockCountOffset);
    if (count > 0) rs.processorCount = count;

    for (int n = 0; n < kTempSlots; ++n) {
        const double t = view.F64(kValueBlockTempOffset + 8 * n);
        if (t != kValueBlockNothing) s.T[n] = ToSlot16(t * 100.0);
        const double v = view.F64(kValueBlockVoltOffset + 8 * n);
        if (v != kValueBlockNothing) s.V[n] = ToSlot16(v * 100.0);
    }
    for (int n = 0; n < kFanSlots; ++n) {
        const double f = view.F64(kValueBlockFanOffset + 8 * n);
        if (f > 0) {
            s.F[n] = ToSlot16(f >= kRpmThreshold ? f : -f * 100.0);
        } else if (f == 0) {
            // A stopped fan; the end of the pass turns it into the marker.
            s.F[n] = 0;
        }
    }
    for (int n = 0; n < 4; ++n) {
        const double load = view.F64(kValueBlockCpuOffset + 8 * n);
        if (load != kValueBlockNothing) s.CPU[n] = ToSlot16(load * 100.0);
    }
}

bool tValueBlock::Create(const tEventLog& events) {
    Release();
    const std::string objectName = SharedBlockObjectName(kValueBlock.name);
    bool created = false;
    const int fd = OpenOrCreate(objectName, created);
    if (fd < 0) {
        events.WriteEvent("Cannot create memory map");
        return false;
    }
    const auto fail = [&](const char* message) {
        close(fd);
        if (created) shm_unlink(objectName.c_str());
        events.WriteEvent(message);
        return false;
    };

    // Another user's block would let that user feed us readings: not ours to take.
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
        return fail("Cannot create memory map");
    }
    if (info.st_size < static_cast<off_t>(kValueBlockSize) &&
        ftruncate(fd, static_cast<off_t>(kValueBlockSize)) != 0) {
        return fail("Cannot create memory map");
    }
    void* data = mmap(nullptr, kValueBlockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) return fail("Cannot view memory map");

    FillValueBlockMarkers(static_cast<uint8_t*>(data));
    // Open to this user's programs only, now that the markers are in.
    if (fchmod(fd, kBlockMode) != 0) {
        munmap(data, kValueBlockSize);
        return fail("Cannot create memory map");
    }
    m_fd = fd;
    m_data = static_cast<uint8_t*>(data);
    m_objectName = objectName;
    return true;
}

void tValueBlock::Release() {
    if (m_data != nullptr) munmap(m_data, kValueBlockSize);
    if (m_fd >= 0) close(m_fd);
    if (!m_objectName.empty()) shm_unlink(m_objectName.c_str());
    m_data = nullptr;
    m_fd = -1;
    m_objectName.clear();
}

void tValueBlockSource::ReadBlock(const tBlockView& view, tReadingContext& context) {
    ApplyValueBlock(view, context.rs);
}

}  // namespace cx
