#pragma once
// The message table: every user-visible text that is not a caption, by key.
// The texts come from section "Messages" of the language files; the programs
// load the English file first and the chosen one over it, so a key that the
// chosen file lacks keeps its English text.
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "settings/IniFile.h"

namespace cx {

inline constexpr size_t kMessageCount = 137;
inline constexpr std::string_view kMessagesSection = "Messages";

// The keys of the table in the loader's order.
std::span<const std::string_view, kMessageCount> MessageKeys();

// The position of a key in MessageKeys() (matched without regard to case).
std::optional<size_t> MessageIndex(std::string_view key);

class tMessages {
public:
    // The text of a key; empty for a key not loaded yet or not in the table.
    const std::string& Text(std::string_view key) const;
    const std::string& operator[](std::string_view key) const { return Text(key); }
    // False (and nothing stored) for a key that is not in the table.
    bool SetText(std::string_view key, std::string text);

    // Reads every key of section "Messages", in order, with the current text
    // as the default: keys the file lacks keep their texts.
    void Load(const tIniFile& languageFile);
    // The same from a file; a missing or unreadable file changes nothing and
    // gives false.
    bool Load(const std::filesystem::path& languageFile);

private:
    std::array<std::string, kMessageCount> m_texts;
};

inline constexpr std::string_view kEnglishLanguageFile = "English.lng";

// The loading order of every program: "English.lng" of the program directory
// first, then the chosen file over it, so the chosen file may be incomplete.
// False when the chosen file could not be read (the texts are then English).
bool LoadMessageTable(tMessages& messages, const std::filesystem::path& programDirectory,
                      std::string_view chosenFile);

}  // namespace cx
