#pragma once
// What the tests of the block readers need: a byte buffer to lay out a block
// in, and a real POSIX shared-memory object under a name prefix of the test's
// own, so parallel tests never meet in /dev/shm.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "SystemReaderHarness.h"
#include "readings/SharedBlock.h"

namespace cx::test {

// A block's bytes, zero-filled, with little-endian values put at offsets.
class tBlockBytes {
public:
    explicit tBlockBytes(size_t size, uint8_t fill = 0) : m_bytes(size, fill) {}

    template <typename T>
    tBlockBytes& Put(size_t offset, T value) {
        std::memcpy(m_bytes.data() + offset, &value, sizeof value);
        return *this;
    }
    tBlockBytes& PutText(size_t offset, std::string_view text) {
        std::memcpy(m_bytes.data() + offset, text.data(), text.size());
        return *this;
    }
    tBlockView View() const { return {m_bytes.data(), m_bytes.size()}; }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    void Resize(size_t size) { m_bytes.resize(size); }

private:
    std::vector<uint8_t> m_bytes;
};

// Puts a prefix made of the process id and the running test's name in front
// of every block name for the life of the object.
class tShmPrefix {
public:
    tShmPrefix() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string prefix = "cxtest-" + std::to_string(getpid()) + "-";
        if (info != nullptr) prefix += std::string(info->test_suite_name()) + "." + info->name();
        prefix += "-";
        for (char& c : prefix) {
            if (c == '/') c = '_';
        }
        setenv(kSharedBlockPrefixVariable, prefix.c_str(), 1);
    }
    ~tShmPrefix() { unsetenv(kSharedBlockPrefixVariable); }
    tShmPrefix(const tShmPrefix&) = delete;
    tShmPrefix& operator=(const tShmPrefix&) = delete;
};

// A shared-memory object holding `bytes` under the block name, removed again
// when the object goes. Create it after the tShmPrefix of the test.
class tShmObject {
public:
    tShmObject(std::string_view blockName, const std::vector<uint8_t>& bytes)
        : m_name(SharedBlockObjectName(blockName)) {
        const int fd = shm_open(m_name.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) {
            ADD_FAILURE() << "cannot create " << m_name;
            return;
        }
        if (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 ||
            (!bytes.empty() &&
             write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))) {
            ADD_FAILURE() << "cannot fill " << m_name;
        }
        close(fd);
    }
    ~tShmObject() { shm_unlink(m_name.c_str()); }
    tShmObject(const tShmObject&) = delete;
    tShmObject& operator=(const tShmObject&) = delete;

private:
    std::string m_name;
};

// Sets every sensor slot to its marker, so a test sees which slots a reader wrote.
inline void ClearSensorSlots(tReadingSet& rs) {
    for (int i = 0; i < 10; ++i) rs.sample.T[i] = rs.sample.V[i] = rs.sample.F[i] = kNoValue16;
    for (int i = 0; i < 4; ++i) rs.sample.CPU[i] = kNoValue16;
}

// A harness whose slots start as markers and whose log is on.
struct tBlockHarness : tSystemReaderHarness {
    tBlockHarness() { ClearSensorSlots(rs); }
};

}  // namespace cx::test
