#include "monitor/render/SaveImage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "render/PictureFixture.h"

namespace cx {
namespace {

namespace fs = std::filesystem;

class SaveImageTest : public test::tPictureFixture {
protected:
    SaveImageTest()
        : m_picture(Context()), m_save{m_picture, [this](const std::string& text) {
                                           m_status.push_back(text);
                                       }} {
        m_settings.LocalPath = m_dir.Dir() + "images/";
        fs::create_directories(m_dir / "images");
        m_image.Pen() = {0x0000FF, tPenStyle::Solid, 1};
        m_image.Brush() = {0xE0E0E0, tBrushStyle::Solid};
        m_image.Rectangle(0, 0, 40, 30);
    }
    std::string Save(const std::string& nameTemplate, TDateTime time = 0) {
        return SaveImage(m_image, nameTemplate, time, m_save);
    }
    static std::string ReadFile(const fs::path& file) {
        return ReadWholeFile(file).value_or(std::string());
    }
    static std::string Head(const fs::path& file, size_t bytes) {
        return ReadFile(file).substr(0, bytes);
    }

    tPictureContext m_picture;
    std::vector<std::string> m_status;
    tSaveContext m_save;
    tCanvas m_image{40, 30};
};

TEST_F(SaveImageTest, FormatFollowsTheExtension) {
    // No extension: PNG, with the date of time 0 in display time.
    std::string path = Save("light%date%");
    EXPECT_EQ(path, m_dir.Dir() + "images/light18991230.png");
    EXPECT_EQ(Head(path, 8), "\x89PNG\r\n\x1a\n");
    ASSERT_FALSE(m_status.empty());
    EXPECT_EQ(m_status.back(), "light18991230.png saved");

    // Capitals: a GIF that keeps its capital extension.
    path = Save("wide.GIF");
    EXPECT_EQ(path, m_dir.Dir() + "images/wide.GIF");
    EXPECT_EQ(Head(path, 6), "GIF89a");

    // Another extension gets ".png" after it; a separator cannot leave the folder.
    EXPECT_EQ(Save("light.jpg"), m_dir.Dir() + "images/light.jpg.png");
    EXPECT_EQ(Save("../up/light.png"), m_dir.Dir() + "images/.._up_light.png");
    EXPECT_FALSE(fs::exists(m_dir / "up"));
}

TEST_F(SaveImageTest, MissingFolderFallsBackToTheSettingsFolder) {
    m_settings.LocalPath = m_dir.Dir() + "no/such/folder/";
    const std::string path = Save("cxlight.png");
    EXPECT_EQ(path, m_dir.Dir() + "cxlight.png");
    EXPECT_TRUE(fs::exists(path));
    EXPECT_NE(m_dir.Read("CXEvents.txt").find("Could not change dir to " + m_settings.LocalPath),
              std::string::npos);
    ASSERT_GE(m_status.size(), 1u);
    EXPECT_EQ(m_status.front(), m_messages.Text("CalorixDir"));

    // A relative folder lies in the settings folder, "." is the settings folder.
    m_settings.LocalPath = "images/";
    EXPECT_EQ(Save("a.png"), m_dir.Dir() + "images/a.png");
    m_settings.LocalPath = ".";
    EXPECT_EQ(Save("b.png"), m_dir.Dir() + "b.png");
}

TEST_F(SaveImageTest, UpToDateFileIsLeftAlone) {
    const std::string path = Save("chart.png");
    ASSERT_FALSE(path.empty());
    // The file was written just now, so a picture of 2026-12-10 12:00 is older.
    const TDateTime written = kUnixEpochDays + double(std::time(nullptr)) / 86400.0;
    EXPECT_EQ(Save("chart.png", written - 1.0 / 24), "");
    EXPECT_NE(m_dir.Read("CXEvents.txt").find("chart.png already present and up to date."),
              std::string::npos);
    // A newer picture replaces it.
    EXPECT_EQ(Save("chart.png", written + 1.0 / 24), path);
}

TEST_F(SaveImageTest, FailedEncodingKeepsThePreviousFile) {
    const std::string path = Save("keep.png");
    const std::string before = ReadFile(path);
    m_image.SetSize(0, 0);
    EXPECT_EQ(Save("keep.png"), "");
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_NE(m_dir.Read("CXEvents.txt").find("si4 "), std::string::npos);
    EXPECT_EQ(Save("keep.gif"), "");
    EXPECT_NE(m_dir.Read("CXEvents.txt").find("si2 "), std::string::npos);
}

TEST_F(SaveImageTest, LightAndBannerFilesOpenInAStandardDecoder) {
    m_settings.visT[0] = 1;
    FillLog(2, 0, [](double hoursAgo) { return int(4000 + 100 * hoursAgo); });
    const std::string light = SaveLightImage("cxlight.png", m_save);
    const std::string banner = SaveBannerImage("cxwide.gif", m_save);
    ASSERT_FALSE(light.empty());
    ASSERT_FALSE(banner.empty());
    if (std::system("command -v identify >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    }
    for (const auto& [path, expected] : {std::pair{light, std::string("PNG 110x")},
                                         std::pair{banner, std::string("GIF 530x80")}}) {
        const std::string command = "identify '" + path + "' 2>&1";
        FILE* pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string output;
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
        EXPECT_EQ(pclose(pipe), 0) << output;
        EXPECT_NE(output.find(expected), std::string::npos) << output;
    }
}

TEST_F(SaveImageTest, EmptyBannerWritesNothing) {
    EXPECT_EQ(SaveBannerImage("cxwide.png", m_save), "");
    EXPECT_FALSE(fs::exists(m_dir / "images/cxwide.png"));
}

}  // namespace
}  // namespace cx
