#include "FaviconDownload.h"

#include "DropRules.h"
#include "config/ApiHost.h"
#include "config/ErrorLog.h"
#include "config/InstallPaths.h"
#include "document/SharedInstanceState.h"
#include "platform/Files.h"
#include "platform/ProcessValue.h"
#include "platform/UniqueHandle.h"

#include <wininet.h>

#include <atomic>
#include <memory>

namespace marlin {

namespace {

using unique_hinternet = UniqueHandle<NullHandleTraits<HINTERNET, &::InternetCloseHandle>>;

std::atomic<long> g_running{0};
ProcessValue<std::wstring> g_serviceHostOverride; // empty: the named host

bool WriteCheckedIcon(const std::wstring& tempPath, const std::string& icon)
{
    if (!WriteFileBytes(tempPath, icon)) return false;
    // What the toolbar will load must load.
    unique_hicon loaded(static_cast<HICON>(::LoadImageW(nullptr, tempPath.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
    return static_cast<bool>(loaded);
}

void RunDownload(const FaviconRequest& request)
{
    bool placed = false;
    for (const std::wstring& address : request.addresses) {
        const auto bytes = DownloadBytes(address, kMaxFaviconBytes, kFaviconTimeoutMs, kFaviconDeadlineMs);
        const auto icon = bytes ? AsIconFile(*bytes) : std::nullopt;
        if (!icon) continue;
        placed = ReplaceFileAtomically(request.targetPath,
                                       [&](const std::wstring& temp) { return WriteCheckedIcon(temp, *icon); });
        if (placed) break;
    }
    if (placed) {
        // Every window shows the new picture at its next tick; this one at once.
        RaiseChange(SharedState().ButtonsChanged);
        if (request.notify) ::PostMessageW(request.notify, request.message, 0, 0);
    } else {
        LogError(kRiskLow, ErrorMessages::kDropFaviconFailed);
    }
    if (g_bProtectedMode == 1) SendToApiHost(kApiMessageDropIcon, placed ? request.iconName : kDropFailedIcon);
}

DWORD WINAPI DownloadThread(void* parameter) noexcept
{
    std::unique_ptr<FaviconRequest> request(static_cast<FaviconRequest*>(parameter));
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&DownloadThread), &self);
    try {
        RunDownload(*request);
    } catch (...) {
        LogError(kRiskLow, ErrorMessages::kDropFaviconFailed);
    }
    request.reset();
    --g_running;
    // The reference taken when the thread started keeps the code here until now.
    ::FreeLibraryAndExitThread(self, 0);
}

} // namespace

std::wstring FaviconServiceHost()
{
    std::wstring host = g_serviceHostOverride.get();
    return host.empty() ? kFaviconServiceHost : host;
}

void SetFaviconServiceHost(const std::wstring& host) { g_serviceHostOverride = host; }

long RunningFaviconDownloads() noexcept { return g_running.load(); }

std::optional<std::string> DownloadBytes(const std::wstring& address, size_t maxBytes, DWORD timeoutMs,
                                         DWORD deadlineMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + deadlineMs;
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
    std::wstring path(kMaxDroppedAddress + 1, L'\0');
    URL_COMPONENTSW parts{sizeof(parts)};
    parts.lpszHostName = host;
    parts.dwHostNameLength = INTERNET_MAX_HOST_NAME_LENGTH;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    std::wstring extra(kMaxDroppedAddress + 1, L'\0');
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (address.size() > kMaxDroppedAddress || !::InternetCrackUrlW(address.c_str(), 0, 0, &parts) ||
        parts.nScheme != INTERNET_SCHEME_HTTP) {
        return std::nullopt;
    }
    path.resize(parts.dwUrlPathLength);
    path += extra.substr(0, parts.dwExtraInfoLength); // the query
    unique_hinternet session(::InternetOpenW(L"Marlin Toolbar", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    ::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeoutMs, sizeof(timeoutMs));
    unique_hinternet connection(::InternetConnectW(session.get(), host, parts.nPort, nullptr, nullptr,
                                                   INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return std::nullopt;
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH;
    const wchar_t* accept[] = {L"image/*", L"*/*", nullptr};
    unique_hinternet request(::HttpOpenRequestW(connection.get(), L"GET", path.c_str(), nullptr, nullptr, accept, flags, 0));
    if (!request) return std::nullopt;
    // Set on the request itself: the session's values do not reach it everywhere.
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT}) {
        ::InternetSetOptionW(request.get(), option, &timeoutMs, sizeof(timeoutMs));
    }
    if (!::HttpSendRequestW(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status != 200) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[8192];
    for (;;) {
        if (::GetTickCount64() > deadline) return std::nullopt;
        DWORD read = 0;
        if (!::InternetReadFile(request.get(), buffer, sizeof(buffer), &read)) return std::nullopt;
        if (read == 0) break;
        if (bytes.size() + read > maxBytes) return std::nullopt;
        bytes.append(buffer, read);
    }
    return bytes;
}

bool StartFaviconDownload(FaviconRequest request)
{
    auto owned = std::make_unique<FaviconRequest>(std::move(request));
    // The thread holds the module until it has ended: an unload meanwhile
    // would leave it running code that is gone.
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&DownloadThread), &self)) {
        LogError(kRiskLow, ErrorMessages::kDropFaviconFailed);
        return false;
    }
    ++g_running;
    unique_handle thread(::CreateThread(nullptr, 0, &DownloadThread, owned.get(), 0, nullptr));
    if (!thread) {
        --g_running;
        ::FreeLibrary(self);
        LogError(kRiskLow, ErrorMessages::kDropFaviconFailed);
        return false;
    }
    owned.release();
    return true;
}

} // namespace marlin
