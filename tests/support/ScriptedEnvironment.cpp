#include "ScriptedEnvironment.h"

#include <algorithm>
#include <cwchar>
#include <shlwapi.h>
#include <utility>

namespace marlin::test {

namespace {

// Runs the test's script once the real modal dialog is up, from inside its
// own message loop.
constexpr UINT kRunDialogScript = WM_APP + 0x3A1;

struct DialogScriptContext {
    DLGPROC procedure;
    LPARAM param;
    std::function<void(HWND)> script;
};

thread_local DialogScriptContext* t_dialogContext = nullptr;

INT_PTR CALLBACK ScriptedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DialogScriptContext* context = t_dialogContext;
    if (!context) return FALSE;
    if (message == WM_INITDIALOG) {
        INT_PTR result = context->procedure(window, message, wParam, context->param);
        ::PostMessageW(window, kRunDialogScript, 0, 0);
        return result;
    }
    if (message == kRunDialogScript) {
        if (context->script) context->script(window);
        return TRUE;
    }
    return context->procedure(window, message, wParam, lParam);
}

} // namespace

ScriptedEnvironment& ScriptedEnvironment::Instance()
{
    static ScriptedEnvironment instance;
    return instance;
}

void ScriptedEnvironment::Reset()
{
    std::lock_guard guard(m_lock);
    std::wstring windows = std::move(windowsDirectory);
    static_cast<ScriptedState&>(*this) = ScriptedState{};
    windowsDirectory = std::move(windows);
}

int ScriptedEnvironment::ShowMessageBox(HWND, const std::wstring& text, const std::wstring& caption, UINT flags) noexcept
{
    if (whileMessageBoxShown) std::exchange(whileMessageBoxShown, nullptr)();
    std::lock_guard guard(m_lock);
    messageBoxes.push_back({text, caption, flags});
    if (messageBoxAnswers.empty()) return IDOK;
    int answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
    return answer;
}

INT_PTR ScriptedEnvironment::RunModalDialog(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                                            LPARAM param) noexcept
{
    DialogScriptContext context{procedure, param, dialogScript};
    DialogScriptContext* outer = std::exchange(t_dialogContext, &context);
    INT_PTR result = ::DialogBoxParamW(instance, templateName, parent, ScriptedDialogProc, param);
    t_dialogContext = outer;
    return result;
}

BOOL ScriptedEnvironment::GetOpenFileName(OPENFILENAMEW& request) noexcept
{
    std::lock_guard guard(m_lock);
    std::wstring filter;
    for (const wchar_t* part = request.lpstrFilter; part && *part; part += wcslen(part) + 1) {
        filter += (filter.empty() ? L"" : L"|") + std::wstring(part);
    }
    openFileFilters.push_back(filter + ((request.Flags & OFN_FILEMUSTEXIST) ? L" (must exist)" : L""));
    if (openFileAnswer.empty() || openFileAnswer.size() >= request.nMaxFile) return FALSE;
    wcscpy(request.lpstrFile, openFileAnswer.c_str());
    return TRUE;
}

void ScriptedEnvironment::Sleep(DWORD milliseconds) noexcept
{
    std::unique_lock guard(m_lock);
    sleeps.push_back(milliseconds);
    if (!realSleep) return;
    guard.unlock();
    ::Sleep(milliseconds);
}

HRESULT ScriptedEnvironment::IEIsProtectedModeProcess(BOOL* protectedMode) noexcept
{
    std::lock_guard guard(m_lock);
    ++protectedModeQueries;
    if (protectedModeResult == S_OK && protectedMode) *protectedMode = protectedModeAnswer;
    return protectedModeResult;
}

HRESULT ScriptedEnvironment::IEGetWriteableFolderPath(REFGUID, LPWSTR* path) noexcept
{
    if (!path) return E_POINTER;
    *path = nullptr;
    return FAILED(writeableFolderResult) ? writeableFolderResult : ::SHStrDupW(writeableFolder.c_str(), path);
}

BOOL ScriptedEnvironment::GetVersionEx(OSVERSIONINFOW* info) noexcept
{
    if (!versionReadable || !info) return FALSE;
    info->dwPlatformId = osPlatform;
    info->dwMajorVersion = osMajor;
    info->dwMinorVersion = osMinor;
    return TRUE;
}

HINSTANCE ScriptedEnvironment::ShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file,
                                            const wchar_t* parameters, const wchar_t* directory, int show) noexcept
{
    {
        std::lock_guard guard(m_lock);
        shellExecutes.push_back({verb ? verb : L"", file ? file : L"", parameters ? parameters : L"", show});
    }
    if (realShellExecute) return ::ShellExecuteW(owner, verb, file, parameters, directory, show);
    return reinterpret_cast<HINSTANCE>(shellExecuteResult);
}

UINT ScriptedEnvironment::WinExec(const char* commandLine, UINT show) noexcept
{
    std::lock_guard guard(m_lock);
    winExecs.emplace_back(commandLine ? commandLine : "");
    return realWinExec ? ::WinExec(commandLine, show) : 33;
}

SHORT ScriptedEnvironment::GetAsyncKeyState(int key) noexcept
{
    std::lock_guard guard(m_lock);
    return std::find(keysDown.begin(), keysDown.end(), key) != keysDown.end() ? static_cast<SHORT>(0x8000) : 0;
}

bool ScriptedEnvironment::DisplayPopupWindowManagementDialog(HWND) noexcept
{
    std::lock_guard guard(m_lock);
    ++popupSettingsRequests;
    return systemPopupSettings;
}

} // namespace marlin::test
