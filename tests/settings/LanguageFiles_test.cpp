// The language files delivered with the programs. They are outside input to
// the programs but part of the product: every text a user sees comes from
// them, so they must parse, hold every message the programs read, keep the
// format arguments their callers pass, and every translation must cover the
// same captions as the English file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Locale.h"
#include "platform/TextEncoding.h"
#include "settings/Formats.h"
#include "settings/IniFile.h"
#include "settings/Messages.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceLangDir = fs::path(CALORIX_SOURCE_DIR) / "lang";

// The sections beside the message table: the monitor's menus, the options
// editor, the system information viewer and the alert window.
const std::vector<std::string> kCaptionSections{"Main", "Options", "SysInfo", "Alert"};

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every language file of the source tree; English first, as the programs load it.
std::vector<fs::path> LanguageFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kSourceLangDir)) {
        if (entry.path().extension() == ".lng") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        const bool aEnglish = a.filename() == "English.lng";
        const bool bEnglish = b.filename() == "English.lng";
        return aEnglish != bEnglish ? aEnglish : a < b;
    });
    return files;
}

tIniFile LoadLanguage(const fs::path& file) {
    bool readError = false;
    tIniFile ini = tIniFile::Load(file, &readError);
    EXPECT_FALSE(readError) << file;
    return ini;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The conversion letters of a printf-style pattern in order; "%%" is a plain
// percent sign and gives none. An index ("%1:s"), flags, width and precision
// are skipped; a "%" at the end of the text shows as "?".
std::string Conversions(std::string_view pattern) {
    std::string letters;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        size_t j = i + 1;
        if (j < pattern.size() && pattern[j] == '%') {
            i = j;
            continue;
        }
        while (j < pattern.size() &&
               std::string_view("0123456789:-+ #.*").find(pattern[j]) != std::string_view::npos) {
            ++j;
        }
        letters += j < pattern.size() ? pattern[j] : '?';
        i = j;
    }
    return letters;
}

TEST(LanguageFiles, EnglishAndGermanAreDeliveredAsUtf8WithCrlfLineEnds) {
    const auto files = LanguageFiles();
    std::set<std::string> names;
    for (const auto& file : files) names.insert(file.filename().string());
    EXPECT_TRUE(names.count("English.lng"));
    EXPECT_TRUE(names.count("Deutsch.lng"));

    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string bytes = ReadBytes(file);
        ASSERT_FALSE(bytes.empty());
        EXPECT_TRUE(IsValidUtf8(bytes));
        EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << "a byte order mark would become part "
                                                         "of the first section name";
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
            } else if (bytes[i] == '\r') {
                ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n')
                    << "bare CR at byte " << i;
            }
        }
        // Every line is a section header or a key with its value, and no key
        // appears twice in a section (the reader would only ever see the first).
        std::string section;
        std::set<std::string> seen;
        size_t start = 0;
        while (start < bytes.size()) {
            const size_t end = bytes.find("\r\n", start);
            const std::string line = bytes.substr(start, end - start);
            start = end + 2;
            if (line.empty()) continue;
            if (line.front() == '[') {
                EXPECT_EQ(line.back(), ']') << line;
                section = Lower(line);
                continue;
            }
            const size_t eq = line.find('=');
            ASSERT_NE(eq, std::string::npos) << line;
            EXPECT_EQ(line.substr(0, eq).find_first_of(" \t"), std::string::npos)
                << "blank in key: " << line;
            EXPECT_TRUE(seen.insert(section + Lower(line.substr(0, eq))).second)
                << "duplicate key " << line.substr(0, eq) << " in " << section;
        }
    }
}

TEST(LanguageFiles, HoldEveryMessageOfTheTableAndNoOther) {
    for (const auto& file : LanguageFiles()) {
        SCOPED_TRACE(file.filename().string());
        const tIniFile ini = LoadLanguage(file);
        for (std::string_view key : MessageKeys()) {
            EXPECT_TRUE(ini.ValueExists(kMessagesSection, key)) << key;
            EXPECT_FALSE(ini.ReadString(kMessagesSection, key, "").empty()) << key;
        }
        // A misspelt key would be ignored by the loader and leave its text English.
        for (const std::string& key : ini.ReadSection(kMessagesSection)) {
            EXPECT_TRUE(MessageIndex(key).has_value()) << "unknown message " << key;
        }
        tMessages messages;
        ASSERT_TRUE(messages.Load(file));
        for (std::string_view key : MessageKeys()) EXPECT_FALSE(messages[key].empty()) << key;
    }
}

TEST(LanguageFiles, FormatTextsTakeExactlyTheArgumentsTheirCallersPass) {
    // Each format key and the number of text arguments its callers hand to Format.
    const std::map<std::string, int> textArguments{
        {"Time", 1},
        {"PhysMem", 1},
        {"PageMem", 1},
        {"Cache", 1},
        {"AllocDisk", 1},
        {"FreeDisk", 1},
        {"RemainingBattery", 2},
        {"ChargingTime", 2},
        {"BatCapacity", 3},
        {"BatFull", 1},
        {"BatEmpty", 1},
        {"BatWear", 2},
        {"BatEmptyNoCap", 1},
        {"BatFullNoCap", 1},
        {"BatWearNoCap", 1},
        {"CPUFreq", 2},
        {"ConnectingTo", 1},
        {"ConnectedTo", 1},
        {"Uploading", 1},
        {"UploadedSuccessfully", 1},
        {"Loaded", 3},
        {"UpdateAvailable", 1},
        {"SavedSuccessfully", 1},
        {"IsGoingToPO", 1},
    };
    const std::vector<tFormatArg> markers{std::string("<first>"), std::string("<second>"),
                                          std::string("<third>")};
    for (const auto& file : LanguageFiles()) {
        SCOPED_TRACE(file.filename().string());
        const tIniFile ini = LoadLanguage(file);
        for (std::string_view key : MessageKeys()) {
            const std::string text = ini.ReadString(kMessagesSection, key, "");
            const auto found = textArguments.find(std::string(key));
            if (found == textArguments.end()) {
                // Shown as it stands: a percent sign would appear literally,
                // and a specifier would be printed raw.
                EXPECT_EQ(text.find('%'), std::string::npos) << key << "=" << text;
                continue;
            }
            EXPECT_EQ(Conversions(text), std::string(found->second, 's')) << key << "=" << text;
            // Each argument shows up exactly once, in the caller's order.
            const std::string shown = Format(
                text,
                std::span<const tFormatArg>(markers.data(), static_cast<size_t>(found->second)));
            size_t from = 0;
            for (int i = 0; i < found->second; ++i) {
                const std::string& marker = std::get<std::string>(markers[i]);
                const size_t at = shown.find(marker, from);
                ASSERT_NE(at, std::string::npos) << key << " drops or reorders " << marker;
                EXPECT_EQ(shown.find(marker, at + 1), std::string::npos) << key;
                from = at + marker.size();
            }
        }
    }
}

TEST(LanguageFiles, TimeFormatIsAClockPatternInEveryLocale) {
    // TimeFormat turns day fractions into clock texts (battery run and charge
    // times, the user's active time), so one and a half hours must come out as
    // hours and minutes, whatever the locale's date and time formats.
    tLocaleFormats german;
    german.shortDateFormat = "dd.mm.yyyy";
    german.decimalSeparator = ',';
    for (const auto& file : LanguageFiles()) {
        SCOPED_TRACE(file.filename().string());
        const std::string pattern =
            LoadLanguage(file).ReadString(kMessagesSection, "TimeFormat", "");
        for (const tLocaleFormats& locale : {tLocaleFormats{}, german}) {
            const std::string shown = FormatDateTime(pattern, 1.5 / 24 + 45000.0, locale);
            EXPECT_EQ(shown.find("01"), 0u) << pattern << " gives " << shown;
            EXPECT_NE(shown.find("30"), std::string::npos) << pattern << " gives " << shown;
            EXPECT_TRUE(std::none_of(shown.begin(), shown.end(),
                                     [](unsigned char c) { return std::isalpha(c); }))
                << pattern << " gives " << shown;
        }
    }
}

TEST(LanguageFiles, TranslationsCoverTheSameCaptionsAsEnglish) {
    const auto files = LanguageFiles();
    ASSERT_FALSE(files.empty());
    ASSERT_EQ(files.front().filename(), "English.lng");
    const tIniFile english = LoadLanguage(files.front());
    for (const std::string& section : kCaptionSections) {
        const auto base = english.ReadSection(section);
        EXPECT_FALSE(base.empty()) << section;
        const std::set<std::string> baseKeys(base.begin(), base.end());
        for (const auto& file : files) {
            SCOPED_TRACE(file.filename().string() + " [" + section + "]");
            const tIniFile ini = LoadLanguage(file);
            const auto keys = ini.ReadSection(section);
            const std::set<std::string> fileKeys(keys.begin(), keys.end());
            for (const auto& key : baseKeys) EXPECT_TRUE(fileKeys.count(key)) << "missing " << key;
            for (const auto& key : fileKeys) EXPECT_TRUE(baseKeys.count(key)) << "extra " << key;
            for (const auto& key : keys) {
                EXPECT_FALSE(ini.ReadString(section, key, "").empty()) << key;
            }
        }
    }
}

TEST(LanguageFiles, CaptionKeysLeaveTextsThatTheProgramsFillAlone) {
    // The options editor sets an edit's or combo box's text from its caption
    // key, also when the language changes on Apply; a caption for one would
    // replace the user's setting. Labels the programs fill with live values
    // would lose the value.
    const std::set<std::string> filledLabels{
        "lblMess",      "lblSpanStats", "lblSpanBanner", "lblVer",
        "lblTMinStats", "lblTMaxStats", "lblTMinBanner", "lblTMaxBanner",
        "lblNet1",      "lblNet2",      "lblNet3",       "lblNet4",
        "lblDisk1",     "lblDisk2",     "lblDisk3",      "lblDisk4"};
    for (const auto& file : LanguageFiles()) {
        const tIniFile ini = LoadLanguage(file);
        for (const std::string& section : kCaptionSections) {
            SCOPED_TRACE(file.filename().string() + " [" + section + "]");
            for (const std::string& key : ini.ReadSection(section)) {
                const bool isCaption = key.size() > 8 && key.ends_with(".Caption");
                const bool isHint = key.size() > 5 && key.ends_with(".Hint");
                EXPECT_TRUE(isCaption || (isHint && section != "Main")) << key;
                const std::string component = key.substr(0, key.rfind('.'));
                if (section == "Main") {
                    EXPECT_TRUE(component.starts_with("mnu")) << key;
                }
                if (!isCaption) continue;
                for (std::string_view prefix : {"edt", "cmb", "trb"}) {
                    EXPECT_FALSE(component.starts_with(prefix)) << key;
                }
                EXPECT_FALSE(filledLabels.count(component)) << key;
            }
        }
    }
}

TEST(LanguageFiles, TextsThatAreReadBackStayDistinguishable) {
    // The options editor maps the proxy combo's text back to a proxy type, and
    // parses the network maximum by removing the unit texts in the order
    // MBS, Mbps, KBS, kbps: a unit that contains an earlier one would be cut
    // apart and read as the wrong unit.
    const std::vector<std::string> proxyKeys{"ProxyNone", "ProxyUserSite", "ProxySite",
                                             "ProxyOpen", "ProxyUserPass", "ProxyTransparent"};
    const std::vector<std::string> unitKeys{"MBS", "Mbps", "KBS", "kbps"};
    for (const auto& file : LanguageFiles()) {
        SCOPED_TRACE(file.filename().string());
        const tIniFile ini = LoadLanguage(file);
        std::set<std::string> proxyTexts;
        for (const auto& key : proxyKeys) {
            EXPECT_TRUE(proxyTexts.insert(ini.ReadString(kMessagesSection, key, "")).second) << key;
        }
        for (size_t later = 0; later < unitKeys.size(); ++later) {
            const std::string unit = Lower(ini.ReadString(kMessagesSection, unitKeys[later], ""));
            for (size_t earlier = 0; earlier < later; ++earlier) {
                const std::string first =
                    Lower(ini.ReadString(kMessagesSection, unitKeys[earlier], ""));
                EXPECT_EQ(unit.find(first), std::string::npos)
                    << unitKeys[later] << " contains " << unitKeys[earlier];
            }
        }
    }
}

TEST(LanguageFiles, AreCopiedBesideThePrograms) {
    for (const auto& file : LanguageFiles()) {
        const fs::path copy = fs::path(CALORIX_BIN_DIR) / file.filename();
        ASSERT_TRUE(fs::exists(copy)) << copy;
        EXPECT_EQ(ReadBytes(copy), ReadBytes(file)) << copy << " is out of date";
    }
}

}  // namespace
}  // namespace cx
