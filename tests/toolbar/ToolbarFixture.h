#pragma once
// A toolbar window over a data folder of its own, read back through the
// toolbar control's messages, with the menus it would track captured.
#include "StandInBrowser.h"
#include "document/SharedInstanceState.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "resources/resource.h"
#include "support/Dialogs.h"
#include "support/Golden.h"
#include "toolbar/MarlinToolbarCtrl.h"

#include <functional>
#include <string>
#include <vector>

namespace marlin::test {

// One entry of a captured menu.
struct CapturedItem {
    std::wstring text;
    UINT id = 0;
    bool grayed = false;
    bool separator = false;
    bool hasIcon = false;
    std::vector<CapturedItem> children;
};

inline std::vector<CapturedItem> CaptureMenu(HMENU menu)
{
    std::vector<CapturedItem> items;
    const int count = ::GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        ::GetMenuItemInfoW(menu, position, TRUE, &info);
        CapturedItem item{{}, info.wID, (info.fState & MFS_GRAYED) != 0, (info.fType & MFT_SEPARATOR) != 0};
        if (const CMenuHelp::Item* data = CMenuHelp::ItemAt(menu, position)) {
            item.text = data->text;
            item.hasIcon = data->image >= 0;
        }
        if (info.hSubMenu) item.children = CaptureMenu(info.hSubMenu);
        items.push_back(std::move(item));
    }
    return items;
}

// A captured menu as text, an entry a line ("-" a separator), sub-menus
// indented: the caption, its identifier unless 0, "grey", "icon".
inline std::wstring Render(const std::vector<CapturedItem>& items, const std::wstring& indent = L"")
{
    std::wstring text;
    for (const CapturedItem& item : items) {
        text += indent + (item.separator ? L"-" : item.text);
        if (!item.separator && item.id) text += L" #" + std::to_wstring(item.id);
        text += std::wstring(item.grayed ? L" grey" : L"") + (item.hasIcon ? L" icon" : L"") + L"\n";
        text += Render(item.children, indent + L"    ");
    }
    return text;
}

inline std::vector<std::wstring> Texts(const std::vector<CapturedItem>& items)
{
    std::vector<std::wstring> texts;
    for (const CapturedItem& item : items) texts.push_back(item.separator ? L"-" : item.text);
    return texts;
}

inline const CapturedItem* Find(const std::vector<CapturedItem>& items, const std::wstring& text)
{
    for (const CapturedItem& item : items) {
        if (item.text == text) return &item;
    }
    return nullptr;
}

// A combo box's list, an entry a line: its text, "=" the number it carries when asked, "*" the chosen one.
inline std::wstring ComboText(HWND list, bool numbers = false)
{
    std::wstring text;
    for (LRESULT index = 0; index < ::SendMessageW(list, CB_GETCOUNT, 0, 0); ++index) {
        wchar_t name[256] = {};
        ::SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name));
        text += name + (numbers ? Format(L"=%d", static_cast<int>(::SendMessageW(list, CB_GETITEMDATA, index, 0))) : L"") +
                (index == ::SendMessageW(list, CB_GETCURSEL, 0, 0) ? L" *\n" : L"\n");
    }
    return text;
}

class ToolbarFixture : public IsolatedTest {
protected:
    void SetUp() override
    {
        IsolatedTest::SetUp();
        m_data = MakeFolder(L"Data");
        MakeFolder(L"Data\\XMLS");
        MakeFolder(L"Data\\Images");
        CopyFiles(WinePath(MARLIN_IMAGES_DIR), L"*.ico", m_data + L"Images");
        // An installation has its ini file: the search box reads its keyword list there.
        WriteTextFile(env().windowsDirectory + L"\\MarlinToolbar.ini", "[MTSettings]\r\n");
        SetSignedIn(true);
        WriteBasic(Golden(L"Basic.xml"));
        // The browser's own key, where its pop-up switch lives.
        CreateRegistryKey(HKEY_CURRENT_USER, L"Software\\Microsoft\\Internet Explorer", KEY_ALL_ACCESS);
        ResetSharedState();
        m_parent.reset(::CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 40, nullptr,
                                         nullptr, nullptr, nullptr));
        env().chooseMenuCommand = [this](HMENU menu) {
            m_menus.push_back(CaptureMenu(menu));
            return m_nextChoice;
        };
    }
    void TearDown() override
    {
        m_toolbar.SetBrowser(nullptr);
        m_browser.Reset();
        m_toolbar.Destroy();
        m_parent.reset();
        ResetSharedState();
        IsolatedTest::TearDown();
    }

    void SetSignedIn(bool signedIn)
    {
        unique_hkey settings = CreateRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MarlinToolbar", KEY_ALL_ACCESS);
        WriteRegistryString(settings.get(), L"ApplicationPath", m_data);
        WriteRegistryString(settings.get(), L"IsLogin", signedIn ? L"1" : L"0");
    }

    // The skins the build draws, in the data folder's Skins folder.
    void InstallSkins()
    {
        const std::wstring from = WinePath(MARLIN_IMAGES_DIR "/../Skins");
        CopyFiles(from, L"*.xml", MakeFolder(L"Data\\Skins"));
        for (int skin = 1; skin <= 4; ++skin) {
            CopyFiles(from + Format(L"\\%d", skin), L"*.bmp", MakeFolder(Format(L"Data\\Skins\\%d", skin)));
        }
    }
    void WriteSettings(int skin, int logUrl = 0)
    {
        ASSERT_TRUE(WriteTextFile(m_data + L"XMLS\\ApplicationSettings.xml",
                                  ToUtf8(Format(L"<MTRoot><Popup Status=\"0\"/><LogURL Yes=\"%d\"/>"
                                                L"<AutoUpdate Plugin=\"1\"/><Skin ID=\"%d\"/></MTRoot>",
                                                logUrl, skin))));
    }

    void WriteLogin(const std::wstring& xml) { ASSERT_TRUE(WriteTextFile(LoginPath(), ToUtf8(xml))); }
    void WriteBasic(const std::wstring& xml)
    {
        ASSERT_TRUE(WriteTextFile(m_data + L"XMLS\\MarlinToolbarBasic.xml", ToUtf8(xml)));
    }
    std::wstring LoginPath() const { return m_data + L"XMLS\\MarlinToolbarLogin.xml"; }

    void Create()
    {
        RECT rect{0, 0, 1000, 30};
        ASSERT_TRUE(m_toolbar.CreateIn(m_parent.get(), rect));
        ::SendMessageW(m_toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(1000, 30));
    }

    // A browser for the toolbar to navigate, given to it on first use (after Create).
    standin::StandInBrowser& Browser()
    {
        if (!m_browser) {
            m_browser = standin::StandInBrowser::Make(m_parent.get());
            m_toolbar.SetBrowser(m_browser.Get());
        }
        return *m_browser.Get();
    }
    std::vector<std::wstring> Navigations()
    {
        std::vector<std::wstring> urls;
        for (const auto& request : Browser().NavigationRequests()) urls.push_back(request.url);
        return urls;
    }

    TBBUTTON ButtonAt(int position) const
    {
        TBBUTTON button{};
        ::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
        return button;
    }
    std::wstring CaptionOf(HWND toolbar, int command) const
    {
        wchar_t text[256] = {};
        TBBUTTONINFOW info{sizeof(info)};
        info.dwMask = TBIF_TEXT;
        info.pszText = text;
        info.cchText = 255;
        ::SendMessageW(toolbar, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info));
        return text;
    }
    bool Hidden(int command) const
    {
        return ::SendMessageW(m_toolbar.ButtonToolbar(), TB_ISBUTTONHIDDEN, command, 0) != 0;
    }
    int Count() const { return static_cast<int>(::SendMessageW(m_toolbar.ButtonToolbar(), TB_BUTTONCOUNT, 0, 0)); }
    void Resize(int width) { ::SendMessageW(m_toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(width, 30)); }
    void Click(int command) { ::SendMessageW(m_toolbar.hwnd(), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0); }

    // Opens the drop-down menu of the button `command`, or its context menu, choosing `choice` (0: none).
    std::vector<CapturedItem> DropDown(int command, UINT choice = 0)
    {
        NMTOOLBARW notice{{m_toolbar.ButtonToolbar(), 0, static_cast<UINT>(TBN_DROPDOWN)}, command};
        return Track([&] { ::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice)); }, choice);
    }
    std::vector<CapturedItem> RightClick(int command, UINT choice = 0)
    {
        NMMOUSE notice{{m_toolbar.ButtonToolbar(), 0, static_cast<UINT>(NM_RCLICK)}, static_cast<DWORD_PTR>(command)};
        return Track([&] { ::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice)); }, choice);
    }
    // Chooses the home menu's entry `caption` (within the toolbar sub-menu `toolbar`).
    void ChooseHomeEntry(const std::wstring& caption, const std::wstring& toolbar = L"")
    {
        const std::vector<CapturedItem> menu = DropDown(1);
        const CapturedItem* parent = toolbar.empty() ? nullptr : Find(menu, toolbar);
        const CapturedItem* entry = Find(parent ? parent->children : menu, caption);
        ASSERT_TRUE(entry) << ToUtf8(caption);
        DropDown(1, entry->id);
    }
    // Opens the settings dialog (from the home menu's `entry` if given) and runs `script` in it, with its page
    // that holds `pageItem` (0: its first page); the dialog closes after.
    void InSettings(const std::function<void(HWND dialog, HWND page)>& script, int pageItem = 0,
                    const wchar_t* entry = nullptr)
    {
        bool ran = false;
        env().dialogScript = [&](HWND dialog) {
            ran = true;
            HWND page = ::FindWindowExW(dialog, nullptr, L"#32770", nullptr);
            while (page && pageItem && !::GetDlgItem(page, pageItem)) page = ::FindWindowExW(dialog, page, L"#32770", nullptr);
            script(dialog, page);
            ::SendMessageW(dialog, WM_COMMAND, IDC_SETTINGS_CLOSE, 0);
        };
        entry ? ChooseHomeEntry(entry) : Click(kMenuSettings);
        env().dialogScript = nullptr;
        EXPECT_TRUE(ran) << "the dialog did not open";
    }
    template <typename Open>
    std::vector<CapturedItem> Track(Open open, UINT choice)
    {
        m_menus.clear();
        m_nextChoice = choice;
        open();
        m_nextChoice = 0;
        return m_menus.empty() ? std::vector<CapturedItem>{} : m_menus.front();
    }

    std::wstring m_data;
    unique_hwnd m_parent;
    CMarlinToolbarCtrl m_toolbar;
    ComPtr<standin::StandInBrowser> m_browser;
    std::vector<std::vector<CapturedItem>> m_menus;
    UINT m_nextChoice = 0;
};

} // namespace marlin::test
