#include "PluginLibrary.h"

#include "config/ErrorLog.h"
#include "config/Messages.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Strings.h"
#include "platform/UniqueHandle.h"

namespace marlin {

namespace {

// A library and what it needs come from its own folder; a missing dependency
// fails the load instead of asking the user.
unique_hmodule LoadPluginLibrary(const std::wstring& path) noexcept
{
    DWORD oldMode = 0;
    const BOOL quiet = ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    unique_hmodule library(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (quiet) ::SetThreadErrorMode(oldMode, nullptr);
    return library;
}

} // namespace

void ShowPluginLoadFailure(PluginCaller caller) noexcept
{
    if (caller == PluginCaller::Manager) {
        Env().ShowMessageBox(nullptr, kFailsToLoadPluginDll, kCaption, MB_OK | MB_ICONERROR);
    } else {
        Env().ShowMessageBox(nullptr, kFailsToLoadDll, kCaption, MB_OK | MB_ICONINFORMATION);
    }
}

FetchOutcome CallFetchData(const PluginRecord& plugin, const RECT& rect, int currentToolbar, PluginCaller caller,
                           const PluginDataSink& store) noexcept
{
    try {
        const auto path = PluginLibraryPath(plugin.id, plugin.name);
        if (!path) {
            LogError(kRiskHigh, ErrorMessages::kPluginPathRefused);
            ShowPluginLoadFailure(caller);
            return FetchOutcome::Refused;
        }
        const unique_hmodule library = LoadPluginLibrary(*path);
        if (!library) {
            ShowPluginLoadFailure(caller);
            return FetchOutcome::NotLoaded;
        }
        const auto fetchData = reinterpret_cast<FetchDataFunction>(::GetProcAddress(library.get(), kFetchDataExport));
        if (!fetchData) return FetchOutcome::NoEntryPoint;

        UniqueBstr answer;
        fetchData(rect, currentToolbar, answer.put());
        // The length is checked before the text is read: a lying length never reaches the copy.
        if (answer.get() && ::SysStringLen(answer.get()) > kMaxPluginDataChars) {
            LogError(kRiskLow, ErrorMessages::kPluginDataTooLarge);
            return FetchOutcome::Rejected;
        }
        const std::wstring data = answer.str();
        answer.reset();
        if (data.empty() || EqualsNoCase(data, L"Empty")) return FetchOutcome::Empty;
        if (store) store(std::to_wstring(plugin.id), std::to_wstring(currentToolbar), data);
        return FetchOutcome::Stored;
    } catch (...) {
        LogError(kRiskLow, ErrorMessages::kPluginCallFailed);
        return FetchOutcome::Rejected;
    }
}

} // namespace marlin
