// The module's entry points: the loader entry and the four exports.
#include "BandThread.h"
#include "ClassTable.h"
#include "Registration.h"
#include "platform/Module.h"
#include "platform/Strings.h"
#include "platform/Window.h"
#include "toolbar/IconCache.h"

#include <string>

namespace {

// The module is registered as a browser helper object, which the Windows
// shell would load too; it refuses to live there.
bool HostIsWindowsShell() noexcept
{
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    if (length == 0) return false;
    return marlin::ContainsNoCase(std::wstring_view(path, length), L"explorer.exe");
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // At process exit the other threads, and their hooks, are gone already,
        // and other modules may be too: leave everything.
        if (!reserved) {
            // Unloaded (COM does so only once no object is left): only a band
            // that outlived its module could leave a hook, and only the calling
            // thread's is removed here. Another thread's hook is that thread's
            // business; reaching into it under the loader lock would race with
            // its own use.
            marlin::BandThread::DropCallingThreadHook();
            marlin::ReleaseClassFactories();
            marlin::UnregisterWindowClasses();
            marlin::ClearIconCache();
        }
    }
    return HostIsWindowsShell() ? FALSE : TRUE;
}

STDAPI DllCanUnloadNow()
{
    return marlin::ModuleLock::Count() == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID iid, LPVOID* object)
{
    return marlin::GetClassObject(classId, iid, object);
}

STDAPI DllRegisterServer()
{
    return marlin::RegisterServer();
}

STDAPI DllUnregisterServer()
{
    return marlin::UnregisterServer();
}
