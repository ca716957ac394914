// The settings store (registry first, then MarlinToolbar.ini; the Vista rules;
// the browser's pop-up manager switch), ApplicationSettings.xml read into the
// process-wide values and written back, the skin database read against hostile
// files (the failure told once per process, logged each time it starts
// failing), and protected mode: the cached browser answer and the writable
// copy of the data folder.
#include "config/ApplicationSettings.h"
#include "config/Skins.h"
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

std::wstring Render(const SkinState& state)
{
    static const wchar_t* const kNames[] = {L"line", L"tab", L"strip", L"toolbar"};
    std::wstring text = Format(L"skin %d %ls type %d", state.number, state.found ? L"found" : L"built-in", state.type);
    for (size_t part = 0; part < kSkinPartCount; ++part) {
        const SkinPartValue& value = state.parts[part];
        text += Format(L" | %ls ", kNames[part]);
        text += value.colour ? Format(L"%d,%d,%d", GetRValue(*value.colour), GetGValue(*value.colour),
                                      GetBValue(*value.colour))
                             : L"-";
        if (!value.image.empty()) text += L" " + value.image;
    }
    return text;
}

std::string ThousandSkins()
{
    std::string xml = "<Skins>";
    for (int id = 1; id <= 1000; ++id) {
        xml += "<Skin ID=\"" + std::to_string(id) + "\" SkinType=\"0\" Name=\"S" + std::to_string(id) +
               "\"><TabColor R=\"" + std::to_string(id % 256) + "\" G=\"1\" B=\"2\"/></Skin>";
    }
    return xml + "</Skins>";
}

class SkinsTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(false);
        skins = MakeFolder(L"Data\\Skins");
    }
    void WriteDatabase(const std::string& xml) { ASSERT_TRUE(WriteTextFile(skins + L"MTSkins.xml", xml)); }
    std::wstring skins;
};

TEST_F(SkinsTest, WhatAppliesFromHostileDatabases)
{
    // A case a line: what, the skin chosen, the database ("none": no file; "same": the case before's; "1000": a
    // thousand skins), then what loads and applies.
    ExpectGoldenTable("skins.txt", [&](const std::wstring& input) {
        const size_t chosen = input.find(L"; ") + 2, database = input.find(L"; ", chosen) + 2;
        if (input.substr(database) == L"none") {
            ::DeleteFileW((skins + L"MTSkins.xml").c_str());
        } else if (input.substr(database) != L"same") {
            WriteDatabase(input.substr(database) == L"1000" ? ThousandSkins() : ToUtf8(input.substr(database)));
        }
        g_Skin = ParseInt(input.substr(chosen));
        const int loaded = LoadSkin();
        return Format(L"%d %ls", loaded, Render(CurrentSkin()).c_str());
    });

    // Three failing loads, then a fourth after the database came back: one
    // message for the process, an entry each time the database starts failing.
    ExpectGolden("skins-message.txt", MessageBoxes());
    const std::string log = ReadTextFile(errorLog);
    size_t entries = 0;
    for (size_t at = 0; (at = log.find("[LoadSkin]", at)) != std::string::npos; ++at) ++entries;
    EXPECT_EQ(entries, 2u);
}

TEST_F(SkinsTest, TheListKeepsEveryUsableNumberOnceWithAName)
{
    EXPECT_TRUE(LoadSkinList().empty());
    WriteDatabase("<Skins><Skin ID=\"4\" Name=\"Graphite\"/><Skin ID=\"x\" Name=\"No number\"/>"
                  "<Skin ID=\"1\" Name=\"   \"/><Skin ID=\"4\" Name=\"Again\"/><Other ID=\"9\" Name=\"Not a skin\"/>"
                  "<Skin ID=\"2\" Name=\"" + std::string(500, 'n') + "\"/></Skins>");
    std::wstring lines;
    for (const SkinListEntry& entry : LoadSkinList()) lines += Format(L"%d %ls\r\n", entry.number, entry.name.c_str());
    ExpectGolden("skin-list.txt", ToUtf8(lines));
}

TEST_F(SkinsTest, SkinsComeFromTheInstallationAlsoInProtectedModeAndNeverFromTheCurrentFolder)
{
    // On Vista the data folder may be the writable copy; skins stay with the installation.
    env().osMajor = 6;
    const std::wstring install = MakeFolder(L"Install");
    SetIni(L"ApplicationPath", install);
    g_ApplicationPath = MakeFolder(L"Writable");
    EXPECT_EQ(SkinDatabasePath(), install + L"Skins\\MTSkins.xml");
    EXPECT_EQ(SkinPicturePath(3, SkinPartValue{std::nullopt, L"Bar.bmp"}), install + L"Skins\\3\\Bar.bmp");
    EXPECT_EQ(SkinPicturePath(3, SkinPartValue{std::nullopt, L"..\\Bar.bmp"}), L"");
    // No installation folder known: no path relative to the current folder either.
    env().osMajor = 5;
    g_ApplicationPath = std::wstring();
    EXPECT_EQ(SkinDatabasePath(), L"");
    EXPECT_EQ(SkinPicturePath(3, SkinPartValue{std::nullopt, L"Bar.bmp"}), L"");
}

class ProtectedModeTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        env().shellExecuteResult = 2; // no API host runs here, and starting one fails at once
        root = MakeFolder(L"LowCache");
        root.pop_back(); // the browser gives its writable folder without a trailing backslash
    }
    void EnterProtectedMode(const std::wstring& writableRoot)
    {
        env().protectedModeResult = env().writeableFolderResult = S_OK;
        env().protectedModeAnswer = TRUE;
        env().writeableFolder = writableRoot;
    }
    // The writable copy's ini file and XMLS folder, file by file, for a golden file.
    std::string WritableCopy() const
    {
        const std::wstring folder = root + L"\\MarlinToolbar\\MarlinToolbar\\";
        std::string listing = "MarlinToolbar.ini:\r\n" + ReadTextFile(folder + L"MarlinToolbar.ini");
        for (const std::wstring& name : FilesIn(folder + L"XMLS\\")) listing += ToUtf8(name) + ":\r\n" + ReadTextFile(folder + L"XMLS\\" + name) + "\r\n";
        return listing;
    }
    std::wstring root;
};

TEST_F(ProtectedModeTest, BrowserAnswerIsCachedOnlyWhenDefinitive)
{
    // A new process or not, the browser's result and answer; then the answer, the flag and the queries so far.
    const struct { bool newProcess; HRESULT browser; BOOL browserAnswer; HRESULT result; BOOL flag; int queries; } steps[] = {
        {true, S_OK, TRUE, S_OK, TRUE, 1},          {false, E_FAIL, FALSE, S_OK, TRUE, 1},
        {true, E_NOTIMPL, FALSE, E_NOTIMPL, FALSE, 1}, {false, S_OK, TRUE, E_NOTIMPL, FALSE, 1},
        {true, E_FAIL, FALSE, E_FAIL, FALSE, 1},    {false, E_FAIL, FALSE, E_FAIL, FALSE, 2},
        {false, S_OK, TRUE, S_OK, TRUE, 3},         {false, S_OK, FALSE, S_OK, TRUE, 3},
    };
    for (const auto& step : steps) {
        if (step.newProcess) {
            ResetInstallPathsState();
            env().protectedModeQueries = 0;
        }
        env().protectedModeResult = step.browser;
        env().protectedModeAnswer = step.browserAnswer;
        BOOL flag = FALSE;
        SCOPED_TRACE(&step - steps);
        EXPECT_EQ(IsProtectedModeProcess(flag), step.result);
        EXPECT_EQ(flag, step.flag);
        EXPECT_EQ(env().protectedModeQueries, step.queries);
    }
}

TEST_F(ProtectedModeTest, WithoutAUsableWritableFolderTheDataFolderStays)
{
    for (auto [result, flag] : {std::pair{E_NOTIMPL, FALSE}, std::pair{S_OK, FALSE}, std::pair{E_FAIL, TRUE}}) {
        ResetInstallPathsState();
        EnterProtectedMode(root);
        env().protectedModeResult = result;
        env().protectedModeAnswer = flag;
        g_bProtectedMode = 1;
        g_ApplicationPath = std::wstring(L"C:\\Install\\");
        EXPECT_EQ(SetUpProtectedModeFolders(), 1);
        EXPECT_EQ(g_bProtectedMode, 0);
        EXPECT_EQ(g_ApplicationPath.get(), L"C:\\Install\\");
        EXPECT_FALSE(FolderExists(root + L"\\MarlinToolbar"));
    }

    // In protected mode, a writable folder that cannot be had, or a root below
    // which no folder can be made: nothing is seeded or re-pointed.
    const std::wstring blocker = scratch() + L"blocker.txt";
    ASSERT_TRUE(WriteTextFile(blocker, "not a folder"));
    for (const std::wstring& writable : {std::wstring(), blocker}) {
        ResetInstallPathsState();
        EnterProtectedMode(writable);
        if (writable.empty()) env().writeableFolderResult = E_FAIL;
        g_ApplicationPath = std::wstring(L"C:\\Before\\");
        EXPECT_EQ(SetUpProtectedModeFolders(), 1);
        EXPECT_EQ(g_bProtectedMode, 1);
        EXPECT_EQ(g_ApplicationPath.get(), L"C:\\Before\\");
    }
    EXPECT_TRUE(env().shellExecutes.empty());
}

TEST_F(ProtectedModeTest, WritableCopyIsSeededOnceAndThenLivesOnItsOwn)
{
    const std::wstring install = MakeFolder(L"Install");
    const std::wstring seeds = MakeFolder(L"Install\\TempCache\\XMLS");
    for (const wchar_t* name : {L"ApplicationSettings.xml", L"Plug-in.xml", L"MarlinToolbarBasic.xml",
                                L"MarlinToolbarErrorLog.xml", L"MarlinToolbarLogin.xml"}) {
        ASSERT_TRUE(WriteTextFile(seeds + name, "<Seed from=\"install\"/>"));
    }
    ASSERT_TRUE(WriteTextFile(seeds + L"LogURL.xml", "<LogURL><Url>")); // does not parse
    // Plug-inRules.xml is missing from the seeds.

    // The installer's settings, written in another order than the copy's.
    for (const auto& [key, value] : {std::pair<const wchar_t*, std::wstring>{L"OsInfo", L"Vista"},
                                     {L"KeyWords", L"not copied"}, {L"DynamicIP", L"10.0.0.7"},
                                     {L"SearchSite", L"search.example"}, {L"BaseURL", L"http://base.example/"},
                                     {L"Pkey", L"PK-77"}, {L"btbho", L"1"}, {L"IsLogin", L"1"},
                                     {L"ApplicationPath", install}}) {
        SetIni(key, value);
    }
    env().osMajor = 6;
    env().osMinor = 0;
    EnterProtectedMode(root);
    EXPECT_EQ(SetUpProtectedModeFolders(), 1);

    const std::wstring dataFolder = root + L"\\MarlinToolbar\\MarlinToolbar\\";
    const std::wstring writableXmls = dataFolder + L"XMLS\\";
    EXPECT_EQ(g_bProtectedMode, 1);
    EXPECT_EQ(g_ApplicationPath.get(), dataFolder);
    EXPECT_EQ(g_InstallPath.get(), install);
    EXPECT_TRUE(FolderExists(dataFolder + L"Images"));
    ExpectGolden("writable-copy.txt", WritableCopy()); // no unparsable or missing seed, no KeyWords

    // Second start (a new browser process): the installer's file changed, the
    // user edited a writable document; nothing is copied again.
    ASSERT_TRUE(WriteTextFile(MakeFolder(L"Install2\\TempCache\\XMLS") + L"MarlinToolbarLogin.xml",
                              "<Seed from=\"install2\"/>"));
    SetIni(L"ApplicationPath", scratch() + L"Install2\\");
    SetIni(L"IsLogin", L"0");
    ASSERT_TRUE(WriteTextFile(writableXmls + L"ApplicationSettings.xml", "<Seed from=\"user\"><Edited/></Seed>"));
    auto newProcess = [&] {
        ResetInstallPathsState();
        EnterProtectedMode(root);
        EXPECT_EQ(SetUpProtectedModeFolders(), 1);
        EXPECT_EQ(g_ApplicationPath.get(), dataFolder);
        EXPECT_EQ(g_InstallPath.get(), install);
        ExpectGolden("writable-copy-edited.txt", WritableCopy());
    };
    newProcess();

    // Third start without one writable document: only that one comes back, from
    // the installation folder the writable settings name (not from the current
    // folder, and not from the folder the Windows folder's file names now).
    ASSERT_TRUE(::DeleteFileW((writableXmls + L"MarlinToolbarLogin.xml").c_str()));
    const std::wstring current = MakeFolder(L"Current");
    ASSERT_TRUE(WriteTextFile(MakeFolder(L"Current\\TempCache\\XMLS") + L"MarlinToolbarLogin.xml",
                              "<Seed from=\"current\"/>"));
    wchar_t previous[MAX_PATH * 2] = {};
    ::GetCurrentDirectoryW(MAX_PATH * 2, previous);
    ::SetCurrentDirectoryW(current.c_str());
    newProcess();
    ::SetCurrentDirectoryW(previous);
}

TEST_F(ProtectedModeTest, WindowsVersionsAfterVistaKeepTheWritableDataFolder)
{
    const std::wstring install = MakeFolder(L"Install");
    SetIni(L"ApplicationPath", install);
    SetSetting(L"ApplicationPath", install);
    for (DWORD major : {6, 10}) {
        ResetInstallPathsState();
        env().osMajor = major;
        env().osMinor = 1;
        EnterProtectedMode(root);
        SetUpProtectedModeFolders();
        InitApplicationFolders();
        EXPECT_EQ(g_ApplicationPath.get(), root + L"\\MarlinToolbar\\MarlinToolbar\\") << major;
        EXPECT_EQ(ImageFolder(), install + L"Images\\");
    }
}

} // namespace
