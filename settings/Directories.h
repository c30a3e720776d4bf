#pragma once
// Where the settings live. The settings directory is either the program
// directory (when the marker file "oldsettingsdir" is there) or the folder
// "Calorix" inside the all-users data folder. On the first start after an
// upgrade the files of an older installation move from the program directory
// into that folder.
#include <string>
#include <string_view>
#include <vector>

#include "settings/EventLog.h"

namespace cx {

// An empty file of this name in the program directory keeps the settings there.
inline constexpr std::string_view kOldSettingsDirMarker = "oldsettingsdir";

// The files moved once from the program directory, in the order they move.
// The system-information viewer moves its own text files as well.
std::vector<std::string> MovedSettingsFiles(bool withViewerFiles);

// The settings folder inside a data folder: dataFolder + "/Calorix/".
std::string SharedSettingsFolder(std::string_view dataFolder);

// The settings folder inside `dataFolder`, created when missing, after the
// one-time move of the older files from `programDirectory`. Falls back to the
// program directory when there is no data folder, and logs "gsd " with the
// reason when the folder cannot be made. Never fails.
std::string ResolveSettingsDirectory(const std::string& programDirectory,
                                     const std::string& dataFolder, const tEventLog& events,
                                     bool withViewerFiles = false);
// The same inside this machine's all-users data folder (AllUsersDataFolder).
std::string ResolveSettingsDirectory(const std::string& programDirectory, const tEventLog& events,
                                     bool withViewerFiles = false);

// The directory rule: the program directory when the marker file is there,
// else ResolveSettingsDirectory. Every program runs it once at start-up.
std::string ChooseSettingsDirectory(const std::string& programDirectory,
                                    const std::string& dataFolder, const tEventLog& events,
                                    bool withViewerFiles = false);

// The directory rule on this machine, then the chosen directory becomes the
// process's current directory (a failure is logged as "gsd ").
std::string EnterSettingsDirectory(const std::string& programDirectory, const tEventLog& events,
                                   bool withViewerFiles = false);

}  // namespace cx
