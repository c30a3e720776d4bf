#include "monitor/core/CoreContext.h"

#include "readings/TimeFunctions.h"

namespace cx {

TDateTime CurrentUTC(const tCoreContext& context) {
    return NowUTC(context.clock);
}

void AddSampleToLog(tCoreContext& context, tT& log, const tLogParams& params, bool force) {
    const tHistoryInput input{context.rs.sample,   context.rs.sample2,
                              CurrentUTC(context), context.settings.IgnoreNonsense,
                              context.events,      context.locale};
    AddToStats(log, input, force, params.gapLimit, params.step, params.span);
}

void AddSampleToAllLogs(tCoreContext& context, bool force) {
    AddSampleToLog(context, context.histories.log8h, kLog8h, force);
    AddSampleToLog(context, context.histories.log7d, kLog7d, force);
    AddSampleToLog(context, context.histories.log1a, kLog1a, force);
}

}  // namespace cx
