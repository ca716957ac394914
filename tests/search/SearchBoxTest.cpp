// The search box's windows in a real toolbar window, driven by real keyboard
// and mouse messages delivered as the browser delivers them: key messages for
// the search box's windows go through its key handler, everything else is
// translated and dispatched.
#include "document/SignIn.h"
#include "search/SearchEngines.h"
#include "support/DropObjects.h"
#include "toolbar/ToolbarFixture.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class SearchBoxTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        CopyFiles(WinePath(MARLIN_IMAGES_DIR), L"*.bmp", m_data + L"Images"); // the engine button's pictures
    }
    void Create()
    {
        ToolbarFixture::Create();
        Browser();
        ASSERT_TRUE(Box().EditWindow());
        ::SetFocus(Box().EditWindow());
    }

    CSearchBox& Box() { return m_toolbar.SearchBox(); }
    HWND Edit() { return Box().EditWindow(); }
    std::wstring Text() { return Box().Edit().Text(); }

    // The browser's message loop.
    void Pump()
    {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
            if (key && Box().OwnsWindow(message.hwnd) && Box().TranslateKey(message) == S_OK) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    void Key(UINT key, HWND to = nullptr)
    {
        const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
        ::PostMessageW(to ? to : ::GetFocus(), WM_KEYDOWN, key, scan | 1);
        ::PostMessageW(to ? to : ::GetFocus(), WM_KEYUP, key, scan | 0xC0000001);
        Pump();
    }
    void Type(const std::wstring& text)
    {
        for (wchar_t c : text) Key(LOBYTE(::VkKeyScanW(c)));
    }
    void ClickHistoryButton()
    {
        HWND button = Box().HistoryButton().hwnd();
        ::SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        ::SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        Pump();
    }
    // Chooses `command` (0: none) from the engine menu; answers the menu's texts.
    std::vector<std::wstring> ChooseEngine(UINT command)
    {
        std::vector<std::wstring> texts;
        env().chooseMenuCommand = [&](HMENU menu) {
            for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                const CMenuHelp::Item* item = CMenuHelp::ItemAt(menu, i);
                texts.push_back(item ? item->text + (item->image == i ? L"+" : L"") : L"?");
            }
            return command;
        };
        ::SendMessageW(Box().EngineButton().hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        ::SendMessageW(Box().EngineButton().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        Pump();
        return texts;
    }

    static std::wstring Address(const wchar_t* engine, const std::wstring& query)
    {
        return ComposeSearchAddress(EngineUrlTemplate(*FindEngineByName(engine)), query);
    }
    static void Store(std::initializer_list<const wchar_t*> names)
    {
        unique_hkey key = CreateRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, KEY_ALL_ACCESS);
        const DWORD one = 1;
        for (const wchar_t* name : names) {
            ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
        }
    }
};

TEST_F(SearchBoxTest, ReturnSearchesWhatWasTypedButNotAfterADialogClosed)
{
    Create();
    Type(L"blue shoes");
    EXPECT_EQ(Text(), L"blue shoes");
    Key(VK_RETURN);
    EXPECT_EQ(Navigations(), std::vector<std::wstring>{Address(L"Google", L"blue shoes")});
    EXPECT_EQ(::GetFocus(), Edit());

    ::SetWindowTextW(Edit(), L"");
    Key(VK_RETURN);
    EXPECT_EQ(Navigations().size(), 1u) << "an empty box searches nothing";

    // A dialog closed (here by its Cancel button): its Return is not a search.
    env().dialogScript = [](HWND dialog) { ::PostMessageW(dialog, WM_COMMAND, IDC_SIGNIN_CANCEL, 0); };
    CSignIn().DoModal(m_parent.get());
    ::SetFocus(Edit());
    Type(L"boats");
    Key(VK_RETURN);
    EXPECT_EQ(Navigations().size(), 1u);
    Key(VK_RETURN);
    EXPECT_EQ(Navigations().back(), Address(L"Google", L"boats"));

    // A Return sent to the window itself, not through the key handler, searches once.
    ::SendMessageW(Edit(), WM_KEYDOWN, VK_RETURN, 1);
    ::SendMessageW(Edit(), WM_CHAR, L'\r', 1);
    EXPECT_EQ(Navigations().size(), 3u);
}

TEST_F(SearchBoxTest, TheHistoryDropDownShowsTheWorkingListAndItsArrowKeysSearchEachEntry)
{
    Store({L"gamma", L"alpha", L"Beta"});
    Create();
    ClickHistoryButton();
    CListboxHolder& dropDown = Box().DropDown();
    ASSERT_TRUE(Box().DropDownOpen());
    EXPECT_EQ(dropDown.Entries(), Box().Search().History().Entries());
    EXPECT_EQ(dropDown.Entries(), (std::vector<std::wstring>{L"alpha", L"Beta", L"gamma"}));
    EXPECT_TRUE(::IsWindowVisible(dropDown.Label()));
    EXPECT_EQ(::GetFocus(), dropDown.List());

    std::vector<std::wstring> expected;
    for (UINT key : {VK_HOME, VK_DOWN, VK_DOWN, VK_UP}) {
        Key(key);
        expected.push_back(Address(L"Google", dropDown.SelectedText()));
        EXPECT_EQ(Text(), dropDown.SelectedText());
    }
    EXPECT_EQ(Navigations(), expected);
    ClickHistoryButton();
    EXPECT_TRUE(Box().DropDownOpen()) << "opened afresh after its arrows searched";
    Key(VK_DOWN);
    expected.push_back(Address(L"Google", dropDown.SelectedText()));
    EXPECT_EQ(Navigations(), expected);
    Key(VK_RETURN);
    EXPECT_EQ(Navigations().size(), expected.size()) << "Return closes what the arrows searched";
    EXPECT_FALSE(Box().DropDownOpen());
    EXPECT_EQ(::GetFocus(), Edit());

    ClickHistoryButton();
    ClickHistoryButton();
    EXPECT_FALSE(Box().DropDownOpen()) << "a second click closes it";

    // Signed out the list is empty and offers no clearing.
    SharedState().IsLoggedIn = 0;
    ClickHistoryButton();
    EXPECT_TRUE(dropDown.Entries().empty());
    EXPECT_FALSE(::IsWindowVisible(dropDown.Label()));
    Key(VK_ESCAPE);
    EXPECT_FALSE(Box().DropDownOpen());

    SharedState().IsLoggedIn = 1;
    ClickHistoryButton();
    ::SendMessageW(dropDown.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_SEARCH_CLEAR_HISTORY, STN_CLICKED),
                   reinterpret_cast<LPARAM>(dropDown.Label()));
    EXPECT_FALSE(Box().DropDownOpen());
    EXPECT_FALSE(OpenRegistryKey(HKEY_CURRENT_USER, kSearchHistoryKey, KEY_READ));
    ClickHistoryButton();
    EXPECT_TRUE(dropDown.Entries().empty());
}

TEST_F(SearchBoxTest, ChoosingAnEngineSwapsItAndSearchesTheTextOnIt)
{
    Create();
    EXPECT_EQ(ChooseEngine(0), (std::vector<std::wstring>{L"Google+", L"MSN+", L"Yahoo+", L"AOL+"}));
    EXPECT_EQ(ChooseEngine(ID_ENGINE_MSN).size(), 4u);
    EXPECT_TRUE(Navigations().empty()) << "an empty box only swaps the engine";
    EXPECT_EQ(Box().Search().UrlTemplate(), EngineUrlTemplate(*FindEngineByName(L"MSN")));

    Type(L"cats");
    ChooseEngine(ID_ENGINE_YAHOO);
    EXPECT_EQ(Navigations(), std::vector<std::wstring>{Address(L"Yahoo", L"cats")});
    EXPECT_EQ(Box().OwnList().Entries(), std::vector<std::wstring>{L"cats"});
    EXPECT_FALSE(::IsWindowVisible(Box().OwnList().hwnd()));
    EXPECT_EQ(::GetFocus(), Edit());

    // Another window's search box starts with the first engine.
    CSearchBox other;
    other.LayoutSearchBox(m_parent.get(), RECT{0, 0, 140, 20});
    EXPECT_EQ(other.Search().UrlTemplate(), EngineUrlTemplate(*FindEngineByName(L"Google")));
}

TEST_F(SearchBoxTest, DroppedTextIsSearchedAtOnceUnicodeFirst)
{
    Create();
    struct Case {
        bool unicode, ansi;
        std::wstring searched; // empty: no search
    };
    const Case cases[] = {
        {true, false, L"caf\x00e9 \x4e2d"},
        {false, true, L"plain words"},
        {true, true, L"caf\x00e9 \x4e2d"},
        {false, false, L""},
    };
    for (const Case& c : cases) {
        auto data = TestDataObject::Make();
        if (c.unicode) data->Add(CF_UNICODETEXT, UnicodeBytes(L"caf\x00e9\r\n\x4e2d"));
        if (c.ansi) data->Add(CF_TEXT, std::string("plain\twords", 12));
        IDropTarget* target = Box().Edit().DropTarget();
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        ASSERT_EQ(target->DragEnter(data.Get(), 0, POINTL{}, &effect), S_OK);
        EXPECT_EQ(effect, c.searched.empty() ? DROPEFFECT_NONE : DROPEFFECT_COPY);
        const size_t before = Navigations().size();
        EXPECT_EQ(target->Drop(data.Get(), 0, POINTL{}, &effect), S_OK);
        if (c.searched.empty()) {
            EXPECT_EQ(Navigations().size(), before);
        } else {
            EXPECT_EQ(Text(), c.searched);
            EXPECT_EQ(Navigations().back(), Address(L"Google", c.searched));
        }
    }
}

TEST_F(SearchBoxTest, TypedTextSurvivesResizesAndRebuildsFromOtherWindows)
{
    Create();
    Type(L"half typed");
    ::SendMessageW(Edit(), EM_SETSEL, 2, 6);
    const HWND box = Box().hwnd();
    const HWND edit = Edit();
    const unsigned builds = m_toolbar.RowBuilds();

    ::SendMessageW(m_toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(600, 30));
    ::SendMessageW(m_toolbar.hwnd(), WM_SIZE, 0, MAKELPARAM(1000, 30));
    ::InterlockedIncrement(&SharedState().TabsChanged); // another window added a toolbar
    m_toolbar.SynchronizeWithOtherWindows();
    Pump();

    EXPECT_GT(m_toolbar.RowBuilds(), builds);
    EXPECT_EQ(Box().hwnd(), box);
    EXPECT_EQ(Edit(), edit);
    EXPECT_EQ(Text(), L"half typed");
    DWORD start = 0, end = 0;
    ::SendMessageW(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(DWORD{2}, DWORD{6}));
    EXPECT_EQ(::GetFocus(), edit);
    EXPECT_EQ(::GetParent(box), m_toolbar.hwnd());
}

TEST_F(SearchBoxTest, SuggestionsComeFromTheLocalHistoryWhileTyping)
{
    Create();
    for (const wchar_t* query : {L"apple pie", L"banana", L"apricot", L"Apple tart"}) Box().RunSearch(query);
    const size_t searches = Navigations().size();

    Type(L"ap");
    CListboxHolder& dropDown = Box().DropDown();
    ASSERT_TRUE(Box().DropDownOpen());
    EXPECT_EQ(dropDown.CurrentMode(), CListboxHolder::Mode::Suggestions);
    EXPECT_EQ(dropDown.Entries(), (std::vector<std::wstring>{L"Apple tart", L"apricot", L"apple pie"}));
    EXPECT_EQ(::GetFocus(), Edit()) << "typing goes on in the edit box";

    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(Text(), L"apricot");
    EXPECT_EQ(Navigations().size(), searches) << "arrows only choose";
    Key(VK_RETURN);
    EXPECT_EQ(Navigations().back(), Address(L"Google", L"apricot"));
    EXPECT_FALSE(Box().DropDownOpen());

    Type(L"x");
    EXPECT_FALSE(Box().DropDownOpen()) << "nothing begins with apricotx";
    ::SetWindowTextW(Edit(), L"");
    Type(L"b");
    EXPECT_TRUE(Box().DropDownOpen());
    Key(VK_ESCAPE);
    EXPECT_FALSE(Box().DropDownOpen());

    SharedState().IsLoggedIn = 0;
    Type(L"a");
    EXPECT_FALSE(Box().DropDownOpen()) << "signed out there are none";
}

TEST_F(SearchBoxTest, TheBoxIsPaintedAboveTheRowAndMissingPicturesShowTheButtonFace)
{
    for (const std::wstring& name : FilesIn(m_data + L"Images")) ::DeleteFileW((m_data + L"Images\\" + name).c_str());
    Create();
    EXPECT_FALSE(Box().EngineButton().HasPicture());
    ::RedrawWindow(m_toolbar.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT box{}, engine{};
    ::GetWindowRect(Box().hwnd(), &box);
    ::GetWindowRect(Box().EngineButton().hwnd(), &engine);
    WindowDC screen(nullptr);
    EXPECT_EQ(::GetPixel(screen.get(), box.left, box.top + 8), CSearchBox::kFrameColour);
    EXPECT_EQ(::GetPixel(screen.get(), engine.left + 4, engine.top + 4), ::GetSysColor(COLOR_BTNFACE));

    EXPECT_EQ(ChooseEngine(ID_ENGINE_AOL).size(), 4u);
    EXPECT_EQ(Box().Search().UrlTemplate(), EngineUrlTemplate(*FindEngineByName(L"AOL")));
}

} // namespace
