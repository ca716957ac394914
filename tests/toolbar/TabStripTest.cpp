// The tab strip: tabs from the shown document with the pseudo tab last, a
// click shows a toolbar, the right-click menu and its removal, the pseudo tab
// signed in and out, and tabs that do not fit.
#include "ToolbarFixture.h"
#include "resources/resource.h"

using namespace marlin;
using namespace marlin::test;

namespace {

class TabStripTest : public ToolbarFixture {
protected:
    CFlatTabCtrl& Tabs() { return m_toolbar.TabStrip(); }
    std::vector<std::wstring> Names()
    {
        std::vector<std::wstring> names;
        for (int i = 0; i < Tabs().TabCount(); ++i) names.push_back(Tabs().TabName(i));
        return names;
    }
    void ClickTab(int index, UINT message = WM_LBUTTONDOWN)
    {
        const RECT r = Tabs().TabRect(index);
        ::SendMessageW(Tabs().hwnd(), message, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
};

TEST_F(TabStripTest, TabsShowTheirToolbarsAndTheMenuRemovesOne)
{
    WriteLogin(Golden(L"Removals.xml"));
    SharedState().IsLoggedIn = 1;
    Create();
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Main", L"Second", L"Third", L"Add Toolbar"}));
    EXPECT_EQ(tabs::TabWidth(L"Tab 2", 30) - tabs::TabWidth(L"Tab B", 30), 4);

    ClickTab(2);
    EXPECT_EQ(m_toolbar.ShownToolbar(), 2);
    EXPECT_EQ(SharedState().CurrentToolbar, 2);
    EXPECT_EQ(Tabs().Selected(), 2);

    // The first tab can be neither deleted nor renamed; a right click shows it first.
    const auto first = Track([&] { ClickTab(0, WM_RBUTTONDOWN); }, 0);
    EXPECT_EQ(m_toolbar.ShownToolbar(), 0);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_TRUE(first[0].grayed && first[1].grayed);

    // Removing the toolbar shown leaves the last one that still exists shown.
    env().messageBoxAnswers = {IDNO, IDYES};
    Track([&] { ClickTab(2, WM_RBUTTONDOWN); }, CFlatTabCtrl::kDeleteCommand);
    EXPECT_EQ(Names().size(), 4u) << "answered No";
    Track([&] { ClickTab(2, WM_RBUTTONDOWN); }, CFlatTabCtrl::kDeleteCommand);
    EXPECT_EQ(env().messageBoxes.back().text, L"Are you sure you want to delete  Third Tab?");
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Main", L"Second", L"Add Toolbar"}));
    EXPECT_EQ(m_toolbar.ShownToolbar(), 1);
    EXPECT_EQ(SharedState().CurrentToolbar, 1);

    // The pseudo tab adds a toolbar named in the toolbar dialog.
    env().dialogScript = [](HWND dialog) {
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_NAME, L" Fourth 4 ");
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    ClickTab(Tabs().TabCount() - 1);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Main", L"Second", L"Fourth 4", L"Add Toolbar"}));
}

TEST_F(TabStripTest, SignedOutThePseudoTabSignsInAndTabsThatDoNotFitScroll)
{
    WriteLogin(Golden(L"Removals.xml"));
    SetSignedIn(false);
    Create();
    EXPECT_EQ(Names().back(), L"Add Tab");
    std::wstring opened;
    env().dialogScript = [&](HWND dialog) {
        opened = WindowText(dialog);
        ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    ClickTab(Tabs().TabCount() - 1);
    EXPECT_EQ(opened, L"Sign In");
    EXPECT_TRUE(Track([&] { ClickTab(0, WM_RBUTTONDOWN); }, 0).empty()) << "no menu signed out";

    // Narrow: the strip scrolls by whole tabs to keep the selected one in view.
    SetSignedIn(true);
    WriteBasic(Golden(L"Removals.xml"));
    m_toolbar.RefreshToolbar(0);
    Resize(330);
    RECT strip{};
    ::GetClientRect(Tabs().hwnd(), &strip);
    ASSERT_LT(strip.right, Tabs().PreferredWidth());
    Tabs().SelectTab(Tabs().TabCount() - 1);
    EXPECT_GT(Tabs().FirstVisible(), 0u);
    const RECT last = Tabs().TabRect(Tabs().TabCount() - 1);
    EXPECT_LE(last.right, strip.right - tabs::kArrowsWidth);
    EXPECT_EQ(Tabs().HitTest(POINT{(last.left + last.right) / 2, 5}), Tabs().TabCount() - 1);
}

} // namespace
