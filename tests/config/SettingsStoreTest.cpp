// The settings store: registry first, then MarlinToolbar.ini; the Vista rules;
// the browser's pop-up manager switch.
#include "ConfigTestHelpers.h"

#include "config/InstallPaths.h"
#include "config/SettingsStore.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class SettingsStoreTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        data = MakeFolder(L"Data");
        MakeFolder(L"Data\\XMLS");
        g_ApplicationPath = data;
        windowsIni = env().windowsDirectory + L"\\MarlinToolbar.ini";
    }

    std::wstring ErrorLog() const { return data + L"XMLS\\MarlinToolbarErrorLog.xml"; }

    std::wstring data;
    std::wstring windowsIni;
    CReadRegistryValues store;
};

TEST_F(SettingsStoreTest, ReadsPreferTheRegistryAndFallBackToTheFile)
{
    SetIni(windowsIni, L"ApplicationPath", L"C:\\FromFile");
    SetIni(windowsIni, L"IsLogin", L"1");
    SetIni(windowsIni, L"btbho", L"file-btbho");
    SetIni(windowsIni, L"WndSize", L"640");
    SetIni(windowsIni, L"KeyWords", std::wstring(300, L'w'));

    // No registry key at all: the file answers.
    EXPECT_EQ(store.GetRegistryValue(L"ApplicationPath"), L"C:\\FromFile\\");

    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"ApplicationPath", L" \t C:\\FromRegistry  ");
    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"btbho", L"    ");
    const DWORD number = 5;
    SetRegistryData(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"WndSize", REG_DWORD, &number, sizeof(number));
    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"Pkey", std::wstring(300, L'k'));
    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"SearchSite", L"%WINDIR%\\x", REG_EXPAND_SZ);

    EXPECT_EQ(store.GetRegistryValue(L"ApplicationPath"), L"C:\\FromRegistry\\"); // trimmed, backslash added
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"1");                        // key there, value not
    EXPECT_EQ(store.GetRegistryValue(L"btbho"), L"file-btbho");                 // blanks only
    EXPECT_EQ(store.GetRegistryValue(L"WndSize"), L"640");                      // wrong type
    EXPECT_EQ(store.GetRegistryValue(L"Pkey"), std::wstring(260, L'k'));
    EXPECT_EQ(store.GetRegistryValue(L"SearchSite"), L"%WINDIR%\\x");           // not expanded
    EXPECT_EQ(store.GetRegistryValue(L"Nowhere"), L"");
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"KeyWords"), std::wstring(255, L'w'));
    // The file existed throughout: nothing to report.
    EXPECT_FALSE(Exists(ErrorLog()));
}

TEST_F(SettingsStoreTest, WritesGoToBothStoresButVistaBypassesTheRegistry)
{
    SetIni(windowsIni, L"IsLogin", L"0");

    // Without the key only the file is written, and the key is not made.
    store.SetRegistryValue(L"IsLogin", L"1");
    EXPECT_EQ(GetIni(windowsIni, L"IsLogin"), L"1");
    EXPECT_FALSE(RegistryKeyPresent(HKEY_LOCAL_MACHINE, kSettingsKeyPath));

    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"btbho", L"1");
    store.SetRegistryValue(L"IsLogin", L"both");
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"IsLogin"), L"both");
    EXPECT_EQ(GetIni(windowsIni, L"IsLogin"), L"both");

    env().osMajor = 6;
    env().osMinor = 0;
    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"IsLogin", L"registry");
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"both");
    store.SetRegistryValue(L"IsLogin", L"vista");
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"IsLogin"), L"registry");
    EXPECT_EQ(GetIni(windowsIni, L"IsLogin"), L"vista");
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"vista");

    // The version decides, not the OS name.
    env().osMajor = 5;
    g_OSName = std::wstring(L"Vista");
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"registry");
}

TEST_F(SettingsStoreTest, VistaAndLaterInProtectedModeUseTheWritableIniFile)
{
    env().protectedModeResult = S_OK;
    env().protectedModeAnswer = TRUE;
    const std::wstring low = MakeFolder(L"Low\\MarlinToolbar\\MarlinToolbar");
    const std::wstring lowIni = low + L"MarlinToolbar.ini";
    g_ApplicationPath = low;
    SetIni(lowIni, L"ApplicationPath", L"C:\\Install");
    SetIni(lowIni, L"VistaProtectedAppPath", low.substr(0, low.size() - 1));
    SetIni(lowIni, L"IsLogin", L"1");
    SetIni(windowsIni, L"ApplicationPath", L"C:\\WindowsIni\\");
    SetIni(windowsIni, L"IsLogin", L"0");
    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"ApplicationPath", L"C:\\Registry\\");

    // Before Vista the Windows folder's file serves, protected or not.
    EXPECT_EQ(GetIniFilePath(), windowsIni);
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"ApplicationPath"), L"C:\\WindowsIni\\");

    env().osMajor = 6;
    env().osMinor = 1;
    EXPECT_EQ(GetIniFilePath(), lowIni);
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"ApplicationPath"), low);
    EXPECT_EQ(store.GetRegistryValue(L"ApplicationPath"), low);
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"IsLogin"), L"1");
    std::wstring install;
    EXPECT_TRUE(GetIniApplicationPath(install));
    EXPECT_EQ(install, L"C:\\Install\\");

    store.SetMTSettingsFromIniFile(L"IsLogin", L"0");
    EXPECT_EQ(GetIni(lowIni, L"IsLogin"), L"0");
    store.SetMTSettingsFromIniFile(L"WndSize", L"300");
    EXPECT_EQ(GetIni(lowIni, L"WndSize"), L"300");
    EXPECT_EQ(GetIni(windowsIni, L"WndSize"), L"");

    // SaveSetting always writes the Windows folder's file, and the registry even on Vista.
    EXPECT_TRUE(store.SaveSetting(L"IsLogin", L"saved"));
    EXPECT_EQ(GetIni(windowsIni, L"IsLogin"), L"saved");
    EXPECT_EQ(GetIni(lowIni, L"IsLogin"), L"0");
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"IsLogin"), L"saved");
}

TEST_F(SettingsStoreTest, MissingIniFileIsLoggedWhenItGoesMissingAndNeverCreated)
{
    ASSERT_FALSE(Exists(windowsIni));
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"");
        store.SetMTSettingsFromIniFile(L"IsLogin", L"1");
    }
    EXPECT_FALSE(Exists(windowsIni));

    auto entries = ReadErrorLog(ErrorLog());
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 2u) << "once per condition, not at every read";
    EXPECT_EQ((*entries)[0].risk, L"1");
    EXPECT_EQ((*entries)[0].text, L"[CReadRegistryValues][GetMTSettingsFromIniFile][Failed to Initialize Application "
                                  L"Settings. Ini File Not Found.]");
    EXPECT_EQ((*entries)[1].risk, L"1");
    EXPECT_EQ((*entries)[1].text, L"[CReadRegistryValues][SetMTSettingsFromIniFile][Failed to Initialize Application "
                                  L"Settings. Ini File Not Found.]");

    // Found, then gone again: logged again, once.
    SetIni(windowsIni, L"IsLogin", L"1");
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"1");
    ASSERT_TRUE(::DeleteFileW(windowsIni.c_str()));
    for (int tick = 0; tick < 2; ++tick) store.GetRegistryValue(L"IsLogin");
    EXPECT_EQ(ReadErrorLog(ErrorLog())->size(), 3u);
}

TEST_F(SettingsStoreTest, BrokenOrEmptyIniFileReadsAsEmpty)
{
    static const char garbage[] = "\xff\xfe\x00[MTSett\x01\r\nIsLogin\r\n==\xc3(\r\n[";
    ASSERT_TRUE(WriteTextFile(windowsIni, std::string(garbage, sizeof(garbage) - 1)));
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"IsLogin"), L"");
    EXPECT_EQ(store.GetRegistryValue(L"ApplicationPath"), L"");

    std::wstring other = MakeFolder(L"Windows2");
    other.pop_back();
    env().windowsDirectory = other;
    ASSERT_TRUE(WriteTextFile(other + L"\\MarlinToolbar.ini", ""));
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"");
    EXPECT_FALSE(Exists(ErrorLog()));
}

TEST_F(SettingsStoreTest, PopupManagerSwitch)
{
    const wchar_t* const newWindows = L"Software\\Microsoft\\Internet Explorer\\New Windows";
    int on = 7;
    EXPECT_FALSE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 7);

    SetRegistryText(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", L"Version", L"6.0");
    EXPECT_TRUE(store.SetPopupMgr(1));
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, newWindows, L"PopupMgr"), L"yes");
    EXPECT_TRUE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 1);

    EXPECT_TRUE(store.SetPopupMgr(0));
    EXPECT_EQ(RegistryText(HKEY_CURRENT_USER, newWindows, L"PopupMgr"), L"no");
    EXPECT_TRUE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 0);

    SetRegistryText(HKEY_CURRENT_USER, newWindows, L"PopupMgr", L"YES");
    EXPECT_TRUE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 1);

    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, newWindows, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ::RegDeleteValueW(key, L"PopupMgr");
    ::RegCloseKey(key);
    on = 3;
    EXPECT_FALSE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 3);
}

} // namespace
