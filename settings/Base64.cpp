// MIME Base64 encoding and strict decoding.
#include "settings/Base64.h"

#include <array>
#include <cstdint>

namespace cx {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int8_t, 256> MakeDecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto& entry : table) entry = -1;
    for (size_t i = 0; i < kAlphabet.size(); ++i) {
        table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<int8_t>(i);
    }
    return table;
}
constexpr std::array<int8_t, 256> kDecodeTable = MakeDecodeTable();

}  // namespace

std::string EncodeBase64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16 |
                           static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += kAlphabet[n >> 6 & 63];
        out += kAlphabet[n & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t n = static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (rest == 2) n |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += rest == 2 ? kAlphabet[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> DecodeBase64(std::string_view text) {
    // Up to two "=" may close the text, and only when they fill its last group.
    size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    if (padding > 0 && text.size() % 4 != 0) return std::nullopt;
    const std::string_view body = text.substr(0, text.size() - padding);
    if (body.size() % 4 == 1) return std::nullopt;

    std::string out;
    out.reserve(body.size() / 4 * 3 + 2);
    uint32_t buffer = 0;
    int bits = 0;
    for (char c : body) {
        const int8_t value = kDecodeTable[static_cast<unsigned char>(c)];
        if (value < 0) return std::nullopt;
        buffer = (buffer << 6 | static_cast<uint32_t>(value)) & 0xFFFFFF;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>(buffer >> bits & 0xFF);
        }
    }
    return out;
}

}  // namespace cx
