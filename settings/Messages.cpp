// The message table and its loader.
#include "settings/Messages.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace cx {
namespace {

constexpr std::array<std::string_view, kMessageCount> kMessageKeys = {
    "Stats24",
    "Stats7",
    "Stats31",
    "Stats365",
    "SaveStatsAs",
    "SaveStats24As",
    "SaveStats7As",
    "SaveStats31As",
    "SaveStats365As",
    "SaveLightAs",
    "SaveBannerAs",
    "SaveTextAs",
    "ErrorOpen",
    "Time",
    "Show",
    "Minimize",
    "SendingMail",
    "IsGoingToPO",
    "Uptime",
    "EmergencyPO",
    "User",
    "Min",
    "Volt",
    "Max",
    "Avg",
    "V",
    "RPM",
    "LH",
    "KBS",
    "MBS",
    "kbps",
    "Mbps",
    "RemainingBattery",
    "ChargingTime",
    "Up",
    "Down",
    "MB",
    "GB",
    "BatteryStatus",
    "BatCapacity",
    "BatFull",
    "Allocated",
    "Free",
    "CalorixDir",
    "Exit",
    "ExitWarning",
    "NoDisplayMarked",
    "NoFTPHost",
    "NoSMTPHost",
    "PNGImages",
    "NoFTPUser",
    "NoSMTPUser",
    "NoFTPPassword",
    "NoSMTPPassword",
    "ConnectionFailed",
    "ResetWarning",
    "Reset",
    "ConnectingTo",
    "ConnectedTo",
    "Uploading",
    "UploadedSuccessfully",
    "Disconnecting",
    "Disconnected",
    "TimePO",
    "SavedSuccessfully",
    "ProblemWhileSaving",
    "ProxyUserSite",
    "ProxySite",
    "ProxyOpen",
    "ProxyUserPass",
    "ProxyTransparent",
    "ProxyNone",
    "OnceADay",
    "TimeFormat",
    "ValidPortsSMTP",
    "ValidPortsFTP",
    "ValidPortsFTPProxy",
    "ValidPortsHTTPProxy",
    "ValidPortsHTTPServer",
    "LocalPathNotFound",
    "Seconds",
    "Minutes",
    "Hours",
    "Hour",
    "SelectDirectory",
    "SensNotConn",
    "Second",
    "ValidTime",
    "ValidNumber",
    "Version",
    "Test",
    "InCooperationWith",
    "SentMailSuccessfully",
    "UploadActive",
    "UploadInactive",
    "Error",
    "PleaseStartOnlyOnce",
    "Obsolete",
    "GIFImages",
    "CheckingForNew",
    "NoNewVersion",
    "BatEmpty",
    "AllocMem",
    "FreeMem",
    "PageMem",
    "PhysMem",
    "VirtMem",
    "AllocDisk",
    "DownloadUpdate",
    "FreeDisk",
    "KB",
    "UpdateAvailable",
    "BatWear",
    "BatEmptyNoCap",
    "BatFullNoCap",
    "BatWearNoCap",
    "DisableAutoUpload",
    "DisableAutoUpload.Caption",
    "TB",
    "Cache",
    "CPUFreq",
    "Loaded",
    "UploadingGallery",
    "UploadingPSCP",
    "UploadCompleted",
    "StatusRunning",
    "StatusShutdown",
    "StatusStandby",
    "InstallSpeedFan",
    "InstallSpeedFanTitle",
    "UserActiveTime",
    "PrintCalcLayout",
    "PrintError",
    "Printing",
    "PrintSuccess",
    "UpdateAvailableSpeedFan",
    "UploadError",
};

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::span<const std::string_view, kMessageCount> MessageKeys() {
    return kMessageKeys;
}

std::optional<size_t> MessageIndex(std::string_view key) {
    for (size_t i = 0; i < kMessageKeys.size(); ++i) {
        if (EqualNoCase(kMessageKeys[i], key)) return i;
    }
    return std::nullopt;
}

const std::string& tMessages::Text(std::string_view key) const {
    static const std::string kEmpty;
    const std::optional<size_t> index = MessageIndex(key);
    return index ? m_texts[*index] : kEmpty;
}

bool tMessages::SetText(std::string_view key, std::string text) {
    const std::optional<size_t> index = MessageIndex(key);
    if (!index) return false;
    m_texts[*index] = std::move(text);
    return true;
}

void tMessages::Load(const tIniFile& languageFile) {
    for (size_t i = 0; i < kMessageKeys.size(); ++i) {
        m_texts[i] = languageFile.ReadString(kMessagesSection, kMessageKeys[i], m_texts[i]);
    }
}

bool tMessages::Load(const std::filesystem::path& languageFile) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(languageFile, ec)) return false;
    bool readError = false;
    const tIniFile ini = tIniFile::Load(languageFile, &readError);
    if (readError) return false;
    Load(ini);
    return true;
}

bool LoadMessageTable(tMessages& messages, const std::filesystem::path& programDirectory,
                      std::string_view chosenFile) {
    messages.Load(programDirectory / kEnglishLanguageFile);
    if (chosenFile == kEnglishLanguageFile) {
        return std::filesystem::exists(programDirectory / kEnglishLanguageFile);
    }
    return messages.Load(programDirectory / chosenFile);
}

}  // namespace cx
