#include "monitor/render/SaveImage.h"

#include <sys/stat.h>

#include <cctype>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "monitor/render/Banner.h"
#include "monitor/render/ImageFiles.h"
#include "monitor/render/Light.h"
#include "platform/AtomicFile.h"
#include "settings/Formats.h"

namespace cx {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[text.size() - tail.size() + i])) !=
            tail[i]) {
            return false;
        }
    }
    return true;
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

// The modification time of a file as UTC, or nothing when it does not exist.
std::optional<TDateTime> ModificationTimeUTC(const std::string& file) {
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) return std::nullopt;
    return kUnixEpochDays + (double(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9) / 86400.0;
}

void ShowStatus(const tSaveContext& context, const std::string& text) {
    if (context.showStatus) context.showStatus(text);
}

}  // namespace

std::string ImageFolder(const tSaveContext& context) {
    const tPictureContext& picture = context.picture;
    const std::string& localPath = picture.settings.LocalPath;
    std::string folder = localPath.empty() || localPath == "." || localPath == "./"
                             ? picture.settingsDirectory
                             : localPath;
    // The monitor works in its settings folder, so a relative path starts there.
    if (!folder.empty() && folder.front() != '/') folder = picture.settingsDirectory + folder;
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return WithSlash(folder);
    picture.events.WriteEvent("Could not change dir to " + localPath);
    ShowStatus(context, picture.messages.Text("CalorixDir"));
    return WithSlash(picture.settingsDirectory);
}

std::string ImageFileName(std::string_view nameTemplate, TDateTime time,
                          const tPictureContext& context) {
    std::string name = ExpandPlaceholders(nameTemplate, time, context.Placeholders());
    for (char& c : name) {
        if (c == '/' || c == '\0') c = '_';
    }
    if (name.empty() || name == "." || name == "..") name += "_";
    if (!EndsWithNoCase(name, ".gif") && !EndsWithNoCase(name, ".png")) name += ".png";
    return name;
}

std::string SaveImage(const tCanvas& image, std::string_view nameTemplate, TDateTime time,
                      const tSaveContext& context) {
    const tPictureContext& picture = context.picture;
    const std::string folder = ImageFolder(context);
    const std::string name = ImageFileName(nameTemplate, time, picture);
    const std::string path = folder + name;
    if (time > 0) {
        std::optional<TDateTime> modified = ModificationTimeUTC(path);
        if (modified && *modified >= time) {
            picture.events.WriteEvent(name + " already present and up to date.");
            return {};
        }
    }
    const bool gif = ImageFormatForName(name) == tImageFormat::Gif;
    try {
        const std::string content = gif ? EncodeGif(image) : EncodePng(image);
        picture.events.WriteEvent("Saving " + name);
        std::string error;
        if (!WriteFileAtomically(path, content, 0644, false, &error)) {
            throw std::runtime_error(error);
        }
        ShowStatus(context, Format(picture.messages.Text("SavedSuccessfully"), name));
        return path;
    } catch (const std::exception& e) {
        picture.events.WriteEvent(std::string(gif ? "si2 " : "si4 ") + e.what());
        return {};
    }
}

std::string SaveLightImage(std::string_view name, const tSaveContext& context) {
    try {
        tCanvas work(0, 0, context.picture.fonts);
        DrawLight(work, context.picture);
        return SaveImage(work, name, 0, context);
    } catch (const std::exception& e) {
        context.picture.events.WriteEvent(std::string("sil ") + e.what());
        return {};
    }
}

std::string SaveBannerImage(std::string_view name, const tSaveContext& context) {
    try {
        tCanvas work(0, 0, context.picture.fonts);
        DrawBanner(work, context.picture);
        return SaveImage(work, name, 0, context);
    } catch (const std::exception& e) {
        context.picture.events.WriteEvent(std::string("sib ") + e.what());
        return {};
    }
}

}  // namespace cx
