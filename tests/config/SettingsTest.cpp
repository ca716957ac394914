// The settings store (registry first, then MarlinToolbar.ini; the Vista rules;
// the browser's pop-up manager switch), and ApplicationSettings.xml read into
// the process-wide values and written back.
#include "config/ApplicationSettings.h"
#include "support/Installation.h"
#include "support/LockProbes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class SettingsStoreTest : public InstallationFixture {
protected:
    CReadRegistryValues store;
};

TEST_F(SettingsStoreTest, ReadsPreferTheRegistryAndFallBackToTheFile)
{
    SetIni(L"ApplicationPath", L"C:\\FromFile");
    SetIni(L"IsLogin", L"1");
    SetIni(L"btbho", L"file-btbho");
    SetIni(L"WndSize", L"640");
    SetIni(L"KeyWords", std::wstring(300, L'w'));

    // No registry key at all: the file answers.
    EXPECT_EQ(store.GetRegistryValue(L"ApplicationPath"), L"C:\\FromFile\\");

    SetSetting(L"ApplicationPath", L" \t C:\\FromRegistry  ");
    SetSetting(L"btbho", L"    ");
    SetSetting(L"WndSize", L"5", REG_DWORD);
    SetSetting(L"Pkey", std::wstring(300, L'k'));
    SetSetting(L"SearchSite", L"%WINDIR%\\x", REG_EXPAND_SZ);

    // Trimmed with a backslash added; the key there but not the value, blanks only and the wrong type read the
    // file; cut to 260; not expanded; nowhere.
    ExpectGoldenTable("registry-reads.txt", [&](const std::wstring& name) { return store.GetRegistryValue(name); });
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"KeyWords"), std::wstring(255, L'w'));
    EXPECT_FALSE(FileExists(errorLog)) << "the file existed throughout: nothing to report";
}

TEST_F(SettingsStoreTest, WritesGoToBothStoresButVistaBypassesTheRegistry)
{
    SetIni(L"IsLogin", L"0");
    // Without the key only the file is written, and the key is not made.
    store.SetRegistryValue(L"IsLogin", L"1");
    EXPECT_EQ(Ini(L"IsLogin"), L"1");
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kSettingsKey));

    SetSetting(L"btbho", L"1");
    store.SetRegistryValue(L"IsLogin", L"both");
    EXPECT_EQ(Setting(L"IsLogin"), L"both");
    EXPECT_EQ(Ini(L"IsLogin"), L"both");

    env().osMajor = 6;
    env().osMinor = 0;
    SetSetting(L"IsLogin", L"registry");
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"both");
    store.SetRegistryValue(L"IsLogin", L"vista");
    EXPECT_EQ(Setting(L"IsLogin"), L"registry");
    EXPECT_EQ(Ini(L"IsLogin"), L"vista");
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
    SetIni(L"ApplicationPath", L"C:\\Install", lowIni);
    SetIni(L"VistaProtectedAppPath", low.substr(0, low.size() - 1), lowIni);
    SetIni(L"IsLogin", L"1", lowIni);
    SetIni(L"ApplicationPath", L"C:\\WindowsIni\\");
    SetIni(L"IsLogin", L"0");
    SetSetting(L"ApplicationPath", L"C:\\Registry\\");

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

    store.SetMTSettingsFromIniFile(L"WndSize", L"300");
    EXPECT_EQ(Ini(L"WndSize", lowIni), L"300");
    EXPECT_EQ(Ini(L"WndSize"), L"");

    // SaveSetting always writes the Windows folder's file, and the registry even on Vista.
    EXPECT_TRUE(store.SaveSetting(L"IsLogin", L"saved"));
    EXPECT_EQ(Ini(L"IsLogin"), L"saved");
    EXPECT_EQ(Ini(L"IsLogin", lowIni), L"1");
    EXPECT_EQ(Setting(L"IsLogin"), L"saved");
}

TEST_F(SettingsStoreTest, MissingIniFileIsLoggedOnceWhenItGoesMissingAndNeverCreated)
{
    for (int tick = 0; tick < 3; ++tick) {
        EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"");
        store.SetMTSettingsFromIniFile(L"IsLogin", L"1");
    }
    EXPECT_FALSE(FileExists(windowsIni));
    // Found, then gone again: logged again, once.
    SetIni(L"IsLogin", L"1");
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"1");
    ASSERT_TRUE(::DeleteFileW(windowsIni.c_str()));
    for (int tick = 0; tick < 2; ++tick) store.GetRegistryValue(L"IsLogin");
    ExpectGolden("ini-missing-log.xml", ReadTextFile(errorLog));
}

TEST_F(SettingsStoreTest, BrokenOrEmptyIniFileReadsAsEmpty)
{
    static const char garbage[] = "\xff\xfe\x00[MTSett\x01\r\nIsLogin\r\n==\xc3(\r\n[";
    ASSERT_TRUE(WriteTextFile(windowsIni, std::string(garbage, sizeof(garbage) - 1)));
    EXPECT_EQ(store.GetMTSettingsFromIniFile(L"IsLogin"), L"");
    EXPECT_EQ(store.GetRegistryValue(L"ApplicationPath"), L"");
    ASSERT_TRUE(WriteTextFile(windowsIni, ""));
    EXPECT_EQ(store.GetRegistryValue(L"IsLogin"), L"");
    EXPECT_FALSE(FileExists(errorLog));
}

TEST_F(SettingsStoreTest, PopupManagerSwitch)
{
    const wchar_t* const newWindows = L"Software\\Microsoft\\Internet Explorer\\New Windows";
    int on = 7;
    EXPECT_FALSE(store.SetPopupMgr(1) || store.GetPopupMgr(on)) << "no browser key, none made";
    EXPECT_EQ(on, 7);
    CreateRegistryKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", KEY_ALL_ACCESS);
    for (int set : {1, 0}) {
        EXPECT_TRUE(store.SetPopupMgr(set));
        EXPECT_EQ(ReadRegistryString(OpenRegistryKey(HKEY_CURRENT_USER, newWindows, KEY_READ).get(), L"PopupMgr", 9),
                  set ? L"yes" : L"no");
        EXPECT_TRUE(store.GetPopupMgr(on));
        EXPECT_EQ(on, set);
    }
    unique_hkey key = OpenRegistryKey(HKEY_CURRENT_USER, newWindows, KEY_ALL_ACCESS);
    WriteRegistryString(key.get(), L"PopupMgr", L"YES");
    EXPECT_TRUE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 1);
    DeleteRegistryValue(key.get(), L"PopupMgr");
    on = 3;
    EXPECT_FALSE(store.GetPopupMgr(on));
    EXPECT_EQ(on, 3);
}

class ApplicationSettingsTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(true);
        g_LogURL = g_AutoUpdate = g_Skin = g_PopupMgr = 0;
        // The skins have tests of their own.
        SetSkinLoader([] { return 1; });
    }
    void TearDown() override
    {
        SetSkinLoader(nullptr);
        InstallationFixture::TearDown();
    }
    std::wstring path() const { return xmls + L"ApplicationSettings.xml"; }
    void Write(const char* xml) { ASSERT_TRUE(WriteTextFile(path(), xml)); }
};

TEST_F(ApplicationSettingsTest, ReadsAttributeZeroAndFollowsTheBrowsersPopupSwitch)
{
    // Missing or foreign documents leave the values alone.
    g_Skin = 4;
    EXPECT_EQ(InitializeApplicationSettings(), 0);
    Write("<Settings><Skin ID=\"2\"/></Settings>");
    EXPECT_EQ(InitializeApplicationSettings(), 0);
    EXPECT_EQ(g_Skin, 4);
    ExpectGolden("settings-missing-log.xml", ReadTextFile(errorLog));

    Write("<MTRoot><Popup Status=\"1\"/><LogURL On=\"1\" Yes=\"0\"/><AutoUpdate Plugin=\"1\"/><Skin ID=\"3\"/>"
          "<Other x=\"9\"/></MTRoot>");
    int skinLoads = 0;
    SetSkinLoader([&] { ++skinLoads; return 1; });
    EXPECT_EQ(InitializeApplicationSettings(), 1);
    EXPECT_EQ(g_ApplicationPath.get() + L"|" + g_InstallPath.get(), data + L"|" + data);
    // The browser's "no" wins over the document; the first attribute counts, whatever its name.
    EXPECT_EQ(Format(L"popup %d log %d update %d skin %d loads %d", g_PopupMgr.load(), g_LogURL.load(), g_AutoUpdate.load(),
                     g_Skin.load(), skinLoads), L"popup 0 log 1 update 1 skin 3 loads 1");
    ExpectGolden("settings-after-start.xml", ReadTextFile(path())); // Popup follows the switch
    EXPECT_EQ(Ini(L"OsInfo"), L"XP");

    SetSkinLoader([] { return 0; });
    EXPECT_EQ(InitializeApplicationSettings(), 0) << "a skin that does not load fails the start-up read";
}

TEST_F(ApplicationSettingsTest, WritersAddressTheAttributesByName)
{
    Write("<MTRoot><Popup Status=\"0\"/><LogURL Yes=\"0\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"2\"/></MTRoot>");
    g_PopupMgr = 1;
    g_LogURL = 1;
    g_Skin = 5;
    EXPECT_TRUE(SaveApplicationSettings());
    ExpectGolden("settings-saved.xml", ReadTextFile(path()));

    EXPECT_TRUE(SaveSettingsPage({0, 1, 1, 3}));
    EXPECT_EQ(g_Skin, 3);
    ExpectGolden("settings-page-saved.xml", ReadTextFile(path()));

    ::DeleteFileW(path().c_str());
    g_Skin = 7;
    EXPECT_FALSE(SaveSettingsPage({1, 1, 1, 0}));
    ExpectGolden("settings-page-message.txt", MessageBoxes());
    EXPECT_EQ(g_Skin, 7) << "nothing is taken over when nothing can be written";
}

TEST_F(ApplicationSettingsTest, TheHostHearsOfASaveOnlyAfterTheLockAndNoSaveIsMadeWithoutIt)
{
    const char* const settings = "<MTRoot><Popup Status=\"1\"/><LogURL Yes=\"0\"/></MTRoot>";
    Write(settings);
    g_bProtectedMode = 1;
    {
        FakeApiHost host(path());
        EXPECT_TRUE(SaveApplicationSettings());
        Write(settings); // the browser's switch is off: start-up rewrites Popup
        InitializeApplicationSettings();
        EXPECT_TRUE(host.SentOnlyWithTheLockFree());
    }
    // Locked by another window: nothing written, false, logged; with the
    // log's own lock held too, the entry is dropped.
    CrossProcessLock::SetDefaultTimeoutMs(20);
    const std::string before = ReadTextFile(path());
    HeldLock held(path());
    EXPECT_FALSE(SaveApplicationSettings());
    HeldLock logHeld(errorLog);
    g_Skin = 2;
    EXPECT_FALSE(SaveSettingsPage({1, 1, 1, 4}));
    EXPECT_EQ(g_Skin, 2) << "a page that was not saved is not taken over";
    ASSERT_EQ(env().messageBoxes.size(), 1u) << "the user learns that nothing was saved";
    ExpectGolden("settings-locked-log.xml", ReadTextFile(errorLog));
    EXPECT_EQ(ReadTextFile(path()), before);
}

} // namespace
