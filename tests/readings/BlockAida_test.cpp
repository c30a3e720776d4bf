#include "readings/BlockAida.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "BlockTestHarness.h"
#include "readings/ReadingPass.h"

namespace cx {
namespace {

using test::tBlockBytes;
using test::tBlockHarness;
using test::tShmObject;
using test::tShmPrefix;

std::string Element(const std::string& kind, const std::string& label, const std::string& value) {
    return "<" + kind + "><label>" + label + "</label><value>" + value + "</value></" + kind + ">";
}

tBlockBytes TextBlock(const std::string& text, size_t size = 8192) {
    tBlockBytes block(size);
    block.PutText(0, text);
    return block;
}

TEST(BlockAida, ParsesEveryKindInOrder) {
    const std::string text = Element("sys", "CPU Clock", "2400") + "<temp><label>CPU</label>" +
                             "</temp>" + Element("temp", "GPU", "51") +
                             Element("fan", "Case", "1200") + "<volt><value>1.2</value></volt>" +
                             "<temp><label>open";
    const tAidaSensors sensors = ParseAidaText(text);
    ASSERT_EQ(sensors.sys.size(), 1u);
    EXPECT_EQ(sensors.sys[0].label, "CPU Clock");
    ASSERT_EQ(sensors.temp.size(), 2u);  // the element without closing tag ends the scan
    EXPECT_EQ(sensors.temp[0].label, "CPU");
    EXPECT_EQ(sensors.temp[0].value, "");
    EXPECT_EQ(sensors.temp[1].value, "51");
    ASSERT_EQ(sensors.fan.size(), 1u);
    ASSERT_EQ(sensors.volt.size(), 1u);
    EXPECT_EQ(sensors.volt[0].label, "");
    EXPECT_EQ(sensors.volt[0].value, "1.2");
}

TEST(BlockAida, ValuesGoToTheirOrdinalSlotsAndNameDefaultLabels) {
    tBlockHarness h;
    h.rs.refreshEverestNames = true;
    h.rs.maxClock = 1000000;
    h.settings.nameT[1] = "My GPU";
    h.settings.OrderAIDAT = {2, 1, 0, 0, 0, 0, 0, 0, 0, 2};
    const std::string text = Element("sys", "CPU Clock", "2400.5") +
                             Element("temp", "Empty", "") +      // no value: not numbered
                             Element("temp", "CPU", "45.125") +  // ordinal 1
                             Element("temp", "GPU", "51.5") +    // ordinal 2
                             Element("fan", "Case", "1200") + Element("fan", "Pump", "12.5") +
                             Element("volt", "Vcore", "1.344") + Element("volt", "Bad", "n/a");
    ReadAidaBlock(TextBlock(text).View(), h.context);
    EXPECT_EQ(h.rs.sample.Clock, 2400500);
    EXPECT_EQ(h.rs.maxClock, 2400500);
    EXPECT_EQ(h.rs.sample.T[0], 5150);
    EXPECT_EQ(h.rs.sample.T[1], 4512);  // 4512.5 rounds to even
    EXPECT_EQ(h.rs.sample.T[2], kNoValue16);
    EXPECT_EQ(h.rs.sample.T[9], 5150);
    EXPECT_EQ(h.rs.sample.F[0], 1200);
    EXPECT_EQ(h.rs.sample.F[1], kNoValue16);  // no integer
    EXPECT_EQ(h.rs.sample.V[0], 134);
    EXPECT_EQ(h.rs.sample.V[1], kNoValue16);  // no number
    EXPECT_EQ(h.settings.nameT[0], "GPU");
    EXPECT_EQ(h.settings.nameT[1], "My GPU");  // the user's label stays
    EXPECT_EQ(h.settings.nameT[9], "GPU");
    EXPECT_EQ(h.settings.nameT[2], "T3");
    EXPECT_EQ(h.settings.nameF[1], "Pump");
    EXPECT_EQ(h.settings.nameV[0], "Vcore");
    EXPECT_FALSE(h.rs.refreshEverestNames);

    // Names are taken once: the next read leaves the labels alone.
    h.settings.nameV[0] = "V1";
    ReadAidaBlock(TextBlock(text).View(), h.context);
    EXPECT_EQ(h.settings.nameV[0], "V1");
}

TEST(BlockAida, OnlyTheFirstClockElementCountsAndItMustBeANumber) {
    tBlockHarness h;
    ReadAidaBlock(
        TextBlock(Element("sys", "CPU Clock", "") + Element("sys", "CPU Clock", "900")).View(),
        h.context);
    EXPECT_EQ(h.rs.sample.Clock, 0);  // the first has no value: the scan stops there
    h.rs.maxClock = 5000000;
    ReadAidaBlock(TextBlock(Element("sys", "FSB", "x") + Element("sys", "CPU Clock", "800")).View(),
                  h.context);
    EXPECT_EQ(h.rs.sample.Clock, 800000);
    EXPECT_EQ(h.rs.maxClock, 5000000);
    EXPECT_THROW(
        ReadAidaBlock(
            TextBlock(Element("sys", "CPU Clock", "fast") + Element("temp", "CPU", "40")).View(),
            h.context),
        std::invalid_argument);
    EXPECT_EQ(h.rs.sample.T[0], kNoValue16);
}

TEST(BlockAida, TextEndsAtTheFirstZeroByteAndAfter4096Characters) {
    tBlockHarness h;
    tBlockBytes block = TextBlock(Element("temp", "A", "40"));
    block.PutText(200, Element("temp", "B", "50"));
    tBlockBytes padded = TextBlock(std::string(4096 - 20, ' ') + Element("volt", "Late", "1.2"));
    ReadAidaBlock(block.View(), h.context);
    ReadAidaBlock(padded.View(), h.context);
    EXPECT_EQ(h.rs.sample.T[0], 4000);
    EXPECT_EQ(h.rs.sample.T[1], kNoValue16);
    EXPECT_EQ(h.rs.sample.V[0], kNoValue16);
}

TEST(BlockAida, Aida64NamesTheSlotsAndEverestValuesWin) {
    tShmPrefix prefix;
    tShmObject aida(
        "AIDA64_SensorValues",
        TextBlock(Element("temp", "CPU Diode", "40") + Element("temp", "GPU", "60")).Bytes());
    tShmObject everest("EVEREST_SensorValues",
                       TextBlock(Element("temp", "Motherboard", "33")).Bytes());
    tBlockHarness h;
    tReadingSources sources;
    sources.aida64 = std::make_unique<tAidaSource>(kAIDA64Block);
    sources.everest = std::make_unique<tAidaSource>(kEverestBlock);
    h.rs.refreshEverestNames = true;
    ReadValues(h.context, sources, false);
    EXPECT_EQ(h.rs.sample.T[0], 3300);
    EXPECT_EQ(h.rs.sample.T[1], 6000);
    EXPECT_EQ(h.settings.nameT[0], "CPU Diode");
    EXPECT_EQ(h.settings.nameT[1], "GPU");
    EXPECT_FALSE(h.rs.refreshEverestNames);
}

TEST(BlockAida, ABadClockLogsTheReadingCode) {
    tShmPrefix prefix;
    tShmObject aida("AIDA64_SensorValues", TextBlock(Element("sys", "CPU Clock", "1,5")).Bytes());
    tBlockHarness h;
    tAidaSource(kAIDA64Block).Read(h.context);
    EXPECT_NE(h.EventText().find("] re2 '1,5' is not a valid floating point value"),
              std::string::npos)
        << h.EventText();
}

}  // namespace
}  // namespace cx
