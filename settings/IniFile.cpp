#include "settings/IniFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"

namespace cx {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
    return text.substr(begin, end - begin);
}

std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool IsBlank(std::string_view line) {
    return Trim(line).empty();
}

// A header line's section name, when the line is a header.
bool ParseHeader(std::string_view utf8Line, std::string& name) {
    std::string_view text = Trim(utf8Line);
    if (text.empty() || text.front() != '[') return false;
    text.remove_prefix(1);
    size_t close = text.find(']');
    if (close != std::string_view::npos) text = text.substr(0, close);
    name = std::string(Trim(text));
    return true;
}

// The key name of a "Key=Value" line, trimmed; empty for comments and other lines.
std::string_view KeyPart(std::string_view utf8Line) {
    std::string_view text = Trim(utf8Line);
    if (text.empty() || text.front() == ';') return {};
    size_t eq = utf8Line.find('=');
    if (eq == std::string_view::npos) return {};
    return Trim(utf8Line.substr(0, eq));
}

// A value that would split its line is written with blanks in place of the breaks.
std::string SafeValue(std::string_view value) {
    std::string text = ToUtf8(value);
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return text;
}

}  // namespace

bool ParseIniInteger(std::string_view text, int64_t& value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool hex = false;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == '$') {
        hex = true;
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    uint64_t magnitude = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, hex ? 16 : 10);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    if (hex) {
        // Hexadecimal text names the bit pattern, so "$FFFFFFFFFFFFFFFF" is -1.
        uint64_t bits = negative ? (~magnitude + 1) : magnitude;
        value = static_cast<int64_t>(bits);
        return true;
    }
    constexpr uint64_t kMaxPositive = static_cast<uint64_t>(INT64_MAX);
    if (negative) {
        if (magnitude > kMaxPositive + 1) return false;
        value = static_cast<int64_t>(~magnitude + 1);
    } else {
        if (magnitude > kMaxPositive) return false;
        value = static_cast<int64_t>(magnitude);
    }
    return true;
}

bool ParseIniFloat(std::string_view text, double& value) {
    text = Trim(text);
    std::string normal;
    size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') normal += '-';
        ++i;
    }
    auto digits = [&](std::string& out) {
        size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') out += text[i++];
        return i - start;
    };
    std::string whole, fraction;
    size_t count = digits(whole);
    if (i < text.size() && text[i] == ',') {
        ++i;
        count += digits(fraction);
    }
    if (count == 0) return false;
    normal += whole.empty() ? "0" : whole;
    normal += '.';
    normal += fraction.empty() ? "0" : fraction;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        normal += 'e';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) normal += text[i++];
        std::string exponent;
        if (digits(exponent) == 0) return false;
        normal += exponent;
    }
    if (i != text.size()) return false;
    double parsed = 0;
    auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

std::string FormatIniFloat(double value) {
    if (!std::isfinite(value)) return "0";
    char buffer[64];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc()) return "0";
    std::string text(buffer, end);
    for (char& c : text) {
        if (c == '.') c = ',';
    }
    return text;
}

tIniFile tIniFile::FromText(std::string_view bytes) {
    tIniFile ini;
    ini.m_sections.emplace_back();
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        std::string_view raw = bytes.substr(pos, end == std::string_view::npos ? end : end - pos);
        if (end == std::string_view::npos) {
            pos = bytes.size();
        } else {
            pos = end + 1;
            if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
        }
        std::string utf8 = ToUtf8(raw);
        std::string name;
        if (ParseHeader(utf8, name)) {
            tSection section;
            section.hasHeader = true;
            section.header = std::string(raw);
            section.folded = Fold(name);
            section.name = std::move(name);
            ini.m_sections.push_back(std::move(section));
        } else {
            ini.m_sections.back().lines.push_back({std::string(raw), Fold(KeyPart(utf8))});
        }
    }
    return ini;
}

tIniFile tIniFile::Load(const std::filesystem::path& file, bool* readError) {
    if (readError != nullptr) *readError = false;
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR && readError != nullptr) *readError = true;
        return FromText({});
    }
    std::string content;
    char buffer[65536];
    bool failed = false;
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got > 0) {
            content.append(buffer, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            failed = true;
            break;
        }
    }
    close(fd);
    if (failed) {
        if (readError != nullptr) *readError = true;
        return FromText({});
    }
    return FromText(content);
}

bool tIniFile::Save(const std::filesystem::path& file, mode_t mode, bool forceMode) const {
    return WriteFileAtomically(file, Text(), mode, forceMode);
}

std::string tIniFile::Text() const {
    std::string text;
    for (const tSection& section : m_sections) {
        if (section.hasHeader) {
            text += section.header;
            text += kLineEnd;
        }
        for (const tLine& line : section.lines) {
            text += line.raw;
            text += kLineEnd;
        }
    }
    return text;
}

const tIniFile::tSection* tIniFile::FindSection(std::string_view section) const {
    std::string folded = Fold(section);
    for (const tSection& s : m_sections) {
        if (s.hasHeader && s.folded == folded) return &s;
    }
    return nullptr;
}

tIniFile::tSection* tIniFile::FindSection(std::string_view section) {
    return const_cast<tSection*>(std::as_const(*this).FindSection(section));
}

const tIniFile::tLine* tIniFile::FindKey(std::string_view section, std::string_view key) const {
    const tSection* s = FindSection(section);
    if (s == nullptr) return nullptr;
    std::string folded = Fold(Trim(key));
    if (folded.empty()) return nullptr;
    for (const tLine& line : s->lines) {
        if (line.folded == folded) return &line;
    }
    return nullptr;
}

bool tIniFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool tIniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindKey(section, key) != nullptr;
}

std::vector<std::string> tIniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    const tSection* s = FindSection(section);
    if (s == nullptr) return keys;
    std::vector<std::string> seen;
    for (const tLine& line : s->lines) {
        if (line.folded.empty()) continue;
        bool duplicate = false;
        for (const std::string& f : seen) duplicate = duplicate || f == line.folded;
        if (duplicate) continue;
        seen.push_back(line.folded);
        keys.emplace_back(KeyPart(ToUtf8(line.raw)));
    }
    return keys;
}

std::vector<std::string> tIniFile::ReadSections() const {
    std::vector<std::string> names;
    for (const tSection& s : m_sections) {
        if (!s.hasHeader || FindSection(s.name) != &s) continue;
        names.push_back(s.name);
    }
    return names;
}

bool tIniFile::ReadRawValue(std::string_view section, std::string_view key,
                            std::string& value) const {
    const tLine* line = FindKey(section, key);
    if (line == nullptr) return false;
    std::string utf8 = ToUtf8(line->raw);
    value = utf8.substr(utf8.find('=') + 1);
    return true;
}

std::string tIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view def) const {
    std::string value;
    if (!ReadRawValue(section, key, value)) return std::string(def);
    return value;
}

int64_t tIniFile::ReadInteger(std::string_view section, std::string_view key, int64_t def) const {
    std::string text;
    int64_t value = 0;
    if (!ReadRawValue(section, key, text) || !ParseIniInteger(text, value)) return def;
    return value;
}

bool tIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    std::string text;
    int64_t value = 0;
    if (!ReadRawValue(section, key, text) || !ParseIniInteger(text, value)) return def;
    return value != 0;
}

double tIniFile::ReadFloat(std::string_view section, std::string_view key, double def) const {
    std::string text;
    double value = 0;
    if (!ReadRawValue(section, key, text) || !ParseIniFloat(text, value)) return def;
    return value;
}

void tIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    if (m_sections.empty()) m_sections.emplace_back();
    std::string keyName(Trim(key));
    std::string folded = Fold(keyName);
    std::string safeValue = SafeValue(value);
    tSection* s = FindSection(section);
    if (s == nullptr) {
        // A new section goes to the end, set off from the one before by a blank line.
        tSection& last = m_sections.back();
        bool fileEmpty = m_sections.size() == 1 && last.lines.empty();
        if (!fileEmpty && (last.lines.empty() || !IsBlank(last.lines.back().raw))) {
            last.lines.push_back({});
        }
        tSection added;
        added.hasHeader = true;
        added.name = std::string(Trim(section));
        added.header = "[" + added.name + "]";
        added.folded = Fold(added.name);
        m_sections.push_back(std::move(added));
        s = &m_sections.back();
    }
    for (tLine& line : s->lines) {
        if (line.folded != folded || folded.empty()) continue;
        // The key keeps its spelling; the line becomes UTF-8 as a whole.
        std::string utf8 = ToUtf8(line.raw);
        line.raw = utf8.substr(0, utf8.find('=') + 1) + safeValue;
        return;
    }
    // A missing key goes after the section's last line that is not blank.
    size_t at = s->lines.size();
    while (at > 0 && IsBlank(s->lines[at - 1].raw)) --at;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at),
                    tLine{keyName + "=" + safeValue, folded});
}

void tIniFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
    WriteString(section, key, std::to_string(value));
}

void tIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void tIniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, FormatIniFloat(value));
}

void tIniFile::DeleteKey(std::string_view section, std::string_view key) {
    tSection* s = FindSection(section);
    if (s == nullptr) return;
    std::string folded = Fold(Trim(key));
    if (folded.empty()) return;
    std::erase_if(s->lines, [&](const tLine& line) { return line.folded == folded; });
}

}  // namespace cx
