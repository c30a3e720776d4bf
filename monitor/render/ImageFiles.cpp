#include "monitor/render/ImageFiles.h"

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

#include <strings.h>
#include <csetjmp>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "monitor/render/ColourTable.h"
#include "platform/AtomicFile.h"

namespace cx {

namespace {

static_assert(Z_DEFAULT_STRATEGY == 0, "tPngOptions defaults name zlib strategies");
static_assert(PNG_FILTER_NONE == 0x08 && PNG_ALL_FILTERS == 0xF8, "filter defaults");

// Everything one PNG encoding needs, made before libpng starts, so that a
// libpng error (which jumps back) leaves no C++ object half-built.
struct tPngJob {
    int width = 0;
    int height = 0;
    int colourType = PNG_COLOR_TYPE_RGB;
    int level = 9;
    int strategy = Z_DEFAULT_STRATEGY;
    int filters = PNG_ALL_FILTERS;
    std::vector<png_color> palette;
    std::vector<png_bytep> rows;
    std::string* output = nullptr;
    char message[200] = {};
};

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* job = static_cast<tPngJob*>(png_get_io_ptr(png));
    job->output->append(reinterpret_cast<const char*>(data), length);
}

void PngFlush(png_structp) {}

void PngError(png_structp png, png_const_charp message) {
    auto* job = static_cast<tPngJob*>(png_get_error_ptr(png));
    std::strncpy(job->message, message, sizeof job->message - 1);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool RunPng(tPngJob& job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, PngError, PngWarning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &job, PngWrite, PngFlush);
    png_set_compression_level(png, job.level);
    png_set_compression_strategy(png, job.strategy);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, job.filters);
    png_set_IHDR(png, info, png_uint_32(job.width), png_uint_32(job.height), 8, job.colourType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (job.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, job.palette.data(), int(job.palette.size()));
    }
    png_write_info(png, info);
    png_write_image(png, job.rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

void CheckSize(const tCanvas& canvas) {
    if (canvas.Width() <= 0 || canvas.Height() <= 0) {
        throw std::runtime_error("the picture is empty");
    }
}

// giflib hands the encoded bytes here.
std::string GifError(int code) {
    const char* text = GifErrorString(code);
    return std::string("GIF: ") + (text != nullptr ? text : "error " + std::to_string(code));
}

int GifWrite(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), size_t(length));
    return length;
}

}  // namespace

tImageFormat ImageFormatForName(std::string_view fileName) {
    constexpr std::string_view kGif = ".gif";
    if (fileName.size() >= kGif.size() &&
        strncasecmp(fileName.data() + fileName.size() - kGif.size(), kGif.data(), kGif.size()) ==
            0) {
        return tImageFormat::Gif;
    }
    return tImageFormat::Png;
}

std::string EncodePng(const tCanvas& canvas, const tPngOptions& options) {
    CheckSize(canvas);
    std::string output;
    tPngJob job;
    job.width = canvas.Width();
    job.height = canvas.Height();
    job.level = options.level;
    job.output = &output;

    tIndexedPicture indexed;
    std::vector<png_byte> bytes;
    if (options.allowPalette && ExactColourTable(canvas, 256, indexed)) {
        job.colourType = PNG_COLOR_TYPE_PALETTE;
        job.strategy = options.paletteStrategy;
        job.filters = options.paletteFilters;
        for (tColour colour : indexed.palette) {
            job.palette.push_back({RedOf(colour), GreenOf(colour), BlueOf(colour)});
        }
        bytes = std::move(indexed.indices);
        for (int y = 0; y < job.height; ++y) {
            job.rows.push_back(bytes.data() + size_t(y) * size_t(job.width));
        }
    } else {
        job.colourType = PNG_COLOR_TYPE_RGB;
        job.strategy = options.rgbStrategy;
        job.filters = options.rgbFilters;
        bytes.reserve(canvas.Pixels().size() * 3);
        for (tColour colour : canvas.Pixels()) {
            bytes.push_back(RedOf(colour));
            bytes.push_back(GreenOf(colour));
            bytes.push_back(BlueOf(colour));
        }
        for (int y = 0; y < job.height; ++y) {
            job.rows.push_back(bytes.data() + size_t(y) * size_t(job.width) * 3);
        }
    }
    if (!RunPng(job)) {
        throw std::runtime_error(std::string("PNG encoding failed: ") +
                                 (job.message[0] != 0 ? job.message : "out of memory"));
    }
    return output;
}

std::string EncodeGif(const tCanvas& canvas) {
    CheckSize(canvas);
    if (canvas.Width() > 65535 || canvas.Height() > 65535) {
        throw std::runtime_error("the picture is too large for GIF");
    }
    tIndexedPicture indexed = ReduceColours(canvas, 256);
    // The colour table always has 256 entries; the unused ones are black.
    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    for (size_t i = 0; i < indexed.palette.size(); ++i) {
        colours[i] = {RedOf(indexed.palette[i]), GreenOf(indexed.palette[i]),
                      BlueOf(indexed.palette[i])};
    }

    std::string output;
    int error = 0;
    GifFileType* gif = EGifOpen(&output, GifWrite, &error);
    if (gif == nullptr) throw std::runtime_error(GifError(error));
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    bool ok = map != nullptr;
    EGifSetGifVersion(gif, true);
    ok = ok && EGifPutScreenDesc(gif, canvas.Width(), canvas.Height(), 8, 0, map) == GIF_OK;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_OK;
    ok = ok &&
         EGifPutImageDesc(gif, 0, 0, canvas.Width(), canvas.Height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < canvas.Height(); ++y) {
        ok = EGifPutLine(gif, indexed.indices.data() + size_t(y) * size_t(canvas.Width()),
                         canvas.Width()) == GIF_OK;
    }
    if (!ok) error = gif->Error;
    int closeError = 0;
    if (EGifCloseFile(gif, &closeError) != GIF_OK && ok) {
        ok = false;
        error = closeError;
    }
    if (map != nullptr) GifFreeMapObject(map);
    if (!ok) throw std::runtime_error(GifError(error));
    return output;
}

bool WriteImageFile(const tCanvas& canvas, const std::filesystem::path& file, std::string* error) {
    std::string content;
    try {
        content = ImageFormatForName(file.filename().string()) == tImageFormat::Gif
                      ? EncodeGif(canvas)
                      : EncodePng(canvas);
    } catch (const std::exception& failure) {
        if (error != nullptr) *error = failure.what();
        return false;
    }
    return WriteFileAtomically(file, content, 0644, false, error);
}

}  // namespace cx
