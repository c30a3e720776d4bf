#pragma once
// Whole-file reads and torn-free whole-file writes.
#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cx {

// The whole content of a file, or nothing when it does not exist or cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Writes `content` to a temporary file beside `file`, flushes it to disk,
// renames it over `file` and flushes the folder. On any failure the old file
// is left exactly as it was, the temporary file is removed and false is
// returned. A new file gets `mode` (an existing file keeps its mode unless
// `forceMode` is set). `error` receives a short reason on failure.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view content,
                         mode_t mode = 0644, bool forceMode = false, std::string* error = nullptr);

// Appends `line` and a line end to `file` (created 0644 when missing) with one
// write in append mode, so lines of parallel writers never interleave; false
// when it could not be written.
bool AppendLineToFile(const std::filesystem::path& file, std::string_view line);

// Removes the temporary files that writes of `file` left beside it when their
// writer was killed before the rename; returns how many. Call it only where no
// other process may be writing that file at the same moment (at the start of
// the file's one owner). A leftover never replaces the file itself.
int RemoveLeftoverTemporaryFiles(const std::filesystem::path& file);

}  // namespace cx
