// Protected mode: the cached browser answer and the writable copy of the data folder.
#include "support/Installation.h"

using namespace marlin;
using namespace marlin::test;

namespace {

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
