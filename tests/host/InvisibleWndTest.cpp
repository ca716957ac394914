// The hidden window's part in the plug-in refresh: registered while it exists
// (the oldest drives), its timer's tick runs the refresh, StopPluginTimer and
// StartPluginTimer stop and start it.
#include "host/InvisibleWnd.h"
#include "support/Installation.h"

#include "config/InstallPaths.h"
#include "document/SharedInstanceState.h"
#include "plugins/PluginRefresh.h"
#include "plugins/PluginSdk.h"

#include <memory>

using namespace marlin;
using namespace marlin::test;

namespace {

class InvisibleWndTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(true);
        // No SDK, whatever the machine has registered.
        SetPluginSdkFactory([](DWORD, IPluginSdk**) { return REGDB_E_CLASSNOTREG; });
        g_InstallPath = MakeFolder(L"Install");
        WriteTextFile(MakeFolder(L"Install\\Plugins\\1") + L"EBay.dll", "MZ");
        WriteTextFile(xmls + L"Plug-in.xml", "<R><PlugIn Name=\"EBay\"><ID>1</ID><Frequency>1</Frequency></PlugIn></R>");
        m_parent.reset(::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 800, 30, nullptr, nullptr, nullptr,
                                         nullptr));
    }
    void TearDown() override
    {
        m_parent.reset();
        ResetSharedState();
        InstallationFixture::TearDown();
    }
    std::unique_ptr<CInvisibleWnd> Make() const
    {
        auto window = std::make_unique<CInvisibleWnd>();
        EXPECT_TRUE(window->CreateIn(m_parent.get(), RECT{0, 0, 800, 30}));
        return window;
    }
    static size_t Tick(CInvisibleWnd& window)
    {
        ::SendMessageW(window.hwnd(), WM_TIMER, kPluginTimer, 0);
        return QueuedPluginRefreshes().size();
    }

    unique_hwnd m_parent;
};

TEST_F(InvisibleWndTest, TheOldestWindowDrivesAndItsTimerStopsAndStartsTheRefresh)
{
    auto first = Make(), second = Make();
    EXPECT_FALSE(first->SdkReady()) << "no SDK here";
    EXPECT_TRUE(first->Refresh().Drives());
    EXPECT_FALSE(second->Refresh().Drives());
    first.reset();
    EXPECT_TRUE(second->Refresh().Drives()) << "the next window takes over";

    SharedState().IsLoggedIn = 1;
    const PluginRefreshHold hold; // workers wait: what is queued stays visible
    EXPECT_EQ(Tick(*second), 1u);
    second->StopPluginTimer();
    EXPECT_TRUE(QueuedPluginRefreshes().empty());
    EXPECT_EQ(Tick(*second), 0u) << "stopped";
    second->StartPluginTimer();
    EXPECT_EQ(Tick(*second), 1u);
    second.reset();
    EXPECT_TRUE(QueuedPluginRefreshes().empty()) << "the last window's end stops every worker";
}

} // namespace
