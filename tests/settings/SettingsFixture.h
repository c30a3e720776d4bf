#pragma once
// A settings directory, program directory, event log, autostart folders,
// power backend and message bus of one test, all inside a temporary folder.
#include <filesystem>
#include <string>

#include "platform/Autostart.h"
#include "platform/MessageBus.h"
#include "platform/Power.h"
#include "settings/EventLog.h"
#include "settings/IniFile.h"
#include "settings/SettingsFiles.h"
#include "support/TempDir.h"

namespace cx::test {

struct tSettingsFixture {
    tTempDir dir;
    bool debug = true;
    tEventLog events{dir / "CXEvents.txt", debug};
    tAutostart autostart{{dir / "xdg-autostart", dir / "user-autostart"}};
    tRecordingPowerBackend power;
    tMessageBus bus{(dir / "run").string()};
    tSettingsContext context{
        dir.Dir() + "settings/", dir.Dir() + "program/", events, autostart, power, bus, "tester"};

    tSettingsFixture() {
        std::filesystem::create_directories(dir / "settings");
        std::filesystem::create_directories(dir / "program");
        std::filesystem::create_directories(dir / "run");
    }

    void WriteFile(std::string_view name, const std::string& content) const {
        dir.Write("settings/" + std::string(name), content);
    }
    std::string ReadFile(std::string_view name) const {
        return dir.Read("settings/" + std::string(name));
    }
    tIniFile Ini(std::string_view name) const {
        return tIniFile::Load(dir / "settings" / std::string(name));
    }
    std::string Events() const { return dir.Read("CXEvents.txt"); }

    tSettings Load() const {
        tSettings settings;
        LoadSettings(settings, context);
        return settings;
    }
};

}  // namespace cx::test
