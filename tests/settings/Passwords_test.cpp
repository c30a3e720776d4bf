#include "settings/Passwords.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/Base64.h"
#include "support/TempDir.h"

namespace cx {
namespace {

TEST(Base64, KnownTextsBothWays) {
    struct tCase {
        const char* plain;
        const char* encoded;
    };
    const tCase cases[] = {{"", ""},
                           {"f", "Zg=="},
                           {"fo", "Zm8="},
                           {"foo", "Zm9v"},
                           {"foob", "Zm9vYg=="},
                           {"fooba", "Zm9vYmE="},
                           {"foobar", "Zm9vYmFy"}};
    for (const tCase& c : cases) {
        EXPECT_EQ(EncodeBase64(c.plain), c.encoded);
        EXPECT_EQ(DecodeBase64(c.encoded), std::string(c.plain));
    }
    EXPECT_EQ(EncodeBase64("\xFF\xFE\xFD"), "//79");
    EXPECT_EQ(DecodeBase64("Zm8"), std::string("fo"));  // padding left off
}

TEST(Base64, RejectsInvalidText) {
    for (const char* bad :
         {"Z", "Zm9v!", "Zm 9v", "Zg=a", "Z===", "=", "Zm9vY", "Zg==Zg==", "Zm9v\n", "Zg="}) {
        EXPECT_FALSE(DecodeBase64(bad).has_value()) << bad;
    }
}

class PasswordsTest : public ::testing::Test {
protected:
    PasswordsTest() : m_events(m_dir / "CXEvents.txt", m_debug) {}
    test::tTempDir m_dir;
    bool m_debug = true;
    tEventLog m_events;
};

TEST_F(PasswordsTest, RoundTripsAndScramblesEveryByte) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    for (const std::string& plain :
         {std::string(), std::string("secret"), std::string(255, 'x'), std::string(256, 'x'),
          std::string(1000, 'q'), all, std::string("p\xC3\xA4ss\0word", 10)}) {
        const std::string scrambled = EncodePassword(plain, m_events);
        const std::optional<std::string> code = DecodeBase64(scrambled);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(code->size(), plain.size());
        // No stretch of the password is stored as it stands.
        if (plain.size() >= 8) {
            EXPECT_EQ(code->find(plain.substr(plain.size() - 8)), std::string::npos);
        }
        EXPECT_EQ(DecodePassword(scrambled, m_events), plain);
    }
    EXPECT_EQ(EncodePassword("", m_events), "");
    EXPECT_EQ(m_dir.Read("CXEvents.txt"), "");
}

TEST_F(PasswordsTest, KeyRunsOnTheScrambledBytes) {
    // Same first bytes give the same first scrambled bytes; a change in one
    // byte changes every later one.
    const std::optional<std::string> a = DecodeBase64(EncodePassword("abcdef", m_events));
    const std::optional<std::string> b = DecodeBase64(EncodePassword("abXdef", m_events));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->substr(0, 2), b->substr(0, 2));
    for (size_t i = 2; i < 6; ++i) EXPECT_NE((*a)[i], (*b)[i]) << i;
}

TEST_F(PasswordsTest, InvalidTextIsLoggedAndGivesEmpty) {
    EXPECT_EQ(DecodePassword("not base64!", m_events), "");
    EXPECT_NE(m_dir.Read("CXEvents.txt").find("] dec1 "), std::string::npos);
}

}  // namespace
}  // namespace cx
