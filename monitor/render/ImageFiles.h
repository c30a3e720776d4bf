#pragma once
// Picture files: PNG through libpng at zlib level 9 and GIF through giflib.
// Files are written to a temporary file and renamed into place, so a browser
// or an uploader never reads half a picture.
#include <filesystem>
#include <string>
#include <string_view>

#include "monitor/render/Canvas.h"

namespace cx {

enum class tImageFormat { Png, Gif };

// GIF when the name ends in ".gif" in any case, otherwise PNG.
tImageFormat ImageFormatForName(std::string_view fileName);

// How a PNG is compressed. The defaults are the ones measured best for our
// pictures (bench_render, 550 x 700 chart): a palette picture with no row
// filter and zlib's default strategy is the smallest of every combination,
// about 57 % of the RGBA file, and still encodes faster than RGBA does; the
// run-length strategy would be twenty times faster but as large as RGBA.
// Level 9 throughout. A picture of more than 256 colours is written as RGB
// with the adaptive filters, which suit continuous-tone content.
struct tPngOptions {
    int level = 9;
    int paletteStrategy = 0;    // Z_DEFAULT_STRATEGY
    int rgbStrategy = 0;        // Z_DEFAULT_STRATEGY
    int paletteFilters = 0x08;  // PNG_FILTER_NONE
    int rgbFilters = 0xF8;      // PNG_ALL_FILTERS
    bool allowPalette = true;   // false writes RGB whatever the colour count
};

// The encoded file. Throws std::runtime_error on an empty picture or when
// the encoder fails.
std::string EncodePng(const tCanvas& canvas, const tPngOptions& options = {});
// An 8-bit GIF89a: a 256-entry colour table (the picture's own colours, or a
// nearest-colour reduction without dithering when it has more, padded with
// black), one frame with a graphic control extension. Throws like EncodePng.
std::string EncodeGif(const tCanvas& canvas);

// Writes the picture in the format its name asks for. On failure the old file
// stays as it was, false is returned and `error` says why.
bool WriteImageFile(const tCanvas& canvas, const std::filesystem::path& file,
                    std::string* error = nullptr);

}  // namespace cx
