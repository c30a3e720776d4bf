#pragma once
// Starting other programs and the desktop's "open" (xdg-open).
#include <string>
#include <vector>

namespace cx {

class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Starts argv[0] (searched in PATH) with the arguments, detached, in
    // `workingDir` (empty: the current one). False when it could not start.
    virtual bool Start(const std::vector<std::string>& argv, const std::string& workingDir) = 0;
};

// Starts real processes with posix_spawn in a session of their own, with
// default signal handling and only the standard descriptors; they are not our
// children, so they are never waited for and never become zombies.
class tSpawnLauncher : public IProcessLauncher {
public:
    bool Start(const std::vector<std::string>& argv, const std::string& workingDir) override;
};

// Records what would have been started (for tests). With `recordFile` set,
// each start is also appended there as one line
// "Start cwd=<dir> <words>", quoted so that SplitCommandLine reads it back.
class tRecordingLauncher : public IProcessLauncher {
public:
    std::vector<std::vector<std::string>> started;
    std::vector<std::string> workingDirs;
    bool result = true;
    std::string recordFile;
    bool Start(const std::vector<std::string>& argv, const std::string& workingDir) override;
};

// The launcher of this process: real, or a recording one that appends to the
// file named by CALORIX_LAUNCH_RECORD when that is set (looked at each call;
// each thread then has its own recording launcher).
IProcessLauncher& DefaultLauncher();

// The desktop's "open" for a file or address: xdg-open target.
bool ShellOpen(IProcessLauncher& launcher, const std::string& target,
               const std::string& workingDir = {});

// Splits a command line into words the way a shell would for plain quoting
// ("..." and '...', backslash escapes), for commands read from settings.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The reverse: words joined by blanks, each quoted where a shell would need it.
std::string JoinCommandLine(const std::vector<std::string>& words);

// Whether a word stands in a command line as it is, needing no quotes.
bool IsPlainCommandWord(const std::string& word);

}  // namespace cx
