// Clicks and menu choices end to end: the stand-in browser navigates, the
// seam records new windows and files opened, documents change or stay.
#include "ToolbarFixture.h"

#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "document/ButtonOperations.h"
#include "document/SignIn.h"
#include "document/ToolbarOperations.h"
#include "monitors/PopupBlocker.h"
#include "toolbar/Uninstall.h"

#include <algorithm>

using namespace marlin;
using namespace marlin::test;

namespace {

class ToolbarCommandTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(Golden(L"Commands.xml"));
    }
    static int PopupManager()
    {
        int on = -1;
        CReadRegistryValues().GetPopupMgr(on);
        return on;
    }
    std::wstring BlockerCaption() const { return CaptionOf(m_toolbar.ButtonToolbar(), 6); }
};

TEST_F(ToolbarCommandTest, ButtonsNavigateOpenNewWindowsAndReportMissingFiles)
{
    Create();
    Browser();
    Click(2);
    EXPECT_EQ(Navigations(), std::vector<std::wstring>{L"http://same.example/"});

    Click(3);
    ASSERT_EQ(env().shellExecutes.size(), 1u);
    EXPECT_EQ(env().shellExecutes[0].verb + L" " + env().shellExecutes[0].file + L" " + env().shellExecutes[0].parameters,
              L"open iexplore.exe \"http://new.example/\"");
    EXPECT_EQ(Navigations().size(), 1u) << "the page stays";

    // The real shell answers that the dropped file and folder are gone.
    env().realShellExecute = true;
    Click(4);
    Click(5);
    ExpectGolden("MissingFiles.txt", MessageBoxes());

    // Without a browser a click does nothing.
    m_toolbar.SetBrowser(nullptr);
    Click(2);
    EXPECT_EQ(m_browser->NavigationRequests().size(), 1u);
}

TEST_F(ToolbarCommandTest, ConfirmedRemovalsFindTheirTargetAgainAfterTheQuestion)
{
    WriteLogin(Golden(L"Removals.xml"));
    Create();
    const std::string before = ReadTextFile(LoginPath());
    const UINT removeThird = Find(DropDown(1)[2].children, L"Remove")->id;
    env().messageBoxAnswers = {IDNO};
    DropDown(1, removeThird);
    EXPECT_EQ(env().messageBoxes.back().text, L"Are you sure you want to delete  Third Toolbar?");
    EXPECT_EQ(ReadTextFile(LoginPath()), before) << "no changes nothing";

    // While "Third" is asked about, another window removes "Second" before it.
    env().messageBoxAnswers = {IDYES};
    env().whileMessageBoxShown = [] { CToolbarOperations().RemoveToolbarFromMenu(1); };
    DropDown(1, removeThird);
    std::string saved = ReadTextFile(LoginPath());
    EXPECT_EQ(saved.find("Third"), std::string::npos);
    EXPECT_NE(saved.find("Main"), std::string::npos);
    EXPECT_EQ(Texts(DropDown(1))[1], L"Add Toolbar") << "the home menu lists one toolbar now";

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
    EXPECT_EQ(env().messageBoxes.size(), 4u);
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

TEST_F(ToolbarCommandTest, TheBlockerButtonSwitchesKeepsItsCountAndSaysWhyItCannot)
{
    Create();
    EXPECT_EQ(BlockerCaption(), L"Pop-up Blocker (OFF)");
    Click(6);
    EXPECT_EQ(PopupManager(), 1);
    EXPECT_EQ(BlockerCaption(), L"Pop-up Blocker (ON)");
    EXPECT_EQ(m_toolbar.GetButton(5)->iconPath, m_data + L"Images\\PopupOn.ico");

    // A blocked count survives rebuilds; a click then turns the blocker off.
    ASSERT_TRUE(m_toolbar.SetPopupBlockerCaption(BlockedCaption(3)));
    m_toolbar.RefreshToolbar(0);
    EXPECT_EQ(BlockerCaption(), L"(3) Blocked");
    EXPECT_EQ(Texts(DropDown(6))[0], L"Turn Pop-up Blocker (OFF)");
    Click(6);
    EXPECT_EQ(PopupManager(), 0);
    EXPECT_EQ(BlockerCaption(), L"Pop-up Blocker (OFF)");

    // Protected mode: the switch says why and stays off.
    g_bProtectedMode = 1;
    Click(6);
    g_bProtectedMode = 0;
    EXPECT_EQ(PopupManager(), 0);
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"This feature is not available in Protected Mode.");

    // Without a blocker button nothing is shown, and nothing breaks.
    m_toolbar.RefreshToolbar(1);
    EXPECT_FALSE(m_toolbar.SetPopupBlockerCaption(BlockedCaption(1)));
    g_PopupMgr = 0;
}

TEST_F(ToolbarCommandTest, AllowPopupsFromThisSitePutsThePagesHostOnTheListAndStartsTheCountAgain)
{
    Create();
    Click(6); // the blocker on
    AllowSite(L"friends.example");
    const struct {
        std::wstring page;
        const wchar_t* allowed; // the list after choosing the entry; nullptr: the entry is grey
    } cases[] = {
        {L"http://WWW.Shop.example:8080/a/page.htm?next=http://x.example/", L"WWW.Shop.example,friends.example"},
        {L"https://ads.example/" + std::wstring(400, L'p'), L"WWW.Shop.example,ads.example,friends.example"},
        {L"http://www.friends.example/", nullptr}, // allowed already
        {L"about:blank", nullptr},
        {L"C:\\pages\\local.htm", nullptr},
        {L"http://bad_host!.example/", nullptr},
    };
    for (const auto& item : cases) {
        ASSERT_TRUE(m_toolbar.SetPopupBlockerCaption(BlockedCaption(2)));
        Browser().Navigate(item.page);
        const CapturedItem* entry = Find(DropDown(6), L"Allow pop-ups from this site");
        ASSERT_TRUE(entry) << item.page;
        EXPECT_EQ(entry->grayed, item.allowed == nullptr) << item.page;
        if (!item.allowed) continue;
        DropDown(6, entry->id);
        std::vector<std::wstring> sites = AllowedSites();
        std::sort(sites.begin(), sites.end());
        std::wstring listed;
        for (const std::wstring& site : sites) listed += (listed.empty() ? L"" : L",") + site;
        EXPECT_EQ(listed, item.allowed) << item.page;
        EXPECT_EQ(BlockerCaption(), L"Pop-up Blocker (ON)") << "the count starts again";
        EXPECT_EQ(IsPopupBlockedForUrl(item.page), 0);
    }
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
    EXPECT_EQ(BlockerCaption(), L"Pop-up Blocker (OFF)");
    DropDown(6, DropDown(6).at(0).id);
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"This functionality is not available in this version");
    g_PopupMgr = 0;
}

TEST_F(ToolbarCommandTest, TheSignInButtonSignsInThroughTheDialogAndOutWithOneClick)
{
    SetSignedIn(false);
    Create();
    // The stored state, then (once this window follows it) the document shown and the sign-in button.
    auto state = [&] {
        const std::wstring stored = StoredSignInState();
        m_toolbar.SynchronizeWithOtherWindows();
        return stored + (m_toolbar.ShowsLoginDocument() ? L" login " + m_toolbar.GetButton(1)->caption : L" basic") +
               L" " + CaptionOf(m_toolbar.SignInToolbar(), kSignInCommand);
    };
    EXPECT_EQ(state(), L"0 basic SignIn");
    env().dialogScript = [](HWND dialog) { ::SendMessageW(dialog, WM_COMMAND, IDOK, 0); };
    Click(kSignInCommand);
    EXPECT_EQ(state(), L"1 login Same window SignOut");
    Click(kSignInCommand);
    EXPECT_EQ(state(), L"0 basic SignIn");

    // A stored state that is neither: the button neither signs in nor out.
    unique_hkey settings = CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MarlinToolbar", KEY_ALL_ACCESS);
    WriteRegistryString(settings.get(), L"IsLogin", L"2");
    env().dialogScript = [](HWND) { ADD_FAILURE() << "no dialog expected"; };
    Click(kSignInCommand);
    EXPECT_EQ(StoredSignInState(), L"2");
}

TEST_F(ToolbarCommandTest, MenuEntriesOpenTheirDialogs)
{
    Create();
    const CapturedItem* settings = Find(DropDown(6), L"Pop-up Blocker Settings");
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
            title = WindowText(dialog);
            EXPECT_TRUE(::GetDlgItem(dialog, item.close));
            ::SendMessageW(dialog, WM_COMMAND, item.close, 0);
        };
        DropDown(item.button, item.choice);
        EXPECT_EQ(title, item.title);
    }
    EXPECT_EQ(env().popupSettingsRequests, 1);
}

} // namespace
