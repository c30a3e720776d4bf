// cxread: this machine's readings on the command line. It loads the settings
// as the monitor does, runs two reading passes one second apart with every
// source (so processor loads are real) and prints the reading set as a table
// or as one JSON object. It writes no settings and no history.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/Autostart.h"
#include "platform/Clock.h"
#include "platform/Locale.h"
#include "platform/MessageBus.h"
#include "platform/Paths.h"
#include "platform/Power.h"
#include "platform/SystemInfo.h"
#include "readings/BlockSources.h"
#include "readings/FileSources.h"
#include "readings/ReadingPass.h"
#include "readings/ReadingsReport.h"
#include "readings/SystemSources.h"
#include "settings/Directories.h"
#include "settings/EventLog.h"
#include "settings/Messages.h"
#include "settings/SettingsFiles.h"
#include "settings/ValueFormats.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "Usage: cxread [OPTION]...\n"
    "Reads every sensor and system value of this machine twice, one second apart,\n"
    "and prints the readings.\n"
    "\n"
    "  --json           print one JSON object instead of a table\n"
    "  --all            list slots without a value too, as \"-\"\n"
    "  --settings DIR   take the settings files from DIR instead of the settings folder\n"
    "  --root DIR       read /proc, /sys and /dev under DIR instead of /\n"
    "  --debug          write the event log lines to standard error\n"
    "  --help           show this text and exit\n";

struct tOptions {
    bool json = false;
    bool all = false;
    bool debug = false;
    bool help = false;
    std::string settingsDir;  // empty: the settings folder of this machine
    std::string root = "/";
};

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// Reads the command line into `options`; an error text for a bad argument.
std::optional<std::string> ParseArguments(int argc, char** argv, tOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        // "--settings DIR" and "--settings=DIR" both work.
        auto folderValue = [&](std::string_view name,
                               std::string& target) -> std::optional<std::string> {
            std::string value;
            if (arg == name) {
                if (i + 1 >= argc) return "option " + std::string(name) + " needs a folder";
                value = argv[++i];
            } else {
                value = std::string(arg.substr(name.size() + 1));
            }
            if (value.empty()) return "option " + std::string(name) + " needs a folder";
            if (!IsDirectory(value)) return std::string(name) + ": no such folder: " + value;
            target = value;
            return std::nullopt;
        };
        auto isValued = [&](std::string_view name) {
            return arg == name ||
                   (arg.starts_with(name) && arg.size() > name.size() && arg[name.size()] == '=');
        };
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--all") {
            options.all = true;
        } else if (arg == "--debug") {
            options.debug = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (isValued("--settings")) {
            if (auto error = folderValue("--settings", options.settingsDir)) return error;
        } else if (isValued("--root")) {
            if (auto error = folderValue("--root", options.root)) return error;
        } else {
            return "unknown argument: " + std::string(arg);
        }
    }
    return std::nullopt;
}

// The settings folder by the rule every program follows, without its side
// effects: the folder is neither created nor filled. Before the monitor's
// first start the files of an older installation still lie in the program
// directory, so that is where they are read from then.
std::string FindSettingsDirectory(const std::string& programDir) {
    std::error_code ec;
    if (fs::exists(fs::path(programDir) / kOldSettingsDirMarker, ec)) return programDir;
    const std::string dataFolder = AllUsersDataFolder();
    if (!dataFolder.empty()) {
        const std::string shared = SharedSettingsFolder(dataFolder);
        if (IsDirectory(shared)) return shared;
    }
    return programDir;
}

// A private folder that is removed with everything in it.
class tPrivateFolder {
public:
    tPrivateFolder() {
        std::string pattern = (fs::temp_directory_path() / "cxread-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) m_path = WithSlash(pattern);
    }
    ~tPrivateFolder() {
        if (m_path.empty()) return;
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    tPrivateFolder(const tPrivateFolder&) = delete;
    tPrivateFolder& operator=(const tPrivateFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Loads the settings of `settingsDir` without changing anything on disk.
// LoadSettings writes CXServer.ini back when it scrambles a plain-text
// password, and it tidies the autostart entries; the readings need neither the
// upload settings nor the autostart flag, so the load runs on links to the
// other two files in a private folder, with no autostart folders at all.
void LoadSettingsReadOnly(tSettings& settings, const std::string& settingsDir,
                          const std::string& programDir, const tEventLog& events) {
    const tPrivateFolder folder;
    if (folder.Path().empty()) {
        events.WriteEvent("cxread cannot make a private folder: " +
                          std::string(std::strerror(errno)));
        return;
    }
    for (const std::string_view name : {kClientIni, kDisplayIni}) {
        const fs::path file = fs::path(settingsDir) / name;
        std::error_code ec;
        if (!fs::exists(file, ec)) continue;
        fs::create_symlink(fs::absolute(file, ec), fs::path(folder.Path()) / name, ec);
        if (ec) events.WriteEvent("cxread cannot read " + file.string() + ": " + ec.message());
    }
    const tAutostart noAutostart{tAutostartFolders{}};
    tRecordingPowerBackend noPower;
    const tMessageBus noBus{folder.Path()};
    const tSettingsContext context{
        folder.Path(), programDir, events, noAutostart, noPower, noBus, UserName().value_or("")};
    LoadSettings(settings, context);
    // Folders given as "the settings folder" point at the real one.
    for (std::string* path : {&settings.LocalPath, &settings.AquaeroPath, &settings.BOINCPath}) {
        if (*path == folder.Path()) *path = settingsDir;
    }
}

bool WriteAll(const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

int Run(int argc, char** argv) {
    tOptions options;
    if (const std::optional<std::string> error = ParseArguments(argc, argv, options)) {
        std::fprintf(stderr, "cxread: %s\nTry 'cxread --help'.\n", error->c_str());
        return kExitUsage;
    }
    if (options.help) return WriteAll(std::string(kUsage)) ? kExitOk : kExitFailure;

    const std::string programDir = ProgramDirectory();
    const std::string settingsDir = options.settingsDir.empty()
                                        ? FindSettingsDirectory(programDir)
                                        : WithSlash(fs::absolute(options.settingsDir).string());

    // The event log reads the Debug setting at every line; --debug turns it on
    // before the load (which keeps it on) and sends the lines to stderr.
    tSettings settings;
    settings.Debug = options.debug;
    const fs::path logFile =
        options.debug ? fs::path("/dev/stderr") : fs::path(settingsDir) / "CXEvents.txt";
    const IClock& clock = SystemClock();
    const tLocaleFormats locale = SystemLocaleFormats();
    const tEventLog events(logFile, settings.Debug, clock, locale);

    LoadSettingsReadOnly(settings, settingsDir, programDir, events);
    tMessages messages;
    if (!LoadMessageTable(messages, programDir, settings.LangFile)) {
        events.WriteEvent("cxread cannot read the language file " + settings.LangFile);
    }

    tReadingSet rs;
    tReadingSources sources;
    AddSystemSources(sources);
    AddBlockSources(sources);
    AddFileSources(sources, tFileSourcePlaces{settingsDir, programDir, {}});
    tReadingContext context{rs, settings, events, clock, options.root};
    InitReadings(context, sources);
    ReadValues(context, sources, true);
    // Loads and rates are differences between two passes.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ReadValues(context, sources, false);

    std::string text;
    if (options.json) {
        text = FormatReadingsJson(rs, settings);
    } else {
        const tValueFormatContext formats{settings, messages, locale};
        const tTimeZoneRules zone = clock.ZoneRules();
        text = FormatReadingsTable(tReportContext{rs, settings, formats, zone}, options.all);
    }
    if (!WriteAll(text)) {
        std::fprintf(stderr, "cxread: cannot write the readings: %s\n", std::strerror(errno));
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace
}  // namespace cx

int main(int argc, char** argv) {
    try {
        return cx::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cxread: %s\n", e.what());
        return cx::kExitFailure;
    }
}
