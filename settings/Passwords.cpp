// The running-key scrambling of stored passwords. Both directions feed the
// scrambled byte back into the key, so decoding undoes encoding byte by byte.
// Only the low 16 bits of the key ever matter, so it is kept in 16 bits.
#include "settings/Passwords.h"

#include <cstdint>
#include <exception>
#include <optional>

#include "settings/Base64.h"

namespace cx {
namespace {

// The same three constants in every program and both directions: stored
// passwords depend on them.
constexpr uint16_t kStartKey = 48611;
constexpr uint16_t kMultiplier = 40503;
constexpr uint16_t kIncrement = 12979;

uint16_t NextKey(uint16_t key, unsigned char scrambled) {
    return static_cast<uint16_t>((key + scrambled) * kMultiplier + kIncrement);
}

unsigned char KeyByte(uint16_t key) {
    return static_cast<unsigned char>(key >> 8);
}

}  // namespace

std::string EncodePassword(std::string_view plain, const tEventLog& events) {
    try {
        std::string code(plain.size(), '\0');
        uint16_t key = kStartKey;
        for (size_t i = 0; i < plain.size(); ++i) {
            const auto scrambled = static_cast<unsigned char>(plain[i] ^ KeyByte(key));
            code[i] = static_cast<char>(scrambled);
            key = NextKey(key, scrambled);
        }
        return EncodeBase64(code);
    } catch (const std::exception& e) {
        events.WriteEvent(std::string("enc1 ") + e.what());
        return {};
    }
}

std::string DecodePassword(std::string_view scrambled, const tEventLog& events) {
    try {
        std::optional<std::string> code = DecodeBase64(scrambled);
        if (!code) {
            events.WriteEvent("dec1 the stored password is not valid Base64 text");
            return {};
        }
        std::string plain(code->size(), '\0');
        uint16_t key = kStartKey;
        for (size_t i = 0; i < code->size(); ++i) {
            const auto byte = static_cast<unsigned char>((*code)[i]);
            plain[i] = static_cast<char>(byte ^ KeyByte(key));
            key = NextKey(key, byte);
        }
        return plain;
    } catch (const std::exception& e) {
        events.WriteEvent(std::string("dec1 ") + e.what());
        return {};
    }
}

}  // namespace cx
