#pragma once
// The statistics chart: one picture of a history log, StatsWidth pixels wide
// and as tall as its sections, with a footer line and a border.
#include "monitor/render/ChartPass.h"

namespace cx {

// Draws `log` into `canvas`, the right edge of every plot standing for
// `endTime` (UTC), over `spanHours` hours (or kSpanMonth / kSpanYear). The
// canvas gets the chart's width and final height. A log with count < 0
// leaves the canvas untouched. When `hover` is given it receives the end
// time, the scale of the time axis and the band of every section.
void DrawStats(tCanvas& canvas, const tT& log, TDateTime endTime, double spanHours,
               tChartContext& context, tHoverData* hover = nullptr);

}  // namespace cx
