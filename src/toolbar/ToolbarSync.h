#pragma once
// The decision of the once-a-second pass that keeps every browser window's
// toolbar in step with the others: from what the shared state says now and
// what this window has acted on, what it must redo. No window is involved.
#include "document/SignIn.h"
#include "platform/Win32.h"

#include <optional>

namespace marlin {

// The values of the shared change counters (and the pop-up switch) a window
// has acted on. Counters only count up: a window never lowers a flag another
// window has not seen yet.
struct SyncMarks {
    int popupState = 0;
    LONG tabs = 0;
    LONG settings = 0;
    LONG buttons = 0;
    LONG buttonEdits = 0;
    LONG moves = 0;
    long pluginData = 0; // plug-in data stored in this process (PluginDataChanges)
};

struct SyncSnapshot {
    SyncMarks now;            // the switch and the counters as they are
    LONG currentToolbar = 0;  // the shared current toolbar
    int shownToolbar = 0;     // the toolbar this window shows
    SignInSwitch signIn = SignInSwitch::None;
};

struct SyncPlan {
    bool popupSwitched = false;  // the blocker switch moved: its button follows
    bool reloadSettings = false;
    SignInSwitch switchDocuments = SignInSwitch::None;
    std::optional<int> rebuild;  // the toolbar to build the row for
};

// Marks what the plan covers as handled. A document switch rebuilds
// everything; the caller marks the counters after it.
SyncPlan PlanSynchronization(const SyncSnapshot& snapshot, SyncMarks& handled) noexcept;

} // namespace marlin
