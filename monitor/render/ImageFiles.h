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

// How a PNG is compressed, level 9 throughout. The palette defaults were
// measured on real banner, light and chart pictures (a 550 x 759 chart: the
// run-length strategy with the "up" filter encodes in 2.0 ms against 39 ms for
// zlib's default strategy, whose file is half the size; the filtered strategy
// is as slow as the default, and the adaptive filters cost another 1.2 ms for
// a file a fifth smaller), so that drawing and saving a chart stays within a
// few milliseconds. A picture of more than 256 colours is written as RGB with
// the default strategy and the adaptive filters, which suit continuous-tone
// content, where run lengths gain little.
struct tPngOptions {
    int level = 9;
    int paletteStrategy = 3;    // Z_RLE
    int rgbStrategy = 0;        // Z_DEFAULT_STRATEGY
    int paletteFilters = 0x20;  // PNG_FILTER_UP
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
