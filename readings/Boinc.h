#pragma once
// The BOINC client's work: its state file "client_state.xml" in the BOINC data
// folder lists the tasks it is running and the projects it is attached to.
// The reader turns them into the reading set's BOINC task and project lists.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "readings/ReadingContext.h"
#include "readings/ReadingSet.h"
#include "settings/RegistryValues.h"

namespace cx {

inline constexpr std::string_view kBOINCStateFile = "client_state.xml";
// The BOINC client's program name.
inline constexpr std::string_view kBOINCProgram = "boinc";
// Where the BOINC client of this platform keeps its data.
inline constexpr std::string_view kBOINCDataFolder = "/var/lib/boinc-client/";
// The registry key and value that name the data folder of a BOINC setup.
inline constexpr std::string_view kBOINCRegistryKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Space Sciences Laboratory, U.C. Berkeley\\BOINC Setup";
inline constexpr std::string_view kBOINCRegistryValue = "DATADIR";

// A task's CPU time as shown: "1 d 3 h" from a day on, else hours and minutes
// ("2:05 h").
std::string BOINCCpuTimeText(double seconds);

// The host name of a project's master URL: without its web scheme, up to the
// first '/'.
std::string ProjectHostName(std::string_view url);

// Reads the state text into the two lists (which it appends to). The values
// are taken from single lines; a value that is no number ends the reading, and
// the lists keep what was read up to there.
void ParseBOINCState(std::string_view text, std::vector<tBOINCActiveTask>& tasks,
                     std::vector<tBOINCProject>& projects);

// The data folder, with a trailing '/', when none is set: the working folder
// of the running BOINC client (it works in its data folder; its program
// folder when that cannot be read), else the folder the registry values name,
// else this platform's data folder when it holds a state file. Empty when
// nothing is found.
std::string FindBOINCDataDir(std::string_view root, const tRegistryValues& registry);

// The source of the boinc step. When `BOINCPath` is empty it looks for the
// data folder and keeps what it found in the setting.
class tBOINCSource : public IReadingSource {
public:
    // `registryFile` empty: the registry values file of this machine.
    explicit tBOINCSource(std::filesystem::path registryFile = {})
        : m_registryFile(std::move(registryFile)) {}
    void Read(tReadingContext& context) override;

private:
    std::filesystem::path m_registryFile;
};

}  // namespace cx
