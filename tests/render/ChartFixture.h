#pragma once
// A chart drawing over a reading set, settings, the English texts and a log
// built row by row, with helpers that find a series' pixels in the picture.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

#include "monitor/render/Chart.h"
#include "settings/Messages.h"

namespace cx::test {

// 2026-03-10 00:00:00 UTC; the chart's right edge.
inline constexpr TDateTime kChartEnd = 46091.0;

class ChartTest : public ::testing::Test {
protected:
    ChartTest() {
        LoadMessageTable(messages, std::filesystem::path(CALORIX_SOURCE_DIR) / "lang",
                         "English.lng");
        // One temperature and nothing else, unless a test asks for more.
        settings.visT.fill(0);
        settings.visT[0] = 1;
        settings.boldT.fill(false);
        settings.visCPU.fill(false);
        settings.visNet.fill(false);
        settings.visDisk.fill(false);
        settings.Page = settings.visMem = settings.visCache = 0;
        settings.visBat = false;
        settings.visUser = false;
        settings.ReadUpTime = false;
        log.count = -1;
        log.rows.clear();
        log.rows2.clear();
        MakeNoValue(rs.sample, rs.sample2, kChartEnd);
        rs.sample.Clock = 0;
    }

    // A row with every value unknown, to be filled in by the test.
    static void MakeNoValue(tSample& row, tSample2& row2, TDateTime time) {
        row = tSample{};
        row.time = time;
        for (auto& v : row.T) v = kNoValue16;
        for (auto& v : row.V) v = kNoValue16;
        for (auto& v : row.F) v = kNoValue16;
        for (auto& v : row.CPU) v = kNoValue16;
        for (auto& v : row.NetIn) v = kNoValue32;
        for (auto& v : row.NetOut) v = kNoValue32;
        row.MemUsed = row.MemFree = row.PageUsed = row.PageFree = row.Cache = kNoValue32;
        row.Clock = kNoValue32;
        row.BatRemaining = kNoValue32;
        row.BatFull = 0;
        row2 = tSample2{};
        row2.time = time;
        row2.ActiveSeconds = kNoValue32;
    }

    // Appends a row `ageHours` before the chart's end and returns it.
    tSample& AddRow(double ageHours) {
        tSample row;
        tSample2 row2;
        MakeNoValue(row, row2, kChartEnd - ageHours / 24);
        log.rows.push_back(row);
        log.rows2.push_back(row2);
        log.count = int32_t(log.rows.size()) - 1;
        return log.rows.back();
    }
    // Appends a temperature row for slot T1.
    void AddTemperature(double ageHours, int16_t hundredths) { AddRow(ageHours).T[0] = hundredths; }

    void Draw(double spanHours = 2) {
        tChartContext context{rs, settings, messages, locale, rules, events};
        DrawStats(canvas, log, kChartEnd, spanHours, context, &hover);
    }

    // The rows of column x, between top and bottom, that carry the colour.
    std::vector<int> RowsOf(tColour colour, int x, int top = 0, int bottom = -1) const {
        if (bottom < 0) bottom = canvas.Height();
        std::vector<int> rows;
        for (int y = top; y < bottom; ++y) {
            if (canvas.Pixel(x, y) == colour) rows.push_back(y);
        }
        return rows;
    }
    // The columns of the picture that carry the colour between two rows.
    std::set<int> ColumnsOf(tColour colour, int top, int bottom) const {
        std::set<int> columns;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < canvas.Width(); ++x) {
                if (canvas.Pixel(x, y) == colour) columns.insert(x);
            }
        }
        return columns;
    }
    // The top row inside the temperature plot (T of the frame).
    // The time axis adds 4 above the first plot, whose top lies 7 below that.
    int TemperaturePlotTop() const { return hover.bands[kBandTemperatures].top + 4 + 7; }

    tReadingSet rs;
    tSettings settings;
    tMessages messages;
    tLocaleFormats locale;
    tTimeZoneRules rules;  // UTC
    bool debug = false;
    tEventLog events{"/nonexistent/CXEvents.txt", debug};
    tT log;
    tCanvas canvas;
    tHoverData hover;
};

}  // namespace cx::test
