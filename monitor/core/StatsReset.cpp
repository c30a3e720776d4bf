#include "monitor/core/StatsReset.h"

#include <exception>

#include "monitor/core/HistoryStore.h"

namespace cx {

bool ResetStatistics(tCoreContext& context, const tResetActions& actions) {
    if (!actions.confirm || !actions.confirm()) return false;
    try {
        ResetLogs(context.histories);
    } catch (const std::exception& e) {
        context.events.WriteEvent(std::string("mrsc1 ") + e.what());
    }
    if (actions.forgetSavedPictures) actions.forgetSavedPictures();
    WriteLogs(context, false);
    actions.light.SetInterval(kResetLightInterval);
    actions.banner.SetInterval(kResetBannerInterval);
    actions.readTemp.SetInterval(kResetReadInterval);
    actions.check.SetInterval(kResetCheckInterval);
    if (actions.displayStats) actions.displayStats();
    return true;
}

}  // namespace cx
