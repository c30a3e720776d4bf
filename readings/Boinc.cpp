#include "readings/Boinc.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "readings/OutsideFiles.h"
#include "readings/ProcessDir.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

constexpr double kSecondsPerDay = 86400.0;

// The number in the element `tag` of the line; nothing when it is no number.
std::optional<double> NumberIn(std::string_view line, std::string_view tag) {
    double value = 0;
    const std::optional<std::string_view> content = ElementContent(line, tag);
    if (!ParseDecimal(content.value_or(std::string_view{}), value)) return std::nullopt;
    return value;
}

std::string TextIn(std::string_view line, std::string_view tag) {
    return DecodeXmlText(ElementContent(line, tag).value_or(std::string_view{}));
}

// Reads one line inside an active task; false when a number is no number.
// The first field whose element opens in the line applies: matching the
// opening tag keeps "checkpoint_fraction_done" from passing for
// "fraction_done".
bool ReadTaskLine(std::string_view line, tBOINCActiveTask& task) {
    if (HasOpeningTag(line, "project_master_url")) {
        task.projectText = ProjectHostName(TextIn(line, "project_master_url")) + task.projectText;
    } else if (HasOpeningTag(line, "result_name")) {
        task.resultName = TextIn(line, "result_name");
    } else if (HasOpeningTag(line, "app_version_num")) {
        task.projectText += "  v";
        task.projectText += TrimText(TextIn(line, "app_version_num"));
    } else if (HasOpeningTag(line, "fraction_done")) {
        const std::optional<double> fraction = NumberIn(line, "fraction_done");
        if (!fraction) return false;
        task.fractionDone = *fraction;
    } else if (HasOpeningTag(line, "current_cpu_time")) {
        const std::optional<double> seconds = NumberIn(line, "current_cpu_time");
        if (!seconds) return false;
        task.cpuTimeText += BOINCCpuTimeText(*seconds);
    }
    return true;
}

// Reads one line inside a project; false when a number is no number.
bool ReadProjectLine(std::string_view line, tBOINCProject& project) {
    static constexpr std::pair<std::string_view, double tBOINCProject::*> kCredits[] = {
        {"user_total_credit", &tBOINCProject::userTotalCredit},
        {"user_expavg_credit", &tBOINCProject::userAverageCredit},
        {"host_total_credit", &tBOINCProject::hostTotalCredit},
        {"host_expavg_credit", &tBOINCProject::hostAverageCredit},
    };
    for (const auto& [tag, field] : kCredits) {
        if (!HasOpeningTag(line, tag)) continue;
        const std::optional<double> credit = NumberIn(line, tag);
        if (!credit) return false;
        project.*field = *credit;
        return true;
    }
    if (HasOpeningTag(line, "project_name")) project.projectName = TextIn(line, "project_name");
    return true;
}

void RemoveAll(std::string& text, std::string_view part) {
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at)) {
        text.erase(at, part.size());
    }
}

}  // namespace

std::string BOINCCpuTimeText(double seconds) {
    // A negative or unreadable time is shown as none at all.
    if (!(seconds > 0)) seconds = 0;
    const double days = seconds / kSecondsPerDay;
    char text[64];
    if (days >= 1) {
        const double wholeDays = std::trunc(days);
        const double hours = std::trunc((days - wholeDays) * 24.0);
        std::snprintf(text, sizeof text, "%.0f d %.0f h", wholeDays, hours);
    } else {
        // Hours and minutes of the day fraction, rounded to the millisecond
        // first as a time of day is.
        const auto ms = static_cast<int64_t>(std::nearbyint(days * kSecondsPerDay * 1000.0));
        std::snprintf(text, sizeof text, "%d:%02d h", static_cast<int>(ms / 3600000),
                      static_cast<int>(ms / 60000 % 60));
    }
    return text;
}

std::string ProjectHostName(std::string_view url) {
    std::string host(TrimText(url));
    // Projects moved to encrypted addresses; both schemes name the same host.
    RemoveAll(host, "https://");
    RemoveAll(host, "http://");
    const size_t slash = host.find('/');
    if (slash != std::string::npos) host.resize(slash);
    return host;
}

void ParseBOINCState(std::string_view text, std::vector<tBOINCActiveTask>& tasks,
                     std::vector<tBOINCProject>& projects) {
    tLineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (line.find("<active_task>") != std::string_view::npos) {
            tasks.emplace_back();
            while (lines.Next(line) && line.find("</active_task>") == std::string_view::npos) {
                if (!ReadTaskLine(line, tasks.back())) return;
            }
        } else if (line.find("<project>") != std::string_view::npos) {
            projects.emplace_back();
            while (lines.Next(line) && line.find("</project>") == std::string_view::npos) {
                if (!ReadProjectLine(line, projects.back())) return;
            }
        }
    }
}

std::string FindBOINCDataDir(std::string_view root, const tRegistryValues& registry) {
    const std::vector<tRunningProgram> clients = FindPrograms(root, kBOINCProgram);
    if (!clients.empty()) {
        const tRunningProgram& client = clients.front();
        const std::string workingDir = ProcessWorkingDir(root, client.pid);
        if (!workingDir.empty()) return workingDir;
        const std::string programDir =
            std::filesystem::path(client.executable).parent_path().string();
        if (!programDir.empty()) return WithTrailingSlash(programDir);
    }

    if (const std::optional<std::string> value =
            registry.Read(kBOINCRegistryKey, kBOINCRegistryValue);
        value && !value->empty()) {
        // The setup writes the folder with a trailing separator; the folder is
        // everything up to the last one. A value naming a folder without it
        // is taken whole.
        std::error_code error;
        if (std::filesystem::is_directory(*value, error)) return WithTrailingSlash(*value);
        const size_t separator = value->find_last_of("/\\");
        if (separator != std::string::npos && separator > 0) {
            return WithTrailingSlash(value->substr(0, separator));
        }
    }

    const std::string dataFolder = RootedPath(root, kBOINCDataFolder);
    if (IsRegularFile(dataFolder + std::string(kBOINCStateFile))) return dataFolder;
    return {};
}

void tBOINCSource::Read(tReadingContext& context) {
    tReadingSet& rs = context.rs;
    rs.boincTasks.clear();
    rs.boincProjects.clear();

    std::string& path = context.settings.BOINCPath;
    if (path.empty()) {
        const tRegistryValues registry = tRegistryValues::Load(
            m_registryFile.empty() ? DefaultRegistryValuesFile() : m_registryFile);
        path = FindBOINCDataDir(context.root, registry);
    }
    if (path.empty()) return;
    path = WithTrailingSlash(path);

    const std::string file = path + std::string(kBOINCStateFile);
    if (!IsRegularFile(file)) return;
    context.events.WriteEvent("Found BOINC in " + path);
    const std::optional<std::string> content = ReadOutsideFile(file);
    if (!content) return;
    ParseBOINCState(*content, rs.boincTasks, rs.boincProjects);
}

}  // namespace cx
