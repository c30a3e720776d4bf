// UTF-8 validation and the Windows-1252 reading of 8-bit text.
#include "platform/TextEncoding.h"

#include <array>
#include <cstdint>

namespace cx {

namespace {

// Code points of bytes 0x80..0x9F in Windows-1252; 0xFFFD where the code page
// defines nothing. Bytes 0xA0..0xFF equal their Latin-1 code points.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,  // 88..8F
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,  // 98..9F
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Every code point of the table is in the basic plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        size_t length;
        // The allowed range of the second byte rules out overlong forms,
        // surrogates (U+D800..U+DFFF) and code points above U+10FFFF.
        uint8_t low = 0x80;
        uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (n - i < length) return false;
        const auto second = static_cast<uint8_t>(bytes[i + 1]);
        if (second < low || second > high) return false;
        for (size_t k = 2; k < length; ++k) {
            const auto next = static_cast<uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x80) {
            out += c;
        } else if (b < 0xA0) {
            AppendUtf8(out, kHighControls[b - 0x80]);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

std::string ToUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Windows1252ToUtf8(bytes);
}

}  // namespace cx
