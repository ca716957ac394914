#pragma once
// Runs a function so that a structured exception (an access violation, a C++
// exception nobody caught) raised inside it ends only the calling thread,
// never the process: for code the product does not trust, on a thread of its own.
#include "platform/Win32.h"

namespace marlin {

using GuardedFunction = void (*)(void* argument);
// Called on the faulting thread, in the exception's search pass, with the
// exception's code; the thread then ends with kGuardedCallFaultExit.
using GuardedFaultHandler = void (*)(void* argument, DWORD exceptionCode) noexcept;

inline constexpr DWORD kGuardedCallFaultExit = 0xFA017;

// Returns when `function` returns. When an exception that is an error escapes
// it, `onFault` runs and the thread ends there: nothing the function left on
// the stack is unwound. Use only on threads made for the call.
void RunGuarded(GuardedFunction function, void* argument, GuardedFaultHandler onFault) noexcept;

} // namespace marlin
