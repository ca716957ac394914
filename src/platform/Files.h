#pragma once
// Files and folders, ini files, and the cross-process lock that guards a
// read-modify-write of a file shared between browser processes.
#include "UniqueHandle.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace marlin {

bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
// Creates the folder when missing; true when it exists afterwards.
bool EnsureFolder(const std::wstring& path);
std::optional<std::string> ReadFileBytes(const std::wstring& path, size_t maxBytes);
// Folder part of a path, with its trailing backslash ("" when there is none).
// Creates or truncates the file and writes `bytes` into it.
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
std::wstring FolderOf(const std::wstring& path);

// What identifies a file's content cheaply: a save that renames a new file
// over the old one shows as another index, any other write as another size or
// write time. (The volume is left out: asking for it costs half a millisecond
// under Wine, and callers compare the identities of one path.)
struct FileIdentity {
    long long index = 0;
    long long size = 0;
    long long lastWrite = 0;
    bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> QueryFileIdentity(HANDLE file);
std::optional<FileIdentity> QueryFileIdentity(const std::wstring& path);
// Size and last write time only (index 0), read without opening the file:
// enough to notice that a file changed, at a fraction of the cost.
std::optional<FileIdentity> QueryFileStamp(const std::wstring& path);

// Replaces `path` as a whole: `write` fills a temporary file in the same
// folder ("<name>.tmp-<pid>-<tid>"), which is then moved over the old file. A
// crash at any point leaves either the old or the new file, never half of one.
// Temporary files of `path` left by processes that have ended are removed
// first; those of live processes may belong to a save in progress and stay.
bool ReplaceFileAtomically(const std::wstring& path, const std::function<bool(const std::wstring& tempPath)>& write);

// Ini files: a key's text cut to at most maxChars characters, empty default.
std::wstring ReadIniString(const std::wstring& path, const wchar_t* section, const wchar_t* key, DWORD maxChars = 255);
bool WriteIniString(const std::wstring& path, const wchar_t* section, const wchar_t* key, const std::wstring& value);

// A named mutex held for the life of the object. The name is derived from the
// guarded file's path, so every process that edits the same file meets the same
// lock. A lock abandoned by a crashed process is taken over: the file it was
// guarding is intact, because every save is atomic. A lock that is not held
// guards nothing: its owner must not write the file.
class CrossProcessLock {
public:
    static constexpr DWORD kDefaultTimeoutMs = 5000;
    static constexpr int kDefaultAttempts = 2;
    // Waits up to the default timeout, and once more when that runs out.
    explicit CrossProcessLock(const std::wstring& guardedPath);
    CrossProcessLock(const std::wstring& guardedPath, DWORD timeoutMs, int attempts = 1);
    ~CrossProcessLock();
    CrossProcessLock(const CrossProcessLock&) = delete;
    CrossProcessLock& operator=(const CrossProcessLock&) = delete;
    bool held() const noexcept { return m_held; }

    static std::wstring MutexNameFor(const std::wstring& guardedPath);
    // The wait of one default attempt (tests shorten it).
    static DWORD DefaultTimeoutMs() noexcept;
    static void SetDefaultTimeoutMs(DWORD timeoutMs) noexcept;

private:
    HANDLE m_mutex = nullptr; // kept open for the life of the process
    bool m_held = false;
};

} // namespace marlin
