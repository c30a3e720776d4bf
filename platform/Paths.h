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
// message bus: $XDG_RUNTIME_DIR/calorix when that variable names a folder of
// this user, else /tmp/calorix-$UID. Created (mode 0700) when missing; empty
// when it cannot be created or is a link, or someone else's folder.
std::string RuntimeFolder();

// Creates the folder and its parents when missing; true when it exists afterwards.
bool EnsureDirectory(const std::filesystem::path& dir);

}  // namespace cx
