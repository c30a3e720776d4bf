#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

namespace cx {
namespace {

struct tUtf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

TEST(TextEncoding, IsValidUtf8IsStrict) {
    const tUtf8Case cases[] = {
        {"ascii", "Temp=25", true},
        {"empty", "", true},
        {"degree_sign",
         "\xC2\xB0"
         "C",
         true},
        {"euro", "\xE2\x82\xAC", true},
        {"four_byte_max", "\xF4\x8F\xBF\xBF", true},
        {"lone_latin1_degree",
         "\xB0"
         "C",
         false},
        {"overlong_slash", "\xC0\xAF", false},
        {"overlong_three_byte", "\xE0\x80\xAF", false},
        {"overlong_four_byte", "\xF0\x80\x80\xAF", false},
        {"surrogate_high", "\xED\xA0\x80", false},
        {"surrogate_low", "\xED\xBF\xBF", false},
        {"above_max", "\xF4\x90\x80\x80", false},
        {"lead_f5", "\xF5\x80\x80\x80", false},
        {"truncated_at_end", "ab\xE2\x82", false},
        {"bad_continuation", "\xE2\x28\xA1", false},
        {"stray_continuation", "\x80", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.name;
    }
}

TEST(TextEncoding, Windows1252MapsHighBytes) {
    EXPECT_EQ(Windows1252ToUtf8("25\xB0"
                                "C"),
              "25\xC2\xB0"
              "C");
    EXPECT_EQ(Windows1252ToUtf8("\x80\x9F\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF");
    // 0x81 is not defined in the code page.
    EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xEF\xBF\xBD");
    EXPECT_EQ(Windows1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(TextEncoding, ToUtf8KeepsUtf8AndConvertsOldText) {
    EXPECT_EQ(ToUtf8("Gr\xC3\xBC\xC3\x9F"
                     "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_EQ(ToUtf8("Gr\xFC\xDF"
                     "e"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
    EXPECT_TRUE(IsValidUtf8(ToUtf8("\x80\x81\x8D\x8F\x90\x9D")));
}

}  // namespace
}  // namespace cx
