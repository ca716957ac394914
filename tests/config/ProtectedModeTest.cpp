// Protected mode: the cached browser answer and the writable copy of the data folder.
#include "ConfigTestHelpers.h"

#include "config/InstallPaths.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class ProtectedModeTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        // No API host runs here, and starting one fails at once.
        env().shellExecuteResult = 2;
    }

    void EnterProtectedMode(const std::wstring& writableRoot)
    {
        env().protectedModeResult = S_OK;
        env().protectedModeAnswer = TRUE;
        env().writeableFolderResult = S_OK;
        env().writeableFolder = writableRoot;
    }

    // The browser's writable folder, as it gives it: without a trailing backslash.
    std::wstring WritableRoot() const
    {
        std::wstring root = MakeFolder(L"LowCache");
        root.pop_back();
        return root;
    }
};

TEST_F(ProtectedModeTest, BrowserAnswerIsCachedOnlyWhenDefinitive)
{
    env().protectedModeResult = S_OK;
    env().protectedModeAnswer = TRUE;
    BOOL flag = FALSE;
    EXPECT_EQ(IsProtectedModeProcess(flag), S_OK);
    EXPECT_TRUE(flag);
    env().protectedModeResult = E_FAIL;
    env().protectedModeAnswer = FALSE;
    flag = FALSE;
    EXPECT_EQ(IsProtectedModeProcess(flag), S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(env().protectedModeQueries, 1);

    ResetInstallPathsState();
    env().protectedModeQueries = 0;
    env().protectedModeResult = E_NOTIMPL;
    flag = FALSE;
    EXPECT_EQ(IsProtectedModeProcess(flag), E_NOTIMPL);
    EXPECT_EQ(IsProtectedModeProcess(flag), E_NOTIMPL);
    EXPECT_FALSE(flag);
    EXPECT_EQ(env().protectedModeQueries, 1);

    ResetInstallPathsState();
    env().protectedModeQueries = 0;
    env().protectedModeResult = E_FAIL;
    flag = FALSE;
    EXPECT_EQ(IsProtectedModeProcess(flag), E_FAIL);
    EXPECT_EQ(IsProtectedModeProcess(flag), E_FAIL);
    EXPECT_EQ(env().protectedModeQueries, 2);
    env().protectedModeResult = S_OK;
    env().protectedModeAnswer = TRUE;
    EXPECT_EQ(IsProtectedModeProcess(flag), S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(IsProtectedModeProcess(flag), S_OK);
    EXPECT_EQ(env().protectedModeQueries, 3);
}

TEST_F(ProtectedModeTest, WithoutProtectedModeNothingIsBuilt)
{
    const std::wstring root = WritableRoot();
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
        EXPECT_FALSE(Exists(root + L"\\MarlinToolbar"));
    }
    EXPECT_TRUE(env().shellExecutes.empty());
}

TEST_F(ProtectedModeTest, WritableFolderThatCannotBeHadKeepsTheDataFolder)
{
    EnterProtectedMode(L"");
    env().writeableFolderResult = E_FAIL;
    g_ApplicationPath = std::wstring(L"C:\\Before\\");
    EXPECT_EQ(SetUpProtectedModeFolders(), 1);
    EXPECT_EQ(g_bProtectedMode, 1);
    EXPECT_EQ(g_ApplicationPath.get(), L"C:\\Before\\");

    // A root below which no folder can be made: nothing is seeded or re-pointed.
    const std::wstring blocker = scratch() + L"blocker.txt";
    ASSERT_TRUE(WriteTextFile(blocker, "not a folder"));
    env().writeableFolderResult = S_OK;
    env().writeableFolder = blocker;
    EXPECT_EQ(SetUpProtectedModeFolders(), 1);
    EXPECT_EQ(g_bProtectedMode, 1);
    EXPECT_EQ(g_ApplicationPath.get(), L"C:\\Before\\");
    EXPECT_TRUE(env().shellExecutes.empty());
}

TEST_F(ProtectedModeTest, WritableCopyIsSeededOnceAndThenLivesOnItsOwn)
{
    const std::wstring root = WritableRoot();
    const std::wstring install = MakeFolder(L"Install");
    const std::wstring seeds = MakeFolder(L"Install\\TempCache\\XMLS");
    for (const wchar_t* name : {L"ApplicationSettings.xml", L"Plug-in.xml", L"MarlinToolbarBasic.xml",
                                L"MarlinToolbarErrorLog.xml", L"MarlinToolbarLogin.xml"}) {
        ASSERT_TRUE(WriteTextFile(seeds + name, "<Seed from=\"install\"/>"));
    }
    ASSERT_TRUE(WriteTextFile(seeds + L"LogURL.xml", "<LogURL><Url>")); // does not parse
    // Plug-inRules.xml is missing from the seeds.

    // The installer's settings, written in another order than the copy's.
    const std::wstring windowsIni = env().windowsDirectory + L"\\MarlinToolbar.ini";
    SetIni(windowsIni, L"OsInfo", L"Vista");
    SetIni(windowsIni, L"KeyWords", L"not copied");
    SetIni(windowsIni, L"DynamicIP", L"10.0.0.7");
    SetIni(windowsIni, L"SearchSite", L"search.example");
    SetIni(windowsIni, L"BaseURL", L"http://base.example/");
    SetIni(windowsIni, L"Pkey", L"PK-77");
    SetIni(windowsIni, L"btbho", L"1");
    SetIni(windowsIni, L"IsLogin", L"1");
    SetIni(windowsIni, L"ApplicationPath", install);

    env().osMajor = 6;
    env().osMinor = 0;
    EnterProtectedMode(root);
    EXPECT_EQ(SetUpProtectedModeFolders(), 1);

    const std::wstring dataFolder = root + L"\\MarlinToolbar\\MarlinToolbar\\";
    const std::wstring xmls = dataFolder + L"XMLS\\";
    const std::wstring writableIni = dataFolder + L"MarlinToolbar.ini";
    EXPECT_EQ(g_bProtectedMode, 1);
    EXPECT_EQ(g_ApplicationPath.get(), dataFolder);
    EXPECT_EQ(g_InstallPath.get(), install);
    EXPECT_TRUE(Exists(xmls));
    EXPECT_TRUE(Exists(dataFolder + L"Images"));
    EXPECT_EQ(IniKeys(writableIni),
              (std::vector<std::wstring>{L"ApplicationPath", L"IsLogin", L"btbho", L"Pkey", L"BaseURL", L"SearchSite",
                                         L"DynamicIP", L"OsInfo", L"VistaProtectedAppPath"}));
    for (const wchar_t* key : {L"ApplicationPath", L"IsLogin", L"btbho", L"Pkey", L"BaseURL", L"SearchSite",
                               L"DynamicIP", L"OsInfo"}) {
        EXPECT_EQ(GetIni(writableIni, key), GetIni(windowsIni, key)) << key;
    }
    EXPECT_EQ(GetIni(writableIni, L"VistaProtectedAppPath"), dataFolder);

    for (const wchar_t* name : {L"ApplicationSettings.xml", L"Plug-in.xml", L"MarlinToolbarBasic.xml",
                                L"MarlinToolbarErrorLog.xml", L"MarlinToolbarLogin.xml"}) {
        auto document = XmlDocument::Create();
        ASSERT_TRUE(document);
        ASSERT_TRUE(document->Load(xmls + name)) << name;
        EXPECT_EQ(GetAttribute(document->Root().Get(), L"from"), L"install") << name;
    }
    EXPECT_FALSE(Exists(xmls + L"LogURL.xml"));
    EXPECT_FALSE(Exists(xmls + L"Plug-inRules.xml"));

    // Second start (a new browser process): the installer's file changed, the
    // user edited a writable document; nothing is copied again.
    const std::wstring otherInstall = MakeFolder(L"Install2");
    ASSERT_TRUE(WriteTextFile(MakeFolder(L"Install2\\TempCache\\XMLS") + L"MarlinToolbarLogin.xml",
                              "<Seed from=\"install2\"/>"));
    SetIni(windowsIni, L"ApplicationPath", otherInstall);
    SetIni(windowsIni, L"IsLogin", L"0");
    const std::string userEdit = "<Seed from=\"user\"><Edited/></Seed>";
    ASSERT_TRUE(WriteTextFile(xmls + L"ApplicationSettings.xml", userEdit));
    const std::string basicBefore = ReadTextFile(xmls + L"MarlinToolbarBasic.xml");
    auto newProcess = [&] {
        ResetInstallPathsState();
        EnterProtectedMode(root);
        EXPECT_EQ(SetUpProtectedModeFolders(), 1);
        EXPECT_EQ(g_ApplicationPath.get(), dataFolder);
        EXPECT_EQ(g_InstallPath.get(), install);
        EXPECT_EQ(GetIni(writableIni, L"IsLogin"), L"1");
        EXPECT_EQ(GetIni(writableIni, L"ApplicationPath"), install);
        EXPECT_EQ(ReadTextFile(xmls + L"ApplicationSettings.xml"), userEdit);
        EXPECT_EQ(ReadTextFile(xmls + L"MarlinToolbarBasic.xml"), basicBefore);
        EXPECT_FALSE(Exists(xmls + L"LogURL.xml"));
        EXPECT_FALSE(Exists(xmls + L"Plug-inRules.xml"));
    };
    newProcess();

    // Third start without one writable document: only that one comes back, from
    // the installation folder the writable settings name (not from the current
    // folder, and not from the folder the Windows folder's file names now).
    ASSERT_TRUE(::DeleteFileW((xmls + L"MarlinToolbarLogin.xml").c_str()));
    const std::wstring current = MakeFolder(L"Current");
    ASSERT_TRUE(WriteTextFile(MakeFolder(L"Current\\TempCache\\XMLS") + L"MarlinToolbarLogin.xml",
                              "<Seed from=\"current\"/>"));
    {
        CurrentFolderScope inCurrent(current);
        newProcess();
    }
    auto login = XmlDocument::Create();
    ASSERT_TRUE(login && login->Load(xmls + L"MarlinToolbarLogin.xml"));
    EXPECT_EQ(GetAttribute(login->Root().Get(), L"from"), L"install");
}

TEST_F(ProtectedModeTest, WindowsVersionsAfterVistaKeepTheWritableDataFolder)
{
    const std::wstring root = WritableRoot(), install = MakeFolder(L"Install");
    SetIni(env().windowsDirectory + L"\\MarlinToolbar.ini", L"ApplicationPath", install);
    SetRegistryText(HKEY_LOCAL_MACHINE, kSettingsKeyPath, L"ApplicationPath", install);
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
