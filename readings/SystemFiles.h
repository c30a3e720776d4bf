#pragma once
// Small helpers shared by the readers of /proc, /sys and /dev: whole-file reads
// into a reused buffer, paths under the reader's root folder, and the number
// parsing and slot scaling every reader needs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cx {

// `relative` (which starts with '/') under `root`; a root of "/" or "" leaves
// it as it is, so a real machine reads the real files.
std::string RootedPath(std::string_view root, std::string_view relative);

// True when `root` is the real machine's root folder.
bool IsRealRoot(std::string_view root);

// Reads the whole of a small file into `buffer`, reusing its capacity. Files
// of /proc and /sys report no size, so it reads until the end; one read is
// enough for nearly all of them. False when the file cannot be opened or read.
bool ReadSystemFile(const std::string& path, std::string& buffer);

// The names in a folder except "." and "..", sorted, reusing `names`. False
// (and no names) when the folder cannot be opened.
bool ListFolder(const std::string& path, std::vector<std::string>& names);

// The file's content as one integer (a sysfs attribute such as "42000\n").
bool ReadIntegerFile(const std::string& path, int64_t& value, std::string& buffer);

// `text` without leading and trailing blanks, tabs and line breaks.
std::string_view TrimText(std::string_view text);

// A decimal integer with an optional sign, the whole of `text` after trimming.
bool ParseInteger(std::string_view text, int64_t& value);

// A decimal number with the point as separator, the whole of `text` after trimming.
bool ParseDecimal(std::string_view text, double& value);

// Rounds to the nearest integer with ties to even, the rounding of every
// scaled value of the reading set.
int64_t RoundHalfEven(double value);

// A scaled reading for a 16-bit slot: rounded, and the no-value marker when it
// does not fit (a value of 32767 or more cannot be told from the marker).
int16_t ToSlot16(double value);

// A count in KB for a 32-bit slot: the marker's neighbour caps it, so a huge
// value never reads as "no value".
int32_t ToSlot32(int64_t value);

}  // namespace cx
