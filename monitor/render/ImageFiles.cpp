#include "monitor/render/ImageFiles.h"

#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

#include <strings.h>
#include <csetjmp>
#include <cstring>
#include <optional>
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

// --- Palette pictures written straight through zlib: the colour table and
// the filtered index rows are built in one pass over the pixels, row by row,
// without libpng's copies of every row. The file is the one libpng writes
// (signature, IHDR, PLTE, IDAT, IEND) with the same zlib stream, in one IDAT.

void AppendBigEndian(std::string& out, uint32_t value) {
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

void AppendChunk(std::string& out, const char* type, const void* data, size_t size) {
    AppendBigEndian(out, uint32_t(size));
    const size_t typeAt = out.size();
    out.append(type, 4);
    if (size > 0) out.append(static_cast<const char*>(data), size);
    const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    AppendBigEndian(out, uint32_t(crc32(0, bytes, uInt(size + 4))));
}

// The filter every row gets, as libpng chooses it from a single-filter mask:
// "up" has no row above in a picture one row high and "sub" no pixel to the
// left in one a pixel wide; both then write the rows unfiltered.
std::optional<int> SingleFilter(int filters, int width, int height) {
    if (filters == PNG_FILTER_NONE) return PNG_FILTER_VALUE_NONE;
    if (filters == PNG_FILTER_UP) return height == 1 ? PNG_FILTER_VALUE_NONE : PNG_FILTER_VALUE_UP;
    if (filters == PNG_FILTER_SUB) return width == 1 ? PNG_FILTER_VALUE_NONE : PNG_FILTER_VALUE_SUB;
    return std::nullopt;
}

class tDeflater {
public:
    tDeflater(int level, int strategy) {
        if (deflateInit2(&m_stream, level, Z_DEFLATED, 15, 8, strategy) != Z_OK) {
            throw std::runtime_error("PNG encoding failed: zlib does not start");
        }
    }
    ~tDeflater() { deflateEnd(&m_stream); }
    tDeflater(const tDeflater&) = delete;
    tDeflater& operator=(const tDeflater&) = delete;

    // Compresses `size` bytes onto the end of `out`; `finish` ends the stream.
    void Add(const uint8_t* data, size_t size, bool finish, std::string& out) {
        m_stream.next_in = const_cast<Bytef*>(data);
        m_stream.avail_in = uInt(size);
        for (;;) {
            Bytef buffer[16384];
            m_stream.next_out = buffer;
            m_stream.avail_out = sizeof buffer;
            const int result = deflate(&m_stream, finish ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_ERROR) throw std::runtime_error("PNG encoding failed: zlib");
            out.append(reinterpret_cast<const char*>(buffer), sizeof buffer - m_stream.avail_out);
            if (finish ? result == Z_STREAM_END : m_stream.avail_out != 0) return;
        }
    }

private:
    z_stream m_stream{};
};

// The table positions of one row of pixels; false when the table overflows.
// Neighbouring pixels mostly share a colour, to the left or above (whose
// positions are `above`, absent for the first row): the table is asked only
// for the others.
bool IndexRow(const tColour* __restrict row, const uint8_t* __restrict above, int width,
              tColourLookup& lookup, uint8_t* __restrict indices) {
    const tColour* rowAbove = row - width;
    int x = 0;
    while (x < width) {
        const tColour colour = row[x];
        int index = 0;
        if (above != nullptr && colour == rowAbove[x]) {
            index = above[x];
        } else {
            index = lookup.Find(colour);
            if (index < 0) return false;
        }
        // The run of this colour, its positions written at once.
        const int start = x;
        while (++x < width && row[x] == colour) {
        }
        std::memset(indices + start, index, size_t(x - start));
    }
    return true;
}

// The "up" filter: each byte less the one above it, sixteen at a time.
void UpFilter(const uint8_t* __restrict current, const uint8_t* __restrict above, int width,
              uint8_t* __restrict to) {
    typedef uint8_t tSixteen __attribute__((vector_size(16)));
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        tSixteen a;
        tSixteen b;
        std::memcpy(&a, current + x, sizeof a);
        std::memcpy(&b, above + x, sizeof b);
        const tSixteen difference = a - b;
        std::memcpy(to + x, &difference, sizeof difference);
    }
    for (; x < width; ++x) to[x] = uint8_t(current[x] - above[x]);
}

// False when the picture has more than 256 colours; `output` is then undefined.
bool EncodePalettePng(const tCanvas& canvas, int level, int strategy, int filter,
                      std::string& output) {
    const int width = canvas.Width();
    const int height = canvas.Height();
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    output.assign(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
    unsigned char header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = uint8_t(uint32_t(width) >> (24 - 8 * i));
        header[4 + i] = uint8_t(uint32_t(height) >> (24 - 8 * i));
    }
    header[8] = 8;  // bits per index
    header[9] = PNG_COLOR_TYPE_PALETTE;
    AppendChunk(output, "IHDR", header, sizeof header);

    // The table is complete only after the last row, but PLTE comes before
    // IDAT: the compressed rows wait in their own string.
    std::string compressed;
    tDeflater deflater(level, strategy);
    tColourLookup lookup;
    std::vector<uint8_t> rows(3 * size_t(width) + 1);
    uint8_t* above = rows.data();            // the indices of the row above
    uint8_t* current = above + width;        // this row's indices
    uint8_t* const filtered = current + width;  // the filter byte, then the filtered row
    const tColour* pixels = canvas.Pixels().data();
    for (int y = 0; y < height; ++y) {
        if (!IndexRow(pixels + ptrdiff_t(y) * width, y > 0 ? above : nullptr, width, lookup,
                      current)) {
            return false;
        }
        filtered[0] = uint8_t(filter);
        uint8_t* to = filtered + 1;
        if (filter == PNG_FILTER_VALUE_UP && y > 0) {
            UpFilter(current, above, width, to);
        } else if (filter == PNG_FILTER_VALUE_UP || filter == PNG_FILTER_VALUE_NONE) {
            std::memcpy(to, current, size_t(width));
        } else {
            to[0] = current[0];
            for (int x = 1; x < width; ++x) to[x] = uint8_t(current[x] - current[x - 1]);
        }
        deflater.Add(filtered, size_t(width) + 1, y + 1 == height, compressed);
        std::swap(above, current);
    }

    unsigned char palette[3 * 256];
    size_t size = 0;
    for (tColour colour : lookup.Colours()) {
        palette[size++] = RedOf(colour);
        palette[size++] = GreenOf(colour);
        palette[size++] = BlueOf(colour);
    }
    AppendChunk(output, "PLTE", palette, size);
    AppendChunk(output, "IDAT", compressed.data(), compressed.size());
    AppendChunk(output, "IEND", nullptr, 0);
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

    const std::optional<int> filter =
        SingleFilter(options.paletteFilters, job.width, job.height);
    if (options.allowPalette && filter &&
        EncodePalettePng(canvas, options.level, options.paletteStrategy, *filter, output)) {
        return output;
    }
    output.clear();  // what a picture of too many colours left there
    tIndexedPicture indexed;
    std::vector<png_byte> bytes;
    if (options.allowPalette && !filter && ExactColourTable(canvas, 256, indexed)) {
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
