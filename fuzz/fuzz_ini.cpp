// Parses arbitrary bytes as an INI file, reads every value in every form,
// writes a key, renders the file and parses it again: the written key must
// read back and the rendered text must be stable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/TextEncoding.h"
#include "settings/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    cx::tIniFile ini = cx::tIniFile::FromText(bytes);

    const auto sections = ini.ReadSections();
    for (const std::string& section : sections) {
        if (!ini.SectionExists(section)) std::abort();
        for (const std::string& key : ini.ReadSection(section)) {
            if (!ini.ValueExists(section, key)) std::abort();
            const std::string text = ini.ReadString(section, key, "");
            ini.ReadBool(section, key, false);
            int64_t integer = 0;
            if (cx::ParseIniInteger(text, integer) && ini.ReadInteger(section, key, 0) != integer) {
                std::abort();
            }
            double number = 0;
            if (cx::ParseIniFloat(text, number)) {
                double again = 0;
                if (!cx::ParseIniFloat(cx::FormatIniFloat(number), again)) std::abort();
            }
        }
    }

    // The value is the input's first bytes; the INI layer stores it as UTF-8
    // with line breaks turned into blanks.
    const std::string section = sections.empty() ? std::string("Fuzz") : sections.front();
    const std::string value(bytes.substr(0, 64));
    std::string expected = cx::ToUtf8(value);
    for (char& c : expected) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    ini.WriteString(section, "FuzzKey", value);
    ini.WriteInteger(section, "FuzzNumber", static_cast<int64_t>(size) - 32);

    const std::string text = ini.Text();
    const cx::tIniFile reread = cx::tIniFile::FromText(text);
    if (reread.ReadString(section, "FuzzKey", "\x01") != expected) std::abort();
    if (reread.ReadInteger(section, "FuzzNumber", INT64_MIN) != static_cast<int64_t>(size) - 32) {
        std::abort();
    }
    if (reread.Text() != text) std::abort();
    return 0;
}
