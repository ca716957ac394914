#include "SettingsStore.h"

#include "ApiHost.h"
#include "ErrorLog.h"
#include "InstallPaths.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

using namespace marlin;

namespace {

constexpr REGSAM kReadWrite = KEY_READ | KEY_WRITE;

bool IsVista() { return g_OSName.get() == L"Vista"; }

} // namespace

std::wstring CReadRegistryValues::GetRegistryValue(const std::wstring& name) const
{
    std::wstring result;
    if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, kReadWrite); key && !IsVista()) {
        if (auto value = ReadRegistryString(key.get(), name.c_str(), kRegistryValueMaxChars)) result = Trim(*value);
    }
    if (result.empty()) result = GetMTSettingsFromIniFile(name);
    return result;
}

void CReadRegistryValues::SetRegistryValue(const std::wstring& name, const std::wstring& value) const
{
    if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, kReadWrite); key && !IsVista()) {
        WriteRegistryString(key.get(), name.c_str(), value);
    }
    SetMTSettingsFromIniFile(name, value);
}

std::wstring CReadRegistryValues::GetMTSettingsFromIniFile(const std::wstring& key) const
{
    const std::wstring path = GetIniFilePath();
    if (!FileExists(path)) {
        LogError(kRiskHigh, ErrorMessages::kIniNotFoundOnRead);
        return {};
    }
    std::wstring name = key;
    if (IsVista()) {
        BOOL protectedMode = FALSE;
        IsProtectedModeProcess(protectedMode);
        if (key == L"ApplicationPath" && protectedMode) name = L"VistaProtectedAppPath";
    }
    return ReadIniString(path, kIniSection, name.c_str(), kIniValueMaxChars);
}

void CReadRegistryValues::SetMTSettingsFromIniFile(const std::wstring& key, const std::wstring& value) const
{
    const std::wstring path = GetIniFilePath();
    if (!FileExists(path)) {
        LogError(kRiskHigh, ErrorMessages::kIniNotFoundOnWrite);
        return;
    }
    WriteIniString(path, kIniSection, key.c_str(), value);
    if (g_bProtectedMode == 1) SendToApiHost(kApiMessageIniFile, kIniFileName);
}

bool CReadRegistryValues::SaveSetting(const std::wstring& name, const std::wstring& value) const
{
    if (unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, kReadWrite)) {
        WriteRegistryString(key.get(), name.c_str(), value);
    }
    return WriteIniString(Env().WindowsDirectory() + L"\\" + kIniFileName, kIniSection, name.c_str(), value);
}

bool CReadRegistryValues::GetPopupMgr(int& on) const
{
    unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, kPopupManagerKey, kReadWrite);
    auto value = ReadRegistryString(key.get(), L"PopupMgr", kRegistryValueMaxChars);
    if (!value) return false;
    on = EqualsNoCase(*value, L"yes") ? 1 : 0;
    return true;
}

bool CReadRegistryValues::SetPopupMgr(int on) const
{
    unique_hkey browser = OpenRegistryKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", kReadWrite);
    if (!browser) return false;
    unique_hkey windows = CreateRegistryKey(browser.get(), L"New Windows", kReadWrite);
    return WriteRegistryString(windows.get(), L"PopupMgr", on ? L"yes" : L"no");
}
