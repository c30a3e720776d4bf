// Stored passwords are outside input: DecodePassword on any text must not
// crash, and EncodePassword followed by DecodePassword gives the bytes back.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "settings/EventLog.h"
#include "settings/Passwords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool kDebug = false;  // nothing is written to the event log
    static const cx::tEventLog events(std::filesystem::path("/nonexistent/CXEvents.txt"), kDebug);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string decoded = cx::DecodePassword(bytes, events);
    if (decoded.size() > size) __builtin_trap();

    const std::string scrambled = cx::EncodePassword(bytes, events);
    if (cx::DecodePassword(scrambled, events) != bytes) __builtin_trap();
    return 0;
}
