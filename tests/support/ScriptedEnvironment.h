#pragma once
// The environment seam as a test scripts it: records what the product asked
// for and answers what the test chose. Installed for the test program itself
// and offered to a DLL the test loads (MarlinToolbarTestEnvironment).
#include "platform/Environment.h"

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace marlin::test {

struct MessageBoxCall {
    std::wstring text, caption;
    UINT flags = 0;
};

struct ShellExecuteCall {
    std::wstring verb, file, parameters;
    int show = 0;
};

// What a test scripts and what the product asked for; a fresh value is the defaults.
struct ScriptedState {
    // Answers. Defaults: an NT 5.1 (XP) system, not in protected mode,
    // connected, a fixed local time, message boxes answered IDOK, menus
    // dismissed, no system pop-up settings dialog.
    std::deque<int> messageBoxAnswers;
    // Runs while a message box is "shown", before it is answered: what other
    // windows may do meanwhile.
    std::function<void()> whileMessageBoxShown;
    std::function<UINT(HMENU)> chooseMenuCommand;
    std::function<void(HWND)> dialogScript;
    // The open-file dialog: the path it answers ("" : cancelled).
    std::wstring openFileAnswer;
    DWORD osPlatform = VER_PLATFORM_WIN32_NT, osMajor = 5, osMinor = 1;
    bool versionReadable = true;
    HRESULT protectedModeResult = E_NOTIMPL, writeableFolderResult = E_NOTIMPL;
    BOOL protectedModeAnswer = FALSE;
    std::wstring writeableFolder;
    std::wstring windowsDirectory; // a scratch folder, kept by Reset
    SYSTEMTIME localTime{2009, 3, 4, 5, 14, 7, 9, 0};
    BOOL connected = TRUE;
    // ShellExecute: answer with this value, or run the real call when set.
    INT_PTR shellExecuteResult = 42;
    bool realShellExecute = false;
    // WinExec and Sleep: recorded only, or also really run when set.
    bool realWinExec = false, realSleep = false;
    // Keys held down (VK_SHIFT, VK_CONTROL...).
    std::vector<int> keysDown;
    // Whether the system's pop-up settings dialog exists (it does not under Wine).
    bool systemPopupSettings = false;

    // What the product asked for.
    std::vector<MessageBoxCall> messageBoxes;
    std::vector<ShellExecuteCall> shellExecutes;
    std::vector<std::string> winExecs;
    std::vector<DWORD> sleeps;
    std::vector<std::wstring> openFileFilters; // each request's filter, "|" between its parts
    int protectedModeQueries = 0;
    int popupSettingsRequests = 0;
};

class ScriptedEnvironment final : public IEnvironment, public ScriptedState {
public:
    int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) noexcept override;
    UINT TrackPopupMenu(HMENU menu, UINT, int, int, HWND) noexcept override
    {
        return chooseMenuCommand ? chooseMenuCommand(menu) : 0;
    }
    INT_PTR RunModalDialog(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                           LPARAM param) noexcept override;
    BOOL GetOpenFileName(OPENFILENAMEW& request) noexcept override;
    BOOL AnimateWindow(HWND window, DWORD, DWORD) noexcept override { return ::ShowWindow(window, SW_SHOW); }
    void Sleep(DWORD milliseconds) noexcept override;
    HRESULT IEIsProtectedModeProcess(BOOL* protectedMode) noexcept override;
    HRESULT IEGetWriteableFolderPath(REFGUID folder, LPWSTR* path) noexcept override;
    std::wstring WindowsDirectory() noexcept override { return windowsDirectory; }
    BOOL GetVersionEx(OSVERSIONINFOW* info) noexcept override;
    void GetLocalTime(SYSTEMTIME& time) noexcept override { time = localTime; }
    BOOL InternetGetConnectedState() noexcept override { return connected; }
    HINSTANCE ShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                           const wchar_t* directory, int show) noexcept override;
    UINT WinExec(const char* commandLine, UINT show) noexcept override;
    SHORT GetAsyncKeyState(int key) noexcept override;
    bool DisplayPopupWindowManagementDialog(HWND owner) noexcept override;

    // Back to the defaults, keeping the Windows folder.
    void Reset();

    static ScriptedEnvironment& Instance();

private:
    std::mutex m_lock;
};

} // namespace marlin::test
