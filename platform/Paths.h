#pragma once
// Where the programs and their data live.
#include <filesystem>
#include <optional>
#include <string>

namespace cx {

// The directory of the running executable (/proc/self/exe), with a trailing '/'.
std::string ProgramDirectory();

// The all-users data folder: /var/lib for root, else $XDG_DATA_HOME or
// ~/.local/share. Empty when it cannot be determined (no HOME for a user).
std::string AllUsersDataFolder();

// The runtime folder shared by the programs of this user for locks and the
// message bus: $XDG_RUNTIME_DIR/calorix, else /tmp/calorix-$UID. Created
// (mode 0700) when missing; empty when it cannot be created.
std::string RuntimeFolder();

// Creates the folder and its parents when missing; true when it exists afterwards.
bool EnsureDirectory(const std::filesystem::path& dir);

}  // namespace cx
