#include "monitor/render/Light.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "monitor/render/ContrastColours.h"
#include "monitor/render/SevenSegment.h"
#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"
#include "readings/TimeFunctions.h"
#include "settings/Formats.h"
#include "settings/ValueFormats.h"

namespace cx {
namespace {

// The column is drawn on this height first and cut to its content; content
// that runs longer is drawn again on a picture tall enough for it.
constexpr int kColumnDraftHeight = 500;
constexpr const char* kUptimeFormat = "%d d %.2d:%.2d:%.2d h";

void SetFont(tCanvas& image, const std::string& name, int height, bool bold = false) {
    image.Font().name = name;
    image.Font().height = height;
    image.Font().bold = bold;
    SetCrispFont(image.Font());
}

std::string DegreeUnit(const tSettings& s) {
    return s.Celsius ? "\xC2\xB0"
                       "C"
                     : "\xC2\xB0"
                       "F";
}

std::string DisplayTimeText(const tPictureContext& context) {
    const TDateTime t =
        UTCToDisplay(context.rs.sample.time, context.zoneRules, context.settings.TimeInUTC);
    return Format(
        context.messages.Text("Time"),
        FormatDateTime(context.locale.shortDateFormat + " " + context.locale.longTimeFormat, t,
                       context.locale));
}

std::string UptimeText(const tPictureContext& context) {
    const tReadingSet& rs = context.rs;
    return context.messages.Text("Uptime") + " " +
           Format(kUptimeFormat, rs.uptimeDays, rs.uptimeHours, rs.uptimeMinutes, rs.uptimeSeconds);
}

int ClockMegahertz(int32_t kilohertz) {
    return int(std::nearbyint(kilohertz / 1000.0));
}

void DrawEdge(tCanvas& image, const tSettings& s, int width, int bottom) {
    image.Pen() = {s.cBorder2, tPenStyle::Solid, 1};
    image.MoveTo(0, bottom);
    image.LineTo(0, 0);
    image.LineTo(width - 1, 0);
    image.Pen().colour = s.cBorder;
    image.LineTo(width - 1, bottom);
    image.LineTo(-1, bottom);
}

void Background(tCanvas& image, const tSettings& s, int width, int height) {
    image.SetSize(width, height);
    image.Pen() = {s.cBorder, tPenStyle::Solid, 1};
    image.Brush() = {s.cBack, tBrushStyle::Solid};
    image.Rectangle(0, 0, width, height);
    image.Brush().style = tBrushStyle::Clear;
}

void DrawSquare(tCanvas& image, const tPictureContext& context) {
    const tSettings& s = context.settings;
    const tSample& sample = context.rs.sample;
    const tValueFormatContext formats{s, context.messages, context.locale};
    const tPlaceholderContext placeholders = context.Placeholders();
    Background(image, s, kLightSquareSize, kLightSquareSize);
    SetFont(image, s.FontSmall, 8);
    int y = 2;
    if (s.DisplayDateTime) {
        image.Font().colour = PickContrastColours(image, 1, 1).second;
        image.TextOut(0, 0, DisplayTimeText(context));
        y = 9;
    }
    for (size_t slot = 0; slot < kSensorSlots && y <= 50; ++slot) {
        const int16_t value = sample.T[slot];
        if (s.visT[slot] == 0 || value == kNoValue16) continue;
        const tColour colour = s.colT[slot];
        image.Font().colour = colour;
        SetFont(image, s.FontSmall, 8);
        image.TextOut(71, y - 2, DegreeUnit(s));
        SetFont(image, s.FontSmall, 11);
        image.TextRect({0, y, 55, y + 20}, 0, y,
                       ExpandPlaceholders(s.nameT[slot], sample.time, placeholders));
        DrawSevenSegment(image, colour, ConvertTemperature(value, formats), 1, 0, 4, y, 70);
        y += 13;
    }
    SetFont(image, s.FontSmall, 9);
    // The unknown marker is no clock either, though it is above 0.
    if (sample.Clock > 0 && sample.Clock != kNoValue32) {
        image.Font().colour = s.cFreq;
        DrawSevenSegment(image, s.cFreq, ClockMegahertz(sample.Clock), 2, 1, 5, 61, 51);
        image.TextOut(54, 68, "MHz");
        image.TextOut(54, 61, CoreText(context.rs.processorCount));
    }
    DrawEdge(image, s, kLightSquareSize, kLightSquareSize - 1);
}

// The whole and the tenth of a temperature in the display unit, both cut
// towards zero, worked out in integers so that 38.4 keeps its 4.
struct tSplitValue {
    int whole = 0;
    int tenth = 0;
};

tSplitValue SplitTemperature(int hundredths, bool celsius) {
    // Fahrenheit tenths: (h * 9 / 500 + 32) * 10 = (h * 9 + 16000) / 50.
    const int tenths = celsius ? hundredths / 10 : (hundredths * 9 + 16000) / 50;
    return {tenths / 10, std::abs(tenths % 10)};
}

// The first `count` characters of UTF-8 text.
std::string FirstCharacters(const std::string& text, size_t count) {
    size_t end = 0;
    for (size_t characters = 0; end < text.size() && characters < count; ++characters) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

std::string Lowered(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<std::vector<std::string>> ReadTextLines(const std::string& file) {
    std::optional<std::string> content = ReadWholeFile(file);
    if (!content) return std::nullopt;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content->size()) {
        size_t end = content->find('\n', start);
        if (end == std::string::npos) end = content->size();
        std::string line = content->substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(ToUtf8(line));
        start = end + 1;
    }
    return lines;
}

double CreditOf(const tBOINCProject& project, const std::string& lowered) {
    const bool user = lowered.find("user") != std::string::npos;
    if (lowered.find("total") != std::string::npos) {
        return user ? project.userTotalCredit : project.hostTotalCredit;
    }
    return user ? project.userAverageCredit : project.hostAverageCredit;
}

int DrawTextFile(tCanvas& image, const tPictureContext& context, int y) {
    const tSettings& s = context.settings;
    std::optional<std::vector<std::string>> lines =
        ReadTextLines(context.settingsDirectory + std::string(kLightTextFile));
    if (!lines) return y;
    SetFont(image, s.FontFixed, 13);
    const tPlaceholderContext placeholders = context.Placeholders();
    const char separator = context.locale.decimalSeparator;
    for (const std::string& raw : *lines) {
        const std::string line = ExpandAllPlaceholders(raw, context.rs.sample.time, placeholders);
        const std::string lowered = Lowered(line);
        if (lowered.find("%boincstats%") != std::string::npos) {
            if (!s.ReadSETI) continue;
            for (const tBOINCActiveTask& task : context.rs.boincTasks) {
                image.TextOut(8, y - 5, FormatFloat("0 \"%\"", task.fractionDone * 100, separator));
                image.TextOut(45, y - 5, "(" + task.cpuTimeText + ")");
                y += 9;
            }
        } else if (lowered.find("%boinccredits") != std::string::npos) {
            if (!s.ReadSETI) continue;
            for (const tBOINCProject& project : context.rs.boincProjects) {
                image.TextOut(8, y - 5, FirstCharacters(project.projectName, 9));
                image.TextOut(69, y - 5, ScaledNumber(0, CreditOf(project, lowered), separator));
                y += 9;
            }
        } else {
            image.Font().colour = s.cInfo;
            image.TextRect({2, y - 5, 106, y + 15}, 2, y - 5, line);
            y += 9;
        }
    }
    return y + 3;
}

// Draws the column on a picture `height` tall and returns the content's height.
int DrawColumn(tCanvas& image, const tPictureContext& context, int height) {
    const tSettings& s = context.settings;
    const tSample& sample = context.rs.sample;
    const tPlaceholderContext placeholders = context.Placeholders();
    Background(image, s, kLightColumnWidth, height);
    SetFont(image, s.FontSmall, 10);
    int y = 2;
    if (s.DisplayDateTime) {
        image.Font().colour = PickContrastColours(image, 3, 3).second;
        image.TextOut(2, 2, DisplayTimeText(context));
        y = 14;
    }

    // The title shrinks until the address fits the column.
    const std::string address = WebAddressText();
    const tContrastColours titleColours = PickContrastColours(image, 4, y - 3);
    int titleHeight = 15;
    SetFont(image, s.FontStandard, titleHeight);
    while (titleHeight > 9 && image.TextWidth(address) > kLightColumnWidth - 4) {
        SetFont(image, s.FontStandard, --titleHeight);
    }
    image.Font().colour = titleColours.shadow;
    image.TextOut(3, y - 5, address);
    image.Font().colour = titleColours.first;
    image.TextOut(2, y - 4, address);
    y += 15;

    bool drawn = false;
    for (size_t slot = 0; slot < kSensorSlots; ++slot) {
        const int16_t value = sample.T[slot];
        if (s.visT[slot] == 0 || value == kNoValue16) continue;
        const tColour colour = s.colT[slot];
        const tSplitValue split = SplitTemperature(value, s.Celsius);
        image.Font().colour = colour;
        image.Pen().colour = colour;
        SetFont(image, s.FontSmall, 14);
        image.TextRect({2, y, 65, y + 20}, 2, y,
                       ExpandPlaceholders(s.nameT[slot], sample.time, placeholders));
        SetFont(image, s.FontSmall, 12);
        image.TextOut(96, y - 2, DegreeUnit(s));
        DrawSevenSegment(image, colour, split.whole, 1, 1, 7, y - 1, 94);
        if (split.tenth > 0) {
            DrawSevenSegment(image, colour, split.tenth, 1, 0, 3, y + 9, 101);
            image.SetPixel(95, y + 17, colour);
        }
        y += 21;
        drawn = true;
    }
    if (drawn) y += 4;

    drawn = false;
    for (size_t slot = 0; slot < kSensorSlots; ++slot) {
        const int16_t value = sample.F[slot];
        if (!s.visF[slot] || value == kNoValue16) continue;
        const tColour colour = s.colF[slot];
        SetFont(image, s.FontSmall, 10);
        image.Font().colour = colour;
        image.TextRect({2, y, 50, y + 20}, 2, y,
                       ExpandPlaceholders(s.nameF[slot], sample.time, placeholders));
        // A negative fan value is a flow in hundredths of litres per hour.
        image.TextOut(83, y - 4, context.messages.Text(value < 0 ? "LH" : "RPM"));
        DrawSevenSegment(image, colour, value < 0 ? -value / 100.0 : value, 1, 0.6, 5, y - 2, 81);
        y += 15;
        drawn = true;
    }
    if (drawn) y += 4;

    if (sample.Clock != kNoValue32) {
        SetFont(image, s.FontStandard, 12);
        image.Font().colour = s.cFreq;
        DrawSevenSegment(image, s.cFreq, ClockMegahertz(sample.Clock), 2, 1, 7, y - 2, 62);
        const std::string cores = CoreText(context.rs.processorCount);
        if (!cores.empty()) image.TextOut(66, y + 7, cores);
        image.TextOut(66, y - 3, "MHz");
        y += 23;
    }

    try {
        y = DrawTextFile(image, context, y);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("dl3 ") + e.what());
    }

    const tContrastColours footer = PickContrastColours(image, 4, y - 2);
    SetFont(image, s.FontSmall, 10);
    if (s.ReadUpTime) {
        try {
            image.Font().colour = footer.third;
            image.TextOut(2, y - 4, UptimeText(context));
            y += 9;
        } catch (const std::exception& e) {
            context.events.WriteEvent(std::string("dl2 ") + e.what());
        }
    }
    image.Font().colour = footer.shadow;
    image.TextOut(3, y - 3, kProgramLine);
    image.Font().colour = footer.first;
    image.TextOut(2, y - 4, kProgramLine);
    y += 9;
    DrawEdge(image, s, kLightColumnWidth, y - 1);
    return y;
}

}  // namespace

void DrawLight(tCanvas& image, const tPictureContext& context) {
    try {
        if (context.settings.MiniLight) {
            DrawSquare(image, context);
            return;
        }
        int height = DrawColumn(image, context, kColumnDraftHeight);
        if (height > kColumnDraftHeight) height = DrawColumn(image, context, height);
        image.SetSize(kLightColumnWidth, height);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("dl1 ") + e.what());
    }
}

}  // namespace cx
