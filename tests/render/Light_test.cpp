#include "monitor/render/Light.h"

#include <gtest/gtest.h>

#include "monitor/render/SevenSegment.h"
#include "render/PictureFixture.h"

namespace cx {
namespace {

class LightTest : public test::tPictureFixture {
protected:
    tCanvas Draw() {
        tCanvas image(0, 0, m_fonts);
        DrawLight(image, Context());
        return image;
    }
    // A blank picture of the light's size with only `draw` on it.
    tCanvas Reference(const tCanvas& like, const std::function<void(tCanvas&)>& draw) {
        tCanvas reference(like.Width(), like.Height(), m_fonts);
        draw(reference);
        return reference;
    }
    bool HasColour(const tCanvas& image, tColour colour) const {
        return ColoursIn(image, {0, 0, image.Width(), image.Height()}).count(colour) > 0;
    }
    // The column's first row of values: below the date line and the title.
    static constexpr int kFirstRow = 29;
};

TEST_F(LightTest, ColumnShowsTheTenthOnlyWhenThereIsOne) {
    m_settings.visT[0] = 1;
    const tColour colour = m_settings.colT[0];
    const tRect whole{66, kFirstRow - 1, 95, kFirstRow + 19};
    const tRect tenth{96, kFirstRow + 10, 102, kFirstRow + 17};
    for (int16_t value : {3800, 3840, 3849}) {
        SCOPED_TRACE(value);
        m_rs.sample.T[0] = value;
        tCanvas image = Draw();
        ASSERT_EQ(image.Width(), 110);
        tCanvas expected = Reference(image, [&](tCanvas& c) {
            DrawSevenSegment(c, colour, 38, 1, 1, 7, kFirstRow - 1, 94);
            if (value != 3800) DrawSevenSegment(c, colour, 4, 1, 0, 3, kFirstRow + 9, 101);
        });
        EXPECT_TRUE(SameInk(image, expected, whole, colour));
        EXPECT_TRUE(SameInk(image, expected, tenth, colour));
        EXPECT_EQ(image.Pixel(95, kFirstRow + 17) == colour, value != 3800);
    }
}

TEST_F(LightTest, ColumnFansShowFlowOrSpeed) {
    struct tCase {
        int16_t value;
        double shown;
        const char* unit;
    };
    for (const tCase& c : {tCase{-12345, 123, "LH"}, tCase{2400, 2400, "RPM"}}) {
        SCOPED_TRACE(c.value);
        m_settings.visF[0] = true;
        m_settings.nameF[0] = "Pump";
        m_rs.sample.F[0] = c.value;
        tCanvas image = Draw();
        const tColour colour = m_settings.colF[0];
        const int y = kFirstRow;
        tCanvas expected = Reference(image, [&](tCanvas& ref) {
            DrawSevenSegment(ref, colour, c.shown, 1, 0.6, 5, y - 2, 81);
            ref.Font() = {m_settings.FontSmall, 10, false, colour};
            SetCrispFont(ref.Font());
            ref.TextOut(83, y - 4, m_messages.Text(c.unit));
        });
        EXPECT_TRUE(SameInk(image, expected, {40, y - 4, 110, y + 14}, colour));
        EXPECT_TRUE(HasColour(expected, colour));
    }
}

TEST_F(LightTest, SquareShowsAtMostFourTemperatures) {
    m_settings.MiniLight = true;
    for (size_t slot = 0; slot < 6; ++slot) {
        m_settings.visT[slot] = 1;
        m_rs.sample.T[slot] = int16_t(3000 + 100 * slot);
    }
    for (bool dateLine : {true, false}) {
        SCOPED_TRACE(dateLine);
        m_settings.DisplayDateTime = dateLine;
        tCanvas image = Draw();
        ASSERT_EQ(image.Width(), 80);
        ASSERT_EQ(image.Height(), 80);
        const int first = dateLine ? 9 : 2;
        for (int slot = 0; slot < 4; ++slot) {
            const int y = first + 13 * slot;
            tCanvas expected = Reference(image, [&](tCanvas& c) {
                DrawSevenSegment(c, m_settings.colT[size_t(slot)], 30 + slot, 1, 0, 4, y, 70);
            });
            EXPECT_TRUE(
                SameInk(image, expected, {56, y, 71, y + 12}, m_settings.colT[size_t(slot)]))
                << slot;
        }
        EXPECT_FALSE(HasColour(image, m_settings.colT[4]));
        EXPECT_FALSE(HasColour(image, m_settings.colT[5]));
    }
}

TEST_F(LightTest, ClockShowsOnlyWhenKnown) {
    struct tCase {
        bool square;
        int32_t clock;
        bool shown;
    };
    const tCase cases[] = {{true, 2400000, true},  {true, 0, false}, {true, kNoValue32, false},
                           {false, 2400000, true}, {false, 0, true}, {false, kNoValue32, false}};
    for (const tCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.square << " " << c.clock);
        m_settings.MiniLight = c.square;
        m_rs.sample.Clock = c.clock;
        EXPECT_EQ(HasColour(Draw(), m_settings.cFreq), c.shown);
    }
}

TEST_F(LightTest, TextFileLinesExpandedAndBOINCRows) {
    m_settings.ReadSETI = true;
    m_rs.boincTasks = {{"a", "r1", "01:00:00", 0.25}, {"b", "r2", "02:00:00", 0.5}};
    m_rs.boincProjects = {{1, 2, 3, 4, "SETI@home classic"}};
    const int bare = Draw().Height();

    m_dir.Write("CXLight.txt", "Host %HOSTID%\r\n%boincstats%\n%boinccredits total%\n");
    tCanvas image = Draw();
    // One text line, two task rows and one project row, 9 pixels each, and 3 after the file.
    EXPECT_EQ(image.Height(), bare + 4 * 9 + 3);
    // The placeholder line is drawn expanded; without values the file starts
    // right below the title.
    tCanvas expected = Reference(image, [&](tCanvas& c) {
        c.Font() = {m_settings.FontFixed, 13, false, m_settings.cInfo};
        SetCrispFont(c.Font());
        c.TextOut(2, kFirstRow - 5, "Host heater");
    });
    EXPECT_TRUE(SameInk(image, expected, {2, kFirstRow - 5, 106, kFirstRow + 4}, m_settings.cInfo));

    m_settings.ReadSETI = false;
    EXPECT_EQ(Draw().Height(), bare + 9 + 3);
}

TEST_F(LightTest, LongTextFileMakesATallerColumnWithItsEdge) {
    std::string text;
    for (int i = 0; i < 70; ++i) text += "line " + std::to_string(i) + "\n";
    m_dir.Write("CXLight.txt", text);
    tCanvas image = Draw();
    ASSERT_GT(image.Height(), 500);
    EXPECT_EQ(image.Pixel(50, image.Height() - 1), m_settings.cBorder);
    EXPECT_EQ(image.Pixel(109, 300), m_settings.cBorder);
    EXPECT_EQ(image.Pixel(0, 300), m_settings.cBorder2);
}

TEST_F(LightTest, NameTextUsesOnlyTheSlotColour) {
    m_settings.visT[2] = 2;
    m_settings.nameT[2] = "CPU %t3%";
    m_rs.sample.T[2] = 4550;
    for (bool square : {false, true}) {
        m_settings.MiniLight = square;
        tCanvas image = Draw();
        const int top = square ? 9 : kFirstRow;
        std::set<tColour> colours = ColoursIn(image, {2, top + 1, 54, top + 12});
        EXPECT_TRUE(colours.count(m_settings.colT[2])) << square;
        colours.erase(m_settings.colT[2]);
        colours.erase(m_settings.cBack);
        EXPECT_TRUE(colours.empty()) << square;
    }
}

}  // namespace
}  // namespace cx
