// The caption rule and the monitor's caption step.
#include "settings/Captions.h"

#include <array>
#include <system_error>

namespace cx {
namespace {

constexpr std::string_view kCaptionMark = ".Caption";
constexpr std::string_view kHintMark = ".Hint";

constexpr std::array<tMenuTwin, 24> kTrayMenuTwins = {{
    {"mnuExit1", "mnuExit"},
    {"mnuDisplay1", "mnuDisplay"},
    {"mnuSystemInfo1", "mnuSystemInfo"},
    {"mnuLight1", "mnuLight"},
    {"mnuBanner1", "mnuBanner"},
    {"mnuClickThrough1", "mnuClickThrough"},
    {"mnuOptions1", "mnuOptions"},
    {"mnuAutoUpload1", "mnuAutoUpload"},
    {"mnuInfo1", "mnuInfo"},
    {"mnuCalorixForum1", "mnuCalorixForum"},
    {"mnuCalorixChat1", "mnuCalorixChat"},
    {"mnuServerData1", "mnuServerData"},
    {"mnuImgs1", "mnuImgs"},
    {"mnuColors1", "mnuColors"},
    {"mnuTemperatures1", "mnuTemperatures"},
    {"mnuVoltages1", "mnuVoltages"},
    {"mnuFans1", "mnuFans"},
    {"mnuMemCPU1", "mnuMemCPU"},
    {"mnuNet1", "mnuNet"},
    {"mnuDisk1", "mnuDisk"},
    {"mnuPowerOff1", "mnuPowerOff"},
    {"mnuMailing1", "mnuMailing"},
    {"mnuMisc1", "mnuMisc"},
    {"mnuCheckForUpdate1", "mnuCheckForUpdate"},
}};

}  // namespace

std::span<const tMenuTwin> TrayMenuTwins() {
    return kTrayMenuTwins;
}

std::vector<tCaptionEntry> ReadCaptions(const tIniFile& languageFile, std::string_view section) {
    std::vector<tCaptionEntry> entries;
    for (const std::string& key : languageFile.ReadSection(section)) {
        tCaptionEntry entry;
        size_t mark = key.find(kCaptionMark);
        if (mark == std::string::npos) {
            mark = key.find(kHintMark);
            if (mark == std::string::npos) continue;
            entry.kind = tCaptionKind::Hint;
        }
        entry.component = key.substr(0, mark);
        entry.text = languageFile.ReadString(section, key, "");
        entries.push_back(std::move(entry));
    }
    return entries;
}

void ApplyMonitorCaptions(const tIniFile& languageFile, const tMessages& messages,
                          ICaptionTarget& target) {
    for (const std::string& key : languageFile.ReadSection(kMainSection)) {
        const size_t mark = key.find(kCaptionMark);
        if (mark == std::string::npos) continue;
        const std::string component = key.substr(0, mark);
        if (!target.IsMenuItem(component)) continue;
        target.SetCaption(component,
                          languageFile.ReadString(kMainSection, key, target.Caption(component)));
    }
    target.HideItem("mnuReportBug");
    for (const tMenuTwin& twin : kTrayMenuTwins) {
        if (target.IsMenuItem(twin.trayItem) && target.IsMenuItem(twin.mainItem)) {
            target.SetCaption(twin.trayItem, target.Caption(twin.mainItem));
        }
    }
    if (target.IsMenuItem("mnuStats24")) target.SetCaption("mnuStats24", messages.Text("Stats24"));
    if (target.IsMenuItem("mnuStats7")) target.SetCaption("mnuStats7", messages.Text("Stats7"));
    target.SetSaveDialogFilter(messages.Text("PNGImages") + " (*.png)|*.png|" +
                               messages.Text("GIFImages") + " (*.gif)|*.gif");
}

void ApplyMonitorCaptions(const std::filesystem::path& languageFile, const tMessages& messages,
                          ICaptionTarget& target) {
    std::error_code ec;
    bool readError = false;
    tIniFile ini;
    if (std::filesystem::is_regular_file(languageFile, ec)) {
        ini = tIniFile::Load(languageFile, &readError);
        if (readError) ini = tIniFile();
    }
    ApplyMonitorCaptions(ini, messages, target);
}

}  // namespace cx
