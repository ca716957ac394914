#pragma once
// Seven 32-bit values shared by every process that loads the module: the
// selected toolbar, the sign-in state and five change flags. Each value is a
// whole word that is only set, incremented or compared, so no lock is needed;
// every toolbar window polls them once a second.
//
// A change flag is raised by counting it up. Each window remembers the value
// it last acted on, so no window ever has to lower a flag, and a change made
// while another window is busy is not lost.
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

// Raises a change flag for every other window.
inline void RaiseChange(volatile LONG& flag) noexcept { ::InterlockedIncrement(&flag); }

// Sets every value to 0 (tests).
void ResetSharedState() noexcept;
