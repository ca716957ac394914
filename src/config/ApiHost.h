#pragma once
// Short notices to the plug-in API host program MarlinToolbarAPI.exe, which
// runs beside a browser in protected mode and copies the writable data folder's
// changes where they belong. Callers send only while g_bProtectedMode is 1.
#include <string>

namespace marlin {

inline constexpr int kApiMessageDataFolder = 0;
inline constexpr int kApiMessageInstallFolder = 1;
inline constexpr int kApiMessageDocumentSaved = 2;
inline constexpr int kApiMessageDropIcon = 3;
inline constexpr int kApiMessageIniFile = 5;

inline constexpr wchar_t kApiHostWindowTitle[] = L"MarlinToolbarAPI";
inline constexpr wchar_t kApiHostProgram[] = L"MarlinToolbarAPI.exe";
inline constexpr int kApiHostMaxLaunches = 3;

// "<MarlinToolbar><MessageID>id</MessageID><Data>data</Data></MarlinToolbar>",
// the data unescaped.
std::wstring ApiHostMessageText(int id, const std::wstring& data);

// Finds the host (starting it when it is not running, within the limit of
// launches per process) and sends; may wait seconds for the host. Never call
// it while holding a file lock.
void SendToApiHost(int id, const std::wstring& data) noexcept;

// For senders that must not wait (the navigation path): sends only to a host
// that is already running, with a short timeout, and never starts one.
void NotifyApiHostIfRunning(int id, const std::wstring& data) noexcept;

// Forgets the launch count and the first contact (tests).
void ResetApiHostState() noexcept;

} // namespace marlin
