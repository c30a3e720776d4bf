// cxrender: the banner, the light and a statistics chart drawn from the
// settings and history logs of a settings folder, the way the monitor draws
// them, written as PNG files. It changes nothing in the settings folder.
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "monitor/core/HistoryFiles.h"
#include "monitor/core/StatsView.h"
#include "monitor/render/Banner.h"
#include "monitor/render/Chart.h"
#include "monitor/render/ImageFiles.h"
#include "monitor/render/Light.h"
#include "platform/AtomicFile.h"
#include "platform/Autostart.h"
#include "platform/Locale.h"
#include "platform/MessageBus.h"
#include "platform/Paths.h"
#include "platform/Power.h"
#include "platform/SystemInfo.h"
#include "readings/TimeFunctions.h"
#include "readings/Uptime.h"
#include "settings/SettingsFiles.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr int kUsageError = 2;
constexpr const char* kUsage =
    "usage: cxrender SETTINGS_DIR OUT_DIR [--view live|24h|7d] [--width N] [--repeat N]\n"
    "  Draws banner.png, light.png and chart.png (the chosen view, default live)\n"
    "  into OUT_DIR from the settings and history logs in SETTINGS_DIR.\n"
    "  --width N sets the chart width for this run (480 to 3072).\n"
    "  --repeat N then draws and encodes the chart N more times (1 to 100000)\n"
    "  and prints the milliseconds per chart, as a renderer that stays running\n"
    "  spends them.\n";

struct tArguments {
    fs::path settingsDir;
    fs::path outDir;
    tStatsItem view = tStatsItem::Live;
    std::optional<int> width;
    int repeat = 0;
};

// A whole number from `low` to `high`, or nothing.
std::optional<int> WholeNumber(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (code != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// Parses the command line; on a mistake says what was wrong.
std::optional<tArguments> ParseArguments(int argc, char** argv, std::string& error) {
    tArguments arguments;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--view" || argument == "--width" || argument == "--repeat") {
            if (i + 1 >= argc) {
                error = std::string(argument) + " needs a value";
                return std::nullopt;
            }
            const std::string_view value = argv[++i];
            if (argument == "--view") {
                if (value == "live") {
                    arguments.view = tStatsItem::Live;
                } else if (value == "24h") {
                    arguments.view = tStatsItem::Stats24;
                } else if (value == "7d") {
                    arguments.view = tStatsItem::Stats7;
                } else {
                    error = "unknown view \"" + std::string(value) + "\" (live, 24h or 7d)";
                    return std::nullopt;
                }
            } else if (argument == "--width") {
                arguments.width = WholeNumber(value, 480, 3072);
                if (!arguments.width) {
                    error = "the width must be a whole number from 480 to 3072, not \"" +
                            std::string(value) + "\"";
                    return std::nullopt;
                }
            } else {
                const std::optional<int> repeat = WholeNumber(value, 1, 100000);
                if (!repeat) {
                    error = "the repeat count must be a whole number from 1 to 100000, not \"" +
                            std::string(value) + "\"";
                    return std::nullopt;
                }
                arguments.repeat = *repeat;
            }
        } else if (argument.starts_with("--")) {
            error = "unknown option " + std::string(argument);
            return std::nullopt;
        } else {
            positional.emplace_back(argument);
        }
    }
    if (positional.size() != 2) {
        error =
            positional.size() < 2 ? "SETTINGS_DIR and OUT_DIR are needed" : "too many arguments";
        return std::nullopt;
    }
    arguments.settingsDir = positional[0];
    arguments.outDir = positional[1];
    std::error_code code;
    if (!fs::is_directory(arguments.settingsDir, code)) {
        error = "the settings folder " + positional[0] + " does not exist";
        return std::nullopt;
    }
    return arguments;
}

// Loads the settings from a copy of the settings files, because loading
// rewrites a file that holds a plain-text password, and this tool leaves the
// settings folder as it found it.
void LoadSettingsCopy(tSettings& settings, const std::string& settingsDir,
                      const tEventLog& events) {
    std::string pattern = (fs::temp_directory_path() / "cxrender-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error(std::string("cannot make a temporary folder: ") +
                                 std::strerror(errno));
    }
    const fs::path copy = pattern;
    for (std::string_view name : {kClientIni, kDisplayIni, kServerIni}) {
        // A file that is missing stays missing: its keys take their defaults.
        std::error_code code;
        fs::copy_file(fs::path(settingsDir) / name, copy / name, code);
    }
    tAutostart autostart;
    tRecordingPowerBackend power;
    tMessageBus messageBus;
    tSettingsContext context{copy.string() + "/", ProgramDirectory(),     events, autostart, power,
                             messageBus,          UserName().value_or("")};
    LoadSettings(settings, context);
    std::error_code code;
    fs::remove_all(copy, code);
}

// The newest row of the log that is not a break row, or nothing. A log that
// was never filled holds only the empty row of time 0.
std::optional<int32_t> NewestDataRow(const tT& log) {
    for (int32_t row = log.count; row >= 0; --row) {
        if (log.rows[size_t(row)].time <= 0) continue;
        tSample breakRow;
        tSample2 breakRow2;
        MakeBreakRow(log.rows[size_t(row)].time, breakRow, breakRow2);
        if (std::memcmp(&breakRow, &log.rows[size_t(row)], sizeof breakRow) != 0) return row;
    }
    return std::nullopt;
}

// The machine's uptime, so the pictures show it as the monitor does.
void ReadMachineUptime(tReadingSet& rs) {
    uint64_t milliseconds = 0;
    std::optional<std::string> text = ReadWholeFile("/proc/uptime");
    if (text && ParseProcUptime(*text, milliseconds)) {
        SetUptime(rs, UptimeSeconds(milliseconds, false));
    }
}

int YearOf(TDateTime t) {
    using namespace std::chrono;
    const year_month_day date{sys_days{days{int64_t(std::floor(t - kUnixEpochDays))}}};
    return int(date.year());
}

bool WritePicture(const tCanvas& image, const fs::path& file) {
    std::string error;
    if (WriteImageFile(image, file, &error)) return true;
    std::cerr << "cxrender: cannot write " << file.string() << ": " << error << "\n";
    return false;
}

// Draws and encodes the chart `count` times more, as a renderer that keeps
// its fonts and logs does on every tick, and prints the time per chart. Each
// drawing must come out as the first did.
bool RepeatChart(tCanvas& chart, const tT& log, const tChartSelection& selection,
                 tChartContext& context, int count) {
    using tClock = std::chrono::steady_clock;
    const std::string first = EncodePng(chart);
    tClock::duration drawing{};
    tClock::duration encoding{};
    std::string encoded;
    for (int i = 0; i < count; ++i) {
        const tClock::time_point start = tClock::now();
        DrawStats(chart, log, selection.endTime, selection.spanHours, context);
        const tClock::time_point drawn = tClock::now();
        encoded = EncodePng(chart);
        drawing += drawn - start;
        encoding += tClock::now() - drawn;
    }
    auto milliseconds = [count](tClock::duration total) {
        return std::chrono::duration<double, std::milli>(total).count() / count;
    };
    std::printf("chart: %d x %d, %zu bytes, %d drawings and encodings, %.3f ms each "
                "(drawing %.3f ms, PNG encoding %.3f ms)\n",
                chart.Width(), chart.Height(), encoded.size(), count,
                milliseconds(drawing + encoding), milliseconds(drawing), milliseconds(encoding));
    if (encoded != first) {
        std::cerr << "cxrender: a repeated chart differs from the first\n";
        return false;
    }
    return true;
}

int Run(const tArguments& arguments) {
    const std::string settingsDir = fs::absolute(arguments.settingsDir).string() + "/";
    // No event log: the settings folder stays untouched.
    const bool debug = false;
    const tEventLog events(fs::path(settingsDir) / "CXEvents.txt", debug);

    tSettings settings;
    LoadSettingsCopy(settings, settingsDir, events);
    if (arguments.width) settings.StatsWidth = int16_t(*arguments.width);
    tMessages messages;
    if (!LoadMessageTable(messages, ProgramDirectory(), settings.LangFile)) {
        std::cerr << "cxrender: the language file " << settings.LangFile
                  << " cannot be read; the texts are English\n";
    }

    tHistories histories;
    ReadStatsLog(histories.log8h, settingsDir, kLog8h.stem, events);
    ReadStatsLog(histories.log7d, settingsDir, kLog7d.stem, events);
    ReadStatsLog(histories.log1a, settingsDir, kLog1a.stem, events);

    tReadingSet rs;
    MakeBreakRow(0, rs.sample, rs.sample2);
    const std::optional<int32_t> newest = NewestDataRow(histories.log8h);
    if (newest) {
        rs.sample = histories.log8h.rows[size_t(*newest)];
        rs.sample2 = histories.log8h.rows2[size_t(*newest)];
    }
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    rs.processorCount = uint8_t(std::clamp<long>(processors, 0, 255));
    ReadMachineUptime(rs);

    const tLocaleFormats locale = SystemLocaleFormats();
    const TDateTime sampleTime = newest ? rs.sample.time : NowUTC(SystemClock());
    const tTimeZoneRules rules = SystemTimeZoneRules(YearOf(sampleTime));

    std::error_code code;
    fs::create_directories(arguments.outDir, code);
    if (!fs::is_directory(arguments.outDir, code)) {
        std::cerr << "cxrender: cannot make the folder " << arguments.outDir.string() << "\n";
        return 1;
    }

    auto fonts = std::make_shared<tFontLibrary>();
    tPictureContext picture{rs,     settings,    histories.log8h,       messages, locale, rules,
                            events, settingsDir, PlatformSystemFacts(), fonts};
    bool ok = true;

    tCanvas light(0, 0, fonts);
    DrawLight(light, picture);
    ok = WritePicture(light, arguments.outDir / "light.png") && ok;

    if (!newest) {
        std::cerr << "cxrender: the 8-hour log in " << settingsDir
                  << " holds no readings; no banner and no chart\n";
        return 1;
    }
    tCanvas banner(0, 0, fonts);
    DrawBanner(banner, picture);
    ok = WritePicture(banner, arguments.outDir / "banner.png") && ok;

    tStatsView view;
    ChooseView(view, arguments.view);
    const tChartSelection selection =
        SelectChart(view, UTCToLocal(sampleTime, rules), sampleTime, settings.SpanStats, rules);
    tChartContext chartContext{
        rs, settings,         messages,    locale, rules, events, PlatformSystemFacts(),
        {}, &histories.log8h, kProgramLine};
    tCanvas chart(0, 0, fonts);
    const tT& log = LogOf(histories, selection.log);
    DrawStats(chart, log, selection.endTime, selection.spanHours, chartContext);
    ok = WritePicture(chart, arguments.outDir / "chart.png") && ok;
    if (arguments.repeat > 0) {
        ok = RepeatChart(chart, log, selection, chartContext, arguments.repeat) && ok;
    }
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace cx

int main(int argc, char** argv) {
    std::string error;
    const std::optional<cx::tArguments> arguments = cx::ParseArguments(argc, argv, error);
    if (!arguments) {
        std::cerr << "cxrender: " << error << "\n" << cx::kUsage;
        return cx::kUsageError;
    }
    try {
        return cx::Run(*arguments);
    } catch (const std::exception& e) {
        std::cerr << "cxrender: " << e.what() << "\n";
        return 1;
    }
}
