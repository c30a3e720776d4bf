// The disk section: one bar per drive shown, its length the used or free
// share of the drive, with the drive's name and sizes over it.
#include <algorithm>
#include <cmath>

#include "monitor/render/ChartSections.h"
#include "settings/Formats.h"

namespace cx {

void DrawDiskSection(tChartPass& pass) {
    const tSettings& settings = pass.settings;
    const tReadingSet& rs = pass.context.rs;
    const tChartGeometry& g = pass.geometry;
    const int top = pass.y;
    bool anyRow = false;
    pass.Guarded("ds49", [&] {
        tCanvas& canvas = pass.canvas;
        const tValueFormatContext formats = pass.Formats();
        const char separator = pass.context.locale.decimalSeparator;
        for (size_t slot = 0; slot < kDiskSlots; ++slot) {
            const tDiskSlotReading& disk = rs.diskSlots[slot];
            if (!settings.visDisk[slot] || disk.total <= 0) continue;
            anyRow = true;
            const int y = pass.y;
            const int64_t freeKB = std::clamp<int64_t>(disk.free, 0, disk.total);
            const int64_t used = disk.total - freeKB;
            const int64_t shown = settings.DisksFree ? freeKB : used;
            const double fraction = double(shown) / double(disk.total);
            // The bar lies in a shaded frame like the plots'.
            const tRect frame{5, y + 7, g.width - 10, y + 21};
            canvas.Pen() = {settings.cScBorder, tPenStyle::Solid, 1};
            canvas.Brush() = {settings.cScBack, tBrushStyle::Solid};
            canvas.Rectangle(frame.left, frame.top, frame.right, frame.bottom);
            const int barRight = 4 + int(std::trunc((g.width - 15) * fraction));
            canvas.Pen() = {settings.colDisk[slot], tPenStyle::Solid, 1};
            canvas.Brush() = {settings.colDisk[slot], tBrushStyle::Solid};
            if (barRight > 6) {
                canvas.Rectangle(6, y + 8, barRight, y + 20);
                canvas.SetPixel(barRight - 1, y + 8, settings.cScBack);
                canvas.SetPixel(barRight - 1, y + 19, settings.cScBack);
            }
            DrawFrameShading(canvas, frame, pass.FrameColours());
            canvas.Brush().style = tBrushStyle::Clear;
            pass.UseFont(settings.cInfo);
            const std::string name =
                disk.label.empty() ? pass.ExpandName(settings.driveDisk[slot]) : disk.label;
            canvas.TextRect({g.x1, y + 8, g.x2 - 5, y + 28}, g.x1, y + 8, name);
            const std::string total = FormatKilobytes(double(disk.total), formats);
            canvas.TextOut(g.x2, y + 8,
                           Format(pass.Text(settings.DisksFree ? "FreeDisk" : "AllocDisk"), total));
            const double percent = std::nearbyint(fraction * 100);
            canvas.TextOut(g.x4, y + 8,
                           FormatKilobytes(double(shown), formats) + " (" +
                               FormatFloat("0.#", percent, separator) + " %)");
            canvas.TextOut(
                g.x5, y + 8,
                settings.DisksFree
                    ? FormatKilobytes(double(used), formats) + " " + pass.Text("Allocated")
                    : FormatKilobytes(double(freeKB), formats) + " " + pass.Text("Free"));
            pass.y += 16;
        }
    });
    if (anyRow) pass.y += 4;
    pass.hover.bands[kBandDisks] = {top, pass.y};
}

}  // namespace cx
