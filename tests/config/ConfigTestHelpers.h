#pragma once
// Small raw-Win32 helpers shared by the configuration tests: they read and
// write the stores directly, not through the code under test.
#include "support/TestIsolation.h"

#include "platform/XmlDom.h"

#include <optional>
#include <string>
#include <vector>

namespace marlin::test {

inline constexpr wchar_t kSettingsKeyPath[] = L"SOFTWARE\\MarlinToolbar";

inline void SetIni(const std::wstring& path, const wchar_t* key, const std::wstring& value)
{
    ASSERT_TRUE(::WritePrivateProfileStringW(L"MTSettings", key, value.c_str(), path.c_str()));
}

inline std::wstring GetIni(const std::wstring& path, const wchar_t* key)
{
    wchar_t buffer[2048] = {};
    DWORD length = ::GetPrivateProfileStringW(L"MTSettings", key, L"", buffer, 2048, path.c_str());
    return std::wstring(buffer, length);
}

// The key names of [MTSettings] in file order.
inline std::vector<std::wstring> IniKeys(const std::wstring& path)
{
    wchar_t buffer[4096] = {};
    DWORD length = ::GetPrivateProfileStringW(L"MTSettings", nullptr, L"", buffer, 4096, path.c_str());
    std::vector<std::wstring> keys;
    for (const wchar_t* p = buffer; p < buffer + length && *p; p += wcslen(p) + 1) keys.emplace_back(p);
    return keys;
}

inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void SetRegistryData(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
}

inline void SetRegistryText(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& value,
                            DWORD type = REG_SZ)
{
    SetRegistryData(root, path, name, type, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// The REG_SZ value, or nothing when the key or value is missing.
inline std::optional<std::wstring> RegistryText(HKEY root, const wchar_t* path, const wchar_t* name)
{
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer);
    if (::RegGetValueW(root, path, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return std::nullopt;
    return std::wstring(buffer);
}

inline bool RegistryKeyPresent(HKEY root, const wchar_t* path)
{
    HKEY key = nullptr;
    return ::RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS && ::RegCloseKey(key) == ERROR_SUCCESS;
}

struct LogEntry {
    std::vector<std::wstring> attributeNames;
    std::wstring risk;
    std::wstring timestamp;
    std::wstring text;
};

// The entries of an error log, or nothing when it does not load as MTRoot of Error elements.
inline std::optional<std::vector<LogEntry>> ReadErrorLog(const std::wstring& path)
{
    auto document = XmlDocument::Create();
    if (!document || !document->Load(path)) return std::nullopt;
    XmlElement root = document->Root();
    if (!root || NodeName(root.Get()) != L"MTRoot") return std::nullopt;
    std::vector<LogEntry> entries;
    for (const XmlElement& error : ChildElements(root.Get())) {
        if (NodeName(error.Get()) != L"Error") return std::nullopt;
        LogEntry entry;
        for (long i = 0; i < AttributeCount(error.Get()); ++i) entry.attributeNames.push_back(AttributeAt(error.Get(), i)->first);
        entry.risk = GetAttribute(error.Get(), L"risk").value_or(L"<none>");
        entry.timestamp = GetAttribute(error.Get(), L"timestamp").value_or(L"<none>");
        entry.text = GetText(error.Get());
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Restores the current folder when it goes out of scope.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& folder)
    {
        wchar_t buffer[MAX_PATH * 2] = {};
        ::GetCurrentDirectoryW(MAX_PATH * 2, buffer);
        m_previous = buffer;
        ::SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentFolderScope() { ::SetCurrentDirectoryW(m_previous.c_str()); }

private:
    std::wstring m_previous;
};

} // namespace marlin::test
