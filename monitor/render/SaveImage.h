#pragma once
// Writing the light and banner pictures into the image folder as PNG or GIF
// files, named by a template with placeholders.
#include <functional>
#include <string>
#include <string_view>

#include "monitor/render/Canvas.h"
#include "monitor/render/PictureContext.h"

namespace cx {

// Where and how pictures are saved, and where the status line goes.
struct tSaveContext {
    tPictureContext& picture;
    // Receives the texts meant for the main window's status line.
    std::function<void(const std::string&)> showStatus;
};

// The folder pictures go to: LocalPath (relative to the settings folder when
// it is relative), or the settings folder when LocalPath cannot be entered,
// which is logged and shown in the status line.
std::string ImageFolder(const tSaveContext& context);

// The file name of a template: its placeholders expanded for `time`, any
// path separator turned into '_' so the file stays in the image folder, and
// ".png" appended unless it ends in ".png" or ".gif" in any case.
std::string ImageFileName(std::string_view nameTemplate, TDateTime time,
                          const tPictureContext& context);

// Writes `image` under the template's name in the image folder: GIF when the
// name ends in ".gif" in any case, otherwise PNG. The file is replaced whole,
// so a reader never sees half a picture. With `time` (UTC) above 0 a file
// that is already at least that new is left alone. Returns the path written,
// or empty text when nothing was written ("si2 " / "si4 " in the event log).
std::string SaveImage(const tCanvas& image, std::string_view nameTemplate, TDateTime time,
                      const tSaveContext& context);

// Draws the light (or the banner) into a picture of its own, so the windows'
// pictures stay untouched, and saves it under `name`; time 0, so the file is
// always written. Returns the path written or empty text ("sil " / "sib ").
std::string SaveLightImage(std::string_view name, const tSaveContext& context);
std::string SaveBannerImage(std::string_view name, const tSaveContext& context);

}  // namespace cx
