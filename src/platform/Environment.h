#pragma once
// The environment seam: the few calls that either cannot run unattended in a
// test (modal interaction, waits) or whose platform piece is missing here (the
// browser's protected mode, its pop-up settings dialog). Everything else is called directly.
//
// One process-wide instance. Product code reaches it through Env(); the real
// one calls Win32. A test links a scripted one in and installs it with
// SetEnvironment; a test program that loads the DLL offers it through the
// exported function named kTestEnvironmentExport, which the DLL's copy of this
// layer looks for in its host program once.
#include "Win32.h"

#include <commdlg.h>

#include <string>

namespace marlin {

class IEnvironment {
public:
    // Modal interaction.
    virtual int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) noexcept = 0;
    // Tracks a pop-up menu and answers the chosen command (0 when none): the
    // caller always receives the command, as with TPM_RETURNCMD.
    virtual UINT TrackPopupMenu(HMENU menu, UINT flags, int x, int y, HWND owner) noexcept = 0;
    virtual INT_PTR RunModalDialog(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure,
                                   LPARAM param) noexcept = 0;
    virtual BOOL GetOpenFileName(OPENFILENAMEW& request) noexcept = 0;
    virtual BOOL AnimateWindow(HWND window, DWORD milliseconds, DWORD flags) noexcept = 0;
    virtual void Sleep(DWORD milliseconds) noexcept = 0;

    // The outside world.
    virtual HRESULT IEIsProtectedModeProcess(BOOL* protectedMode) noexcept = 0;
    // The path comes back allocated with CoTaskMemAlloc; the caller frees it.
    virtual HRESULT IEGetWriteableFolderPath(REFGUID folder, LPWSTR* path) noexcept = 0;
    virtual std::wstring WindowsDirectory() noexcept = 0;
    virtual BOOL GetVersionEx(OSVERSIONINFOW* info) noexcept = 0;
    virtual void GetLocalTime(SYSTEMTIME& time) noexcept = 0;
    virtual BOOL InternetGetConnectedState() noexcept = 0;
    virtual HINSTANCE ShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file, const wchar_t* parameters,
                                   const wchar_t* directory, int show) noexcept = 0;
    virtual UINT WinExec(const char* commandLine, UINT show) noexcept = 0;
    // The keyboard as the user holds it now (Shift, Ctrl...).
    virtual SHORT GetAsyncKeyState(int key) noexcept = 0;
    // Shows the browser's own pop-up settings dialog ("inetcpl.cpl",
    // DisplayPopupWindowManagementDialog) modally; false when the system has
    // none that can be shown (no library, no export, or only a stub).
    virtual bool DisplayPopupWindowManagementDialog(HWND owner) noexcept = 0;

protected:
    ~IEnvironment() = default;
};

// Name of the function a test program exports to script a DLL it loads:
// extern "C" IEnvironment* MarlinToolbarTestEnvironment().
inline constexpr char kTestEnvironmentExport[] = "MarlinToolbarTestEnvironment";
using TestEnvironmentFunction = IEnvironment* (*)();

IEnvironment& Env() noexcept;
// Installs `environment` for this module (nullptr: back to the real one).
void SetEnvironment(IEnvironment* environment) noexcept;
IEnvironment& RealEnvironment() noexcept;

} // namespace marlin
