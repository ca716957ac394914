// ApplicationSettings.xml read into the process-wide values and written back.
#include "config/ApplicationSettings.h"
#include "support/Installation.h"
#include "support/LockProbes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class ApplicationSettingsTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(true);
        g_LogURL = g_AutoUpdate = g_Skin = g_PopupMgr = 0;
        SetSkinLoader(nullptr);
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
    EXPECT_EQ(g_ApplicationPath.get(), data);
    EXPECT_EQ(g_InstallPath.get(), data);
    EXPECT_EQ(g_PopupMgr, 0) << "the browser's \"no\" wins over the document";
    EXPECT_EQ(g_LogURL, 1) << "the first attribute counts, whatever its name";
    EXPECT_EQ(g_AutoUpdate, 1);
    EXPECT_EQ(g_Skin, 3);
    EXPECT_EQ(skinLoads, 1);
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

    EXPECT_TRUE(SaveSettingsPage({0, 1, 1, 2}));
    EXPECT_EQ(g_Skin, 3) << "position 2 is skin 3";
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
    EXPECT_FALSE(SaveSettingsPage({1, 1, 1, 4}));
    ExpectGolden("settings-locked-log.xml", ReadTextFile(errorLog));
    EXPECT_EQ(ReadTextFile(path()), before);
}

} // namespace
