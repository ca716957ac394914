#include "Environment.h"

#include "Module.h"
#include "UniqueHandle.h"

#include <wininet.h>

#include <atomic>
#include <vector>

namespace marlin {

namespace {

using IsProtectedModeFunction = HRESULT(WINAPI*)(BOOL*);
using WriteableFolderFunction = HRESULT(WINAPI*)(REFGUID, LPWSTR*);
using PopupSettingsFunction = void(WINAPI*)(HWND, LPCWSTR);

// Wine's ntdll exports its version; Windows' does not.
bool RunsOnWine() noexcept
{
    static const bool wine = [] {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

// Calls an entry of the browser's frame library, loading it only for the call.
template <typename Function, typename... Args>
HRESULT CallIeFrame(const char* entry, Args... args) noexcept
{
    HMODULE library = ::LoadLibraryW(L"ieframe.dll");
    if (!library) return E_NOTIMPL;
    HRESULT hr = E_NOTIMPL;
    if (auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, entry)))) {
        hr = function(args...);
    }
    ::FreeLibrary(library);
    return hr;
}

class Win32Environment final : public IEnvironment {
public:
    int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) noexcept override
    {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    }

    UINT TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) noexcept override
    {
        return static_cast<UINT>(::TrackPopupMenuEx(menu, flags | TPM_RETURNCMD, x, y, owner, nullptr));
    }

    INT_PTR RunModalDialog(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                           LPARAM param) noexcept override
    {
        return ::DialogBoxParamW(instance, templateName, parent, procedure, param);
    }

    BOOL GetOpenFileName(OPENFILENAMEW& request) noexcept override { return ::GetOpenFileNameW(&request); }

    BOOL AnimateWindow(HWND window, DWORD milliseconds, DWORD flags) noexcept override
    {
        return ::AnimateWindow(window, milliseconds, flags);
    }

    void Sleep(DWORD milliseconds) noexcept override { ::Sleep(milliseconds); }

    HRESULT IEIsProtectedModeProcess(BOOL* protectedMode) noexcept override
    {
        return CallIeFrame<IsProtectedModeFunction>("IEIsProtectedModeProcess", protectedMode);
    }

    HRESULT IEGetWriteableFolderPath(REFGUID folder, LPWSTR* path) noexcept override
    {
        return CallIeFrame<WriteableFolderFunction>("IEGetWriteableFolderPath", folder, path);
    }

    std::wstring WindowsDirectory() noexcept override
    {
        try {
            std::vector<wchar_t> buffer(MAX_PATH + 1);
            UINT length = ::GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
            if (length == 0 || length >= buffer.size()) return {};
            return std::wstring(buffer.data(), length);
        } catch (...) {
            return {};
        }
    }

    BOOL GetVersionEx(OSVERSIONINFOW* info) noexcept override { return ::GetVersionExW(info); }

    void GetLocalTime(SYSTEMTIME& time) noexcept override { ::GetLocalTime(&time); }

    BOOL InternetGetConnectedState() noexcept override
    {
        DWORD flags = 0;
        return ::InternetGetConnectedState(&flags, 0);
    }

    HINSTANCE ShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) noexcept override
    {
        return ::ShellExecuteW(owner, verb, file, parameters, directory, show);
    }

    UINT WinExec(const char* commandLine, UINT show) noexcept override { return ::WinExec(commandLine, show); }

    SHORT GetAsyncKeyState(int key) noexcept override { return ::GetAsyncKeyState(key); }

    bool DisplayPopupWindowManagementDialog(HWND owner) noexcept override
    {
        // Wine exports the entry, but as a stub that raises an exception no
        // handler of ours can catch: the process would end.
        if (RunsOnWine()) return false;
        unique_hmodule library(::LoadLibraryW(L"inetcpl.cpl"));
        if (!library) return false;
        auto display = reinterpret_cast<PopupSettingsFunction>(
            reinterpret_cast<void*>(::GetProcAddress(library.get(), "DisplayPopupWindowManagementDialog")));
        if (!display) return false;
        display(owner, L"");
        return true;
    }
};

std::atomic<IEnvironment*> g_installed{nullptr};

IEnvironment* HostProgramEnvironment() noexcept
{
    // Looked up once: the host program either offers a scripted environment or not.
    static IEnvironment* const offered = []() noexcept -> IEnvironment* {
        HMODULE program = ::GetModuleHandleW(nullptr);
        if (!program || program == ModuleInstance()) return nullptr;
        auto function = reinterpret_cast<TestEnvironmentFunction>(
            reinterpret_cast<void*>(::GetProcAddress(program, kTestEnvironmentExport)));
        return function ? function() : nullptr;
    }();
    return offered;
}

} // namespace

IEnvironment& RealEnvironment() noexcept
{
    static Win32Environment real;
    return real;
}

IEnvironment& Env() noexcept
{
    if (IEnvironment* installed = g_installed.load(std::memory_order_acquire)) return *installed;
    if (IEnvironment* offered = HostProgramEnvironment()) return *offered;
    return RealEnvironment();
}

void SetEnvironment(IEnvironment* environment) noexcept
{
    g_installed.store(environment, std::memory_order_release);
}

} // namespace marlin
