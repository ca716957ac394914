#include "PluginLibrary.h"

#include "GuardedCall.h"

#include "config/ErrorLog.h"
#include "config/Messages.h"
#include "platform/ComTypes.h"
#include "platform/Environment.h"
#include "platform/Strings.h"
#include "platform/Threads.h"
#include "platform/UniqueHandle.h"

#include <atomic>
#include <memory>

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

// One FetchData call, shared by the caller and the call's thread. Whichever of
// them sees the other's end last deletes it: the thread when the caller gave
// up waiting (it then also owns the library and the answer), else the caller.
struct FetchCall {
    enum State { Running, Returned, Faulted, Abandoned };
    FetchDataFunction fetchData = nullptr;
    RECT rect{};
    int toolbar = 0;
    std::wstring data;      // the answer, copied and freed on the call's thread
    bool tooLarge = false;
    HMODULE library = nullptr; // set only when abandoned
    HMODULE self = nullptr;    // this module, held while the thread runs
    DWORD faultCode = 0;
    std::atomic<int> state{Running};
};

void Invoke(void* argument)
{
    auto* call = static_cast<FetchCall*>(argument);
    BSTR answer = nullptr;
    call->fetchData(call->rect, call->toolbar, &answer);
    if (!answer) return;
    // Read and freed here, under the guard: the answer is the library's, and may not be a string at all.
    // The length is checked before the text is read: a lying length never reaches the copy.
    const UINT length = ::SysStringLen(answer);
    call->tooLarge = length > kMaxPluginDataChars;
    if (!call->tooLarge) call->data.assign(answer, length);
    ::SysFreeString(answer);
}

void OnFault(void* argument, DWORD code) noexcept
{
    auto* call = static_cast<FetchCall*>(argument);
    call->faultCode = code;
    // An abandoned call's library faulted: it stays loaded, nobody can vouch for it.
    if (call->state.exchange(FetchCall::Faulted) == FetchCall::Abandoned) delete call;
}

DWORD WINAPI FetchThread(void* argument)
{
    auto* call = static_cast<FetchCall*>(argument);
    const HMODULE self = call->self;
    {
        ComInitScope com; // as on the browser's window thread
        RunGuarded(&Invoke, call, &OnFault);
    }
    if (call->state.exchange(FetchCall::Returned) == FetchCall::Abandoned) {
        ::FreeLibrary(call->library);
        delete call;
    }
    // A thread left running must not outlive the code it runs (a faulted one keeps the module).
    ::FreeLibraryAndExitThread(self, 0);
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
                           const PluginDataSink& store, DWORD timeoutMs) noexcept
{
    try {
        const auto path = PluginLibraryPath(plugin.id, plugin.name);
        if (!path) {
            LogError(kRiskHigh, ErrorMessages::kPluginPathRefused);
            ShowPluginLoadFailure(caller);
            return FetchOutcome::Refused;
        }
        unique_hmodule library = LoadPluginLibrary(*path);
        if (!library) {
            ShowPluginLoadFailure(caller);
            return FetchOutcome::NotLoaded;
        }
        const auto fetchData = reinterpret_cast<FetchDataFunction>(::GetProcAddress(library.get(), kFetchDataExport));
        if (!fetchData) return FetchOutcome::NoEntryPoint;

        auto call = std::make_unique<FetchCall>();
        call->fetchData = fetchData;
        call->rect = rect;
        call->toolbar = currentToolbar;
        call->self = HoldModuleOf(reinterpret_cast<const void*>(&FetchThread));
        if (!call->self) {
            LogError(kRiskLow, ErrorMessages::kPluginCallFailed);
            return FetchOutcome::Rejected;
        }
        const unique_handle thread(::CreateThread(nullptr, 0, &FetchThread, call.get(), 0, nullptr));
        if (!thread) {
            ::FreeLibrary(call->self);
            LogError(kRiskLow, ErrorMessages::kPluginCallFailed);
            return FetchOutcome::Rejected;
        }
        if (!WaitHandlingSentMessages(thread.get(), timeoutMs)) {
            call->library = library.get();
            if (call->state.exchange(FetchCall::Abandoned) == FetchCall::Running) {
                library.release();
                call.release();
                LogError(kRiskLow, ErrorMessages::kPluginCallTimedOut);
                return FetchOutcome::TimedOut;
            }
            // It ended while we gave up: the call is ours again once its thread is gone.
            ::WaitForSingleObject(thread.get(), INFINITE);
        }
        if (call->state == FetchCall::Faulted) {
            LogError(kRiskHigh, Format(L"%ls[0x%08lX]", ErrorMessages::kPluginCallFaulted, call->faultCode));
            return FetchOutcome::Faulted;
        }
        if (call->tooLarge) {
            LogError(kRiskLow, ErrorMessages::kPluginDataTooLarge);
            return FetchOutcome::Rejected;
        }
        const std::wstring& data = call->data;
        if (data.empty() || EqualsNoCase(data, L"Empty")) return FetchOutcome::Empty;
        if (store) store(std::to_wstring(plugin.id), std::to_wstring(currentToolbar), data);
        return FetchOutcome::Stored;
    } catch (...) {
        LogError(kRiskLow, ErrorMessages::kPluginCallFailed);
        return FetchOutcome::Rejected;
    }
}

} // namespace marlin
