// Plug-in buttons end to end: the sample plug-in libraries and the SDK
// stand-in (copied with a script of the test's own) behind a real toolbar
// window: pictures, "Settings", and the plug-in manager page.
#include "ToolbarFixture.h"

#include "config/InstallPaths.h"
#include "plugins/PluginData.h"
#include "resources/resource.h"
#include "support/PluginSdks.h"
#include "toolbar/PluginButtons.h"
#include "toolbar/PluginManager.h"

using namespace marlin;
using namespace marlin::test;

namespace {

int g_stops = 0, g_starts = 0;

constexpr char kSdkScript[] =
    "<PluginSdk><QueryDataChanged Value=\"0\"/>"
    "<Plugin ID=\"1\" Icon=\"..\\Images\\EbayWide.ico\"/><Plugin ID=\"3\" Icon=\"..\\Images\\YouTube.ico\"/></PluginSdk>";
// YouTube first: the manager's list sorts.
constexpr char kCatalogue[] = "<PlugIns><PlugIn Name=\"YouTube\"><ID>3</ID><Frequency>10</Frequency></PlugIn>"
                              "<PlugIn Name=\"EBay\"><ID>1</ID><Frequency>5</Frequency></PlugIn></PlugIns>";
constexpr int kEbay = 4, kYouTube = 5; // the signed-in template's plug-in buttons

class PluginButtonsTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        g_InstallPath = m_data; // as the band's start-up sets it
        for (const auto& [id, name] : {std::pair{1, L"EBay"}, std::pair{3, L"YouTube"}}) {
            const std::wstring from = WinePath(MARLIN_PLUGINS_DIR) + Format(L"\\%d\\%ls.dll", id, name);
            const std::wstring folder = MakeFolder(Format(L"Data\\Plugins\\%d", id));
            ASSERT_TRUE(::CopyFileW(from.c_str(), (folder + name + L".dll").c_str(), FALSE));
        }
        WriteCatalogue(kCatalogue);
        m_sdk.emplace(MakeFolder(L"Data\\PluginSdk"), kSdkScript);
        g_stops = g_starts = 0;
        SetPluginRefreshControl({[]() noexcept { ++g_stops; }, []() noexcept { ++g_starts; }});
        // The signed-in template, its home menu with a "Plug-in Manager" entry.
        std::wstring login = DocumentTemplate(true);
        const size_t home = login.find(L"newwindow=\"no\"/>");
        login.replace(home, 16, L"newwindow=\"no\"><Item caption=\"Plug-in Manager\"/></ButtDesc>");
        WriteLogin(login);
    }
    void TearDown() override
    {
        m_toolbar.Destroy(); // lets go of the SDK object before its library
        m_sdk.reset();
        SetPluginRefreshControl({});
        ToolbarFixture::TearDown();
    }

    void WriteCatalogue(const char* xml) { ASSERT_TRUE(WriteTextFile(m_data + L"XMLS\\Plug-in.xml", xml)); }
    std::optional<StandInSdk> m_sdk;
    std::string SdkLog() const { return ReadTextFile(m_data + L"PluginSdk\\PluginSdk.log"); }
    const ToolbarButton* Button(int command) const
    {
        for (size_t i = 0; i < m_toolbar.ButtonCount(); ++i) {
            if (m_toolbar.GetButton(i)->commandId == command) return m_toolbar.GetButton(i);
        }
        return nullptr;
    }
    int ImageListOf(int command) const
    {
        TBBUTTONINFOW info{sizeof(info)};
        info.dwMask = TBIF_IMAGE;
        ::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
        return HIWORD(info.iImage);
    }
    // Chooses the plug-in button's "Settings" from its drop-down menu.
    void ChooseSettings(int command)
    {
        const std::vector<CapturedItem> menu = DropDown(command);
        ASSERT_FALSE(menu.empty());
        ASSERT_EQ(menu.back().text, L"Settings");
        DropDown(command, menu.back().id);
    }
};

TEST_F(PluginButtonsTest, SettingsRunsThePluginStoresItsDataAndShowsItsMenuWithSettingsLast)
{
    Create();
    EXPECT_EQ(Texts(DropDown(kEbay)), std::vector<std::wstring>{L"Settings"}) << "the stored Settings, once";
    ChooseSettings(kEbay);
    EXPECT_EQ(g_stops, 1);
    EXPECT_EQ(g_starts, 1);
    ExpectGolden("PluginMenuAfterSettings.txt", ToUtf8(Render(DropDown(kEbay))));
    EXPECT_NE(SdkLog().find("QueryDataChanged"), std::string::npos);

    // A plug-in whose data has no Settings still shows one, last; a faulting plug-in changes nothing.
    ASSERT_TRUE(WriteTextFile(m_data + L"Plugins\\1\\FetchData.txt",
                              "<ButtDesc><Item caption=\"Only entry\"/></ButtDesc>"));
    ChooseSettings(kEbay);
    EXPECT_EQ(Texts(DropDown(kEbay)), (std::vector<std::wstring>{L"Only entry", L"Settings"}));
    const std::string stored = ReadTextFile(LoginPath());
    ASSERT_TRUE(WriteTextFile(m_data + L"Plugins\\1\\FetchData.txt", "#fault"));
    ChooseSettings(kEbay);
    EXPECT_EQ(ReadTextFile(LoginPath()), stored) << "the button's data stays";
    EXPECT_EQ(Texts(DropDown(kEbay)), (std::vector<std::wstring>{L"Only entry", L"Settings"}));
    EXPECT_EQ(g_stops, 3);
    EXPECT_EQ(g_starts, 3) << "the refresh runs again after every call";
    EXPECT_NE(ReadTextFile(m_data + L"XMLS\\MarlinToolbarErrorLog.xml").find("Plugin faulted"), std::string::npos);

    // Data the refresh stores shows at the window's next tick.
    ASSERT_TRUE(StorePluginData(L"3", L"0", L"<ButtDesc><Item caption=\"Fresh\"/></ButtDesc>"));
    ::SendMessageW(m_toolbar.hwnd(), WM_TIMER, CMarlinToolbarCtrl::kSyncTimer, 0);
    EXPECT_EQ(Texts(DropDown(kYouTube)), (std::vector<std::wstring>{L"Fresh", L"Settings"}));
}

TEST_F(PluginButtonsTest, PicturesComeFromTheSdkAfterTheFirstBuildWideOnesInListsOfTheirOwn)
{
    Create();
    EXPECT_EQ(SdkLog(), "") << "nothing asked while the toolbar is made";
    EXPECT_EQ(ImageListOf(kEbay), 0);
    Pump();
    ASSERT_TRUE(Button(kEbay) && Button(kEbay)->pluginImage);
    const int list = ImageListOf(kEbay);
    ASSERT_GE(list, 1);
    int width = 0, height = 0;
    ASSERT_TRUE(::ImageList_GetIconSize(m_toolbar.RowImageList(list), &width, &height));
    EXPECT_EQ(width, 49) << "one pixel wider than the 48-pixel picture";
    EXPECT_EQ(height, 16);
    EXPECT_EQ(CaptionOf(m_toolbar.ButtonToolbar(), kEbay), L"        EBay") << "one blank per 6 pixels";
    EXPECT_EQ(Button(kEbay)->caption, L"EBay") << "menus and tooltips keep the caption";
    // The place a plug-in is given: its button's item, down to the toolbar window's bottom on the screen.
    RECT item{}, window{};
    ::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETRECT, kEbay, reinterpret_cast<LPARAM>(&item));
    ::GetWindowRect(m_toolbar.hwnd(), &window);
    const RECT place = m_toolbar.PluginRect(kEbay);
    EXPECT_EQ(std::make_tuple(place.left, place.top, place.right, place.bottom),
              std::make_tuple(item.left, item.top, item.right, window.bottom));
    ASSERT_TRUE(Button(kYouTube) && Button(kYouTube)->pluginImage);
    EXPECT_EQ(ImageListOf(kYouTube), 0) << "a 16-pixel picture joins the icons";
}

TEST_F(PluginButtonsTest, WithoutACatalogueEntryOrLibraryAButtonKeepsItsIcon)
{
    WriteCatalogue("<PlugIns><PlugIn Name=\"YouTube\"><ID>3</ID></PlugIn></PlugIns>");
    ASSERT_TRUE(::DeleteFileW((m_data + L"Plugins\\3\\YouTube.dll").c_str()));
    Create();
    Pump();
    for (int command : {kEbay, kYouTube}) {
        ASSERT_TRUE(Button(command));
        EXPECT_FALSE(Button(command)->pluginImage) << command;
        EXPECT_EQ(ImageListOf(command), 0) << command;
        EXPECT_GE(Button(command)->imageIndex, 0) << "its icon file's image";
    }
    EXPECT_EQ(SdkLog().find("QueryPlugin"), std::string::npos);
}

TEST_F(PluginButtonsTest, ManagerListsPluginsSortedAndRunsTheChosenOne)
{
    Create();
    InSettings([&](HWND dialog, HWND page) {
        HWND tabs = ::GetDlgItem(dialog, IDC_SETTINGS_TABS);
        ASSERT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 2);
        wchar_t title[64] = {};
        TCITEMW item{TCIF_TEXT, 0, 0, title, 64};
        ::SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(title, L"Plug-ins Manager");
        EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
        ASSERT_TRUE(page);
        EXPECT_EQ(ComboText(::GetDlgItem(page, IDC_PLUGIN_LIST)), L"EBay *\nYouTube\n");
        ::SendDlgItemMessageW(page, IDC_PLUGIN_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Press(page, IDC_PLUGIN_MODIFY);
        ::SendDlgItemMessageW(page, IDC_PLUGIN_LIST, CB_SETCURSEL, 1, 0);
        Press(page, IDC_PLUGIN_MODIFY);
    }, IDC_PLUGIN_LIST);
    ExpectGolden("PluginManagerMessages.txt", MessageBoxes());
    EXPECT_EQ(g_stops, 2);
    EXPECT_EQ(g_starts, 2);
    EXPECT_NE(ReadTextFile(LoginPath()).find("Popular videos"), std::string::npos) << "YouTube's data stored";

    // The home menu's "Plug-in Manager" opens the dialog on the page; with an empty catalogue it only restarts the refresh.
    WriteCatalogue("<PlugIns/>");
    env().messageBoxes.clear();
    InSettings([&](HWND dialog, HWND page) {
        EXPECT_EQ(::SendDlgItemMessageW(dialog, IDC_SETTINGS_TABS, TCM_GETCURSEL, 0, 0), 1);
        ASSERT_TRUE(page);
        EXPECT_TRUE(::IsWindowVisible(page));
        EXPECT_EQ(ComboText(::GetDlgItem(page, IDC_PLUGIN_LIST)), L"");
        Press(page, IDC_PLUGIN_MODIFY);
    }, IDC_PLUGIN_LIST, L"Plug-in Manager");
    EXPECT_TRUE(env().messageBoxes.empty());
    EXPECT_EQ(g_stops, 3);
    EXPECT_EQ(g_starts, 3);
}

} // namespace
