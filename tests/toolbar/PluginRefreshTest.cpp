// The toolbar's part in the plug-in refresh: an open menu holds the workers
// back, and signing out ends them without leaving the refresh stopped.
#include "ToolbarFixture.h"

#include "config/InstallPaths.h"
#include "document/SharedInstanceState.h"
#include "plugins/PluginRefresh.h"

namespace marlin::test {
namespace {

class ToolbarPluginRefreshTest : public ToolbarFixture {};

TEST_F(ToolbarPluginRefreshTest, MenusHoldTheWorkersAndSigningOutEndsThem)
{
    g_InstallPath = MakeFolder(L"Install");
    WriteTextFile(MakeFolder(L"Install\\Plugins\\1") + L"EBay.dll", "MZ");
    WriteTextFile(m_data + L"XMLS\\Plug-in.xml", "<R><PlugIn Name=\"EBay\"><ID>1</ID><Frequency>1</Frequency></PlugIn></R>");
    WriteLogin(Golden(L"Commands.xml"));
    Create();
    SharedState().IsLoggedIn = 1;
    // Without an SDK a worker runs and does nothing: only its turn is watched.
    PluginRefreshRegistration window = PluginRefreshRegistration::Register(false);
    const auto idle = [] {
        for (int i = 0; i < 2000 && !QueuedPluginRefreshes().empty(); ++i) ::Sleep(5);
        return QueuedPluginRefreshes().empty();
    };

    size_t waitingWhileOpen = 0, started = 0;
    env().chooseMenuCommand = [&](HMENU) {
        started = window.Tick();
        ::Sleep(50);
        waitingWhileOpen = QueuedPluginRefreshes().size();
        return 0u;
    };
    DropDown(6);
    EXPECT_EQ(started, 1u);
    EXPECT_EQ(waitingWhileOpen, 1u) << "held while the menu is open";
    EXPECT_TRUE(idle()) << "released when it closes";

    {
        const PluginRefreshHold hold;
        EXPECT_EQ(window.Tick(), 1u);
        Click(kSignInCommand);
        EXPECT_TRUE(QueuedPluginRefreshes().empty()) << "signing out ended the waiting worker";
    }
    SharedState().IsLoggedIn = 0;
    EXPECT_EQ(window.Tick(), 0u);
    SharedState().IsLoggedIn = 1;
    EXPECT_EQ(window.Tick(), 1u) << "signed in again, the refresh runs";
    EXPECT_TRUE(idle());
}

} // namespace
} // namespace marlin::test
