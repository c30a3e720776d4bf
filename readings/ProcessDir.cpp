#include "readings/ProcessDir.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "readings/OutsideFiles.h"
#include "readings/SystemFiles.h"

namespace cx {

namespace {

// The kernel keeps this many characters of a command name.
constexpr size_t kCommandNameLength = 15;

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The lower-case name without a trailing ".exe", so that a Windows program
// name finds the native program and a program run by an emulator, whose
// command name keeps the ".exe", is found by its plain name.
std::string Stem(std::string_view name) {
    std::string stem = LowerCase(name);
    constexpr std::string_view kExe = ".exe";
    if (stem.size() > kExe.size() && stem.ends_with(kExe)) stem.resize(stem.size() - kExe.size());
    return stem;
}

// True when the command name may be the program's: the whole name, or its
// first 15 characters when the kernel had to cut it.
bool CommandNameFits(std::string_view name, const std::string& command) {
    if (Stem(command) == Stem(name)) return true;
    const std::string lower = LowerCase(name);
    return lower.size() > kCommandNameLength && command == lower.substr(0, kCommandNameLength);
}

// The target of a link; a deleted executable reads as "<path> (deleted)".
std::string ReadLink(const std::string& path) {
    std::error_code error;
    std::string target = std::filesystem::read_symlink(path, error).string();
    if (error) return {};
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.ends_with(kDeleted)) target.resize(target.size() - kDeleted.size());
    return target;
}

std::string FileNameOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DirectoryOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    return std::string(path.substr(0, slash + 1));
}

bool ParsePid(std::string_view text, int& pid) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), pid);
    return error == std::errc() && end == text.data() + text.size() && pid > 0;
}

}  // namespace

bool ProgramNameMatches(std::string_view name, std::string_view commandName,
                        std::string_view executableFileName) {
    const std::string command = LowerCase(commandName);
    if (!executableFileName.empty()) {
        if (Stem(executableFileName) == Stem(name)) return true;
        // A cut command name is confirmed by the executable alone.
        if (LowerCase(name).size() > kCommandNameLength) return false;
    }
    return CommandNameFits(name, command);
}

std::vector<tRunningProgram> FindPrograms(std::string_view root, std::string_view name) {
    std::vector<tRunningProgram> found;
    const std::string procDir = RootedPath(root, "/proc");
    std::vector<std::string> entries;
    if (!ListFolder(procDir, entries)) return found;

    std::vector<int> pids;
    for (const std::string& entry : entries) {
        int pid = 0;
        if (ParsePid(entry, pid)) pids.push_back(pid);
    }
    std::sort(pids.begin(), pids.end());

    std::string buffer;
    for (const int pid : pids) {
        const std::string dir = procDir + "/" + std::to_string(pid);
        // The command name is one small read; only a program that may be the
        // one looked for costs the executable's link as well.
        if (!ReadSystemFile(dir + "/comm", buffer)) continue;
        const std::string command = LowerCase(TrimText(buffer));
        if (!CommandNameFits(name, command)) continue;
        tRunningProgram program{pid, ReadLink(dir + "/exe")};
        if (ProgramNameMatches(name, command, FileNameOf(program.executable))) {
            found.push_back(std::move(program));
        }
    }
    return found;
}

bool tProgramWatch::ReadCommand(int pid, std::string& command) {
    m_path.assign(m_procDir).append(1, '/').append(std::to_string(pid)).append("/comm");
    if (!ReadSystemFile(m_path, m_buffer)) {
        command.clear();
        return false;
    }
    command.assign(TrimText(m_buffer));
    std::transform(command.begin(), command.end(), command.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return true;
}

std::vector<tRunningProgram> tProgramWatch::Find(std::string_view root, std::string_view name) {
    if (m_procDir.empty() || m_root != root) {
        m_root.assign(root);
        m_procDir = RootedPath(root, "/proc");
        m_loadavgPath = m_procDir + "/loadavg";
        m_known.clear();
        m_listed = false;
    }
    ++m_calls;
    // The last process id the kernel handed out, taken before the listing so
    // that a process made after it is seen on the next call.
    int64_t lastPid = -1;
    const bool lastPidRead = ReadLastPid(lastPid);
    if (m_listed && lastPidRead && lastPid == m_lastPid) {
        RecheckKnown();
    } else {
        m_listed = ListProcesses();
        m_lastPid = lastPid;
    }
    return Matching(name);
}

bool tProgramWatch::ReadLastPid(int64_t& pid) {
    // "0.21 0.08 0.03 1/68 3760": the last field is the newest process id.
    if (!m_loadavg.Read(m_loadavgPath, m_buffer)) return false;
    const std::string_view text = TrimText(m_buffer);
    const size_t blank = text.rfind(' ');
    return blank != std::string_view::npos && ParseInteger(text.substr(blank + 1), pid);
}

void tProgramWatch::RecheckKnown() {
    // Nobody has made a process since the last call: the remembered ones are
    // all there are, less those that ended, whose names no longer read.
    for (tKnown& entry : m_known) {
        const bool due = (static_cast<uint32_t>(entry.pid) + m_calls) % kRecheckCalls == 0;
        if (entry.confirmed && !due) continue;
        entry.confirmed = true;
        if (!ReadCommand(entry.pid, entry.command)) entry.pid = 0;
    }
    std::erase_if(m_known, [](const tKnown& entry) { return entry.pid == 0; });
}

bool tProgramWatch::ListProcesses() {
    if (!m_folder.List(m_procDir, m_entries)) {
        m_known.clear();
        return false;
    }
    m_pids.clear();
    for (const std::string& entry : m_entries) {
        int pid = 0;
        if (ParsePid(entry, pid)) m_pids.push_back(pid);
    }
    std::sort(m_pids.begin(), m_pids.end());

    // Walk the sorted pids beside the remembered ones; a process that is gone
    // drops out, a new one is read.
    m_next.clear();
    size_t k = 0;
    for (const int pid : m_pids) {
        while (k < m_known.size() && m_known[k].pid < pid) ++k;
        tKnown entry;
        entry.pid = pid;
        if (k < m_known.size() && m_known[k].pid == pid) {
            entry = std::move(m_known[k]);
            const bool due = (static_cast<uint32_t>(pid) + m_calls) % kRecheckCalls == 0;
            if (!entry.confirmed || due) {
                ReadCommand(pid, entry.command);
                entry.confirmed = true;
            }
        } else {
            ReadCommand(pid, entry.command);
        }
        m_next.push_back(std::move(entry));
    }
    m_known.swap(m_next);
    return true;
}

std::vector<tRunningProgram> tProgramWatch::Matching(std::string_view name) {
    std::vector<tRunningProgram> found;
    // The name's forms once per call, so that the walk over every process
    // allocates nothing.
    const std::string lowerName = LowerCase(name);
    const std::string nameStem = Stem(name);
    const auto fits = [&](std::string_view command) {
        std::string_view stem = command;
        if (stem.size() > 4 && stem.ends_with(".exe")) stem.remove_suffix(4);
        if (stem == nameStem) return true;
        return lowerName.size() > kCommandNameLength &&
               command == std::string_view(lowerName).substr(0, kCommandNameLength);
    };
    for (const tKnown& known : m_known) {
        if (known.command.empty() || !fits(known.command)) continue;
        const std::string dir = m_procDir + "/" + std::to_string(known.pid);
        tRunningProgram program{known.pid, ReadLink(dir + "/exe")};
        if (ProgramNameMatches(name, known.command, FileNameOf(program.executable)))
            found.push_back(std::move(program));
    }
    return found;
}

std::string FindProcessDir(std::string_view root, std::string_view name) {
    for (const tRunningProgram& program : FindPrograms(root, name)) {
        std::string dir = DirectoryOf(program.executable);
        if (!dir.empty()) return dir;
    }
    return {};
}

std::string ProcessWorkingDir(std::string_view root, int pid) {
    const std::string target = ReadLink(RootedPath(root, "/proc/" + std::to_string(pid) + "/cwd"));
    if (target.empty() || target.front() != '/') return {};
    return WithTrailingSlash(target);
}

}  // namespace cx
