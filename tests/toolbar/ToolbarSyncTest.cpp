// The once-a-second synchronisation: idle passes build nothing, every kind of
// change is picked up once, and a second browser process follows a change
// made in this one within two ticks of its timer.
#include "ToolbarFixture.h"

#include "config/ApplicationSettings.h"
#include "config/ErrorLog.h"
#include "config/SettingsStore.h"
#include "document/ButtonOperations.h"
#include "document/SignIn.h"
#include "document/ToolbarOperations.h"
#include "resources/resource.h"
#include "support/Processes.h"
#include "toolbar/ToolbarSync.h"

#include <algorithm>

using namespace marlin;
using namespace marlin::test;

namespace {

// Child: a second browser window in its own process. Args: Windows folder,
// registry root, scenario, scratch folder. Writes "ready"
// once its toolbar is up; after "changed" appears it must see the change
// within two ticks of its own timer. 0: seen; 3: not within two ticks; 4: timed out.
int FollowingWindow(const std::vector<std::wstring>& args)
{
    if (args.size() < 4) return 2;
    RedirectRegistry(args[1]);
    ScriptedEnvironment::Instance().windowsDirectory = WithTrailingBackslash(args[0]);
    const std::wstring& scenario = args[2];
    const std::wstring scratch = WithTrailingBackslash(args[3]);

    unique_hwnd parent(::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 40, nullptr,
                                         nullptr, nullptr, nullptr));
    CMarlinToolbarCtrl toolbar;
    RECT rect{0, 0, 1000, 30};
    if (!toolbar.CreateIn(parent.get(), rect)) return 2;
    const size_t buttonsAtStart = toolbar.ButtonCount();
    auto changeSeen = [&] {
        if (scenario == L"signin") return toolbar.ShowsLoginDocument();
        // The new skin is read and painted.
        if (scenario == L"settings") return g_Skin == 2 && toolbar.Skin().State().number == 2;
        if (scenario == L"skin") {
            return toolbar.Skin().State().number == 4 && toolbar.Skin().HasPicture(SkinPart::ToolbarBackground);
        }
        if (scenario == L"toolbar") {
            const auto& menu = toolbar.GetButton(0)->menu;
            return std::ranges::any_of(menu, [](const MenuEntry& entry) { return entry.entry.caption == L"Added"; });
        }
        if (scenario == L"move") return toolbar.ButtonCount() == buttonsAtStart - 1;
        return false;
    };
    WriteTextFile(scratch + L"ready", "1");

    int ticksSinceChange = -1;
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    MSG message;
    while (::GetTickCount64() < deadline) {
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
            continue;
        }
        ::DispatchMessageW(&message);
        if (message.message != WM_TIMER || message.wParam != CMarlinToolbarCtrl::kSyncTimer) continue;
        if (ticksSinceChange < 0 && FileExists(scratch + L"changed")) ticksSinceChange = 0;
        if (ticksSinceChange >= 0) ++ticksSinceChange;
        if (changeSeen()) return 0;
        if (ticksSinceChange >= 2) return 3;
    }
    return 4;
}
const ChildRegistration g_following(L"following-window", &FollowingWindow);

class ToolbarSyncTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(Golden(L"Sync.xml"));
        WriteSettings(1);
        InstallSkins();
    }

    // Runs the other window, makes the change once it is up, and answers its verdict.
    int FollowInOtherProcess(const std::wstring& scenario, const std::function<void()>& change)
    {
        const std::wstring folder = MakeFolder(scenario);
        void* child = StartChild(CurrentProgram(), L"following-window",
                                 QuoteCommandLineArgument(env().WindowsDirectory()) + L" " +
                                     QuoteCommandLineArgument(registryRoot()) + L" " + scenario + L" " +
                                     QuoteCommandLineArgument(folder));
        for (int i = 0; i < 300 && !FileExists(folder + L"ready"); ++i) ::Sleep(50);
        if (!FileExists(folder + L"ready")) ADD_FAILURE() << "the other window did not start";
        change();
        WriteTextFile(folder + L"changed", "1");
        return WaitChild(child);
    }
};

TEST_F(ToolbarSyncTest, IdlePassesBuildNothingAndEachChangeIsTakenOnce)
{
    // Which change leads to which rebuild is the plan's (below); here the
    // window carries plans out once.
    Create();
    const unsigned builds = m_toolbar.RowBuilds();
    for (int i = 0; i < 3; ++i) m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_EQ(m_toolbar.RowBuilds(), builds);

    // Several button changes at once: one rebuild.
    RaiseChange(SharedState().ButtonsChanged);
    RaiseChange(SharedState().MoveToChanged);
    RaiseChange(SharedState().ButtonEditChanged);
    m_toolbar.SynchronizeWithOtherWindows();
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_EQ(m_toolbar.RowBuilds(), builds + 1);

    // Another window chose the second toolbar.
    SharedState().CurrentToolbar = 1;
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_EQ(m_toolbar.GetButton(0)->caption, L"Second home");
    SharedState().CurrentToolbar = 0;
    m_toolbar.SynchronizeWithOtherWindows();

    // The blocker switched in another window: the registry value is shared.
    CReadRegistryValues().SetPopupMgr(1);
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_EQ(m_toolbar.GetButton(2)->caption, L"Pop-up Blocker (ON)");
    CReadRegistryValues().SetPopupMgr(0);
    g_PopupMgr = 0;

    // A settings file that does not load is logged once, not read again every second.
    ASSERT_TRUE(WriteTextFile(m_data + L"XMLS\\ApplicationSettings.xml", "not a document"));
    RaiseChange(SharedState().SettingsChanged);
    m_toolbar.SynchronizeWithOtherWindows();
    const std::string log = ReadTextFile(ErrorLogPath());
    EXPECT_NE(log.find("[CMarlinToolbarObj][InitializeApplicationSettings]"), std::string::npos);
    m_toolbar.SynchronizeWithOtherWindows();
    EXPECT_EQ(ReadTextFile(ErrorLogPath()), log);
}

TEST_F(ToolbarSyncTest, ASecondProcessFollowsWithinTwoTicks)
{
    SetSignedIn(false);
    Create();
    EXPECT_EQ(FollowInOtherProcess(L"signin", [] { StoreSignInState(true); }), 0);
    m_toolbar.SynchronizeWithOtherWindows();
    ASSERT_TRUE(m_toolbar.ShowsLoginDocument());

    const std::pair<const wchar_t*, std::function<void()>> changes[] = {
        {L"settings", [&] {
             WriteSettings(2);
             RaiseChange(SharedState().SettingsChanged);
         }},
        {L"skin", [&] {
             // Chosen in this window's settings dialog: a skin of pictures.
             env().dialogScript = [](HWND dialog) {
                 HWND page = ::FindWindowExW(dialog, nullptr, L"#32770", nullptr);
                 ::SendDlgItemMessageW(page, IDC_APP_SKINS, CB_SETCURSEL, 0, 0); // "Graphite", skin 4
                 ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_APP_SKINS, CBN_SELCHANGE), 0);
                 ::SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_APPLY, 0);
                 ::SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_CLOSE, 0);
             };
             Click(kMenuSettings);
             env().dialogScript = nullptr;
         }},
        {L"toolbar", [] { CToolbarOperations().AddToolbarFromTabStrip(L"Added"); }},
        {L"move", [] {
             CButtonOperations().MoveButtonToToolbar(ToolbarRef{L"Main", 1}, 2, 2, {L"Main", L"Second", L"Added"});
         }},
    };
    for (const auto& [scenario, change] : changes) EXPECT_EQ(FollowInOtherProcess(scenario, change), 0) << scenario;
}

TEST(SyncPlan, WhatChangedDecidesWhatIsRedone)
{
    // A case a line: what; the marks now (handled: 0 5 5 5 5 5 5); the shared current toolbar (this window shows 2);
    // 1 when the stored sign-in state switched => the plan, and whether a second pass finds nothing left to redo.
    ExpectGoldenTable("SyncPlans.txt", [](const std::wstring& input) {
        SyncMarks now, handled{0, 5, 5, 5, 5, 5, 5};
        LONG current = 0;
        int signIn = 0;
        swscanf(input.c_str() + input.find(L';') + 1, L"%d %ld %ld %ld %ld %ld %ld; %ld; %d", &now.popupState,
                &now.tabs, &now.settings, &now.buttons, &now.buttonEdits, &now.moves, &now.pluginData, &current,
                &signIn);
        const SyncPlan plan = PlanSynchronization(SyncSnapshot{now, current, 2, static_cast<SignInSwitch>(signIn)}, handled);
        const SyncPlan again = PlanSynchronization(SyncSnapshot{now, 2, 2, SignInSwitch::None}, handled);
        const bool settled = !again.popupSwitched && !again.reloadSettings && !again.rebuild;
        return Format(L"popup %d, settings %d, documents %d, rebuild %ls%ls", plan.popupSwitched, plan.reloadSettings,
                      static_cast<int>(plan.switchDocuments), plan.rebuild ? std::to_wstring(*plan.rebuild).c_str() : L"-",
                      plan.switchDocuments != SignInSwitch::None ? L"" : settled ? L"; then settled" : L"; then again");
    });
}

} // namespace
