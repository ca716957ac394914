#include "Module.h"

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace marlin {

namespace {
volatile LONG g_moduleLockCount = 0;
}

HINSTANCE ModuleInstance() noexcept
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

std::wstring ModuleFileName()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ModuleLock::Lock() noexcept { ::InterlockedIncrement(&g_moduleLockCount); }
void ModuleLock::Unlock() noexcept { ::InterlockedDecrement(&g_moduleLockCount); }
long ModuleLock::Count() noexcept { return g_moduleLockCount; }

} // namespace marlin
