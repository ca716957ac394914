#include "SharedInstanceState.h"

#include <initializer_list>

namespace {
// Initialised data: a shared section must not be .bss, or each process gets its own.
__attribute__((section(".shared"), shared)) SharedInstanceState g_sharedState = {0, 0, 0, 0, 0, 0, 0};
} // namespace

SharedInstanceState& SharedState() noexcept { return g_sharedState; }

void ResetSharedState() noexcept
{
    SharedInstanceState& state = g_sharedState;
    for (volatile LONG* value : {&state.CurrentToolbar, &state.IsLoggedIn, &state.TabsChanged,
                                 &state.ButtonEditChanged, &state.SettingsChanged, &state.ButtonsChanged,
                                 &state.MoveToChanged}) {
        ::InterlockedExchange(value, 0);
    }
}
