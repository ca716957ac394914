#pragma once
// A scratch installation: the data folder (XMLS, Images) as the product's data
// folder, the Windows folder's MarlinToolbar.ini, and the settings key.
#include "Golden.h"
#include "TestIsolation.h"

#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

#include <optional>
#include <string>

namespace marlin::test {

class InstallationFixture : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        data = MakeFolder(L"Data");
        xmls = MakeFolder(L"Data\\XMLS");
        MakeFolder(L"Data\\Images");
        g_ApplicationPath = data;
        windowsIni = env().windowsDirectory + L"\\MarlinToolbar.ini";
        errorLog = xmls + L"MarlinToolbarErrorLog.xml";
    }

    // What the installer writes: ApplicationPath and IsLogin, in the settings key and the ini file.
    void Install(bool signedIn)
    {
        SetSetting(L"ApplicationPath", data);
        SetSetting(L"IsLogin", signedIn ? L"1" : L"0");
        SetIni(L"ApplicationPath", data);
        SetIni(L"IsLogin", signedIn ? L"1" : L"0");
    }

    static void SetSetting(const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ)
    {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSettingsKey, name, type, value.c_str(), bytes), ERROR_SUCCESS);
    }
    static std::optional<std::wstring> Setting(const wchar_t* name)
    {
        return ReadRegistryString(OpenRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_READ).get(), name, 2048);
    }
    void SetIni(const wchar_t* key, const std::wstring& value, const std::wstring& path = {}) const
    {
        ASSERT_TRUE(WriteIniString(path.empty() ? windowsIni : path, kIniSection, key, value));
    }
    std::wstring Ini(const wchar_t* key, const std::wstring& path = {}) const
    {
        return ReadIniString(path.empty() ? windowsIni : path, kIniSection, key, 2048);
    }

    // golden/<name>, the scratch folder written as "%SCRATCH%\".
    void ExpectGolden(const char* name, const std::string& actual) const { test::ExpectGolden(name, actual, scratch()); }

    std::wstring data, xmls, windowsIni, errorLog;
};

} // namespace marlin::test
