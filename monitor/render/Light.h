#pragma once
// The light: the current temperatures, fans and processor clock as
// seven-segment numbers, either in an 80 x 80 square or in a column 110 wide
// that also shows the user's own lines from "CXLight.txt".
#include <string_view>

#include "monitor/render/Canvas.h"
#include "monitor/render/PictureContext.h"

namespace cx {

inline constexpr std::string_view kLightTextFile = "CXLight.txt";
inline constexpr int kLightSquareSize = 80;
inline constexpr int kLightColumnWidth = 110;

// Draws the light into `image`, resizing it: the square with MiniLight set,
// otherwise the column, as tall as its content. The column's text lines come
// from "CXLight.txt" in the settings folder, each expanded with every
// placeholder; a missing file leaves that block out. A failing step is logged
// ("dl1 ", "dl2 ", "dl3 ") and the picture keeps what was drawn so far.
void DrawLight(tCanvas& image, const tPictureContext& context);

}  // namespace cx
