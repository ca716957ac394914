#include "ToolbarSync.h"

namespace marlin {

SyncPlan PlanSynchronization(const SyncSnapshot& snapshot, SyncMarks& handled) noexcept
{
    const SyncMarks& now = snapshot.now;
    SyncPlan plan;
    if (now.popupState != handled.popupState) {
        handled.popupState = now.popupState;
        plan.popupSwitched = true;
    }
    // A settings file that does not load is tried once per change, not every second.
    if (now.settings != handled.settings) {
        handled.settings = now.settings;
        plan.reloadSettings = true;
    }
    if (snapshot.signIn != SignInSwitch::None) {
        plan.switchDocuments = snapshot.signIn;
        return plan;
    }
    // Every rebuild reads the document afresh: it shows the plug-in data stored so far.
    const bool pluginData = now.pluginData != handled.pluginData;
    handled.pluginData = now.pluginData;
    if (now.tabs != handled.tabs || plan.popupSwitched) {
        handled.tabs = now.tabs;
        plan.rebuild = static_cast<int>(snapshot.currentToolbar);
        return plan;
    }
    if (now.buttons != handled.buttons || now.buttonEdits != handled.buttonEdits || now.moves != handled.moves) {
        // One rebuild covers every button change seen so far.
        handled.buttons = now.buttons;
        handled.buttonEdits = now.buttonEdits;
        handled.moves = now.moves;
        plan.rebuild = snapshot.shownToolbar;
        return plan;
    }
    if (snapshot.currentToolbar != snapshot.shownToolbar) {
        plan.rebuild = static_cast<int>(snapshot.currentToolbar);
    } else if (pluginData) {
        plan.rebuild = snapshot.shownToolbar;
    }
    return plan;
}

} // namespace marlin
