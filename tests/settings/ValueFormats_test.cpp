#include "settings/ValueFormats.h"

#include <gtest/gtest.h>

#include <limits>

namespace cx {
namespace {

class ValueFormatsTest : public ::testing::Test {
protected:
    ValueFormatsTest() {
        for (const char* unit : {"KB", "MB", "GB", "TB", "KBS", "MBS", "kbps", "Mbps"}) {
            m_messages.SetText(unit, std::string("<") + unit + ">");
        }
    }
    tValueFormatContext Context() const { return {m_settings, m_messages, m_locale}; }

    tSettings m_settings;
    tMessages m_messages;
    tLocaleFormats m_locale;
};

TEST_F(ValueFormatsTest, Temperatures) {
    EXPECT_DOUBLE_EQ(ConvertTemperature(2550, Context()), 25.5);
    EXPECT_EQ(FormatTemperature(2550, Context()),
              "25.5 \xC2\xB0"
              "C");
    EXPECT_EQ(FormatTemperature(4500, Context()),
              "45 \xC2\xB0"
              "C");
    EXPECT_EQ(FormatTemperature(-1234, Context()),
              "-12.3 \xC2\xB0"
              "C");
    m_locale.decimalSeparator = ',';
    EXPECT_EQ(FormatTemperature(2550, Context()),
              "25,5 \xC2\xB0"
              "C");
    m_locale.decimalSeparator = '.';
    m_settings.Celsius = false;
    EXPECT_DOUBLE_EQ(ConvertTemperature(0, Context()), 32.0);
    EXPECT_EQ(FormatTemperature(2550, Context()),
              "77.9 \xC2\xB0"
              "F");
    EXPECT_EQ(FormatTemperature(4550, Context()),
              "113.9 \xC2\xB0"
              "F");
}

TEST_F(ValueFormatsTest, KilobytesStepAtOneAndAHalfUnits) {
    struct tCase {
        double kilobytes;
        const char* expected;
    };
    const tCase cases[] = {
        {0, "0 <KB>"},
        {1500, "1500 <KB>"},
        {1536, "1536 <KB>"},
        {1537, "1.5 <MB>"},
        {1600, "1.6 <MB>"},
        {1536.0 * 1024, "1536 <MB>"},
        {2.5 * 1024 * 1024, "2.5 <GB>"},
        {2147483647, "2 <TB>"},  // the no-value marker
        {5000.0 * 1024 * 1024 * 1024, "5000 <TB>"},
        {1.23456 * 1024 * 1024 * 1024 * 1024, "1264.189 <TB>"},
    };
    for (const tCase& c : cases) {
        EXPECT_EQ(FormatKilobytes(c.kilobytes, Context()), c.expected) << c.kilobytes;
    }
    m_locale.decimalSeparator = ',';
    EXPECT_EQ(FormatKilobytes(1600, Context()), "1,6 <MB>");
}

TEST_F(ValueFormatsTest, BytesStepAtEvery1024) {
    EXPECT_EQ(FormatBytes(0, Context()), "0 B");
    EXPECT_EQ(FormatBytes(1024, Context()), "1024 B");
    EXPECT_EQ(FormatBytes(1025, Context()), "1 <KB>");
    EXPECT_EQ(FormatBytes(1.5 * 1024 * 1024, Context()), "1.5 <MB>");
    EXPECT_EQ(FormatBytes(3.333 * 1024 * 1024 * 1024, Context()), "3.33 <GB>");
    EXPECT_EQ(FormatBytes(3000.0 * 1024 * 1024 * 1024 * 1024, Context()), "3000 <TB>");
}

TEST_F(ValueFormatsTest, Rates) {
    EXPECT_EQ(FormatRate(799, Context()), "799 <KBS>");
    EXPECT_EQ(FormatRate(800, Context()), "0.8 <MBS>");
    EXPECT_EQ(FormatRate(10240, Context()), "10 <MBS>");
    EXPECT_EQ(FormatRate(10239, Context()), "10 <MBS>");  // 9.999 rounds up with one decimal
    m_settings.BitDisplay = true;
    EXPECT_EQ(FormatRate(99, Context()), "792 <kbps>");
    EXPECT_EQ(FormatRate(100, Context()), "0.8 <Mbps>");
    EXPECT_EQ(FormatRate(1280, Context()), "10 <Mbps>");
}

TEST(ScaledNumber, DividesByThousandsWithSuffix) {
    EXPECT_EQ(ScaledNumber(0, 1500, '.'), "1500");
    EXPECT_EQ(ScaledNumber(0, 1501, '.'), "2k");
    EXPECT_EQ(ScaledNumber(1, 2500000, '.'), "2.5M");
    EXPECT_EQ(ScaledNumber(2, 1234.5, ','), "1234,50");
    EXPECT_EQ(ScaledNumber(0, 3e12, '.'), "3T");
    // Beyond T the value stays in T rather than losing its suffix.
    EXPECT_EQ(ScaledNumber(0, 5e15, '.'), "5000T");
    EXPECT_EQ(ScaledNumber(0, std::numeric_limits<double>::infinity(), '.'), "infT");
    EXPECT_EQ(ScaledNumber(0, -5000, '.'), "-5000");
}

}  // namespace
}  // namespace cx
