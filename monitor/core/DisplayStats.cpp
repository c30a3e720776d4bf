#include "monitor/core/DisplayStats.h"

#include <exception>
#include <string>

namespace cx {

namespace {

void Guarded(const std::function<void()>& step, const char* code, const tEventLog& events) {
    if (!step) return;
    try {
        step();
    } catch (const std::exception& e) {
        events.WriteEvent(std::string(code) + " " + e.what());
    }
}

}  // namespace

void DisplayStats(const tDisplayTargets& targets, const tEventLog& events) {
    if (targets.mainVisible) Guarded(targets.drawMain, "dis1", events);
    // Unlocking runs even when drawing failed, so the window never stays frozen.
    if (targets.unlockMain) targets.unlockMain();
    if (targets.showLight) Guarded(targets.drawLight, "dis2", events);
    if (targets.showBanner) Guarded(targets.drawBanner, "dis3", events);
    if (!targets.mainVisible) Guarded(targets.hideTaskbarEntry, "dis5", events);
}

}  // namespace cx
