#pragma once
// Module-wide state: the instance handle and the count of live objects and
// server locks that DllCanUnloadNow reads.
#include "Win32.h"

#include <string>

namespace marlin {

// The module (DLL or program) this code is linked into.
HINSTANCE ModuleInstance() noexcept;
std::wstring ModuleFileName();

class ModuleLock {
public:
    static void Lock() noexcept;
    static void Unlock() noexcept;
    static long Count() noexcept;
};

} // namespace marlin
