#pragma once
// Small named settings, kept twice: as string values of
// HKEY_LOCAL_MACHINE\SOFTWARE\MarlinToolbar and as keys of [MTSettings] in
// MarlinToolbar.ini. Reads prefer the registry, writes go to both; on Vista and
// later the registry is bypassed. "ApplicationPath" always reads with its
// trailing backslash. No state of its own beyond noting, per process, that the
// settings file is missing (logged once until it is found again); nothing throws.
#include <string>

class CReadRegistryValues {
public:
    std::wstring GetRegistryValue(const std::wstring& name) const;
    void SetRegistryValue(const std::wstring& name, const std::wstring& value) const;
    std::wstring GetMTSettingsFromIniFile(const std::wstring& key) const;
    void SetMTSettingsFromIniFile(const std::wstring& key, const std::wstring& value) const;
    // Writes the registry (when it opens) and always the Windows folder's ini file;
    // answers whether the file write succeeded.
    bool SaveSetting(const std::wstring& name, const std::wstring& value) const;
    // The browser's own pop-up manager switch.
    bool GetPopupMgr(int& on) const;
    bool SetPopupMgr(int on) const;
};

namespace marlin {
inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\MarlinToolbar";
inline constexpr wchar_t kPopupManagerKey[] = L"Software\\Microsoft\\Internet Explorer\\New Windows";
inline constexpr size_t kRegistryValueMaxChars = 260;
// Forgets that the settings file was found missing (tests).
void ResetSettingsStoreState() noexcept;
} // namespace marlin
