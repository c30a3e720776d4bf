#include "settings/Messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/TempDir.h"

namespace cx {
namespace {

TEST(Messages, KeysInTheLoadersOrder) {
    const auto keys = MessageKeys();
    ASSERT_EQ(keys.size(), 137u);
    EXPECT_EQ(keys.front(), "Stats24");
    EXPECT_EQ(keys[13], "Time");
    EXPECT_EQ(keys[117], "DisableAutoUpload.Caption");
    EXPECT_EQ(keys.back(), "UploadError");
    EXPECT_EQ(std::set<std::string_view>(keys.begin(), keys.end()).size(), keys.size());
    EXPECT_EQ(MessageIndex("uploaderror"), 136u);
    EXPECT_FALSE(MessageIndex("NoSuchKey").has_value());
}

TEST(Messages, StartEmptyAndIgnoreUnknownKeys) {
    tMessages messages;
    for (std::string_view key : MessageKeys()) EXPECT_EQ(messages.Text(key), "") << key;
    EXPECT_FALSE(messages.SetText("NoSuchKey", "x"));
    EXPECT_EQ(messages.Text("NoSuchKey"), "");
    EXPECT_TRUE(messages.SetText("kb", "KB"));
    EXPECT_EQ(messages["KB"], "KB");
}

TEST(Messages, ChosenFileLoadsOverEnglish) {
    test::tTempDir dir;
    dir.Write("English.lng",
              "[Messages]\r\nExit=Exit Calorix?\r\nKB=KB\r\nTime=Time: %s\r\n"
              "DisableAutoUpload.Caption=Disable upload\r\n");
    dir.Write("Deutsch.lng", "[Messages]\r\nExit=Calorix beenden?\r\nKB=\r\n");
    tMessages messages;
    ASSERT_TRUE(messages.Load(dir / "English.lng"));
    ASSERT_TRUE(messages.Load(dir / "Deutsch.lng"));
    EXPECT_EQ(messages.Text("Exit"), "Calorix beenden?");
    EXPECT_EQ(messages.Text("KB"), "");  // an empty value is a value
    EXPECT_EQ(messages.Text("Time"), "Time: %s");
    EXPECT_EQ(messages.Text("DisableAutoUpload.Caption"), "Disable upload");
    EXPECT_EQ(messages.Text("MB"), "");  // in neither file

    // A missing file changes nothing.
    EXPECT_FALSE(messages.Load(dir / "Missing.lng"));
    EXPECT_EQ(messages.Text("Exit"), "Calorix beenden?");

    // The same order in one call.
    tMessages fresh;
    EXPECT_TRUE(LoadMessageTable(fresh, dir.Path(), "Deutsch.lng"));
    EXPECT_EQ(fresh.Text("Exit"), "Calorix beenden?");
    EXPECT_EQ(fresh.Text("Time"), "Time: %s");
    tMessages english;
    EXPECT_FALSE(LoadMessageTable(english, dir.Path(), "Missing.lng"));
    EXPECT_EQ(english.Text("Exit"), "Exit Calorix?");
}

TEST(Messages, OnlyTheMessagesSectionCounts) {
    tMessages messages;
    messages.Load(tIniFile::FromText("[Main]\nExit=wrong\n[Messages]\nStats7= 7 days \n"));
    EXPECT_EQ(messages.Text("Exit"), "");
    EXPECT_NE(messages.Text("Stats7").find("7 days"), std::string::npos);
}

}  // namespace
}  // namespace cx
