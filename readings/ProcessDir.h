#pragma once
// Running programs found by name in <root>/proc, for the readers that look for
// another program's folder (the aquaero software, BOINC) or its memory
// (MobileMeter).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "readings/HeldFiles.h"

namespace cx {

// One running program that answered to a name.
struct tRunningProgram {
    int pid = 0;
    // Target of /proc/<pid>/exe; empty when it cannot be read (another
    // user's process, a kernel thread).
    std::string executable;
};

// True when a program with this command name (/proc/<pid>/comm, which the
// kernel takes from the executable's file name and cuts to 15 characters) and
// this executable file name is the program `name`. The comparison ignores
// case, and a name ending in ".exe" also finds the program without it.
bool ProgramNameMatches(std::string_view name, std::string_view commandName,
                        std::string_view executableFileName);

// The running programs called `name`, lowest process id first.
std::vector<tRunningProgram> FindPrograms(std::string_view root, std::string_view name);

// FindPrograms for a reader that looks for its program on every pass. Reading
// the command name of every process costs three system calls each, hundreds
// on a desktop, so the watch remembers each process's name: a new process is
// read when it first appears and once more on the next call (a process that
// was caught between fork and exec, or that names itself after starting),
// and every other process again once in kRecheckCalls calls, spread over the
// calls by process id. The process folder is listed again only when the
// kernel's newest process id (/proc/loadavg) moved.
class tProgramWatch {
public:
    static constexpr uint32_t kRecheckCalls = 30;

    // The running programs called `name`, lowest process id first.
    std::vector<tRunningProgram> Find(std::string_view root, std::string_view name);

    // How many processes are remembered (for tests).
    size_t KnownCount() const { return m_known.size(); }

private:
    struct tKnown {
        int pid = 0;
        std::string command;  // lower case; empty when it could not be read
        bool confirmed = false;
    };

    bool ReadCommand(int pid, std::string& command);
    bool ReadLastPid(int64_t& pid);
    // Lists the processes anew, reading the names of new ones and of those due.
    bool ListProcesses();
    // Reads the names of the remembered processes that are due.
    void RecheckKnown();
    std::vector<tRunningProgram> Matching(std::string_view name);

    std::vector<tKnown> m_known, m_next;  // by process id
    std::vector<std::string> m_entries;
    std::vector<int> m_pids;
    tHeldFolder m_folder;
    tHeldFile m_loadavg;
    std::string m_root, m_procDir, m_loadavgPath, m_path, m_buffer;
    int64_t m_lastPid = -1;
    bool m_listed = false;
    uint32_t m_calls = 0;
};

// The folder, with a trailing '/', of the first running program called `name`
// whose executable can be read; empty when there is none.
std::string FindProcessDir(std::string_view root, std::string_view name);

// The working folder of process `pid`, with a trailing '/'; empty when it
// cannot be read.
std::string ProcessWorkingDir(std::string_view root, int pid);

}  // namespace cx
