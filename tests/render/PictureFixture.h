#pragma once
// A light or banner picture's world for one test: a reading set with every
// value unknown, the default settings with distinct colours, the English
// texts, an 8-hour log and a temporary settings folder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

#include "monitor/core/HistoryLog.h"
#include "monitor/render/PictureContext.h"
#include "settings/Messages.h"
#include "support/TempDir.h"

namespace cx::test {

// 2026-12-10 12:00:00 UTC.
inline constexpr TDateTime kNow = 46366.5;

class tPictureFixture : public ::testing::Test {
protected:
    tPictureFixture() : m_events(m_dir / "CXEvents.txt", m_debug) {
        tSample& s = m_rs.sample;
        s.time = kNow;
        for (auto& v : s.T) v = kNoValue16;
        for (auto& v : s.V) v = kNoValue16;
        for (auto& v : s.F) v = kNoValue16;
        for (auto& v : s.CPU) v = kNoValue16;
        s.MemUsed = s.MemFree = s.PageUsed = s.PageFree = s.Cache = s.Clock = kNoValue32;
        LoadMessageTable(m_messages, CALORIX_BIN_DIR, "English.lng");
        // Colours that no other element of the pictures uses.
        for (size_t i = 0; i < kSensorSlots; ++i) {
            m_settings.colT[i] = MakeColour(uint8_t(200 - 10 * i), 0, uint8_t(20 + 10 * i));
            m_settings.colF[i] = MakeColour(0, uint8_t(200 - 10 * i), uint8_t(20 + 10 * i));
            m_settings.visT[i] = 0;
        }
        m_settings.cBack = 0xE0E0E0;
        m_settings.cBorder = 0xA0A0A0;
        m_settings.cBorder2 = 0xFFFFFF;
        m_settings.cScBack = 0xF0F0F0;
        m_settings.cScBorder = 0xFEFEFE;
        m_settings.cScBorder2 = 0xB0B0B0;
        m_settings.cScGrid = 0x808080;
        m_settings.cScDesc = 0x101010;
        m_settings.cInfo = 0x203040;
        m_settings.cFreq = 0x0000C0;
        m_settings.ReadUpTime = false;
        m_facts.userName = [] { return std::optional<std::string>("ada"); };
        m_facts.hostName = [] { return std::string("heater"); };
        m_facts.localIPAddresses = [] { return std::vector<std::string>{"10.0.0.7"}; };
        m_facts.environmentValue = [](const std::string&) { return std::string(); };
    }

    tPictureContext Context() {
        tPictureContext context{m_rs,    m_settings, m_log,       m_messages, m_locale,
                                m_rules, m_events,   m_dir.Dir(), m_facts,    m_fonts};
        return context;
    }

    // Adds rows every 20 seconds for `hours` hours up to kNow; `fill` sets the
    // values of each row from its age in hours. The newest row becomes the
    // current sample.
    void FillLog(double hours, const std::function<void(double, tSample&)>& fill) {
        const tLocaleFormats locale;
        tSample sample = m_rs.sample;
        tSample2 sample2{};
        const int steps = int(hours * 180);
        for (int i = steps; i >= 0; --i) {
            sample.time = kNow - i * 20 / 86400.0;
            sample2.time = sample.time;
            fill(i / 180.0, sample);
            tHistoryInput input{sample, sample2, sample.time, false, m_events, locale};
            AddToStats(m_log, input, false, kLog8h.gapLimit, kLog8h.step, kLog8h.span);
        }
        m_rs.sample = sample;
    }
    // The same with one slot following `value` (hours ago -> hundredths).
    void FillLog(double hours, int slot, const std::function<int(double)>& value) {
        FillLog(hours, [&](double hoursAgo, tSample& s) { s.T[slot] = int16_t(value(hoursAgo)); });
    }

    // The colours found inside a rectangle (right and bottom edge excluded).
    static std::set<tColour> ColoursIn(const tCanvas& image, const tRect& area) {
        std::set<tColour> colours;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) colours.insert(image.Pixel(x, y));
        }
        return colours;
    }

    // Whether the pixels of `colour` inside `area` are exactly those of the reference.
    static bool SameInk(const tCanvas& image, const tCanvas& reference, const tRect& area,
                        tColour colour) {
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if ((image.Pixel(x, y) == colour) != (reference.Pixel(x, y) == colour)) {
                    return false;
                }
            }
        }
        return true;
    }

    tTempDir m_dir;
    bool m_debug = true;
    tEventLog m_events;
    tReadingSet m_rs;
    tSettings m_settings;
    tT m_log;
    tMessages m_messages;
    tLocaleFormats m_locale;
    tTimeZoneRules m_rules;
    tSystemFacts m_facts;
    std::shared_ptr<tFontLibrary> m_fonts = std::make_shared<tFontLibrary>();
};

}  // namespace cx::test
