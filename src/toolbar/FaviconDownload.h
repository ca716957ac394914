#pragma once
// A new button's site icon, fetched in the background: the browser's window
// thread never waits for a web site. Each download runs on a thread of its
// own with bounded waits and size; what arrives is checked to be an icon,
// written beside its target and moved over it, so that a reader never sees
// half a file. Then every window learns of it through the buttons flag.
#include "platform/Win32.h"

#include <optional>
#include <string>
#include <vector>

namespace marlin {

// Bounds of one download: a silent or endless server is given up on.
inline constexpr DWORD kFaviconTimeoutMs = 5000;       // each connect, send and receive
inline constexpr DWORD kFaviconDeadlineMs = 15000;     // the whole download
inline constexpr size_t kMaxFaviconBytes = 256 * 1024;

// The favicon service asked for a page's link whose site has no icon.
inline constexpr wchar_t kFaviconServiceHost[] = L"www.google.com";
inline constexpr wchar_t kFaviconServicePath[] = L"/s2/favicons?domain=";
// The service's host in use: kFaviconServiceHost unless a test set another.
std::wstring FaviconServiceHost();
void SetFaviconServiceHost(const std::wstring& host);

struct FaviconRequest {
    std::vector<std::wstring> addresses; // tried in order until one gives an icon
    std::wstring targetPath;             // the reserved icon file
    std::wstring iconName;               // its bare name, for the API host
    HWND notify = nullptr;               // told with `message` when the icon is in place
    UINT message = 0;
};

// Starts the download and returns at once; false when no thread could be
// started (the failure is logged as a failed download).
bool StartFaviconDownload(FaviconRequest request);

// The download itself, synchronous (on the worker): the icon's bytes, or
// nothing for a failure, a status other than 200, a timeout or too many bytes.
std::optional<std::string> DownloadBytes(const std::wstring& address, size_t maxBytes, DWORD timeoutMs,
                                         DWORD deadlineMs);

// Downloads still running in this process (tests and benchmarks wait for 0).
long RunningFaviconDownloads() noexcept;

} // namespace marlin
