#pragma once
// Small named settings, kept twice: as string values of
// HKEY_LOCAL_MACHINE\SOFTWARE\MarlinToolbar and as keys of [MTSettings] in
// MarlinToolbar.ini. Reads prefer the registry, writes go to both; on Vista and
// later the registry is bypassed. "ApplicationPath" always reads with its
// trailing backslash. No state of its own beyond noting, per process, that the
// settings file is missing (logged once until it is found again), and the
// values a band load has read (SettingsReads, below); nothing throws.
#include <functional>
#include <map>
#include <optional>
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

// The settings one band load reads, each read once: several parts of the
// start-up ask for the same registry values (about 0.1 ms each under Wine).
// While a SettingsReads is in use on the calling thread, the store's reads
// (GetRegistryValue, GetPopupMgr) and ThemeActiveSetting read each value once
// and answer it again from here; a write through the store forgets the value
// it wrote. A band keeps one from SetSite until it is first shown, in use only
// within its own calls: the synchronisation timer reads afresh.
class SettingsReads {
public:
    // The value of `key` as read first, reading it with `read` the first time.
    std::optional<std::wstring> Get(const std::wstring& key,
                                    const std::function<std::optional<std::wstring>()>& read);
    void Forget(const std::wstring& key) { m_values.erase(key); }
    void Clear() noexcept { m_values.clear(); }

private:
    std::map<std::wstring, std::optional<std::wstring>> m_values;
};

// Puts `reads` in use on the calling thread for the scope (null: none, every
// read goes to the registry), and the previous one back at its end.
class UseSettingsReads {
public:
    explicit UseSettingsReads(SettingsReads* reads) noexcept;
    ~UseSettingsReads();
    UseSettingsReads(const UseSettingsReads&) = delete;
    UseSettingsReads& operator=(const UseSettingsReads&) = delete;

private:
    SettingsReads* m_previous;
};

// Reads `key` with `read`, through the thread's SettingsReads when one is in use.
std::optional<std::wstring> ReadSetting(const std::wstring& key,
                                        const std::function<std::optional<std::wstring>()>& read);
} // namespace marlin
