#include "SettingsStore.h"

#include "ApiHost.h"
#include "ErrorLog.h"
#include "InstallPaths.h"
#include "Probes.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

#include <atomic>

using namespace marlin;

namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;
constexpr wchar_t kApplicationPathName[] = L"ApplicationPath";

// A missing settings file is logged when it goes missing, not at every read:
// every window's timer reads settings each second. Per process, once until
// the file is found again.
std::atomic<bool> g_iniMissingOnRead{false};
std::atomic<bool> g_iniMissingOnWrite{false};

bool IniFileFound(const std::wstring& path, std::atomic<bool>& missingNoted, const wchar_t* message)
{
    if (FileExists(path)) {
        g_iniMissingOnRead = false;
        g_iniMissingOnWrite = false;
        return true;
    }
    if (!missingNoted.exchange(true)) LogError(kRiskHigh, message);
    return false;
}

// The data folder is used as a prefix of file names: "C:\mt" would make
// "C:\mtXMLS" of "XMLS".
std::wstring Normalized(const std::wstring& name, std::wstring value)
{
    return name == kApplicationPathName ? WithTrailingBackslash(value) : value;
}

} // namespace

namespace marlin {
void ResetSettingsStoreState() noexcept
{
    g_iniMissingOnRead = false;
    g_iniMissingOnWrite = false;
}

namespace {

thread_local SettingsReads* t_settingsReads = nullptr;

constexpr wchar_t kPopupManagerRead[] = L"PopupMgr";

// The key of a store value among the reads.
std::wstring StoreRead(const std::wstring& name) { return L"MarlinToolbar\\" + name; }

void ForgetRead(const std::wstring& key)
{
    if (t_settingsReads) t_settingsReads->Forget(key);
}

} // namespace

std::optional<std::wstring> SettingsReads::Get(const std::wstring& key,
                                               const std::function<std::optional<std::wstring>()>& read)
{
    if (auto known = m_values.find(key); known != m_values.end()) return known->second;
    std::optional<std::wstring> value = read();
    m_values.emplace(key, value);
    return value;
}

UseSettingsReads::UseSettingsReads(SettingsReads* reads) noexcept : m_previous(t_settingsReads)
{
    t_settingsReads = reads;
}

UseSettingsReads::~UseSettingsReads() { t_settingsReads = m_previous; }

std::optional<std::wstring> ReadSetting(const std::wstring& key,
                                        const std::function<std::optional<std::wstring>()>& read)
{
    return t_settingsReads ? t_settingsReads->Get(key, read) : read();
}
} // namespace marlin

std::wstring CReadRegistryValues::GetRegistryValue(const std::wstring& name) const
{
    return ReadSetting(StoreRead(name), [&]() -> std::optional<std::wstring> {
               std::wstring result;
               if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, kReadWrite);
                   key && !IsVistaOrLater()) {
                   if (auto value = ReadRegistryString(key.get(), name.c_str(), kRegistryValueMaxChars)) {
                       result = Trim(*value);
                   }
               }
               if (result.empty()) return GetMTSettingsFromIniFile(name);
               return Normalized(name, std::move(result));
           })
        .value_or(std::wstring());
}

void CReadRegistryValues::SetRegistryValue(const std::wstring& name, const std::wstring& value) const
{
    ForgetRead(StoreRead(name));
    if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, kReadWrite); key && !IsVistaOrLater()) {
        WriteRegistryString(key.get(), name.c_str(), value);
    }
    SetMTSettingsFromIniFile(name, value);
}

std::wstring CReadRegistryValues::GetMTSettingsFromIniFile(const std::wstring& key) const
{
    const std::wstring path = GetIniFilePath();
    if (!IniFileFound(path, g_iniMissingOnRead, ErrorMessages::kIniNotFoundOnRead)) return {};
    std::wstring name = key;
    if (IsVistaOrLater()) {
        BOOL protectedMode = FALSE;
        IsProtectedModeProcess(protectedMode);
        if (key == kApplicationPathName && protectedMode) name = L"VistaProtectedAppPath";
    }
    return Normalized(key, ReadIniString(path, kIniSection, name.c_str(), kIniValueMaxChars));
}

void CReadRegistryValues::SetMTSettingsFromIniFile(const std::wstring& key, const std::wstring& value) const
{
    ForgetRead(StoreRead(key));
    const std::wstring path = GetIniFilePath();
    if (!IniFileFound(path, g_iniMissingOnWrite, ErrorMessages::kIniNotFoundOnWrite)) return;
    WriteIniString(path, kIniSection, key.c_str(), value);
    if (g_bProtectedMode == 1) SendToApiHost(kApiMessageIniFile, kIniFileName);
}

bool CReadRegistryValues::SaveSetting(const std::wstring& name, const std::wstring& value) const
{
    ForgetRead(StoreRead(name));
    if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, kReadWrite)) {
        WriteRegistryString(key.get(), name.c_str(), value);
    }
    return WriteIniString(Env().WindowsDirectory() + L"\\" + kIniFileName, kIniSection, name.c_str(), value);
}

bool CReadRegistryValues::GetPopupMgr(int& on) const
{
    auto value = ReadSetting(kPopupManagerRead, [] {
        unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, kPopupManagerKey, kReadWrite);
        return ReadRegistryString(key.get(), L"PopupMgr", kRegistryValueMaxChars);
    });
    if (!value) return false;
    on = EqualsNoCase(*value, L"yes") ? 1 : 0;
    return true;
}

bool CReadRegistryValues::SetPopupMgr(int on) const
{
    ForgetRead(kPopupManagerRead);
    unique_hkey browser = OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", kReadWrite);
    if (!browser) return false;
    unique_hkey windows = CreateRegistryKey(browser.get(), L"New Windows", kReadWrite);
    return WriteRegistryString(windows.get(), L"PopupMgr", on ? L"yes" : L"no");
}
