// Clicks and menu choices end to end: the stand-in browser navigates, the
// seam records new windows and files opened, documents change or stay.
#include "ToolbarFixture.h"

#include "StandInBrowser.h"
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "document/ButtonOperations.h"
#include "document/SignIn.h"
#include "document/ToolbarOperations.h"
#include "monitors/PopupBlocker.h"
#include "toolbar/Uninstall.h"

using namespace marlin;
using namespace marlin::test;

namespace {

const wchar_t kDocument[] =
    L"<Root Default=\"1\">"
    L"<Tab Name=\"Main\" TabID=\"1\">"
    L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\" UrlString=\"http://home.example/\"/></Buttons>"
    L"<Buttons ID=\"2\" PluginType=\"0\"><ButtDesc name=\"Same window\" UrlString=\"http://same.example/\"/></Buttons>"
    L"<Buttons ID=\"3\" PluginType=\"0\"><ButtDesc name=\"New window\" UrlString=\"http://new.example/\" newwindow=\"yes\"/></Buttons>"
    L"<Buttons ID=\"4\" PluginType=\"3\"><ButtDesc name=\"Gone file\" img=\"DropFile.ico\" UrlString=\"C:\\nowhere\\gone.txt\"/></Buttons>"
    L"<Buttons ID=\"5\" PluginType=\"3\"><ButtDesc name=\"Gone folder\" img=\"DropFolder.ico\" UrlString=\"C:\\nowhere\\gone\"/></Buttons>"
    L"<Buttons ID=\"6\" PluginType=\"0\"><ButtDesc name=\"Pop-up Blocker\"><Item caption=\"Pop-up Blocker Settings\"/></ButtDesc></Buttons>"
    L"</Tab>"
    L"<Tab Name=\"Second\" TabID=\"2\"><Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Second home\"/></Buttons></Tab>"
    L"<Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";

class ToolbarCommandTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(kDocument);
        m_browser = standin::StandInBrowser::Make(m_parent.get());
    }
    void TearDown() override
    {
        m_toolbar.SetBrowser(nullptr);
        m_browser.Reset();
        ToolbarFixture::TearDown();
    }
    void CreateWithBrowser()
    {
        Create();
        m_toolbar.SetBrowser(m_browser.Get());
    }
    std::vector<std::wstring> Navigations() const
    {
        std::vector<std::wstring> urls;
        for (const auto& request : m_browser->NavigationRequests()) urls.push_back(request.url);
        return urls;
    }

    ComPtr<standin::StandInBrowser> m_browser;
};

TEST_F(ToolbarCommandTest, ButtonsNavigateOpenNewWindowsAndReportMissingFiles)
{
    CreateWithBrowser();
    Click(2);
    EXPECT_EQ(Navigations(), std::vector<std::wstring>{L"http://same.example/"});

    Click(3);
    ASSERT_EQ(env().shellExecutes.size(), 1u);
    EXPECT_EQ(env().shellExecutes[0].file, L"iexplore.exe");
    EXPECT_EQ(env().shellExecutes[0].parameters, L"\"http://new.example/\"");
    EXPECT_EQ(env().shellExecutes[0].verb, L"open");
    EXPECT_EQ(Navigations().size(), 1u) << "the page stays";

    // The real shell answers that the dropped file and folder are gone.
    env().realShellExecute = true;
    Click(4);
    Click(5);
    ASSERT_EQ(env().messageBoxes.size(), 2u);
    EXPECT_EQ(env().messageBoxes[0].text, L"Specified file path does not exist\n(Deleted / Moved / Renamed)");
    EXPECT_EQ(env().messageBoxes[1].text, L"Specified folder path does not exist\n(Deleted / Moved / Renamed)");
    EXPECT_EQ(env().messageBoxes[1].caption, L"Marlin Toolbar");
    EXPECT_TRUE(env().messageBoxes[1].flags & MB_ICONINFORMATION);

    // Without a browser a click does nothing.
    m_toolbar.SetBrowser(nullptr);
    Click(2);
    EXPECT_EQ(Navigations().size(), 1u);
}

TEST_F(ToolbarCommandTest, RemovingAToolbarAskesFirstAndNoChangesNothing)
{
    Create();
    const std::string before = ReadTextFile(LoginPath());
    const UINT remove = Find(DropDown(1)[1].children, L"Remove")->id;

    env().messageBoxAnswers = {IDNO};
    DropDown(1, remove);
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"Are you sure you want to delete  Second Toolbar?");
    EXPECT_EQ(ReadTextFile(LoginPath()), before);

    env().messageBoxAnswers = {IDYES};
    DropDown(1, remove);
    EXPECT_EQ(ReadTextFile(LoginPath()).find("Second"), std::string::npos);
    EXPECT_EQ(Texts(DropDown(1))[1], L"Settings") << "the home menu lists one toolbar now";
}

TEST_F(ToolbarCommandTest, ConfirmedRemovalsFindTheirTargetAgainAfterTheQuestion)
{
    WriteLogin(L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
               L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\"/></Buttons>"
               L"<Buttons ID=\"2\" PluginType=\"0\"><ButtDesc name=\"A\" UrlString=\"http://a.example/\"/></Buttons>"
               L"<Buttons ID=\"3\" PluginType=\"0\"><ButtDesc name=\"B\" UrlString=\"http://b.example/\"/></Buttons>"
               L"<Buttons ID=\"4\" PluginType=\"0\"><ButtDesc name=\"C\" UrlString=\"http://c.example/\"/></Buttons>"
               L"</Tab><Tab Name=\"Second\" TabID=\"2\"/><Tab Name=\"Third\" TabID=\"3\"/>"
               L"<Tab Name=\"Add Toolbar\" type=\"0\"/></Root>");
    Create();
    // While "Third" is asked about, another window removes "Second" before it.
    const UINT removeThird = Find(DropDown(1)[2].children, L"Remove")->id;
    env().messageBoxAnswers = {IDYES};
    env().whileMessageBoxShown = [] { CToolbarOperations().RemoveToolbarFromMenu(1); };
    DropDown(1, removeThird);
    std::string saved = ReadTextFile(LoginPath());
    EXPECT_EQ(saved.find("Third"), std::string::npos);
    EXPECT_NE(saved.find("Main"), std::string::npos);

    // While "B" is asked about, another window deletes "A": B now has A's
    // number and C has B's. B goes, C stays.
    env().messageBoxAnswers = {IDYES};
    env().whileMessageBoxShown = [] { CButtonOperations().DeleteButton(ToolbarRef{L"Main", 1}, 2); };
    RightClick(3, kContextDelete);
    saved = ReadTextFile(LoginPath());
    EXPECT_EQ(saved.find("name=\"B\""), std::string::npos);
    EXPECT_NE(saved.find("name=\"C\""), std::string::npos);

    // A target that went meanwhile is left alone (the row shows Home and C now).
    env().messageBoxAnswers = {IDYES};
    env().whileMessageBoxShown = [&] {
        CButtonOperations().DeleteButton(ToolbarRef{L"Main", 1}, 2);
        saved = ReadTextFile(LoginPath());
    };
    RightClick(2, kContextDelete);
    EXPECT_EQ(env().messageBoxes.size(), 3u);
    EXPECT_EQ(ReadTextFile(LoginPath()), saved);
}

TEST_F(ToolbarCommandTest, UninstallRunsTheInstallersCommandThroughABatchFile)
{
    Create();
    const std::wstring marker = scratch() + L"uninstalled.txt";
    unique_hkey key = CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
    WriteRegistryString(key.get(), L"UninstallString", L"@echo uninstalled> \"" + marker + L"\"");
    env().realWinExec = true;
    env().realSleep = true;

    env().messageBoxAnswers = {IDNO};
    Click(kMenuUninstall);
    EXPECT_TRUE(env().winExecs.empty());

    env().messageBoxAnswers = {IDYES};
    Click(kMenuUninstall);
    ASSERT_EQ(env().winExecs.size(), 1u);
    EXPECT_EQ(env().winExecs[0], ToAnsi(m_data + L"UnInstall.bat"));
    EXPECT_EQ(env().messageBoxes[1].text, L"Are you sure you want to uninstall Marlin Toolbar?");
    for (int i = 0; i < 50 && !FileExists(marker); ++i) ::Sleep(100);
    EXPECT_NE(ReadTextFile(marker).find("uninstalled"), std::string::npos);
    EXPECT_FALSE(FileExists(m_data + L"UnInstall.bat")) << "deleted after the run";
}

TEST_F(ToolbarCommandTest, ThePopupBlockerButtonSwitchesUnlessTheBrowserCannotBlock)
{
    Create();
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), 6), L"Pop-up Blocker (OFF)");
    Click(6);
    int on = 0;
    CReadRegistryValues().GetPopupMgr(on);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), 6), L"Pop-up Blocker (ON)");
    EXPECT_EQ(m_toolbar.GetButton(5)->iconPath, m_data + L"Images\\PopupOn.ico");
    Click(6);
    CReadRegistryValues().GetPopupMgr(on);
    EXPECT_EQ(on, 0);

    // Protected mode: the switch says why and stays off.
    g_bProtectedMode = 1;
    Click(6);
    g_bProtectedMode = 0;
    CReadRegistryValues().GetPopupMgr(on);
    EXPECT_EQ(on, 0);
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"This feature is not available in Protected Mode.");
}

TEST_F(ToolbarCommandTest, ABlockedCountSurvivesRebuildsAndAClickTurnsTheBlockerOff)
{
    CReadRegistryValues().SetPopupMgr(1);
    g_PopupMgr = 1;
    Create();
    ASSERT_TRUE(m_toolbar.SetPopupBlockerCaption(BlockedCaption(3)));
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), 6), L"(3) Blocked");
    m_toolbar.RefreshToolbar(0);
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), 6), L"(3) Blocked");
    EXPECT_EQ(Texts(DropDown(6))[0], L"Turn Pop-up Blocker (OFF)");

    Click(6);
    int on = 1;
    CReadRegistryValues().GetPopupMgr(on);
    EXPECT_EQ(on, 0);
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), 6), L"Pop-up Blocker (OFF)");

    // Without a blocker button nothing is shown, and nothing breaks.
    m_toolbar.RefreshToolbar(1);
    EXPECT_FALSE(m_toolbar.SetPopupBlockerCaption(BlockedCaption(1)));
    g_PopupMgr = 0;
}

TEST_F(ToolbarCommandTest, OnTheOldBrowserTheBlockerButtonIsDisabledAndOff)
{
    unique_hkey browser = CreateRegistryKey(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Internet Explorer", KEY_ALL_ACCESS);
    WriteRegistryString(browser.get(), L"Version", L"6.0.2800.1106");
    CReadRegistryValues().SetPopupMgr(1);
    g_PopupMgr = 1;
    Create();
    EXPECT_FALSE(::SendMessageW(m_toolbar.ButtonToolbar(), TB_ISBUTTONENABLED, 6, 0));
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), 6), L"Pop-up Blocker (OFF)");
    const auto menu = DropDown(6);
    ASSERT_FALSE(menu.empty());
    DropDown(6, menu[0].id);
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"This functionality is not available in this version");
    g_PopupMgr = 0;
}

TEST_F(ToolbarCommandTest, TheSignInButtonSignsInThroughTheDialogAndOutWithOneClick)
{
    SetSignedIn(false);
    WriteBasic(L"<Root><Tab Name=\"Basic\" TabID=\"1\"><Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\"/>"
               L"</Buttons></Tab><Tab Name=\"Add Tab\" type=\"0\"/></Root>");
    Create();
    EXPECT_FALSE(m_toolbar.ShowsLoginDocument());
    EXPECT_EQ(CaptionOf(m_toolbar.SignInToolbar(), kSignInCommand), L"SignIn");

    env().dialogScript = [](HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, IDOK, 0); };
    Click(kSignInCommand);
    EXPECT_EQ(StoredSignInState(), L"1");
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_TRUE(m_toolbar.ShowsLoginDocument());
    EXPECT_EQ(m_toolbar.GetButton(1)->caption, L"Same window");
    EXPECT_EQ(CaptionOf(m_toolbar.SignInToolbar(), kSignInCommand), L"SignOut");

    Click(kSignInCommand);
    EXPECT_EQ(StoredSignInState(), L"0");
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_FALSE(m_toolbar.ShowsLoginDocument());
    EXPECT_EQ(CaptionOf(m_toolbar.SignInToolbar(), kSignInCommand), L"SignIn");

    // A stored state that is neither: the button neither signs in nor out.
    SetSignedIn(false);
    unique_hkey settings = CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MarlinToolbar", KEY_ALL_ACCESS);
    WriteRegistryString(settings.get(), L"IsLogin", L"2");
    env().dialogScript = [](HWND) { ADD_FAILURE() << "no dialog expected"; };
    Click(kSignInCommand);
    EXPECT_EQ(StoredSignInState(), L"2");
}

TEST_F(ToolbarCommandTest, MenuEntriesOpenTheirDialogs)
{
    Create();
    const auto blockerMenu = DropDown(6);
    const CapturedItem* settings = Find(blockerMenu, L"Pop-up Blocker Settings");
    ASSERT_TRUE(settings);
    // The system has no pop-up settings dialog here: the product's own opens.
    const struct {
        int button;
        UINT choice;
        const wchar_t* title;
        int close;
    } cases[] = {
        {1, kMenuAboutDeveloper, L"About Developer", IDOK},
        {6, settings->id, L"Pop-up Blocker Settings", IDCANCEL},
    };
    for (const auto& item : cases) {
        std::wstring title;
        env().dialogScript = [&](HWND dialog) {
            wchar_t text[64] = {};
            ::GetWindowTextW(dialog, text, 64);
            title = text;
            EXPECT_TRUE(::GetDlgItem(dialog, item.close));
            ::SendMessageW(dialog, WM_COMMAND, item.close, 0);
        };
        DropDown(item.button, item.choice);
        EXPECT_EQ(title, item.title);
    }
    EXPECT_EQ(env().popupSettingsRequests, 1);
}

} // namespace
