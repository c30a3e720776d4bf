#include "readings/BlockAida.h"

#include <array>
#include <cstdint>
#include <stdexcept>

#include "readings/BlockRules.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

// Only the start of the block is text the publisher keeps up to date.
constexpr size_t kTextLimit = 4096;
constexpr std::string_view kClockLabel = "CPU Clock";

// The content of the first element `kind` in `text` from `from` on, and where
// the scan goes on (just after its opening tag). False when the opening or
// the closing tag is missing.
bool NextElement(std::string_view text, std::string_view kind, size_t& from,
                 std::string_view& content) {
    const std::string open = "<" + std::string(kind) + ">";
    const std::string close = "</" + std::string(kind) + ">";
    const size_t start = text.find(open, from);
    if (start == std::string_view::npos) return false;
    from = start + open.size();
    const size_t end = text.find(close, from);
    if (end == std::string_view::npos) return false;
    content = text.substr(from, end - from);
    return true;
}

std::string Child(std::string_view content, std::string_view kind) {
    size_t from = 0;
    std::string_view child;
    return NextElement(content, kind, from, child) ? std::string(child) : std::string();
}

std::vector<tAidaElement> Elements(std::string_view text, std::string_view kind) {
    std::vector<tAidaElement> elements;
    size_t from = 0;
    std::string_view content;
    while (NextElement(text, kind, from, content)) {
        elements.push_back({Child(content, "label"), Child(content, "value")});
    }
    return elements;
}

int16_t DecimalSlot(const std::string& text) {
    double value = 0;
    return ParseDecimal(text, value) ? ScaledSlot(value, 100) : kNoValue16;
}

int16_t IntegerSlot(const std::string& text) {
    int64_t value = 0;
    return ParseInteger(text, value) ? ToSlot16(static_cast<double>(value)) : kNoValue16;
}

// Numbers the elements with a value 1, 2, 3, ... and puts element i into every
// slot whose ordinal is i.
// (The slots sit in a packed record, so they are set through `store`.)
template <typename Convert, typename Store>
void ApplyKind(const std::vector<tAidaElement>& elements, const std::array<uint8_t, 10>& order,
               std::array<std::string, 10>& labels, std::string_view prefix, bool refreshNames,
               Convert convert, Store store) {
    int ordinal = 0;
    for (const tAidaElement& element : elements) {
        if (element.value.empty()) continue;
        ++ordinal;
        for (size_t n = 0; n < kSensorSlots; ++n) {
            if (order[n] != ordinal) continue;
            store(n, convert(element.value));
            if (refreshNames) {
                NameSlotIfDefault(labels[n], prefix, static_cast<int>(n) + 1, element.label);
            }
        }
    }
}

}  // namespace

tAidaSensors ParseAidaText(std::string_view text) {
    return {Elements(text, "sys"), Elements(text, "temp"), Elements(text, "fan"),
            Elements(text, "volt")};
}

void ApplyAidaSensors(const tAidaSensors& sensors, tReadingContext& context) {
    tReadingSet& rs = context.rs;
    tSettings& set = context.settings;
    for (const tAidaElement& element : sensors.sys) {
        if (element.label != kClockLabel) continue;
        if (!element.value.empty()) {
            double megahertz = 0;
            if (!ParseDecimal(element.value, megahertz)) {
                throw std::invalid_argument("'" + element.value +
                                            "' is not a valid floating point value");
            }
            rs.sample.Clock = ClockSlotFromMHz(megahertz);
            if (rs.sample.Clock != kNoValue32 && rs.maxClock < rs.sample.Clock) {
                rs.maxClock = rs.sample.Clock;
            }
        }
        break;
    }
    const bool names = rs.refreshEverestNames;
    tSample& s = rs.sample;
    ApplyKind(sensors.temp, set.OrderAIDAT, set.nameT, "T", names, DecimalSlot,
              [&s](size_t n, int16_t v) { s.T[n] = v; });
    ApplyKind(sensors.fan, set.OrderAIDAF, set.nameF, "F", names, IntegerSlot,
              [&s](size_t n, int16_t v) { s.F[n] = v; });
    ApplyKind(sensors.volt, set.OrderAIDAV, set.nameV, "V", names, DecimalSlot,
              [&s](size_t n, int16_t v) { s.V[n] = v; });
    rs.refreshEverestNames = false;
}

void ReadAidaBlock(const tBlockView& view, tReadingContext& context) {
    ApplyAidaSensors(ParseAidaText(view.TextUpTo(0, kTextLimit)), context);
}

}  // namespace cx
