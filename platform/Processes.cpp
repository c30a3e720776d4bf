// Starting other programs detached from this one, and the recording stand-in
// that tests and test-started programs use instead.
#include "platform/Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>

#include "platform/AtomicFile.h"

extern char** environ;

namespace cx {

namespace {

std::string QuoteWord(const std::string& word) {
    if (IsPlainCommandWord(word)) return word;
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// Spawn attributes and file actions, released on every path out.
class tSpawnSetup {
public:
    tSpawnSetup() {
        m_ok = posix_spawnattr_init(&m_attributes) == 0;
        m_ok = posix_spawn_file_actions_init(&m_actions) == 0 && m_ok;
    }
    ~tSpawnSetup() {
        posix_spawnattr_destroy(&m_attributes);
        posix_spawn_file_actions_destroy(&m_actions);
    }
    tSpawnSetup(const tSpawnSetup&) = delete;
    tSpawnSetup& operator=(const tSpawnSetup&) = delete;

    // The program starts with default signal handling, nothing blocked, and
    // none of our descriptors (locks, sockets) beyond the standard three.
    bool Prepare(const std::string& workingDir) {
        if (!m_ok) return false;
        sigset_t all;
        sigset_t none;
        sigfillset(&all);
        sigemptyset(&none);
        if (posix_spawnattr_setsigdefault(&m_attributes, &all) != 0) return false;
        if (posix_spawnattr_setsigmask(&m_attributes, &none) != 0) return false;
        if (posix_spawnattr_setflags(&m_attributes,
                                     POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) != 0) {
            return false;
        }
        if (!workingDir.empty() &&
            posix_spawn_file_actions_addchdir_np(&m_actions, workingDir.c_str()) != 0) {
            return false;
        }
        return posix_spawn_file_actions_addclosefrom_np(&m_actions, 3) == 0;
    }
    const posix_spawnattr_t* Attributes() const { return &m_attributes; }
    const posix_spawn_file_actions_t* Actions() const { return &m_actions; }

private:
    bool m_ok = false;
    posix_spawnattr_t m_attributes{};
    posix_spawn_file_actions_t m_actions{};
};

}  // namespace

bool tSpawnLauncher::Start(const std::vector<std::string>& argv, const std::string& workingDir) {
    if (argv.empty() || argv.front().empty()) return false;
    // Everything the child needs is made before the fork: between fork and
    // spawn a multithreaded process may only make plain system calls.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
    args.push_back(nullptr);
    tSpawnSetup setup;
    if (!setup.Prepare(workingDir)) return false;

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    // The intermediate child starts the program in a session of its own and
    // exits at once; the program is then adopted by init and never becomes
    // our zombie, nor does it die with our terminal.
    const pid_t intermediate = ::fork();
    if (intermediate < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (intermediate == 0) {
        ::setsid();
        pid_t program = 0;
        int error = posix_spawnp(&program, args[0], setup.Actions(), setup.Attributes(),
                                 args.data(), environ);
        ssize_t written = ::write(report[1], &error, sizeof error);
        (void)written;
        ::_exit(0);
    }
    ::close(report[1]);
    int error = -1;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    while (::waitpid(intermediate, nullptr, 0) < 0 && errno == EINTR) {
    }
    return got == static_cast<ssize_t>(sizeof error) && error == 0;
}

bool tRecordingLauncher::Start(const std::vector<std::string>& argv,
                               const std::string& workingDir) {
    started.push_back(argv);
    workingDirs.push_back(workingDir);
    if (!recordFile.empty()) {
        AppendLineToFile(recordFile,
                         "Start cwd=" + QuoteWord(workingDir) + " " + JoinCommandLine(argv));
    }
    return result;
}

IProcessLauncher& DefaultLauncher() {
    static tSpawnLauncher spawnLauncher;
    const char* record = std::getenv("CALORIX_LAUNCH_RECORD");
    if (record == nullptr || *record == '\0') return spawnLauncher;
    // Each thread records into its own list; the file gets every line.
    thread_local tRecordingLauncher recordingLauncher;
    recordingLauncher.recordFile = record;
    return recordingLauncher;
}

bool ShellOpen(IProcessLauncher& launcher, const std::string& target,
               const std::string& workingDir) {
    if (target.empty()) return false;
    // A target that starts with '-' would be read as an option of xdg-open.
    const std::string argument = target.front() == '-' ? "./" + target : target;
    return launcher.Start({"xdg-open", argument}, workingDir);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    const std::string& s = commandLine;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            // Everything up to the closing quote is literal.
            for (++i; i < s.size() && s[i] != '\''; ++i) word += s[i];
        } else if (c == '"') {
            // Inside double quotes a backslash escapes only \ " $ and `.
            for (++i; i < s.size() && s[i] != '"'; ++i) {
                if (s[i] == '\\' && i + 1 < s.size() &&
                    (s[i + 1] == '\\' || s[i + 1] == '"' || s[i + 1] == '$' || s[i + 1] == '`')) {
                    ++i;
                }
                word += s[i];
            }
        } else if (c == '\\') {
            if (i + 1 < s.size()) word += s[++i];
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

std::string JoinCommandLine(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        line += QuoteWord(word);
    }
    return line;
}

bool IsPlainCommandWord(const std::string& word) {
    if (word.empty()) return false;
    for (char c : word) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '/' || c == '.' || c == '-' || c == '_' ||
                          c == '+' || c == ',' || c == ':' || c == '=' || c == '@' || c == '%';
        if (!safe) return false;
    }
    return true;
}

}  // namespace cx
