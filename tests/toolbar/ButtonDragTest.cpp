// Buttons dragged along the row and off it, pressed and released as the user
// does: the row itself reports the drag, the document and a second window follow.
#include "ToolbarFixture.h"

#include "platform/XmlDom.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class ButtonDragTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(Golden(L"Drag.xml"));
        Create();
    }

    HWND Row() const { return m_toolbar.ButtonToolbar(); }
    int CommandOf(const std::wstring& caption) const
    {
        for (size_t i = 0; i < m_toolbar.ButtonCount(); ++i) {
            if (m_toolbar.GetButton(i)->caption == caption) return m_toolbar.GetButton(i)->commandId;
        }
        return 0;
    }
    // Screen points: on a button, on the search place, right of the last button, off the row.
    POINT OnItem(HWND toolbar, int command, int fromLeft = 4) const
    {
        RECT rect{};
        ::SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect));
        POINT point{rect.left + fromLeft, (rect.top + rect.bottom) / 2};
        ::ClientToScreen(toolbar, &point);
        return point;
    }
    POINT Target(const std::wstring& where) const
    {
        if (where == L"search") return OnItem(Row(), kSearchPlaceholder, 20);
        if (where == L"off") return POINT{400, 300};
        if (where == L"end") {
            const POINT last = OnItem(Row(), CommandOf(m_toolbar.GetButton(m_toolbar.ButtonCount() - 2)->caption));
            RECT row{};
            ::GetWindowRect(Row(), &row);
            return POINT{row.right - 5, last.y};
        }
        return OnItem(Row(), CommandOf(where), 6);
    }

    // Presses on `from` (in `toolbar`), releases at `to` (screen), and lets
    // what the release posted run. `keys` go with both (MK_SHIFT: the row's own drag).
    void Drag(HWND toolbar, POINT from, POINT to, WPARAM keys = 0)
    {
        ::ScreenToClient(toolbar, &from);
        ::SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(from.x, from.y));
        m_cursorDuringDrag = CursorWidth();
        ::SetCursorPos(to.x, to.y);
        ::ScreenToClient(toolbar, &to);
        ::SendMessageW(toolbar, WM_LBUTTONUP, keys, MAKELPARAM(to.x, to.y));
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
    void Drag(const std::wstring& from, const std::wstring& to, WPARAM keys = 0)
    {
        Drag(Row(), OnItem(Row(), CommandOf(from)), Target(to), keys);
    }

    static int CursorWidth()
    {
        ICONINFO info{};
        if (!::GetIconInfo(::GetCursor(), &info)) return 0;
        BITMAP bitmap{};
        ::GetObjectW(info.hbmMask, sizeof(bitmap), &bitmap);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        return bitmap.bmWidth;
    }

    // The first toolbar's captions, as the document has them and as a row shows them.
    std::wstring DocumentOrder() const
    {
        auto document = XmlDocument::Create();
        std::wstring order;
        if (!document || !document->Load(LoginPath())) return order;
        for (const XmlElement& child : ChildElements(TabElements(*document).front().Get())) {
            if (XmlElement description = FirstChildNamed(child.Get(), L"ButtDesc")) {
                order += AttributeText(description.Get(), L"name") + L",";
            }
        }
        return order;
    }
    static std::wstring RowOrder(const CMarlinToolbarCtrl& toolbar)
    {
        std::wstring order;
        for (size_t i = 0; i + 1 < toolbar.ButtonCount(); ++i) order += toolbar.GetButton(i)->caption + L",";
        return order;
    }

    int m_cursorDuringDrag = 0;
};

TEST_F(ButtonDragTest, AButtonTakesThePlaceItIsDroppedOnHereAndInAnotherWindow)
{
    unique_hwnd otherParent(::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 100, 1000, 40,
                                              nullptr, nullptr, nullptr, nullptr));
    CMarlinToolbarCtrl other;
    RECT rect{0, 0, 1000, 30};
    ASSERT_TRUE(other.CreateIn(otherParent.get(), rect));

    struct Move {
        const wchar_t* from;
        const wchar_t* to;
        WPARAM keys;
        const wchar_t* order;
    };
    const Move moves[] = {
        {L"C", L"A", 0, L"Home,C,A,B,Plug,Built,"},        // leftwards: before the button
        {L"A", L"Built", 0, L"Home,C,B,Plug,Built,A,"},    // rightwards: after it
        {L"C", L"end", 0, L"Home,B,Plug,Built,A,C,"},      // right of the last button
        {L"C", L"Home", 0, L"Home,B,Plug,Built,A,C,"},     // the first toolbar's first places are refused
        {L"A", L"search", 0, L"Home,B,Plug,Built,A,C,"},   // so is the search place
        {L"B", L"B", 0, L"Home,B,Plug,Built,A,C,"},        // a click
        {L"B", L"A", MK_SHIFT, L"Home,Plug,Built,A,B,C,"}, // the row's own customisation drag too
    };
    for (const Move& move : moves) {
        Drag(move.from, move.to, move.keys);
        EXPECT_EQ(DocumentOrder(), move.order) << move.from << L" to " << move.to;
        EXPECT_EQ(RowOrder(m_toolbar), move.order) << move.from << L" to " << move.to;
        other.SynchronizeWithOtherWindows();
        other.SynchronizeWithOtherWindows();
        EXPECT_EQ(RowOrder(other), move.order) << L"the other window, " << move.from << L" to " << move.to;
    }
    // The row's buttons are the document's again after its own drag rearranged them.
    EXPECT_EQ(::SendMessageW(Row(), TB_COMMANDTOINDEX, CommandOf(L"B"), 0), 3 + 4);
    EXPECT_EQ(m_cursorDuringDrag, 28) << "the drop cursor";
    EXPECT_TRUE(env().messageBoxes.empty());
    other.Destroy();
}

TEST_F(ButtonDragTest, AButtonDraggedOffTheRowIsDeletedOnlyWhenTheUserAgrees)
{
    env().messageBoxAnswers = {IDNO, IDYES};
    Drag(L"B", L"off");
    ASSERT_EQ(env().messageBoxes.size(), 1u);
    EXPECT_EQ(env().messageBoxes[0].text, L"Are you sure you want to delete B Button?");
    EXPECT_EQ(env().messageBoxes[0].caption, L"Marlin Toolbar");
    EXPECT_EQ(env().messageBoxes[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_EQ(DocumentOrder(), L"Home,A,B,Plug,Built,C,");

    Drag(L"B", L"off");
    EXPECT_EQ(DocumentOrder(), L"Home,A,Plug,Built,C,");
    EXPECT_EQ(RowOrder(m_toolbar), L"Home,A,Plug,Built,C,");
    EXPECT_EQ(env().sleeps, std::vector<DWORD>{500});
}

TEST_F(ButtonDragTest, FixedAndProtectedButtonsAreNeverOffered)
{
    const std::string document = ReadTextFile(LoginPath());
    Resize(300); // the chevron shows
    ASSERT_FALSE(Hidden(kChevronCommand));
    const POINT chevron = OnItem(Row(), kChevronCommand, 2);
    const POINT signIn = OnItem(m_toolbar.SignInToolbar(), static_cast<int>(kSignInCommand), 2);
    Resize(1000);

    // Plug-in and built-in buttons may move, but are never offered for deletion.
    struct Case {
        const char* what;
        HWND toolbar;
        POINT from;
        bool signedIn;
        bool moves;
    };
    const Case cases[] = {
        {"home", Row(), OnItem(Row(), CommandOf(L"Home")), true, false},
        {"signed out", Row(), OnItem(Row(), CommandOf(L"A")), false, false},
        {"sign-in", m_toolbar.SignInToolbar(), signIn, true, false},
        {"plug-in", Row(), OnItem(Row(), CommandOf(L"Plug")), true, true},
        {"built-in", Row(), OnItem(Row(), CommandOf(L"Built")), true, true},
    };
    for (const Case& c : cases) {
        SharedState().IsLoggedIn = c.signedIn ? 1 : 0;
        Drag(c.toolbar, c.from, Target(L"off"));
        EXPECT_TRUE(env().messageBoxes.empty()) << c.what;
        EXPECT_EQ(ReadTextFile(LoginPath()), document) << c.what;
        if (c.moves) continue;
        Drag(c.toolbar, c.from, Target(L"C"));
        EXPECT_NE(m_cursorDuringDrag, 28) << c.what;
        EXPECT_EQ(ReadTextFile(LoginPath()), document) << c.what;
    }
    SharedState().IsLoggedIn = 1;
    Resize(300);
    Drag(Row(), chevron, Target(L"off"));
    EXPECT_TRUE(env().messageBoxes.empty()) << "chevron";
    EXPECT_EQ(ReadTextFile(LoginPath()), document) << "chevron";

    // The row may rearrange itself (it is put right from the document); the sign-in strip may not.
    NMTOOLBARW query{{Row(), 0, static_cast<UINT>(TBN_QUERYDELETE)}, CommandOf(L"A")};
    EXPECT_EQ(::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&query)), TRUE);
    query.hdr.hwndFrom = m_toolbar.SignInToolbar();
    query.iItem = static_cast<int>(kSignInCommand);
    EXPECT_EQ(::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&query)), FALSE);
}

TEST_F(ButtonDragTest, TheRowsOwnCustomisationIsPutRightFromTheDocumentOnceItIsOver)
{
    auto notify = [&](int code) {
        NMHDR header{Row(), 0, static_cast<UINT>(code)};
        ::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    };
    const unsigned builds = m_toolbar.RowBuilds();
    const int count = Count();
    // Its dialog removes a button while another window changes one: nothing
    // is rebuilt under the dialog, neither by the change nor by the timer.
    notify(TBN_BEGINADJUST);
    ::SendMessageW(Row(), TB_DELETEBUTTON, 4, 0);
    notify(TBN_TOOLBARCHANGE);
    RaiseChange(SharedState().ButtonsChanged);
    ::SendMessageW(m_toolbar.hwnd(), WM_TIMER, CMarlinToolbarCtrl::kSyncTimer, 0);
    EXPECT_EQ(m_toolbar.RowBuilds(), builds);
    notify(TBN_ENDADJUST);
    EXPECT_EQ(m_toolbar.RowBuilds(), builds + 1);
    EXPECT_EQ(Count(), count);
    ::SendMessageW(m_toolbar.hwnd(), WM_TIMER, CMarlinToolbarCtrl::kSyncTimer, 0);
    EXPECT_EQ(m_toolbar.RowBuilds(), builds + 2) << "the other window's change, once the dialog is gone";
}

} // namespace
