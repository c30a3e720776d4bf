// The cxrender command, run as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "monitor/core/HistoryFiles.h"
#include "monitor/core/HistoryLog.h"
#include "platform/AtomicFile.h"
#include "support/TempDir.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

struct tRun {
    int exitCode = -1;
    std::string output;
};

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

tRun RunCxrender(const std::vector<std::string>& arguments) {
    std::string command = Quoted(std::string(CALORIX_BIN_DIR) + "/cxrender");
    for (const std::string& argument : arguments) command += " " + Quoted(argument);
    command += " 2>&1";
    tRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) run.output += buffer;
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Every file of a folder with its content.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        files[entry.path().filename().string()] = ReadWholeFile(entry.path()).value_or("?");
    }
    return files;
}

// Three hours of readings every 20 seconds, ending 2026-12-10 12:00 UTC.
void WriteHistory(const fs::path& dir, const tEventLog& events) {
    tT log;
    const tLocaleFormats locale;
    tSample sample{};
    tSample2 sample2{};
    MakeBreakRow(0, sample, sample2);
    sample2 = {};
    for (int i = 540; i >= 0; --i) {
        sample.time = 46366.5 - i * 20 / 86400.0;
        sample2.time = sample.time;
        sample.T[0] = int16_t(4200 + 300 * std::sin(i / 60.0));
        sample.T[1] = int16_t(3500 + 150 * std::cos(i / 45.0));
        sample.F[0] = 1800;
        sample.Clock = 2400000;
        sample.MemUsed = 4000000;
        sample.MemFree = 4000000;
        tHistoryInput input{sample, sample2, sample.time, false, events, locale};
        AddToStats(log, input, false, kLog8h.gapLimit, kLog8h.step, kLog8h.span);
    }
    WriteStatsLog(log, dir, kLog8h.stem, false, events);
}

class CxrenderTest : public ::testing::Test {
protected:
    CxrenderTest() : m_events(m_settings / "CXEvents.txt", m_debug) {}

    void WriteSettingsFolder() {
        m_settings.Write("CXClient.ini",
                         "[Temperatures]\nnameT1=CPU\nvisT1=1\nnameT2=Board\nvisT2=1\n"
                         "visT3=0\nvisT4=0\nvisT5=0\nvisT6=0\nvisT7=0\nvisT8=0\nvisT9=0\n"
                         "visT10=0\n[Fans]\nnameF1=Fan\nvisF1=1\n");
        // A plain-text password, which loading would scramble in place.
        m_settings.Write("CXServer.ini", "[FTP]\nHost=example.org\nPass=secret\n");
        WriteHistory(m_settings.Path(), m_events);
    }

    test::tTempDir m_settings;
    test::tTempDir m_out;
    bool m_debug = false;
    tEventLog m_events;
};

TEST_F(CxrenderTest, BadArgumentsGiveUsageAndExitCodeTwo) {
    const std::string dir = m_settings.Path().string();
    const std::string out = m_out.Path().string();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {dir},
        {dir, out, "extra"},
        {dir, out, "--view", "month"},
        {dir, out, "--view"},
        {dir, out, "--width", "wide"},
        {dir, out, "--width", "100"},
        {dir, out, "--colour"},
        {dir + "/no-such-folder", out},
    };
    for (const auto& arguments : cases) {
        const tRun run = RunCxrender(arguments);
        EXPECT_EQ(run.exitCode, 2) << run.output;
        EXPECT_NE(run.output.find("usage: cxrender"), std::string::npos) << run.output;
    }
    EXPECT_TRUE(fs::is_empty(m_out.Path()));
}

TEST_F(CxrenderTest, WritesThePicturesAndLeavesTheSettingsFolderAlone) {
    WriteSettingsFolder();
    const auto before = Snapshot(m_settings.Path());
    const fs::path out = m_out / "pictures";
    const tRun run =
        RunCxrender({m_settings.Path().string(), out.string(), "--view", "24h", "--width", "600"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(Snapshot(m_settings.Path()), before);
    for (const char* name : {"banner.png", "light.png", "chart.png"}) {
        EXPECT_EQ(ReadWholeFile(out / name).value_or("").substr(0, 4), "\x89PNG") << name;
    }
    if (std::system("command -v identify >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    }
    FILE* pipe = popen(("identify -format '%f %wx%h\\n' " + Quoted((out / "banner.png").string()) +
                        " " + Quoted((out / "chart.png").string()) + " 2>&1")
                           .c_str(),
                       "r");
    ASSERT_NE(pipe, nullptr);
    std::string sizes;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) sizes += buffer;
    EXPECT_EQ(pclose(pipe), 0) << sizes;
    EXPECT_NE(sizes.find("banner.png 530x80"), std::string::npos) << sizes;
    EXPECT_NE(sizes.find("chart.png 600x"), std::string::npos) << sizes;
}

TEST_F(CxrenderTest, WithoutHistoryOnlyTheLightIsWritten) {
    const tRun run = RunCxrender({m_settings.Path().string(), m_out.Path().string()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("holds no readings"), std::string::npos) << run.output;
    EXPECT_TRUE(fs::exists(m_out / "light.png"));
    EXPECT_FALSE(fs::exists(m_out / "banner.png"));
}

}  // namespace
}  // namespace cx
