#include "monitor/render/Placeholders.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "support/TempDir.h"

namespace cx {
namespace {

constexpr const char* kDegC =
    " \xC2\xB0"
    "C";

// 2024-03-05 14:07:09 UTC.
constexpr TDateTime kNoonish = 45356.0 + (14 * 3600 + 7 * 60 + 9) / 86400.0;

class PlaceholdersTest : public ::testing::Test {
protected:
    PlaceholdersTest() : m_events(m_dir / "CXEvents.txt", m_debug) {
        tSample& s = m_rs.sample;
        for (auto& v : s.T) v = kNoValue16;
        for (auto& v : s.V) v = kNoValue16;
        for (auto& v : s.F) v = kNoValue16;
        for (auto& v : s.CPU) v = kNoValue16;
        s.MemUsed = s.MemFree = s.PageUsed = s.PageFree = s.Cache = s.Clock = kNoValue32;
        for (const char* key : {"KB", "MB", "GB", "TB", "Minutes", "RPM", "LH", "Volt"}) {
            m_messages.SetText(key, std::string("<") + key + ">");
        }
        m_facts.userName = [this] { return m_userName; };
        m_facts.hostName = [] { return std::string("heater"); };
        m_facts.localIPAddresses = [this] { return m_addresses; };
        m_facts.environmentValue = [this](const std::string& name) {
            auto it = m_environment.find(name);
            return it == m_environment.end() ? std::string() : it->second;
        };
    }

    tPlaceholderContext Context() {
        return {m_rs, m_settings, m_messages, m_locale, m_rules, m_events, m_facts};
    }
    std::string Expand(std::string_view text) {
        return ExpandPlaceholders(text, kNoonish, Context());
    }
    std::string ExpandAll(std::string_view text) {
        return ExpandAllPlaceholders(text, kNoonish, Context());
    }
    std::string EventLog() const { return m_dir.Read("CXEvents.txt"); }

    test::tTempDir m_dir;
    bool m_debug = true;
    tEventLog m_events;
    tReadingSet m_rs;
    tSettings m_settings;
    tMessages m_messages;
    tLocaleFormats m_locale;
    tTimeZoneRules m_rules;
    tSystemFacts m_facts;
    std::optional<std::string> m_userName = "ada";
    std::vector<std::string> m_addresses{"192.168.1.20", "10.0.0.7"};
    std::map<std::string, std::string> m_environment{{"TEMP", "/tmp"}};
};

TEST_F(PlaceholdersTest, CapitalsSlotsAndUnknownValues) {
    m_rs.sample.T[0] = 4550;
    m_rs.sample.Clock = 2000000;
    EXPECT_EQ(Expand("CPU %T1% at %FREQ% MHz"), std::string("CPU 45.5") + kDegC + " at 2000 MHz");

    m_rs.sample.T[0] = kNoValue16;
    m_rs.sample.Clock = kNoValue32;
    EXPECT_EQ(Expand("%T1% %freq%"), "%T1% ???");

    // %t10% is a placeholder of its own, not %t1% followed by a zero.
    m_rs.sample.T[0] = 4550;
    m_rs.sample.T[9] = 3000;
    EXPECT_EQ(Expand("%t10%|%t1%|%t1%"),
              std::string("30") + kDegC + "|45.5" + kDegC + "|45.5" + kDegC);
}

TEST_F(PlaceholdersTest, FansVoltagesAndLoads) {
    m_rs.sample.F[0] = 2400;
    m_rs.sample.F[1] = -4550;  // a negative fan value
    m_rs.sample.V[0] = 1205;
    m_rs.sample.CPU[0] = 1234;
    m_rs.sample.CPU[3] = 0;
    EXPECT_EQ(Expand("%f1%;%f2%;%f3%;%v1%;%v2%;%cpu1%;%cpu4%;%cpu2%"),
              "2400 <RPM>;45.5 <LH>;%f3%;12.05 <Volt>;%v2%;12.3 %;0 %;%cpu2%");
    m_locale.decimalSeparator = ',';
    EXPECT_EQ(Expand("%v1%"), "12,05 <Volt>");
}

TEST_F(PlaceholdersTest, FahrenheitFollowsTheSetting) {
    m_settings.Celsius = false;
    m_rs.sample.T[0] = 4550;
    EXPECT_EQ(Expand("%t1%"),
              "113.9 \xC2\xB0"
              "F");
}

TEST_F(PlaceholdersTest, MemoryIsReplacedEvenWhenUnknown) {
    m_rs.memTotal = 2 * 1024 * 1024;
    m_rs.pageTotal = 1536;
    m_rs.sample.MemFree = 1537;
    EXPECT_EQ(Expand("%mem% %freemem% %allocmem% %mempage% %memcache%"),
              "2 <GB> 1.5 <MB> 2 <TB> 1536 <KB> 2 <TB>");
    EXPECT_EQ(Expand("%allocmempage%/%freemempage%"), "2 <TB>/2 <TB>");
}

TEST_F(PlaceholdersTest, IntervalsUptimeAndNames) {
    m_settings.ReadTemp = 30000;
    m_rs.uptimeDays = 3;
    m_rs.uptimeHours = 4;
    m_rs.uptimeMinutes = 5;
    m_rs.uptimeSeconds = 6;
    EXPECT_EQ(Expand("%intread%|%lighttime%|%bannertime%"),
              "0.5 <Minutes>|10 <Minutes>|15 <Minutes>");
    EXPECT_EQ(Expand("%uptime% %userid%@%hostid%"), "3 d 04:05:06 h ada@heater");

    m_userName = std::string(300, 'u');
    EXPECT_EQ(Expand("%userid%"), std::string(kMaxUserNameLength, 'u'));
    m_userName.reset();
    EXPECT_EQ(Expand("[%userid%]"), "[]");
    EXPECT_NE(EventLog().find("] gcu1 "), std::string::npos);
}

TEST_F(PlaceholdersTest, DateAndTimeInDisplayTime) {
    m_rules.bias = -60;  // one hour east of UTC, no daylight rule
    EXPECT_EQ(Expand("%date%-%time%"), "20240305-150709");
    m_settings.TimeInUTC = true;
    EXPECT_EQ(Expand("%DATE%-%Time%"), "20240305-140709");
}

TEST_F(PlaceholdersTest, EnvironmentVariables) {
    m_environment["LOOP"] = "%envLOOP%";  // must not expand without end
    EXPECT_EQ(Expand("%envTEMP%/x and %ENVTEMP% [%envNOSUCHVAR%]"), "/tmp/x and /tmp []");
    EXPECT_EQ(Expand("%envLOOP%"), "%envLOOP%");
    EXPECT_EQ(Expand("100%env"), "100%env");
}

TEST_F(PlaceholdersTest, AddressesAndUptimeRecordOnlyInTheFullSet) {
    m_settings.upRecDays = 12;
    m_settings.upRecHours = 1;
    EXPECT_EQ(Expand("%ip% %uptimerecord%"), "%ip% %uptimerecord%");
    EXPECT_EQ(ExpandAll("%ip%|%ip0%|%ip1%|[%ip3%]|%uptimerecord%"),
              "192.168.1.20, 10.0.0.7|192.168.1.20|10.0.0.7|[]|12 d 01:00:00 h");
    m_settings.ReadUpTime = false;
    EXPECT_EQ(ExpandAll("%uptimerecord%"), "%uptimerecord%");
}

TEST_F(PlaceholdersTest, FailureKeepsWhatWasExpanded) {
    m_rs.sample.Clock = 1500000;
    m_rs.sample.T[0] = 2000;
    m_facts.hostName = []() -> std::string { throw std::runtime_error("no resolver"); };
    EXPECT_EQ(Expand("%freq% %hostid% %t1%"), "1500 %hostid% %t1%");
    EXPECT_NE(EventLog().find("] sa1 no resolver"), std::string::npos);

    m_facts.localIPAddresses = []() -> std::vector<std::string> {
        throw std::runtime_error("no interfaces");
    };
    EXPECT_EQ(ExpandAll("%freq% %ip%"), "1500 %ip%");
    EXPECT_NE(EventLog().find("] sa21 no interfaces"), std::string::npos);
}

}  // namespace
}  // namespace cx
