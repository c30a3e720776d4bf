#include "readings/ReadingsReport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <sstream>

#include "MiniJson.h"

namespace cx {
namespace {

using test::tJson;
using test::tJsonReader;

// 2024-05-01T12:34:56Z as a sample time.
constexpr TDateTime kSampleTime = kUnixEpochDays + 1714566896.0 / 86400.0;

// A reading set by hand: a few slots with values, the rest with markers.
class ReadingsReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        tSample& s = rs.sample;
        for (int i = 0; i < 10; ++i) s.T[i] = s.V[i] = s.F[i] = kNoValue16;
        for (int i = 0; i < 4; ++i) {
            s.CPU[i] = kNoValue16;
            s.NetIn[i] = s.NetOut[i] = kNoValue32;
        }
        s.MemUsed = s.MemFree = s.PageUsed = s.PageFree = s.Cache = s.Clock = kNoValue32;
        s.BatRemaining = kNoValue32;
        s.BatFull = 0;
        s.T[0] = 4512;
        s.V[0] = -1200;
        s.V[1] = 336;
        s.F[0] = 1200;
        s.F[1] = -5000;  // 50 % duty
        s.CPU[0] = 1250;
        s.NetIn[0] = 2048;
        s.Clock = 2400000;
        s.MemUsed = 1048576;
        s.time = kSampleTime;
        rs.maxClock = 3000000;
        rs.uptime = 93784;
        rs.processorCount = 4;
        rs.sample2.ActiveSeconds = 75;
        rs.diskSlots[0] = {"/ root", 2 * 1048576, 1048576};
        settings.nameT[0] = "CPU \"hot\"\nzone";
        settings.nameNet[0] = "eth0";
        for (const char* key : {"V", "RPM", "KB", "MB", "GB", "TB", "Free"}) {
            messages.SetText(key, std::string(key) == "RPM" ? "rpm" : key);
        }
        messages.SetText("Free", "free");
    }

    std::string Table(bool all) {
        const tValueFormatContext formats{settings, messages, locale};
        const tReportContext context{rs, settings, formats, zone};
        return FormatReadingsTable(context, all);
    }

    tReadingSet rs;
    tSettings settings;
    tMessages messages;
    tLocaleFormats locale;
    tTimeZoneRules zone;  // UTC
};

struct tRow {
    std::string key, label, value;
};

// The first word of every line of a table.
std::set<std::string> TableKeys(const std::string& table) {
    std::istringstream lines(table);
    std::set<std::string> keys;
    for (std::string line; std::getline(lines, line);) keys.insert(line.substr(0, line.find(' ')));
    return keys;
}

// Checks that each row is one line "key  label  value" and that the values of
// all lines start in one column.
void ExpectRows(const std::string& table, const std::vector<tRow>& rows) {
    std::istringstream lines(table);
    std::string line;
    std::map<std::string, std::string> byKey;
    while (std::getline(lines, line)) byKey[line.substr(0, line.find(' '))] = line;
    std::optional<size_t> valueColumn;
    for (const tRow& row : rows) {
        ASSERT_TRUE(byKey.count(row.key)) << row.key << " missing in\n" << table;
        const std::string& text = byKey[row.key];
        ASSERT_TRUE(text.ends_with(row.value)) << text;
        const size_t column = text.size() - row.value.size();
        if (!valueColumn) valueColumn = column;
        EXPECT_EQ(column, *valueColumn) << text;
        const size_t labelAt = text.find_first_not_of(' ', row.key.size());
        EXPECT_GE(labelAt, row.key.size() + 2) << text;
        if (!row.label.empty()) {
            EXPECT_EQ(text.substr(labelAt, row.label.size()), row.label);
        }
    }
}

TEST_F(ReadingsReportTest, TableShowsSlotsWithValuesInAlignedColumns) {
    const std::string table = Table(false);
    ExpectRows(table, {
                          {"T1", "CPU \"hot\" zone",
                           "45.1 \xC2\xB0"
                           "C"},
                          {"V1", "V1", "-12.00 V"},
                          {"V2", "V2", "3.36 V"},
                          {"F1", "F1", "1200 rpm"},
                          {"F2", "F2", "50 %"},
                          {"CPU1", "Core1", "12.5 %"},
                          {"Net1In", "eth0", "2 MB"},
                          {"clock", "", "2400 MHz"},
                          {"maxClock", "", "3000 MHz"},
                          {"memUsed", "", "1024 MB"},
                          {"uptime", "", "1 d 02:03:04"},
                          {"processorCount", "", "4"},
                          {"activeSeconds", "", "00:01:15"},
                          {"Disk1", "/ root", "1024 MB free / 2 GB"},
                          {"time", "", "01/05/2024 12:34:56"},
                      });
    // Slots without a value, and the battery of a machine without one, are left out.
    const std::set<std::string> keys = TableKeys(table);
    for (const char* key : {"T2", "Net1Out", "memFree", "batteryFull", "onMains", "Disk2"}) {
        EXPECT_EQ(keys.count(key), 0u) << key;
    }
    // The label's line break does not split its line.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 15);
}

TEST_F(ReadingsReportTest, TableWithAllShowsMissingValuesAsDashes) {
    settings.Celsius = false;
    const std::string table = Table(true);
    ExpectRows(table, {
                          {"T1", "",
                           "113.2 \xC2\xB0"
                           "F"},
                          {"T2", "T2", "-"},
                          {"Net1Out", "eth0", "-"},
                          {"memFree", "", "-"},
                          {"batteryRemaining", "", "-"},
                          {"onMains", "", "-"},
                          {"Disk8", "", "-"},
                      });
    // 30 sensors, 4 loads, 8 network counters, 13 other values, 8 disks, the time.
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 30 + 4 + 8 + 13 + 8 + 1);
}

TEST_F(ReadingsReportTest, BatteryValuesAppearOnceThereIsABattery) {
    rs.sample.BatFull = 50000;
    rs.sample.BatRemaining = 25000;
    rs.sample.OnMains = 1;
    ExpectRows(Table(false), {{"batteryRemaining", "", "25000 mWh"},
                              {"batteryFull", "", "50000 mWh"},
                              {"onMains", "", "yes"}});
    rs.batRelative = 1;
    ExpectRows(Table(false), {{"batteryRemaining", "", "25000"}});
}

TEST_F(ReadingsReportTest, JsonCarriesStoredIntegersNullMarkersAndLabels) {
    const std::string text = FormatReadingsJson(rs, settings);
    const tJson json = tJsonReader::Parse(text);
    ASSERT_EQ(json.kind, tJson::tKind::Object);

    std::vector<std::string> keys;
    for (const char* group : {"T", "V", "F"}) {
        for (int n = 1; n <= 10; ++n) keys.push_back(group + std::to_string(n));
    }
    for (int n = 1; n <= 4; ++n) keys.push_back("CPU" + std::to_string(n));
    for (int n = 1; n <= 4; ++n) {
        keys.push_back("Net" + std::to_string(n) + "In");
        keys.push_back("Net" + std::to_string(n) + "Out");
    }
    for (const char* key : {"clock", "maxClock", "memUsed", "memFree", "pageUsed", "pageFree",
                            "cache", "batteryRemaining", "batteryFull", "onMains", "uptime",
                            "processorCount", "activeSeconds", "time", "labels"}) {
        keys.push_back(key);
    }
    EXPECT_EQ(json.order, keys);

    struct tCase {
        const char* key;
        std::optional<double> number;  // nothing: null
    };
    const tCase cases[] = {
        {"T1", 4512},
        {"T2", std::nullopt},
        {"V1", -1200},
        {"F2", -5000},
        {"CPU1", 1250},
        {"CPU2", std::nullopt},
        {"Net1In", 2048},
        {"Net1Out", std::nullopt},
        {"clock", 2400000},
        {"maxClock", 3000000},
        {"memFree", std::nullopt},
        {"batteryFull", 0},
        {"batteryRemaining", std::nullopt},
        {"uptime", 93784},
        {"processorCount", 4},
        {"activeSeconds", 75},
    };
    for (const tCase& c : cases) {
        const tJson& value = json[c.key];
        if (c.number) {
            ASSERT_TRUE(value.IsNumber()) << c.key;
            EXPECT_EQ(value.number, *c.number) << c.key;
        } else {
            EXPECT_EQ(value.kind, tJson::tKind::Null) << c.key;
        }
    }
    EXPECT_EQ(json["onMains"].kind, tJson::tKind::Bool);
    EXPECT_FALSE(json["onMains"].boolean);
    EXPECT_EQ(json["time"].text, "2024-05-01T12:34:56Z");

    const tJson& labels = json["labels"];
    EXPECT_EQ(labels["T1"].text, "CPU \"hot\"\nzone");
    EXPECT_EQ(labels["CPU4"].text, "Core4");
    EXPECT_EQ(labels["Net1Out"].text, "eth0");
    EXPECT_FALSE(labels.Has("memUsed"));
    EXPECT_EQ(labels.members.size(), 30u + 4u + 8u);
    EXPECT_NE(text.find(R"("T1": "CPU \"hot\"\nzone")"), std::string::npos);
}

TEST_F(ReadingsReportTest, JsonTimeIsNullBeforeTheFirstPass) {
    rs.sample.time = 0;
    EXPECT_EQ(tJsonReader::Parse(FormatReadingsJson(rs, settings))["time"].kind,
              tJson::tKind::Null);
}

TEST(JsonStringTest, EscapesQuotesBackslashesAndControlCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"a\"b", "\"a\\\"b\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"line\nbreak\r\ttab", "\"line\\nbreak\\r\\ttab\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\\u007f\""},
        {"\xC2\xB0"
         "C",
         "\"\xC2\xB0"
         "C\""},  // UTF-8 stays as it is
        {"\xB0"
         "C",
         "\"\xC2\xB0"
         "C\""},  // a Windows-1252 degree sign becomes UTF-8
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(JsonString(input), expected) << input;
        EXPECT_EQ(tJsonReader::Parse(JsonString(input)).kind, tJson::tKind::String);
    }
}

TEST(IsoUtcTimeTest, WholeSecondsInTheFourDigitYears) {
    const double second = 1.0 / 86400.0;
    const std::pair<TDateTime, const char*> cases[] = {
        {kUnixEpochDays, "1970-01-01T00:00:00Z"},
        {0, "1899-12-30T00:00:00Z"},
        {kSampleTime, "2024-05-01T12:34:56Z"},
        {kSampleTime + 0.4 * second, "2024-05-01T12:34:56Z"},
        // Rounding carries into the next day, month and year.
        {kUnixEpochDays + (1704067200.0 - 0.4) / 86400.0, "2024-01-01T00:00:00Z"},
        {kUnixEpochDays + 951782400.0 / 86400.0, "2000-02-29T00:00:00Z"},
        {-693593, "0001-01-01T00:00:00Z"},
    };
    for (const auto& [t, expected] : cases) {
        const std::optional<std::string> text = IsoUtcTime(t);
        ASSERT_TRUE(text) << expected;
        EXPECT_EQ(*text, expected);
    }
    for (const TDateTime bad :
         {std::nan(""), std::numeric_limits<double>::infinity(), -693594.0, 3000000.0}) {
        EXPECT_FALSE(IsoUtcTime(bad)) << bad;
    }
}

}  // namespace
}  // namespace cx
