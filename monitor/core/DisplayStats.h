#pragma once
// The order of a redraw of the main window's chart, the light and the banner,
// each step guarded on its own so that one failing window does not stop the
// others or the next tick.
#include <functional>

#include "settings/EventLog.h"

namespace cx {

// The windows' drawing steps, bound by the window shell. A step may throw;
// it is then logged under its code and the next step runs.
struct tDisplayTargets {
    bool mainVisible = false;
    bool showLight = false;   // the ShowLight setting
    bool showBanner = false;  // the ShowBanner setting
    // Locks the main window's updates, draws the chart of the current view,
    // updates the title and the window size ("dis1").
    std::function<void()> drawMain;
    std::function<void()> unlockMain;
    // Creates the light window when needed and draws it ("dis2").
    std::function<void()> drawLight;
    // The same for the banner window ("dis3").
    std::function<void()> drawBanner;
    // Hides the application's own taskbar entry while the main window is hidden ("dis5").
    std::function<void()> hideTaskbarEntry;
};

void DisplayStats(const tDisplayTargets& targets, const tEventLog& events);

}  // namespace cx
