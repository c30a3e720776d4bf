#include "settings/RegistryValues.h"

#include <gtest/gtest.h>
#include <cstdlib>

#include "support/TempDir.h"

namespace cx {
namespace {

TEST(RegistryValues, ReadsKeyPathsAndValueNames) {
    const tRegistryValues values = tRegistryValues::FromText(
        "[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\r\n"
        "@=\"/usr/bin/browser\" \"%1\"\r\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\SpeedFan]\r\n"
        "InstallDir=/opt/sf\r\n");
    EXPECT_EQ(values.Read("HKEY_CLASSES_ROOT\\http\\shell\\open\\command", "@"),
              "\"/usr/bin/browser\" \"%1\"");
    EXPECT_EQ(values.Read("hkcr\\HTTP\\shell\\open\\command\\", ""), "\"/usr/bin/browser\" \"%1\"")
        << "short root, other case, trailing backslash, empty name for the default value";
    EXPECT_EQ(values.Read("\\HKLM\\\\Software\\SpeedFan", "installdir"), "/opt/sf");
    EXPECT_EQ(values.Read("HKLM\\Software\\SpeedFan", "@"), std::nullopt);
    EXPECT_EQ(values.Read("HKLM\\Software\\Other", "InstallDir"), std::nullopt);
}

TEST(RegistryValues, MissingFileReadsAsEmpty) {
    test::tTempDir dir;
    EXPECT_EQ(tRegistryValues::Load(dir / "none.ini").Read("HKCU\\x", "y"), std::nullopt);
    dir.Write("registry.ini", "[HKCU\\x]\ny=1\n");
    EXPECT_EQ(tRegistryValues::Load(dir / "registry.ini").Read("HKEY_CURRENT_USER\\x", "y"), "1");
}

TEST(RegistryValues, DefaultFile) {
    test::tTempDir dir;
    // The test sets the variables it reads and puts the old ones back after.
    auto saved = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto registry = saved("CALORIX_REGISTRY");
    const auto config = saved("XDG_CONFIG_HOME");
    setenv("CALORIX_REGISTRY", (dir / "chosen.ini").c_str(), 1);
    EXPECT_EQ(DefaultRegistryValuesFile(), dir / "chosen.ini");

    unsetenv("CALORIX_REGISTRY");
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    EXPECT_EQ(DefaultRegistryValuesFile(), "/etc/calorix/registry.ini") << "no user file yet";
    dir.Write("calorix/registry.ini", "");
    EXPECT_EQ(DefaultRegistryValuesFile(), dir / "calorix/registry.ini");
    for (const auto& [name, value] :
         {std::pair{"CALORIX_REGISTRY", registry}, std::pair{"XDG_CONFIG_HOME", config}}) {
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
}

}  // namespace
}  // namespace cx
