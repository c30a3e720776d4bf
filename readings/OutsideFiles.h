#pragma once
// The text files other programs write for us to read (SpeedFan's sensor list,
// the aquaero export, the BOINC client state): a bounded whole-file read, a
// line splitter and the one-line element extraction their readers share.
//
// These files are read line by line and each value is taken from the line it
// stands on, so the extraction is plain text matching: no nesting, no entity
// definitions, nothing that grows with the input beyond the file itself.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace cx {

// The largest outside file we read. A BOINC state file of a busy client is a
// few megabytes; anything far larger is not one of these files.
inline constexpr size_t kOutsideFileLimit = 64u * 1024u * 1024u;

// True when `file` is a regular file (a folder, a pipe or a device is not).
bool IsRegularFile(const std::filesystem::path& file);

// The bytes of a regular file, or nothing when it is missing, cannot be read,
// is no regular file or holds more than `limit` bytes.
std::optional<std::string> ReadOutsideFile(const std::filesystem::path& file,
                                           size_t limit = kOutsideFileLimit);

// `dir` with a trailing '/' added when it has none; empty stays empty.
std::string WithTrailingSlash(std::string dir);

// The lines of a text one at a time, without their line breaks (LF or CR LF).
class tLineReader {
public:
    explicit tLineReader(std::string_view text) : m_rest(text) {}
    // The next line; false at the end of the text.
    bool Next(std::string_view& line);

private:
    std::string_view m_rest;
};

// The content of the element `tag` in `text`: what follows the first "<tag>"
// up to the first "</tag>" after it. Nothing when either tag is missing.
std::optional<std::string_view> ElementContent(std::string_view text, std::string_view tag);

// True when `text` holds the opening tag "<tag>".
bool HasOpeningTag(std::string_view text, std::string_view tag);

// Element text with XML's five predefined entities (&amp; &lt; &gt; &quot;
// &apos;) turned back into their characters; any other '&' stays as it is.
std::string DecodeXmlText(std::string_view text);

}  // namespace cx
