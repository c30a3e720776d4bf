#pragma once
// Resetting all statistics: the three logs start again from the fresh sample.
#include <functional>

#include "monitor/core/CoreContext.h"
#include "monitor/core/ReadingCycle.h"

namespace cx {

// What the reset needs from the window shell.
struct tResetActions {
    // Asks the user (text ResetWarning, caption Reset, Yes and No); true for Yes.
    std::function<bool()> confirm;
    // Forgets the paths of the last saved light and banner pictures, so the
    // next save counts as new.
    std::function<void()> forgetSavedPictures;
    std::function<void()> displayStats;
    ICycleTimer& light;
    ICycleTimer& banner;
    ICycleTimer& readTemp;
    ICycleTimer& check;
};

// Intervals after a reset, so that the chart and the pictures refill quickly.
inline constexpr uint32_t kResetLightInterval = 15000;
inline constexpr uint32_t kResetBannerInterval = 20000;
inline constexpr uint32_t kResetReadInterval = 2000;
inline constexpr uint32_t kResetCheckInterval = 3000;

// Empties the three logs and saves them anew when the user agrees; false
// (and nothing changed) when the user declines.
bool ResetStatistics(tCoreContext& context, const tResetActions& actions);

}  // namespace cx
