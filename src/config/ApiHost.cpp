#include "ApiHost.h"

#include "InstallPaths.h"
#include "platform/Environment.h"

#include <atomic>

namespace marlin {

namespace {

std::atomic<int> g_launchAttempts{0};
std::atomic<bool> g_firstContactMade{false};

// A host that stops answering must not freeze the browser window that sends.
constexpr UINT kSendTimeoutMs = 5000;
// Senders on the navigation path give a running host only a moment.
constexpr UINT kQuickSendTimeoutMs = 200;
// How long a freshly started host gets to show its window.
constexpr DWORD kStartWaitMs = 3000;
constexpr DWORD kStartPollMs = 25;

HWND FindHostWindow() noexcept { return ::FindWindowW(nullptr, kApiHostWindowTitle); }

bool LaunchHost() noexcept
{
    try {
        const std::wstring program = g_InstallPath.get() + kApiHostProgram;
        HINSTANCE result = Env().ShellExecute(nullptr, L"open", program.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    } catch (...) {
        return false;
    }
}

void WaitForHostWindow() noexcept
{
    for (DWORD waited = 0; waited < kStartWaitMs; waited += kStartPollMs) {
        if (FindHostWindow()) return;
        ::Sleep(kStartPollMs);
    }
}

// A message with empty data is never sent.
void Deliver(HWND host, int id, const std::wstring& payload, UINT timeoutMs)
{
    if (payload.empty()) return;
    const std::wstring text = ApiHostMessageText(id, payload);
    COPYDATASTRUCT data{};
    data.dwData = 0;
    // The first byte of the terminating null travels with the text, not both.
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t) + 1);
    data.lpData = const_cast<wchar_t*>(text.c_str());
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(host, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, timeoutMs, &answer);
}

// First contact with a host window announces the two folders.
void DeliverWithFirstContact(HWND host, int id, const std::wstring& data, UINT timeoutMs) noexcept
{
    try {
        if (!g_firstContactMade.exchange(true)) {
            Deliver(host, kApiMessageDataFolder, g_ApplicationPath.get(), timeoutMs);
            Deliver(host, kApiMessageInstallFolder, g_InstallPath.get(), timeoutMs);
        }
        Deliver(host, id, data, timeoutMs);
    } catch (...) {
    }
}

} // namespace

std::wstring ApiHostMessageText(int id, const std::wstring& data)
{
    return L"<MarlinToolbar><MessageID>" + std::to_wstring(id) + L"</MessageID><Data>" + data +
           L"</Data></MarlinToolbar>";
}

void SendToApiHost(int id, const std::wstring& data) noexcept
{
    try {
        HWND host = FindHostWindow();
        if (!host) {
            g_firstContactMade = false;
            bool started = false;
            while (!started && g_launchAttempts < kApiHostMaxLaunches) {
                ++g_launchAttempts;
                started = LaunchHost();
            }
            if (!started) return;
            // Give the new host a moment to show its window; if it still has
            // none, the retry starts it again within the limit of attempts.
            WaitForHostWindow();
            SendToApiHost(id, data);
            return;
        }
        DeliverWithFirstContact(host, id, data, kSendTimeoutMs);
    } catch (...) {
    }
}

void NotifyApiHostIfRunning(int id, const std::wstring& data) noexcept
{
    HWND host = FindHostWindow();
    if (!host) {
        g_firstContactMade = false;
        return;
    }
    DeliverWithFirstContact(host, id, data, kQuickSendTimeoutMs);
}

void ResetApiHostState() noexcept
{
    g_launchAttempts = 0;
    g_firstContactMade = false;
}

} // namespace marlin
