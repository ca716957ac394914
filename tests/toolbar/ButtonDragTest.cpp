// Buttons dragged along the row and off it, pressed and released on the real
// row, which reports the drag itself; a second window follows the document.
#include "ToolbarFixture.h"

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
    static POINT At(HWND toolbar, int command, int fromLeft = 4)
    {
        RECT rect{};
        ::SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&rect));
        POINT point{rect.left + fromLeft, (rect.top + rect.bottom) / 2};
        ::ClientToScreen(toolbar, &point);
        return point;
    }
    // A button by its caption, the search place, right of the last button, or off the row.
    POINT Target(const std::wstring& where) const
    {
        if (where == L"search") return At(Row(), kSearchPlaceholder, 20);
        if (where == L"off") return POINT{400, 300};
        if (where != L"end") return At(Row(), CommandOf(where), 6);
        RECT row{};
        ::GetWindowRect(Row(), &row);
        return POINT{row.right - 5, At(Row(), CommandOf(L"Home")).y};
    }

    // Presses at `from`, releases at `to` (screen points) with `keys`, and
    // lets what the release posted run. The cursor goes to `to` unless the
    // release is where the press was (a click).
    void Drag(HWND toolbar, POINT from, POINT to, WPARAM keys = 0)
    {
        if (from.x != to.x || from.y != to.y) ::SetCursorPos(to.x, to.y);
        auto send = [toolbar](UINT message, WPARAM flags, POINT point) {
            ::ScreenToClient(toolbar, &point);
            ::SendMessageW(toolbar, message, flags, MAKELPARAM(point.x, point.y));
        };
        send(WM_LBUTTONDOWN, MK_LBUTTON | keys, from);
        m_cursorWidth = CursorWidth();
        send(WM_LBUTTONUP, keys, to);
        Pump();
    }
    void Drag(const std::wstring& from, const std::wstring& to, WPARAM keys = 0)
    {
        Drag(Row(), At(Row(), CommandOf(from)), Target(to), keys);
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
    static std::wstring Order(const CMarlinToolbarCtrl& toolbar)
    {
        std::wstring order;
        for (size_t i = 0; i + 1 < toolbar.ButtonCount(); ++i) order += toolbar.GetButton(i)->caption + L",";
        return order;
    }

    int m_cursorWidth = 0; // the cursor's while the button was held
};

TEST_F(ButtonDragTest, AButtonTakesThePlaceItIsDroppedOnHereAndInAnotherWindow)
{
    unique_hwnd otherParent(::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 100, 1000, 40,
                                              nullptr, nullptr, nullptr, nullptr));
    CMarlinToolbarCtrl other;
    ASSERT_TRUE(other.CreateIn(otherParent.get(), RECT{0, 0, 1000, 30}));

    // A drag a line: the button, where it is let go (" shift": the row's own drag) => the order here, then there.
    ExpectGoldenTable("Moves.txt", [&](const std::wstring& move) {
        const size_t to = move.find(L" to ") + 4, shift = move.find(L" shift");
        Drag(move.substr(0, to - 4), move.substr(to, shift - to), shift == std::wstring::npos ? 0 : MK_SHIFT);
        other.SynchronizeWithOtherWindows();
        other.SynchronizeWithOtherWindows();
        return Order(m_toolbar) + L" there " + Order(other);
    });
    EXPECT_EQ(::SendMessageW(Row(), TB_COMMANDTOINDEX, CommandOf(L"B"), 0), 3 + 4) << "the row's buttons as built";
    EXPECT_EQ(m_cursorWidth, 28) << "the drop cursor";
    EXPECT_TRUE(env().messageBoxes.empty());
    other.Destroy();
}

TEST_F(ButtonDragTest, OnlyOrdinaryButtonsDraggedOffTheRowAreDeletedAndOnlyOnYes)
{
    const std::string document = ReadTextFile(LoginPath());
    Resize(300);
    const POINT chevron = At(Row(), kChevronCommand, 2);
    Resize(1000);
    // Which button, where, signed in, and the row's width.
    const std::tuple<const char*, HWND, POINT, bool, int> cases[] = {
        {"home", Row(), At(Row(), CommandOf(L"Home")), true, 1000},
        {"plug-in", Row(), At(Row(), CommandOf(L"Plug")), true, 1000},
        {"built-in", Row(), At(Row(), CommandOf(L"Built")), true, 1000},
        {"signed out", Row(), At(Row(), CommandOf(L"A")), false, 1000},
        {"sign-in", m_toolbar.SignInToolbar(), At(m_toolbar.SignInToolbar(), static_cast<int>(kSignInCommand)), true,
         1000},
        {"chevron", Row(), chevron, true, 300},
    };
    for (const auto& [what, toolbar, from, signedIn, width] : cases) {
        SharedState().IsLoggedIn = signedIn ? 1 : 0;
        Resize(width);
        Drag(toolbar, from, Target(L"off"));
        EXPECT_TRUE(env().messageBoxes.empty()) << what;
        EXPECT_EQ(ReadTextFile(LoginPath()), document) << what;
    }
    SharedState().IsLoggedIn = 1;
    Resize(1000);

    // A click sent to the row while the cursor is elsewhere is a click.
    const POINT b = At(Row(), CommandOf(L"B"));
    ::SetCursorPos(400, 300);
    Drag(Row(), b, b);
    EXPECT_TRUE(env().messageBoxes.empty()) << "a click";

    env().messageBoxAnswers = {IDNO, IDYES};
    Drag(L"B", L"off");
    ExpectGolden("DeleteByDrag.txt", MessageBoxes()); // one question, "No" the default
    EXPECT_EQ(ReadTextFile(LoginPath()), document);
    Drag(L"B", L"off");
    EXPECT_EQ(Order(m_toolbar), L"Home,A,Plug,Built,C,");
    EXPECT_EQ(env().sleeps, std::vector<DWORD>{500});

    // The row may rearrange itself (it is put right from the document); the sign-in strip may not.
    NMTOOLBARW query{{Row(), 0, static_cast<UINT>(TBN_QUERYDELETE)}, CommandOf(L"A")};
    EXPECT_EQ(::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&query)), TRUE);
    query.hdr.hwndFrom = m_toolbar.SignInToolbar();
    EXPECT_EQ(::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&query)), FALSE);
}

TEST_F(ButtonDragTest, TheRowsCustomisationDialogIsPutRightOnceItIsClosed)
{
    auto notify = [&](int code) {
        NMHDR header{Row(), 0, static_cast<UINT>(code)};
        ::SendMessageW(m_toolbar.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
        Pump();
    };
    const unsigned builds = m_toolbar.RowBuilds();
    const int count = Count();
    // The dialog removes a button while another window changes one: nothing
    // is rebuilt under the dialog, neither for its change nor by the timer.
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
