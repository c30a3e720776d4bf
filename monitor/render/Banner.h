#pragma once
// The banner: a wide strip with a short-term chart of the temperatures, their
// legend and a footer with the time, the uptime and the program line.
#include "monitor/render/Canvas.h"
#include "monitor/render/PictureContext.h"

namespace cx {

inline constexpr int kBannerHeight = 80;

// Draws the banner, BannerWidth x 80, into `image`, resizing it. Does nothing
// while the 8-hour log holds no row (count 0 or less). With TAutoBanner the
// scale limits TMinBanner and TMaxBanner are worked out from the data and kept
// in the settings. Every step is guarded; a failure is logged under its code
// ("db13 ".."db21 ") and the picture keeps what was drawn so far.
void DrawBanner(tCanvas& image, tPictureContext& context);

}  // namespace cx
