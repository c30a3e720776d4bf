#include "readings/Aquaero.h"

#include <algorithm>
#include <optional>

#include "platform/Paths.h"
#include "readings/OutsideFiles.h"
#include "readings/ProcessDir.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

// A fan value from this on is rpm; below it, a percentage of duty.
constexpr double kRpmThreshold = 255.0;

// The number in the element `tag` of the line; nothing when the tag is not
// configured, the element is not there or its content is no number.
std::optional<double> TagValue(std::string_view line, const std::string& tag) {
    if (tag.empty()) return std::nullopt;
    const std::optional<std::string_view> content = ElementContent(line, tag);
    double value = 0;
    if (!content || !ParseDecimal(*content, value)) return std::nullopt;
    return value;
}

bool HasFile(const std::string& dir) {
    return !dir.empty() && IsRegularFile(dir + std::string(kAquaeroFile));
}

}  // namespace

void ApplyAquaeroLine(std::string_view line, const tSettings& settings, tSample& sample) {
    // The software writes its numbers with a decimal comma.
    std::string text(line);
    std::replace(text.begin(), text.end(), ',', '.');
    for (size_t n = 0; n < kSensorSlots; ++n) {
        if (const auto value = TagValue(text, settings.OrderAquaeroT[n])) {
            sample.T[n] = ToSlot16(*value * 100.0);
            continue;
        }
        if (const auto value = TagValue(text, settings.OrderAquaeroV[n])) {
            sample.V[n] = ToSlot16(*value * 100.0);
            continue;
        }
        if (const auto value = TagValue(text, settings.OrderAquaeroF[n]); value && *value > 0) {
            sample.F[n] = ToSlot16(*value >= kRpmThreshold ? *value : -*value * 100.0);
        }
    }
}

void ApplyAquaeroText(std::string_view text, const tSettings& settings, tSample& sample) {
    tLineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) ApplyAquaeroLine(line, settings, sample);
}

std::string ChooseAquaeroDirectory(const std::string& current, const std::string& settingsDir,
                                   const std::string& programDir) {
    const std::string dir = WithTrailingSlash(current);
    if (HasFile(dir)) return dir;
    std::string chosen = dir;
    if (HasFile(WithTrailingSlash(settingsDir))) chosen = WithTrailingSlash(settingsDir);
    // The program folder wins when both have the file.
    if (HasFile(WithTrailingSlash(programDir))) chosen = WithTrailingSlash(programDir);
    return chosen;
}

void tAquaeroSource::Read(tReadingContext& context) {
    std::string& path = context.settings.AquaeroPath;
    if (path.empty()) path = FindProcessDir(context.root, kAquaeroProgram);

    const std::string settingsDir =
        m_settingsDir.empty() ? context.events.File().parent_path().string() : m_settingsDir;
    const std::string programDir = m_programDir.empty() ? ProgramDirectory() : m_programDir;
    path = ChooseAquaeroDirectory(path, settingsDir, programDir);
    if (path.empty()) return;

    const std::optional<std::string> content = ReadOutsideFile(path + std::string(kAquaeroFile));
    if (!content) return;
    ApplyAquaeroText(*content, context.settings, context.rs.sample);
}

}  // namespace cx
