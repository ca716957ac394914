#include "Files.h"

#include "Strings.h"

#include <atomic>
#include <cwchar>
#include <map>
#include <mutex>
#include <vector>

namespace marlin {

namespace {
constexpr int kReplaceAttempts = 100;
constexpr DWORD kReplaceRetryMs = 10;
constexpr wchar_t kTempMarker[] = L".tmp-";

std::atomic<DWORD> g_defaultLockTimeoutMs{CrossProcessLock::kDefaultTimeoutMs};

// False only when the process is known to have ended; a process that cannot
// be asked (another user's, for one) counts as alive.
bool ProcessIsAlive(DWORD pid)
{
    unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

// Removes "<path>.tmp-<pid>-<tid>" files whose process has ended: a save that
// was killed half-way leaves its temporary file behind, and nothing else ever
// removes it. A file of a live process may be a save in progress and stays.
void RemoveStaleTemporaryFiles(const std::wstring& path)
{
    const std::wstring folder = FolderOf(path);
    WIN32_FIND_DATAW found;
    unique_find search(::FindFirstFileW((path + kTempMarker + L"*").c_str(), &found));
    if (!search) return;
    do {
        const std::wstring name = found.cFileName;
        const size_t marker = name.rfind(kTempMarker);
        if (marker == std::wstring::npos || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        unsigned long pid = 0, tid = 0;
        wchar_t rest = 0;
        if (std::swscanf(name.c_str() + marker + std::size(kTempMarker) - 1, L"%lu-%lu%lc", &pid, &tid, &rest) != 2) {
            continue;
        }
        if (pid != ::GetCurrentProcessId() && !ProcessIsAlive(pid)) ::DeleteFileW((folder + name).c_str());
    } while (::FindNextFileW(search.get(), &found));
}

} // namespace

bool FileExists(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path)
{
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool EnsureFolder(const std::wstring& path)
{
    if (FolderExists(path)) return true;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path, size_t maxBytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))) {
        return std::nullopt;
    }
    bytes.resize(read);
    return bytes;
}

std::optional<FileIdentity> QueryFileIdentity(HANDLE file)
{
    using QueryInformationFile = LONG(WINAPI*)(HANDLE, void* status, void* information, ULONG length, int kind);
    static const auto query = reinterpret_cast<QueryInformationFile>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationFile")));
    constexpr int kFileInternalInformation = 6;
    struct {
        void* pointer;
        ULONG_PTR information;
    } status{};
    LARGE_INTEGER index{};
    FILE_STANDARD_INFO standard{};
    FILE_BASIC_INFO basic{};
    if (!query || query(file, &status, &index, sizeof(index), kFileInternalInformation) < 0 ||
        !::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)) ||
        !::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic))) {
        return std::nullopt;
    }
    return FileIdentity{index.QuadPart, standard.EndOfFile.QuadPart, basic.LastWriteTime.QuadPart};
}

std::optional<FileIdentity> QueryFileIdentity(const std::wstring& path)
{
    unique_file file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? QueryFileIdentity(file.get()) : std::nullopt;
}

std::optional<FileIdentity> QueryFileStamp(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
    FileIdentity stamp;
    stamp.size = (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp.lastWrite = (static_cast<long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                      data.ftLastWriteTime.dwLowDateTime;
    return stamp;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool ReplaceFileAtomically(const std::wstring& path, const std::function<bool(const std::wstring& tempPath)>& write)
{
    RemoveStaleTemporaryFiles(path);
    std::wstring tempPath = path + kTempMarker + Format(L"%lu-%lu", ::GetCurrentProcessId(), ::GetCurrentThreadId());
    ::DeleteFileW(tempPath.c_str());
    bool written = false;
    try {
        written = write(tempPath);
    } catch (...) {
        written = false;
    }
    if (written && FileExists(tempPath)) {
        // A reader in another window may hold the old file open for a moment;
        // the move waits for it rather than losing the new content.
        for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
            if (::MoveFileExW(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return true;
            }
            const DWORD error = ::GetLastError();
            if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
            ::Sleep(kReplaceRetryMs);
        }
    }
    ::DeleteFileW(tempPath.c_str());
    return false;
}

std::wstring ReadIniString(const std::wstring& path, const wchar_t* section, const wchar_t* key, DWORD maxChars)
{
    if (maxChars == 0) return {};
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    DWORD length = ::GetPrivateProfileStringW(section, key, L"", buffer.data(), maxChars + 1, path.c_str());
    return std::wstring(buffer.data(), length);
}

bool WriteIniString(const std::wstring& path, const wchar_t* section, const wchar_t* key, const std::wstring& value)
{
    return ::WritePrivateProfileStringW(section, key, value.c_str(), path.c_str()) != FALSE;
}

std::wstring CrossProcessLock::MutexNameFor(const std::wstring& guardedPath)
{
    // Mutex names may not contain backslashes; the full path in lower case keeps
    // two spellings of the same file on the same lock.
    std::wstring name = L"MarlinToolbar.FileLock." + ToLowerAscii(guardedPath);
    for (auto& c : name) {
        if (c == L'\\' || c == L'/') c = L'|';
    }
    if (name.size() > MAX_PATH) name.resize(MAX_PATH);
    return name;
}

namespace {

// One mutex handle per lock name for the life of the process: opening and
// closing a named kernel object on every edit costs more than the edit.
HANDLE MutexFor(const std::wstring& name)
{
    static std::mutex lock;
    static auto* handles = new std::map<std::wstring, HANDLE>();
    std::lock_guard guard(lock);
    auto found = handles->find(name);
    if (found != handles->end()) return found->second;
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
    if (mutex) handles->emplace(name, mutex);
    return mutex;
}

} // namespace

DWORD CrossProcessLock::DefaultTimeoutMs() noexcept { return g_defaultLockTimeoutMs; }
void CrossProcessLock::SetDefaultTimeoutMs(DWORD timeoutMs) noexcept { g_defaultLockTimeoutMs = timeoutMs; }

CrossProcessLock::CrossProcessLock(const std::wstring& guardedPath)
    : CrossProcessLock(guardedPath, DefaultTimeoutMs(), kDefaultAttempts)
{
}

CrossProcessLock::CrossProcessLock(const std::wstring& guardedPath, DWORD timeoutMs, int attempts)
    : m_mutex(MutexFor(MutexNameFor(guardedPath)))
{
    for (int attempt = 0; m_mutex && !m_held && attempt < attempts; ++attempt) {
        const DWORD wait = ::WaitForSingleObject(m_mutex, timeoutMs);
        m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
}

CrossProcessLock::~CrossProcessLock()
{
    if (m_held) ::ReleaseMutex(m_mutex);
}

} // namespace marlin
