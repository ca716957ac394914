// ApplicationSettings.xml read into the process-wide values and written back.
#include "config/ApplicationSettings.h"
#include "config/InstallPaths.h"
#include "config/SettingsStore.h"
#include "platform/Files.h"
#include "platform/ComTypes.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "platform/XmlDom.h"
#include "support/LockProbes.h"
#include "support/TestIsolation.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class ApplicationSettingsTest : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        m_data = MakeFolder(L"Data");
        MakeFolder(L"Data\\XMLS");
        unique_hkey settings = CreateRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_ALL_ACCESS);
        WriteRegistryString(settings.get(), L"ApplicationPath", m_data);
        WriteTextFile(env().windowsDirectory + L"\\MarlinToolbar.ini", "[MTSettings]\r\nOsInfo=\r\n");
        g_ApplicationPath = m_data;
        g_LogURL = g_AutoUpdate = g_Skin = g_PopupMgr = 0;
        SetSkinLoader(nullptr);
    }
    void TearDown() override
    {
        SetSkinLoader(nullptr);
        IsolatedTest::TearDown();
    }
    std::wstring path() const { return m_data + L"XMLS\\ApplicationSettings.xml"; }
    void Write(const char* xml) { ASSERT_TRUE(WriteTextFile(path(), xml)); }
    std::wstring Attribute(const wchar_t* element, const wchar_t* attribute) const
    {
        auto document = XmlDocument::Create();
        EXPECT_TRUE(document->Load(path()));
        for (const XmlElement& child : ChildElements(document->Root().Get())) {
            if (NodeName(child.Get()) == element) return GetAttribute(child.Get(), attribute).value_or(L"<none>");
        }
        return L"<no element>";
    }

    std::wstring m_data;
};

TEST_F(ApplicationSettingsTest, ReadsAttributeZeroAndFollowsTheBrowsersPopupSwitch)
{
    Write("<MTRoot><Popup Status=\"1\"/><LogURL On=\"1\" Yes=\"0\"/><AutoUpdate Plugin=\"1\"/><Skin ID=\"3\"/>"
          "<Other x=\"9\"/></MTRoot>");
    CReadRegistryValues().SetPopupMgr(0);
    int skinLoads = 0;
    SetSkinLoader([&] { ++skinLoads; return 1; });

    EXPECT_EQ(InitializeApplicationSettings(), 1);
    EXPECT_EQ(g_ApplicationPath.get(), m_data);
    EXPECT_EQ(g_InstallPath.get(), m_data);
    EXPECT_EQ(g_PopupMgr, 0) << "the browser's \"no\" wins over the document";
    EXPECT_EQ(g_LogURL, 1) << "the first attribute counts, whatever its name";
    EXPECT_EQ(g_AutoUpdate, 1);
    EXPECT_EQ(g_Skin, 3);
    EXPECT_EQ(skinLoads, 1);
    EXPECT_EQ(Attribute(L"Popup", L"Status"), L"0") << "the document follows the switch";
    EXPECT_EQ(Attribute(L"Other", L"x"), L"9");
    EXPECT_NE(ReadTextFile(env().windowsDirectory + L"\\MarlinToolbar.ini").find("OsInfo=XP"), std::string::npos);

    SetSkinLoader([] { return 0; });
    EXPECT_EQ(InitializeApplicationSettings(), 0) << "a skin that does not load fails the start-up read";
}

TEST_F(ApplicationSettingsTest, MissingOrForeignDocumentsLeaveTheValuesAlone)
{
    g_Skin = 4;
    EXPECT_EQ(InitializeApplicationSettings(), 0);
    EXPECT_EQ(g_Skin, 4);
    EXPECT_NE(ReadTextFile(m_data + L"XMLS\\MarlinToolbarErrorLog.xml")
                  .find("[CMarlinToolbarObj][InitializeApplicationSettings][Failed to Initialize Application Settings.]"),
              std::string::npos);

    Write("<Settings><Skin ID=\"2\"/></Settings>");
    EXPECT_EQ(InitializeApplicationSettings(), 0);
    EXPECT_EQ(g_Skin, 4);
}

TEST_F(ApplicationSettingsTest, WritersAddressTheAttributesByName)
{
    Write("<MTRoot><Popup Status=\"0\"/><LogURL Yes=\"0\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"2\"/></MTRoot>");
    g_PopupMgr = 1;
    g_LogURL = 1;
    g_AutoUpdate = 0;
    g_Skin = 5;
    SaveApplicationSettings();
    EXPECT_EQ(Attribute(L"Popup", L"Status"), L"1");
    EXPECT_EQ(Attribute(L"LogURL", L"Yes"), L"1");
    EXPECT_EQ(Attribute(L"Skin", L"ID"), L"5");

    SaveSettingsPage({0, 1, 1, 2});
    EXPECT_EQ(g_Skin, 3) << "position 2 is skin 3";
    EXPECT_EQ(Attribute(L"Skin", L"ID"), L"3");
    EXPECT_EQ(Attribute(L"AutoUpdate", L"Plugin"), L"1");
    EXPECT_EQ(Attribute(L"Popup", L"Status"), L"0");
    EXPECT_TRUE(env().messageBoxes.empty());

    ::DeleteFileW(path().c_str());
    g_Skin = 7;
    SaveSettingsPage({1, 1, 1, 0});
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"Failed to Initialize Application Settings.");
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
    const std::wstring log = m_data + L"XMLS\\MarlinToolbarErrorLog.xml";
    EXPECT_NE(ReadTextFile(log).find("[SaveApplicationSettings][File in use, not saved: ApplicationSettings.xml]"),
              std::string::npos);
    HeldLock logHeld(log);
    const std::string logBefore = ReadTextFile(log);
    EXPECT_FALSE(SaveSettingsPage({1, 1, 1, 4}));
    EXPECT_EQ(ReadTextFile(log), logBefore);
    EXPECT_EQ(ReadTextFile(path()), before);
}

} // namespace
