#include "monitor/render/ImageFiles.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "monitor/render/ColourTable.h"
#include "support/TempDir.h"

namespace cx {
namespace {

// A small chart: background, frame, dotted grid, two series lines, a filled
// area and crisp text, so the picture has the few flat colours of a real one.
tCanvas ChartLike(int width, int height) {
    tCanvas canvas(width, height);
    canvas.Pen() = {0xC0C0C0, tPenStyle::Solid, 1};
    canvas.Brush() = {0xE0E0E0, tBrushStyle::Solid};
    canvas.Rectangle(0, 0, width, height);
    canvas.Pen().colour = 0xFFFFFF;
    canvas.Brush().colour = 0xF0F0F0;
    canvas.Rectangle(5, 5, width - 20, height - 20);
    canvas.Pen() = {0xC0C0C0, tPenStyle::Dot, 1};
    canvas.Brush().style = tBrushStyle::Clear;
    for (int x = width - 22; x >= 6; x -= 17) {
        canvas.MoveTo(x, 7);
        canvas.LineTo(x, height - 22);
    }
    canvas.Pen() = {0xC06000, tPenStyle::Solid, 1};
    canvas.Brush() = {0xC06000, tBrushStyle::Solid};
    std::vector<tPoint> area{{6, height - 22}};
    for (int x = 6; x < width - 22; x += 2) {
        area.push_back({x, height - 30 - int(5 * std::sin(x / 7.0))});
    }
    area.push_back({width - 23, height - 22});
    canvas.Polygon(area);
    canvas.Pen().colour = 0x0000FF;
    std::vector<tPoint> line;
    for (int x = 6; x < width - 22; x += 3) {
        line.push_back({x, height / 3 + int(10 * std::cos(x / 9.0))});
    }
    canvas.Polyline(line);
    SetCrispFont(canvas.Font());
    canvas.Font().colour = 0x000000;
    canvas.TextOut(8, height - 16, "Time 10.12.2026 12:00:00");
    return canvas;
}

// A picture with far more than 256 colours: a smooth ramp.
tCanvas Gradient(int width, int height) {
    tCanvas canvas(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            canvas.SetPixel(x, y,
                            MakeColour(uint8_t(x * 255 / (width - 1)),
                                       uint8_t(y * 255 / (height - 1)), uint8_t((x + y) % 256)));
        }
    }
    return canvas;
}

struct tDecoded {
    int width = 0;
    int height = 0;
    std::vector<tColour> pixels;
};

tDecoded DecodePng(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    tDecoded decoded;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return decoded;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return decoded;
    decoded.width = int(image.width);
    decoded.height = int(image.height);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
        decoded.pixels.push_back(MakeColour(rgb[i], rgb[i + 1], rgb[i + 2]));
    }
    return decoded;
}

// The PNG colour type from the header: 2 RGB, 3 palette.
int PngColourType(const std::string& bytes) {
    return bytes.size() > 25 ? bytes[25] : -1;
}

struct tGifDecoded : tDecoded {
    int colourCount = 0;
    bool hasControlExtension = false;
};

tGifDecoded DecodeGif(const std::filesystem::path& file) {
    tGifDecoded decoded;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(file.c_str(), &error);
    if (gif == nullptr) return decoded;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* map =
            frame.ImageDesc.ColorMap != nullptr ? frame.ImageDesc.ColorMap : gif->SColorMap;
        decoded.width = gif->SWidth;
        decoded.height = gif->SHeight;
        decoded.colourCount = map != nullptr ? map->ColorCount : 0;
        for (int i = 0; i < frame.ExtensionBlockCount; ++i) {
            if (frame.ExtensionBlocks[i].Function == GRAPHICS_EXT_FUNC_CODE)
                decoded.hasControlExtension = true;
        }
        for (int i = 0; map != nullptr && i < decoded.width * decoded.height; ++i) {
            const GifColorType& c = map->Colors[frame.RasterBits[i]];
            decoded.pixels.push_back(MakeColour(c.Red, c.Green, c.Blue));
        }
    }
    DGifCloseFile(gif, &error);
    return decoded;
}

// ImageMagick's reading of a file as raw RGB, or nothing when it is not installed.
std::optional<std::string> MagickPixels(const std::filesystem::path& file) {
    if (std::system("command -v convert >/dev/null 2>&1") != 0) return std::nullopt;
    std::string command = "convert '" + file.string() + "' -depth 8 rgb:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return std::nullopt;
    std::string out;
    char buffer[65536];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string AsRgb(const std::vector<tColour>& pixels) {
    std::string rgb;
    for (tColour c : pixels) {
        rgb += char(RedOf(c));
        rgb += char(GreenOf(c));
        rgb += char(BlueOf(c));
    }
    return rgb;
}

TEST(ImageFiles, ChartPngIsAPaletteImageWithTheSamePixels) {
    tCanvas canvas = ChartLike(200, 120);
    std::string png = EncodePng(canvas);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_EQ(PngColourType(png), 3);
    tDecoded decoded = DecodePng(png);
    EXPECT_EQ(decoded.width, 200);
    EXPECT_EQ(decoded.height, 120);
    EXPECT_EQ(decoded.pixels, canvas.Pixels());
}

TEST(ImageFiles, PictureWithMoreThan256ColoursIsWrittenAsRgb) {
    tCanvas canvas = Gradient(64, 48);
    std::string png = EncodePng(canvas);
    EXPECT_EQ(PngColourType(png), 2);
    EXPECT_EQ(DecodePng(png).pixels, canvas.Pixels());
    // Any option set decodes to the same picture; only the size differs.
    tPngOptions rgbOnly;
    rgbOnly.allowPalette = false;
    tCanvas chart = ChartLike(120, 80);
    std::string rgb = EncodePng(chart, rgbOnly);
    EXPECT_EQ(PngColourType(rgb), 2);
    EXPECT_EQ(DecodePng(rgb).pixels, chart.Pixels());
}

TEST(ImageFiles, GifHasAFullColourTableAControlExtensionAndTheSamePixels) {
    test::tTempDir dir;
    tCanvas canvas = ChartLike(150, 90);
    ASSERT_TRUE(WriteImageFile(canvas, dir / "light.gif"));
    EXPECT_EQ(dir.Read("light.gif").substr(0, 6), "GIF89a");
    tGifDecoded decoded = DecodeGif(dir / "light.gif");
    EXPECT_EQ(decoded.colourCount, 256);
    EXPECT_TRUE(decoded.hasControlExtension);
    EXPECT_EQ(decoded.width, 150);
    EXPECT_EQ(decoded.pixels, canvas.Pixels());
}

TEST(ImageFiles, GifOfManyColoursTakesTheNearestOfItsTableWithoutDithering) {
    test::tTempDir dir;
    tCanvas canvas = Gradient(64, 64);
    ASSERT_TRUE(WriteImageFile(canvas, dir / "ramp.gif"));
    tGifDecoded decoded = DecodeGif(dir / "ramp.gif");
    ASSERT_EQ(decoded.pixels.size(), canvas.Pixels().size());
    tIndexedPicture reduced = ReduceColours(canvas);
    EXPECT_FALSE(reduced.exact);
    EXPECT_EQ(reduced.palette.size(), 256u);
    int worst = 0;
    for (size_t i = 0; i < decoded.pixels.size(); ++i) {
        tColour a = decoded.pixels[i];
        tColour b = canvas.Pixels()[i];
        worst = std::max({worst, std::abs(RedOf(a) - RedOf(b)), std::abs(GreenOf(a) - GreenOf(b)),
                          std::abs(BlueOf(a) - BlueOf(b))});
        // No dithering: every pixel is the table entry nearest to its colour.
        EXPECT_EQ(a, reduced.palette[reduced.indices[i]]);
    }
    EXPECT_LT(worst, 48) << "a 256-colour table stays near every colour of the ramp";
    // A flat area keeps one colour: the same input colour maps to one entry.
    tCanvas flat(10, 10);
    for (int i = 0; i < 100; ++i) flat.SetPixel(i % 10, i / 10, i < 50 ? 0x123456 : 0x654321);
    EXPECT_TRUE(ReduceColours(flat).exact);
}

TEST(ImageFiles, FilesOpenInImageMagickWithTheSamePixels) {
    test::tTempDir dir;
    tCanvas chart = ChartLike(100, 70);
    tCanvas ramp = Gradient(40, 30);
    ASSERT_TRUE(WriteImageFile(chart, dir / "chart.png"));
    ASSERT_TRUE(WriteImageFile(ramp, dir / "ramp.png"));
    ASSERT_TRUE(WriteImageFile(chart, dir / "chart.gif"));
    auto magick = MagickPixels(dir / "chart.png");
    if (!magick) GTEST_SKIP() << "ImageMagick is not installed";
    EXPECT_EQ(*magick, AsRgb(chart.Pixels()));
    EXPECT_EQ(MagickPixels(dir / "ramp.png"), AsRgb(ramp.Pixels()));
    EXPECT_EQ(MagickPixels(dir / "chart.gif"), AsRgb(chart.Pixels()));
}

TEST(ImageFiles, FormatFollowsTheExtensionInAnyCase) {
    struct tCase {
        const char* name;
        tImageFormat format;
    };
    const tCase cases[] = {{"cxlight.png", tImageFormat::Png},   {"cxwide.GIF", tImageFormat::Gif},
                           {"a.Gif", tImageFormat::Gif},         {"gif", tImageFormat::Png},
                           {"light.gif.png", tImageFormat::Png}, {"", tImageFormat::Png}};
    for (const tCase& c : cases) EXPECT_EQ(ImageFormatForName(c.name), c.format) << c.name;
    test::tTempDir dir;
    ASSERT_TRUE(WriteImageFile(ChartLike(30, 30), dir / "Banner.GIF"));
    EXPECT_EQ(dir.Read("Banner.GIF").substr(0, 3), "GIF");
}

TEST(ImageFiles, FailedWriteKeepsTheOldFileAndSaysWhy) {
    test::tTempDir dir;
    dir.Write("cxlight.png", "old picture");
    std::string error;
    EXPECT_FALSE(WriteImageFile(tCanvas(0, 0), dir / "cxlight.png", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(dir.Read("cxlight.png"), "old picture");
    error.clear();
    EXPECT_FALSE(WriteImageFile(ChartLike(20, 20), dir / "missing" / "cxlight.png", &error));
    EXPECT_FALSE(error.empty());
    // A good write replaces the file whole and leaves no temporary file behind.
    ASSERT_TRUE(WriteImageFile(ChartLike(20, 20), dir / "cxlight.png"));
    EXPECT_EQ(DecodePng(dir.Read("cxlight.png")).width, 20);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_THROW(EncodeGif(tCanvas(5, 0)), std::runtime_error);
}

}  // namespace
}  // namespace cx
