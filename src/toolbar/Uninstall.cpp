#include "Uninstall.h"

#include "config/ErrorLog.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

namespace marlin {

bool RunUninstall(const std::wstring& installFolder)
{
    if (installFolder.empty()) return false;
    std::wstring command;
    if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ)) {
        command = ReadRegistryString(key.get(), L"UninstallString", 32767).value_or(L"");
    }
    // A missing value still gives the (empty) batch file, run all the same.
    const std::wstring batch = installFolder + L"UnInstall.bat";
    const std::string bytes = ToAnsi(command);
    if (!WriteFileBytes(batch, bytes)) return false;
    const UINT started = Env().WinExec(ToAnsi(batch).c_str(), SW_HIDE);
    Env().Sleep(2000);
    ::DeleteFileW(batch.c_str());
    return started > 31;
}

} // namespace marlin
