#pragma once
// The INI layer of the settings and language files. A file is read whole into
// memory, changed there and written back whole. Section and key names match
// without regard to case; lines the program does not touch keep their bytes.
// Values are UTF-8 to callers: a line that is not valid UTF-8 is read as
// Windows-1252 (files of older installations). Lines end in CRLF when written.
#include <sys/types.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
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
    // save leaves the old file as it was. A new file gets `mode`; with
    // `forceMode` an existing file is set to `mode` as well.
    bool Save(const std::filesystem::path& file, mode_t mode = 0644, bool forceMode = false) const;
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
    // Written with a comma as decimal separator and up to 15 significant digits;
    // a value that is not finite is written as 0.
    void WriteFloat(std::string_view section, std::string_view key, double value);
    // Removes every line of the key in its section.
    void DeleteKey(std::string_view section, std::string_view key);

private:
    struct tLine {
        std::string raw;     // the line's bytes as read (no line end)
        std::string folded;  // key name, UTF-8 and ASCII lower case; empty for other lines
    };
    // Lines before the first header form a section without header.
    struct tSection {
        bool hasHeader = false;
        std::string header;  // the header line's bytes
        std::string name;    // the name as UTF-8, as written
        std::string folded;  // the name, ASCII lower case, for matching
        std::vector<tLine> lines;
    };

    const tSection* FindSection(std::string_view section) const;
    tSection* FindSection(std::string_view section);
    const tLine* FindKey(std::string_view section, std::string_view key) const;
    bool ReadRawValue(std::string_view section, std::string_view key, std::string& value) const;

    std::vector<tSection> m_sections;
};

// Parsers of the INI value forms, shared with readers that take values from
// other places. Each returns false for text that is not of its form.
bool ParseIniInteger(std::string_view text, int64_t& value);
bool ParseIniFloat(std::string_view text, double& value);
std::string FormatIniFloat(double value);

}  // namespace cx
