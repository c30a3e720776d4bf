#include "monitor/render/Banner.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render/PictureFixture.h"

namespace cx {
namespace {

class BannerTest : public test::tPictureFixture {
protected:
    BannerTest() {
        m_settings.BannerWidth = 530;
        m_settings.SpanBanner = 6;
    }
    tCanvas Draw() {
        tCanvas image(0, 0, m_fonts);
        tPictureContext context = Context();
        DrawBanner(image, context);
        return image;
    }
    // Pixels of the value grid's colour on one row between the grid's ends.
    int GridPixelsOnRow(const tCanvas& image, int y) const {
        int count = 0;
        for (int x = 10; x < m_settings.BannerWidth - 24; ++x) {
            count += image.Pixel(x, y) == m_settings.cScGrid;
        }
        return count;
    }
    // Any pixel of a slot's colour in the picture.
    static bool HasColour(const tCanvas& image, tColour colour) {
        return ColoursIn(image, {0, 0, image.Width(), image.Height()}).count(colour) > 0;
    }
};

TEST_F(BannerTest, NothingWithoutAFrozenRow) {
    m_rs.sample.T[0] = 4000;
    m_settings.visT[0] = 1;
    tCanvas image = Draw();
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
}

TEST_F(BannerTest, ChartedSlotGetsGridLinesAndLegend) {
    m_settings.TAutoBanner = false;
    m_settings.visT[0] = 1;
    m_settings.boldT[0] = true;
    FillLog(3, 0, [](double) { return 4000; });
    tCanvas image = Draw();
    ASSERT_EQ(image.Width(), 530);
    ASSERT_EQ(image.Height(), 80);
    // The lowest grid line stands for TMinBanner at y = 65, dotted.
    EXPECT_GT(GridPixelsOnRow(image, 65), 100);
    // 40 degrees on a 15..55 scale: y = Round(65 - 2500 * 53 / 4000) = 32, bold one lower.
    const tColour colour = m_settings.colT[0];
    for (int x : {300, 400, 500}) {
        EXPECT_EQ(image.Pixel(x, 32), colour) << x;
        EXPECT_EQ(image.Pixel(x, 33), colour) << x;
    }
    // Three hours of data: nothing older, left of the three-hour mark.
    const int threeHoursX = 530 - 23 - int(3 * (530 - 30) / 6.0);
    EXPECT_NE(image.Pixel(threeHoursX - 5, 32), colour);
    // Legend text along the top edge: only the slot's colour on the background.
    std::set<tColour> legend = ColoursIn(image, {1, 1, 200, 9});
    EXPECT_TRUE(legend.count(colour));
    legend.erase(colour);
    legend.erase(m_settings.cBack);
    EXPECT_TRUE(legend.empty());
}

TEST_F(BannerTest, NoGridLinesOrLegendWithoutAChartedSlot) {
    struct tCase {
        const char* name;
        int vis;
        bool autoScale;
        int16_t min, max;
    };
    const tCase cases[] = {
        {"legend-only slot", 2, true, 1500, 5500},
        {"collapsed scale", 1, false, 4000, 4000},
    };
    for (const tCase& c : cases) {
        SCOPED_TRACE(c.name);
        m_log = tT{};
        m_settings.visT[0] = c.vis;
        m_settings.TAutoBanner = c.autoScale;
        m_settings.TMinBanner = c.min;
        m_settings.TMaxBanner = c.max;
        m_rs.sample.Clock = 2400000;
        FillLog(2, 0, [](double) { return 4000; });
        tCanvas image = Draw();
        ASSERT_EQ(image.Width(), 530);
        for (int y = 12; y < 66; ++y) EXPECT_EQ(GridPixelsOnRow(image, y) > 60, false) << y;
        EXPECT_FALSE(HasColour(image, m_settings.colT[0]));
        // The frame and its watermark are still there.
        EXPECT_EQ(image.Pixel(20, 20), m_settings.cScBack);
        EXPECT_TRUE(HasColour(image, HalfwayColour(m_settings.cScGrid, m_settings.cScBack)));
    }
}

TEST_F(BannerTest, AutomaticScaleReachesTwoDegreesBeyondTheData) {
    m_settings.visT[0] = 1;
    m_settings.visT[1] = 1;
    // Slot 1 swings between 40 and 45.3 degrees; slot 2 lies lower but only
    // more than six hours ago, which the span leaves out.
    FillLog(7.5, [](double hoursAgo, tSample& s) {
        s.T[0] = int16_t(4000 + 530 * std::sin(hoursAgo) * std::sin(hoursAgo));
        s.T[1] = int16_t(hoursAgo > 6.5 ? 1000 : 4100);
    });
    tCanvas image = Draw();
    EXPECT_EQ(m_settings.TMinBanner, 3800);
    EXPECT_EQ(m_settings.TMaxBanner, 4800);
    EXPECT_TRUE(HasColour(image, m_settings.colT[0]));

    // The limits stay within -50 and 150 degrees.
    m_log = tT{};
    FillLog(1, [](double, tSample& s) {
        s.T[0] = 16000;
        s.T[1] = -6000;
    });
    Draw();
    EXPECT_EQ(m_settings.TMinBanner, -5000);
    EXPECT_EQ(m_settings.TMaxBanner, 15000);
}

}  // namespace
}  // namespace cx
