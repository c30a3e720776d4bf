#pragma once
// The INI layer of the settings and language files. A file is read whole into
// memory, changed there and written back whole. Section and key names match
// without regard to case; lines the program does not touch keep their bytes.
// Values are UTF-8 to callers: a line that is not valid UTF-8 is read as
// Windows-1252 (files of older installations). Lines end in CRLF when written.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace cx {

class tIniFile {
public:
    tIniFile() = default;
    // Parses file content (CRLF, LF or CR line ends).
    static tIniFile FromText(std::string_view bytes);
    // Reads a file; a missing file gives an empty one. `readError`, when given,
    // is set when the file exists but could not be read.
    static tIniFile Load(const std::filesystem::path& file, bool* readError = nullptr);

    // Writes the whole file through a temporary file and a rename, so a failed
    // save leaves the old file as it was. A new file gets `mode`.
    bool Save(const std::filesystem::path& file, mode_t mode = 0644) const;
    // The whole content as it would be written.
    std::string Text() const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Key names of a section, in file order.
    std::vector<std::string> ReadSection(std::string_view section) const;
    std::vector<std::string> ReadSections() const;

    // Text after the first "=" of the key's line, as it stands; `def` when absent.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;
    // Decimal, "0x"/"$" hexadecimal, leading minus; anything else gives `def`.
    int64_t ReadInteger(std::string_view section, std::string_view key, int64_t def) const;
    // An integer; non-zero is true; text that is not an integer gives `def`.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    // A float written with a comma as decimal separator; anything else gives `def`.
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    // Replaces the key's value, or appends the key to its section (and the
    // section to the end of the file) when missing.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void WriteFloat(std::string_view section, std::string_view key, double value);
    void DeleteKey(std::string_view section, std::string_view key);

private:
    struct tLine {
        std::string raw;       // the line's bytes as read (no line end)
    };
    std::vector<tLine> m_lines;
};

}  // namespace cx
