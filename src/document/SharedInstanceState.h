#pragma once
// Seven 32-bit values shared by every process that loads the module: the
// selected toolbar, the sign-in state and five change flags. Each value is a
// whole word that is only set or compared, so no lock is needed; every
// toolbar window polls them once a second.
#include "platform/Win32.h"

struct SharedInstanceState {
    volatile LONG CurrentToolbar;
    volatile LONG IsLoggedIn;
    volatile LONG TabsChanged;
    volatile LONG ButtonEditChanged;
    volatile LONG SettingsChanged;
    volatile LONG ButtonsChanged;
    volatile LONG MoveToChanged;
};

// The one copy, in a data section that every process mapping the module shares.
SharedInstanceState& SharedState() noexcept;

// Sets every value to 0 (tests).
void ResetSharedState() noexcept;
