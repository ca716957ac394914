#pragma once
// Waiting for work left to another thread without freezing this thread's windows.
#include "Win32.h"

namespace marlin {

// Waits up to `timeoutMs` for `handle`, handling the messages other threads
// send to this thread's windows meanwhile (the work waited for may send to
// them). True when `handle` was signalled.
bool WaitHandlingSentMessages(HANDLE handle, DWORD timeoutMs) noexcept;

// A reference of its own to the module holding `address`, for a thread that
// may outlive its caller: it ends with FreeLibraryAndExitThread. Null on failure.
HMODULE HoldModuleOf(const void* address) noexcept;

} // namespace marlin
