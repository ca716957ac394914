#pragma once
// The two folders every file lives under, and the writable copy of the data
// folder that a browser in protected mode works on.
#include "platform/ProcessValue.h"

#include <atomic>
#include <string>

// Process-wide folder values; folders end with "\" when set.
extern marlin::ProcessValue<std::wstring> g_ApplicationPath; // data folder
extern marlin::ProcessValue<std::wstring> g_InstallPath;     // installation folder
extern marlin::ProcessValue<std::wstring> g_OSName;          // see GetOSName
extern std::atomic<int> g_bProtectedMode;                    // 1 once the writable copy is in use

namespace marlin {

inline constexpr wchar_t kIniFileName[] = L"MarlinToolbar.ini";
inline constexpr wchar_t kIniSection[] = L"MTSettings";
inline constexpr DWORD kIniValueMaxChars = 255;

// The browser's answer, cached once it answered S_OK or E_NOTIMPL; any other
// result is passed on and asked again next time. `protectedMode` is left as
// the caller set it when the answer is not S_OK.
HRESULT IsProtectedModeProcess(BOOL& protectedMode);

std::wstring GetIniFilePath();
bool GetIniApplicationPath(std::wstring& path);

// Builds and seeds the writable tree when the process is in protected mode,
// and points g_ApplicationPath at it. Always answers 1.
int SetUpProtectedModeFolders();

// g_ApplicationPath and g_InstallPath as the settings store gives them, read at
// every start-up before the settings document.
void InitApplicationFolders();

// The paths the toolbar window works with, resolved at its creation (the
// browser's version and the screen's width once per process).
struct ToolbarPaths {
    std::wstring browserVersion;
    wchar_t browserVersionFirstChar = L'\0';
    int screenWidth = 0;
    std::wstring visitedUrlLogPath;
    bool signedIn = false; // "IsLogin" is exactly "1"
    std::wstring imageFolder;
    std::wstring basicDocumentPath;
    std::wstring loginDocumentPath;
};
ToolbarPaths InitToolbarPaths();

// The Images folder the toolbar's icons are looked up in.
std::wstring ImageFolder();

// Folder of skin number `skin`, and the list of skins (Skins\MTSkins.xml);
// "" while the folder they belong to is unknown.
std::wstring SkinFolder(int skin);
std::wstring SkinDatabasePath();

// Forgets the cached protected-mode answer, the browser's version and the
// folder values (tests, and a module that starts over).
void ResetInstallPathsState();

} // namespace marlin
