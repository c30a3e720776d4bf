#pragma once
// Running programs found by name in <root>/proc, for the readers that look for
// another program's folder (the aquaero software, BOINC) or its memory
// (MobileMeter).
#include <string>
#include <string_view>
#include <vector>

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

// The folder, with a trailing '/', of the first running program called `name`
// whose executable can be read; empty when there is none.
std::string FindProcessDir(std::string_view root, std::string_view name);

// The working folder of process `pid`, with a trailing '/'; empty when it
// cannot be read.
std::string ProcessWorkingDir(std::string_view root, int pid);

}  // namespace cx
