#include "readings/NetworkAdapters.h"

#include <gtest/gtest.h>

#include "SystemReaderHarness.h"

namespace cx {
namespace {

using test::tSystemReaderHarness;

tInterfaceRow Row(std::string name, uint32_t index, std::string_view mac, uint32_t in, uint32_t out,
                  uint32_t lastChange = 1) {
    tInterfaceRow row;
    row.name = std::move(name);
    row.index = index;
    EXPECT_TRUE(ParseMacAddress(mac, row.mac, row.macLength));
    row.inOctets = in;
    row.outOctets = out;
    row.lastChange = lastChange;
    row.ipText = "192.168.  1. 10";
    return row;
}

void ClearNetSlots(tReadingSet& rs) {
    for (int j = 0; j < 4; ++j) rs.sample.NetIn[j] = rs.sample.NetOut[j] = kNoValue32;
}

TEST(NetworkAdaptersTest, TextForms) {
    const uint8_t mac[] = {0x00, 0x1a, 0x2B, 0xff, 0x10, 0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(MacToText(mac, 0), "00-00-00-00-00-00");
    EXPECT_EQ(MacToText(mac, 6), "00-1A-2B-FF-10-01");
    EXPECT_EQ(MacToText(mac, 9), "00-1A-2B-FF-10-01-02-03");  // at most 8 bytes
    EXPECT_EQ(IPToText({192, 168, 1, 10}), "192.168.  1. 10");
    EXPECT_EQ(IPToText({0, 0, 0, 0}), "  0.  0.  0.  0");

    std::array<uint8_t, 8> bytes{};
    size_t length = 99;
    ASSERT_TRUE(ParseMacAddress("aa:0b:c:dd:ee:ff\n", bytes, length));
    EXPECT_EQ(MacToText(bytes.data(), length), "AA-0B-0C-DD-EE-FF");
    ASSERT_TRUE(ParseMacAddress("", bytes, length));
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(ParseMacAddress("aa:zz", bytes, length));
    EXPECT_FALSE(ParseMacAddress("aa::bb", bytes, length));
}

TEST(NetworkAdaptersTest, CounterExtensionFollowsTheTotalAcrossWraps) {
    struct tCase {
        const char* what;
        int32_t accumulated;
        uint32_t octets;
        int32_t expected;
    };
    const tCase cases[] = {
        {"steady growth", 100, 200 * 1024, 200},
        {"wrap from just below 4 GB", 4194303, 1024, 4194305},
        {"above 4 GB, no wrap", 5000000, 805700u * 1024, 5000004},
        {"above 4 GB, wrapped", 5000000, 10 * 1024, 8388618},
        {"started from a marker replaced by 0", 0, 4096, 4},
    };
    for (const tCase& c : cases)
        EXPECT_EQ(ExtendCounter(c.accumulated, c.octets), c.expected) << c.what;
}

TEST(NetworkAdaptersTest, FirstPassBindsAFreeSlotButNeverTheLoopback) {
    tSystemReaderHarness h;
    ClearNetSlots(h.rs);
    std::vector<tInterfaceRow> rows{Row("lo", 1, "00:00:00:00:00:00", 1u << 20, 1u << 20),
                                    Row("eth0", 2, "52:54:00:12:34:56", 10 << 20, 3 << 20)};
    rows[0].ipText = "127.  0.  0.  1";
    tNetworkSource::ApplyInterfaceTable(rows, h.context);

    ASSERT_EQ(h.rs.netMon.size(), 2u);
    EXPECT_EQ(h.rs.netMon[0].macText, "00-00-00-00-00-00");
    EXPECT_EQ(h.rs.netMon[1].description, "eth0");
    EXPECT_EQ(h.rs.netMon[1].ipText, "192.168.  1. 10");
    EXPECT_EQ(h.settings.macNet[0], "52-54-00-12-34-56");
    EXPECT_EQ(h.settings.nameNet[0], "eth0");
    EXPECT_EQ(h.rs.sample.NetIn[0], 10240);
    EXPECT_EQ(h.rs.sample.NetOut[0], 3072);
    for (int j = 1; j < 4; ++j) {
        EXPECT_TRUE(h.settings.macNet[j].empty()) << j;
        EXPECT_EQ(h.rs.sample.NetIn[j], kNoValue32) << j;
    }
}

TEST(NetworkAdaptersTest, AdapterWithZeroAddressDoesNotBind) {
    tSystemReaderHarness h;
    std::vector<tInterfaceRow> rows{Row("eth1", 3, "52:54:00:00:00:01", 0, 0)};
    rows[0].ipText = std::string(kZeroIPText);
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    EXPECT_TRUE(h.settings.macNet[0].empty());
}

TEST(NetworkAdaptersTest, SteadyInterfaceExtendsAndResetRestartsFromTotals) {
    tSystemReaderHarness h;
    ClearNetSlots(h.rs);
    h.settings.nameNet[1] = "Uplink";
    h.settings.macNet[1] = "52-54-00-12-34-56 eth0";  // bound by MAC and description
    std::vector<tInterfaceRow> rows{Row("eth0", 2, "52:54:00:12:34:56", 4294966272u, 2048, 7)};
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    EXPECT_EQ(h.rs.sample.NetIn[1], 4194303);
    EXPECT_EQ(h.settings.nameNet[1], "Uplink");  // a user's label stays

    h.rs.passCounter = 1;
    rows[0].inOctets = 1024;  // the 32-bit counter wrapped
    rows[0].outOctets = 4096;
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    EXPECT_EQ(h.rs.sample.NetIn[1], 4194305);
    EXPECT_EQ(h.rs.sample.NetOut[1], 4);

    rows[0].lastChange = 8;  // reconnected: restart from the interface's totals
    rows[0].inOctets = 5 * 1024;
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    EXPECT_EQ(h.rs.sample.NetIn[1], 5);
    EXPECT_EQ(h.rs.netMon[0].lastChange, 8u);
}

TEST(NetworkAdaptersTest, SlotBoundBetweenPassesStartsFromZeroInsteadOfTheMarker) {
    tSystemReaderHarness h;
    ClearNetSlots(h.rs);
    std::vector<tInterfaceRow> rows{Row("lo", 1, "00:00:00:00:00:00", 8192, 8192)};
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    h.rs.passCounter = 1;
    h.settings.macNet[0] = "00-00-00-00-00-00";  // the user picked the loopback
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    EXPECT_EQ(h.rs.sample.NetIn[0], 8);
    EXPECT_EQ(h.rs.sample.NetOut[0], 8);
}

TEST(NetworkAdaptersTest, InterfacesSharingAMacKeepTheirOwnSlots) {
    tSystemReaderHarness h;
    ClearNetSlots(h.rs);
    std::vector<tInterfaceRow> rows{Row("eth0", 2, "52:54:00:12:34:56", 1 << 20, 0),
                                    Row("br0", 5, "52:54:00:12:34:56", 9 << 20, 0)};
    tNetworkSource::ApplyInterfaceTable(rows, h.context);
    EXPECT_EQ(h.settings.macNet[0], "52-54-00-12-34-56 eth0");
    EXPECT_EQ(h.settings.macNet[1], "52-54-00-12-34-56 br0");
    EXPECT_EQ(h.rs.sample.NetIn[0], 1024);
    EXPECT_EQ(h.rs.sample.NetIn[1], 9216);

    // An older binding by MAC alone is fed by the first interface only.
    tSystemReaderHarness old;
    ClearNetSlots(old.rs);
    old.settings.macNet[0] = "52-54-00-12-34-56";
    tNetworkSource::ApplyInterfaceTable(rows, old.context);
    EXPECT_EQ(old.rs.sample.NetIn[0], 1024);
}

// Writes one interface of a fake /sys/class/net.
void WriteInterface(const test::tTempDir& root, const std::string& name, int index,
                    const std::string& mac, uint64_t rx, uint64_t tx, int carrierChanges) {
    const std::string dir = "sys/class/net/" + name + "/";
    root.Write(dir + "ifindex", std::to_string(index) + "\n");
    root.Write(dir + "address", mac + "\n");
    root.Write(dir + "addr_len", "6\n");
    root.Write(dir + "carrier_changes", std::to_string(carrierChanges) + "\n");
    root.Write(dir + "statistics/rx_bytes", std::to_string(rx) + "\n");
    root.Write(dir + "statistics/tx_bytes", std::to_string(tx) + "\n");
}

TEST(NetworkAdaptersTest, InterfaceTableFromAFakeTree) {
    test::tTempDir root;
    WriteInterface(root, "wlan0", 3, "aa:bb:cc:dd:ee:ff", (uint64_t{5} << 32) + 2048, 1024, 4);
    WriteInterface(root, "lo", 1, "00:00:00:00:00:00", 4096, 4096, 0);
    root.Write("sys/class/net/broken/ifindex", "9\n");  // vanished: no counters
    tSystemReaderHarness h(root.Path().string());
    tNetworkSource source;
    std::vector<tInterfaceRow> rows;
    source.ReadInterfaceTable(h.context.root, h.events, rows);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].name, "lo");
    EXPECT_EQ(rows[1].name, "wlan0");
    EXPECT_EQ(rows[1].inOctets, 2048u);  // the low 32 bits
    EXPECT_EQ(MacToText(rows[1].mac.data(), rows[1].macLength), "AA-BB-CC-DD-EE-FF");
    EXPECT_EQ(rows[1].ipText, kUnknownIPText);
    const uint32_t stamp = rows[1].lastChange;

    source.ReadInterfaceTable(h.context.root, h.events, rows);
    EXPECT_EQ(rows[1].lastChange, stamp);
    WriteInterface(root, "wlan0", 3, "aa:bb:cc:dd:ee:ff", 100, 1024, 5);  // link went down and up
    source.ReadInterfaceTable(h.context.root, h.events, rows);
    const uint32_t afterCarrier = rows[1].lastChange;
    EXPECT_NE(afterCarrier, stamp);
    WriteInterface(root, "wlan0", 3, "aa:bb:cc:dd:ee:ff", 50, 1024, 5);  // counters were reset
    source.ReadInterfaceTable(h.context.root, h.events, rows);
    EXPECT_NE(rows[1].lastChange, afterCarrier);
}

TEST(NetworkAdaptersTest, SourceOnAFakeTreeFillsTheBoundSlot) {
    test::tTempDir root;
    WriteInterface(root, "eth0", 2, "52:54:00:12:34:56", 20480, 10240, 1);
    tSystemReaderHarness h(root.Path().string());
    ClearNetSlots(h.rs);
    tNetworkSource source;
    source.Read(h.context);
    EXPECT_EQ(h.settings.macNet[0], "52-54-00-12-34-56");
    EXPECT_EQ(h.rs.sample.NetIn[0], 20);
    h.rs.passCounter = 1;
    WriteInterface(root, "eth0", 2, "52:54:00:12:34:56", 40960, 10240, 1);
    source.Read(h.context);
    EXPECT_EQ(h.rs.sample.NetIn[0], 40);
    EXPECT_EQ(h.rs.sample.NetOut[0], 10);

    // No interface table at all: the list empties, the counters stay.
    tSystemReaderHarness empty(root.Path().string() + "/nothing");
    empty.rs.netMon.resize(2);
    empty.rs.sample.NetIn[0] = 77;
    source.Read(empty.context);
    EXPECT_TRUE(empty.rs.netMon.empty());
    EXPECT_EQ(empty.rs.sample.NetIn[0], 77);
}

}  // namespace
}  // namespace cx
