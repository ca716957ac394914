#pragma once
// Plug-in SDK work on a thread of its own, waited for within a bound. The SDK
// is a component outside the product and may hang; a browser window's thread
// must not hang with it.
#include "platform/Win32.h"

#include <functional>

namespace marlin {

// Long enough for a healthy SDK (its DLL loaded cold, a few calls); short of
// the 5 s after which the system counts a window that takes no input as not
// responding.
inline constexpr DWORD kSdkCallTimeoutMs = 3000;

// Runs `work` on a new thread with COM initialised apartment-threaded there:
// the work makes, uses and releases its own SDK object on it, so an
// apartment-model in-process object is called directly. This thread waits up
// to the bound, handling the messages sent to its windows. True when the work
// ended within the bound. On timeout the work is left to finish (what it
// writes must live in state it co-owns; its thread keeps this module loaded),
// the SDK is marked as not answering (logged once), and every later call in
// the process answers false at once without running its work.
bool RunSdkCall(std::function<void()> work) noexcept;

// Tests: installs the bound (0: the default) and answers the one it replaced.
DWORD SetSdkCallTimeout(DWORD timeoutMs) noexcept;
// Tests: forgets the not-answering mark and the installed bound.
void ResetSdkCallState() noexcept;

} // namespace marlin
