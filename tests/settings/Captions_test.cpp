#include "settings/Captions.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "support/TempDir.h"

namespace cx {
namespace {

// A main window of menu items by name, plus one component that is not a menu item.
class tFakeMenu : public ICaptionTarget {
public:
    tFakeMenu() {
        for (const tMenuTwin& twin : TrayMenuTwins()) {
            captions[std::string(twin.mainItem)] = "main";
            captions[std::string(twin.trayItem)] = "tray";
        }
        for (const char* name : {"mnuReportBug", "mnuStats24", "mnuStats7"}) captions[name] = "?";
    }
    bool IsMenuItem(std::string_view name) const override {
        return captions.count(std::string(name)) > 0;
    }
    std::string Caption(std::string_view name) const override {
        auto it = captions.find(std::string(name));
        return it == captions.end() ? std::string() : it->second;
    }
    void SetCaption(std::string_view name, std::string_view caption) override {
        captions[std::string(name)] = std::string(caption);
    }
    void HideItem(std::string_view name) override { hidden.insert(std::string(name)); }
    void SetSaveDialogFilter(std::string_view text) override { filter = text; }

    std::map<std::string, std::string> captions;
    std::set<std::string> hidden;
    std::string filter;
};

TEST(Captions, ReadsCaptionAndHintKeysByComponent) {
    const tIniFile ini = tIniFile::FromText(
        "[Options]\n"
        "cbxT1.Caption=Show\n"
        "cbxT1.Hint=Shows the slot\n"
        "frmOptions.Caption=Options\n"
        "btnOK.Caption.Old=Okay\n"
        "Width=400\n"
        "[Main]\n"
        "mnuExit.Caption=Exit\n");
    const std::vector<tCaptionEntry> entries = ReadCaptions(ini, "Options");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].component, "cbxT1");
    EXPECT_EQ(entries[0].kind, tCaptionKind::Caption);
    EXPECT_EQ(entries[0].text, "Show");
    EXPECT_EQ(entries[1].kind, tCaptionKind::Hint);
    EXPECT_EQ(entries[1].text, "Shows the slot");
    EXPECT_EQ(entries[2].component, "frmOptions");
    EXPECT_EQ(entries[3].component, "btnOK");
    EXPECT_TRUE(ReadCaptions(ini, "SysInfo").empty());
}

TEST(Captions, MonitorCaptionStep) {
    tMessages messages;
    messages.SetText("Stats24", "Last 8 hours");
    messages.SetText("Stats7", "Last 7 days");
    messages.SetText("PNGImages", "PNG images");
    messages.SetText("GIFImages", "GIF images");
    const tIniFile ini = tIniFile::FromText(
        "[Main]\n"
        "mnuExit.Caption=E&xit\n"
        "mnuOptions.CaptionOld=Settings\n"  // ".Caption" anywhere in the key
        "mnuDisk.Caption=\n"                // an empty caption is a caption
        "imgStats.Caption=not a menu item\n"
        "mnuNoSuchItem.Caption=ignored\n"
        "mnuFans.Hint=ignored\n"
        "[Messages]\n"
        "mnuNet.Caption=other section\n");
    tFakeMenu menu;
    ApplyMonitorCaptions(ini, messages, menu);
    EXPECT_EQ(menu.captions["mnuExit"], "E&xit");
    EXPECT_EQ(menu.captions["mnuExit1"], "E&xit");
    EXPECT_EQ(menu.captions["mnuOptions1"], "Settings");
    EXPECT_EQ(menu.captions["mnuDisk"], "");
    EXPECT_EQ(menu.captions["mnuDisk1"], "");
    EXPECT_EQ(menu.captions["mnuFans"], "main");
    EXPECT_EQ(menu.captions["mnuNet1"], "main");  // every twin copies its main item
    EXPECT_EQ(menu.captions["mnuCheckForUpdate1"], "main");
    EXPECT_EQ(menu.captions.count("imgStats"), 0u);
    EXPECT_EQ(menu.captions.count("mnuNoSuchItem"), 0u);
    EXPECT_EQ(menu.hidden, std::set<std::string>{"mnuReportBug"});
    EXPECT_EQ(menu.captions["mnuStats24"], "Last 8 hours");
    EXPECT_EQ(menu.captions["mnuStats7"], "Last 7 days");
    EXPECT_EQ(menu.filter, "PNG images (*.png)|*.png|GIF images (*.gif)|*.gif");
}

TEST(Captions, MissingFileKeepsMenuCaptions) {
    test::tTempDir dir;
    tMessages messages;
    tFakeMenu menu;
    ApplyMonitorCaptions(dir / "Missing.lng", messages, menu);
    EXPECT_EQ(menu.captions["mnuExit"], "main");
    EXPECT_EQ(menu.captions["mnuExit1"], "main");
    EXPECT_EQ(menu.hidden.count("mnuReportBug"), 1u);
    EXPECT_EQ(menu.filter, " (*.png)|*.png| (*.gif)|*.gif");
}

}  // namespace
}  // namespace cx
