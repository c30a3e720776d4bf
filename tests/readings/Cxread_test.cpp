// The cxread program end to end: run from the build's program folder through
// a shell, its output parsed as a user's script would.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "MiniJson.h"
#include "support/TempDir.h"

namespace cx {
namespace {

using test::tJson;
using test::tJsonReader;

struct tRunResult {
    int exitCode = -1;
    std::string out, err;
};

// Runs cxread with `arguments` (already quoted for the shell), its block
// names under a prefix of its own so that no other test's blocks are read.
tRunResult RunCxread(const std::string& arguments) {
    const std::string program = std::string(CALORIX_BIN_DIR) + "/cxread";
    if (!std::filesystem::exists(program)) {
        ADD_FAILURE() << program << " is missing: build the cxread target first";
        return {};
    }
    const test::tTempDir errDir;
    const std::string errFile = (errDir / "stderr").string();
    const std::string command =
        "CALORIX_SHM_PREFIX=cxread-test- '" + program + "' " + arguments + " 2>'" + errFile + "'";
    tRunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return result;
    }
    std::array<char, 4096> buffer;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
        result.out.append(buffer.data(), n);
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.err = errDir.Read("stderr");
    return result;
}

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

// The columns of the table line of `key`, split at runs of two or more blanks;
// empty when there is no such line.
std::vector<std::string> LineFields(const std::string& table, const std::string& key) {
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        if (line.substr(0, line.find(' ')) != key) continue;
        std::vector<std::string> fields;
        size_t at = 0;
        while (at < line.size()) {
            size_t gap = line.find("  ", at);
            if (gap == std::string::npos) gap = line.size();
            fields.push_back(line.substr(at, gap - at));
            at = line.find_first_not_of(' ', gap);
            if (at == std::string::npos) break;
        }
        return fields;
    }
    return {};
}

// "2024-05-01T12:34:56Z"
bool IsIsoUtcTime(const std::string& text) {
    const std::string form = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != form.size()) return false;
    for (size_t i = 0; i < form.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (form[i] == 'd' ? !digit : text[i] != form[i]) return false;
    }
    return true;
}

TEST(CxreadTest, JsonOnThisMachineHasRealLoadsMemoryUptimeAndNetworkCounters) {
    const test::tTempDir settings;  // an empty settings folder: the defaults
    const tRunResult run = RunCxread("--json --settings " + Quoted(settings.Dir()));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const tJson json = tJsonReader::Parse(run.out);

    ASSERT_TRUE(json["processorCount"].IsNumber());
    EXPECT_GE(json["processorCount"].number, 1);
    ASSERT_TRUE(json["CPU1"].IsNumber()) << run.out;
    EXPECT_GE(json["CPU1"].number, 0);
    EXPECT_LE(json["CPU1"].number, 10000);
    for (const char* key : {"memUsed", "memFree", "pageUsed", "pageFree", "cache", "uptime"}) {
        ASSERT_TRUE(json[key].IsNumber()) << key;
        EXPECT_GE(json[key].number, 0) << key;
    }
    EXPECT_GT(json["memUsed"].number, 0);
    EXPECT_GT(json["uptime"].number, 0);
    // A machine has at least one adapter besides loopback, and the free
    // network slots take the adapters, so some slot counts in both directions.
    int countedSlots = 0;
    for (int n = 1; n <= 4; ++n) {
        const std::string slot = "Net" + std::to_string(n);
        const tJson& in = json[slot + "In"];
        const tJson& out = json[slot + "Out"];
        EXPECT_EQ(in.IsNumber(), out.IsNumber()) << slot;
        if (!in.IsNumber()) continue;
        EXPECT_GE(in.number, 0) << slot;
        EXPECT_GE(out.number, 0) << slot;
        ++countedSlots;
    }
    EXPECT_GE(countedSlots, 1) << run.out;
    EXPECT_TRUE(IsIsoUtcTime(json["time"].text)) << json["time"].text;
    EXPECT_EQ(json["labels"]["CPU1"].text, "Core1");
    EXPECT_EQ(json["onMains"].kind, tJson::tKind::Bool);

    // Nothing is written into the settings folder.
    EXPECT_TRUE(std::filesystem::is_empty(settings.Path()));
}

TEST(CxreadTest, RootOnTheFakeHwmonTreeShowsItsTemperaturesAndTheUsersBindings) {
    const std::string root = Quoted(std::string(CALORIX_FIXTURES) + "/sysfs/hwmon");
    const test::tTempDir settings;
    const tRunResult table = RunCxread("--root " + root + " --settings " + Quoted(settings.Dir()));
    ASSERT_EQ(table.exitCode, 0) << table.err;
    using tFields = std::vector<std::string>;
    EXPECT_EQ(LineFields(table.out, "T1"), (tFields{"T1", "coretemp Package id 0",
                                                    "45 \xC2\xB0"
                                                    "C"}))
        << table.out;
    EXPECT_EQ(LineFields(table.out, "T5"), (tFields{"T5", "acpitz temp1",
                                                    "27.8 \xC2\xB0"
                                                    "C"}));
    EXPECT_EQ(LineFields(table.out, "F1"), (tFields{"F1", "nct6775 fan1", "1200 rpm"}));
    EXPECT_TRUE(LineFields(table.out, "T6").empty());
    // With --all the empty slots are there too.
    const tRunResult all =
        RunCxread("--all --root " + root + " --settings " + Quoted(settings.Dir()));
    EXPECT_EQ(LineFields(all.out, "T6"), (tFields{"T6", "T6", "-"})) << all.out;

    // A user's label with a quote and a binding of the OrderHwmon section.
    settings.Write("CXClient.ini",
                   "[Temperatures]\r\nnameT1=Board \"zone\"\r\n"
                   "[OrderHwmon]\r\nT1=acpitz:temp1\r\n");
    const tRunResult json =
        RunCxread("--json --root " + root + " --settings " + Quoted(settings.Dir()));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const tJson values = tJsonReader::Parse(json.out);
    EXPECT_EQ(values["T1"].number, 2780);
    EXPECT_EQ(values["T2"].number, 4500);
    EXPECT_EQ(values["labels"]["T1"].text, "Board \"zone\"");
    EXPECT_EQ(values["labels"]["T2"].text, "coretemp Package id 0");
    // The files under the settings folder are the user's alone.
    EXPECT_EQ(settings.Read("CXClient.ini"),
              "[Temperatures]\r\nnameT1=Board \"zone\"\r\n[OrderHwmon]\r\nT1=acpitz:temp1\r\n");
}

TEST(CxreadTest, DebugSendsTheEventLinesToStandardError) {
    const test::tTempDir settings;
    const tRunResult run =
        RunCxread("--debug --root " + Quoted(std::string(CALORIX_FIXTURES) + "/sysfs/hwmon") +
                  " --settings " + Quoted(settings.Dir()));
    ASSERT_EQ(run.exitCode, 0);
    // The fake tree has no /proc/stat: the load step says so.
    EXPECT_NE(run.err.find("] rv15 "), std::string::npos) << run.err;
    EXPECT_TRUE(std::filesystem::is_empty(settings.Path()));
}

TEST(CxreadTest, BadArgumentsExitWithTwoAndSayWhy) {
    const std::pair<const char*, const char*> cases[] = {
        {"--bogus", "unknown argument: --bogus"},
        {"--root", "--root needs a folder"},
        {"--root /no/such/folder", "no such folder: /no/such/folder"},
        {"--settings=", "--settings needs a folder"},
        {"extra", "unknown argument: extra"},
    };
    for (const auto& [arguments, message] : cases) {
        const tRunResult run = RunCxread(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err.find(message), std::string::npos) << arguments << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << arguments;
    }
    const tRunResult help = RunCxread("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--json"), std::string::npos);
}

}  // namespace
}  // namespace cx
