// The toolbar's menus as real HMENUs at the moment they would be tracked:
// entries, order, greying, icons and identifiers; the tab strip: tabs from the
// shown document with the pseudo tab last, a click shows a toolbar, the
// right-click menu and its removal, the pseudo tab signed in and out, and tabs
// that do not fit.
#include "ToolbarFixture.h"

#include "document/ToolbarOperations.h"
#include "resources/resource.h"

#include <set>

using namespace marlin;
using namespace marlin::test;

namespace {

// Every command identifier of a menu (sub-menu items themselves excluded).
void CollectIds(const std::vector<CapturedItem>& items, std::vector<UINT>& ids)
{
    for (const CapturedItem& item : items) {
        if (!item.children.empty()) {
            CollectIds(item.children, ids);
        } else if (!item.separator) {
            ids.push_back(item.id);
        }
    }
}

class ToolbarMenuTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(Golden(L"TwoToolbars.xml"));
    }
};

TEST_F(ToolbarMenuTest, TheMenusOfEachKindOfButtonAsTrackedAndAMoveToAnotherToolbar)
{
    // golden/Menus.txt: the first toolbar can be neither renamed nor removed;
    // captions are cut and their ampersands doubled; no plug-in button, no
    // plug-in manager; the blocker's switch names the state it turns to; the
    // context menu greys the current toolbar; signed out, the home menu keeps
    // no toolbar management. The button menus' identifiers are unique and clear
    // of the buttons' and the reserved ones.
    Create();
    std::wstring menus = L"Home:\n" + Render(DropDown(1)) + L"News:\n" + Render(DropDown(2)) + L"Pop-up Blocker:\n" +
                         Render(DropDown(3)) + L"Context menu of Fourth:\n" + Render(RightClick(4));
    EXPECT_TRUE(RightClick(kChevronCommand).empty());
    EXPECT_TRUE(RightClick(kSignInCommand).empty());

    // "Move To" the second toolbar.
    RightClick(4, kMoveToBase + 2);
    EXPECT_EQ(env().sleeps, std::vector<DWORD>{700});
    const std::string saved = ReadTextFile(LoginPath());
    const size_t second = saved.find("Name=\"Second\"");
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(saved.find("Fourth", second), std::string::npos) << "moved into the second toolbar";
    EXPECT_EQ(saved.find("Fourth"), saved.find("Fourth", second)) << "and out of the first";
    EXPECT_FALSE(m_toolbar.GetButton(3) && m_toolbar.GetButton(3)->caption == L"Fourth");

    // A plug-in button on the toolbar brings the plug-in manager back.
    std::wstring withPlugin = Golden(L"TwoToolbars.xml");
    withPlugin.replace(withPlugin.find(L"<Buttons ID=\"4\" PluginType=\"0\""), 30, L"<Buttons ID=\"4\" PluginType=\"1\"");
    WriteLogin(withPlugin);
    m_toolbar.RefreshToolbar(0);
    EXPECT_TRUE(Find(DropDown(2), L"Plug-in Manager"));

    SetSignedIn(false);
    m_toolbar.RefreshToolbar(0);
    menus += L"Home, signed out:\n" + Render(DropDown(1));
    EXPECT_EQ(menus, Golden(L"Menus.txt"));
}

TEST_F(ToolbarMenuTest, TheOverflowMenuListsExactlyTheHiddenButtons)
{
    Create();
    Resize(330);
    ASSERT_GT(m_toolbar.HiddenButtonCount(), 0u);
    std::vector<std::wstring> hidden;
    for (size_t i = 0; i + 1 < m_toolbar.ButtonCount(); ++i) {
        if (Hidden(m_toolbar.GetButton(i)->commandId)) hidden.push_back(MenuCaption(m_toolbar.GetButton(i)->caption));
    }
    const auto overflow = Track([&] { Click(kChevronCommand); }, 0);
    EXPECT_EQ(Texts(overflow), hidden);
    // Signed in, each hidden button offers its actions before its own entries.
    const CapturedItem* last = Find(overflow, L"Fourth");
    ASSERT_TRUE(last);
    EXPECT_EQ(Texts(last->children),
              (std::vector<std::wstring>{L"Delete", L"Properties", L"Open", L"Change Icon", L"Move To"}));

    // "Open" opens the button's own address.
    Browser();
    Track([&] { Click(kChevronCommand); }, Find(last->children, L"Open")->id);
    EXPECT_EQ(Navigations(), std::vector<std::wstring>{L"http://fourth.example/"});
}

TEST_F(ToolbarMenuTest, SignedOutTheBasicRowOffersNoContextMenu)
{
    // The basic toolbar has the login toolbar's name, and its button 2 the identifier of
    // the login document's "News": edits meant for it would land on "News".
    WriteBasic(Golden(L"SameNamesSignedOut.xml"));
    SetSignedIn(false);
    Create();
    const std::string login = ReadTextFile(LoginPath());
    env().messageBoxAnswers = {IDYES};
    EXPECT_TRUE(RightClick(2, kContextDelete).empty());
    EXPECT_TRUE(RightClick(2, kMoveToBase + 2).empty());
    EXPECT_EQ(ReadTextFile(LoginPath()), login);
}

TEST_F(ToolbarMenuTest, HostileIdentifiersAndHugeMenusGetValidIdentifiers)
{
    // The first attribute is the button's command identifier: product ones, a
    // duplicate, one past 16 bits; then a menu entry with 100,000 sub-entries.
    const int documentIds[] = {113, 20000, 65000, 9001, 32796, 7, 7, 70000};
    std::wstring xml = L"<Root Default=\"1\"><Tab Name=\"Main\" TabID=\"1\">"
                       L"<Buttons ID=\"1\" PluginType=\"9\"><ButtDesc name=\"Home\"/></Buttons>";
    for (int i = 0; i < 8; ++i) {
        xml += Format(L"<Buttons ID=\"%d\" PluginType=\"0\"><ButtDesc name=\"B%d\" UrlString=\"http://b%d.example/\"/>"
                      L"</Buttons>", documentIds[i], i, i);
    }
    xml += L"<Buttons ID=\"8\" PluginType=\"0\"><ButtDesc name=\"Huge\"><Item caption=\"Many\">";
    for (int i = 0; i < 100000; ++i) xml += L"<SubItem caption=\"s\" UrlString=\"http://s.example/\"/>";
    xml += L"</Item></ButtDesc></Buttons></Tab><Tab Name=\"Add Toolbar\" type=\"0\"/></Root>";
    WriteLogin(xml);
    const std::string stored = ReadTextFile(LoginPath());
    Create();
    std::set<int> rowIds;
    for (size_t i = 0; i + 1 < m_toolbar.ButtonCount(); ++i) {
        const int id = m_toolbar.GetButton(i)->commandId;
        EXPECT_FALSE(IsReservedCommandId(id)) << id;
        EXPECT_TRUE(rowIds.insert(id).second) << "duplicate " << id;
    }
    // Each substitute reaches its own button.
    Browser();
    for (int i = 0; i < 8; ++i) {
        Click(m_toolbar.GetButton(i + 1)->commandId);
        ASSERT_EQ(Navigations().size(), i + 1u);
        EXPECT_EQ(Navigations().back(), Format(L"http://b%d.example/", i));
    }

    const auto menu = DropDown(m_toolbar.GetButton(9)->commandId);
    ASSERT_EQ(menu.size(), 1u);
    std::vector<UINT> ids;
    CollectIds(menu, ids);
    EXPECT_EQ(ids.size(), kMaxSubEntries) << "the entry's sub-entries are bounded";
    std::set<UINT> seen;
    for (UINT id : ids) {
        EXPECT_TRUE(id > 0 && id < 65000 && !IsReservedCommandId(id) && !rowIds.count(static_cast<int>(id))) << id;
        EXPECT_TRUE(seen.insert(id).second) << "duplicate " << id;
    }
    EXPECT_NE(ReadTextFile(m_data + L"XMLS\\MarlinToolbarErrorLog.xml").find("Toolbar too large"), std::string::npos);
    EXPECT_EQ(ReadTextFile(LoginPath()), stored) << "the document keeps its own identifiers";
}

TEST_F(ToolbarMenuTest, TheTooltipGivesWayToAnOpenMenu)
{
    Create();
    HWND tips = reinterpret_cast<HWND>(::SendMessageW(m_toolbar.ButtonToolbar(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_TRUE(tips);
    ::ShowWindow(tips, SW_SHOWNA);
    bool visibleWhileOpen = true;
    env().chooseMenuCommand = [&](HMENU) {
        visibleWhileOpen = ::IsWindowVisible(tips) != FALSE;
        return 0u;
    };
    DropDown(2);
    EXPECT_FALSE(visibleWhileOpen);
}

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

    // Forty toolbars in a narrow row: the arrows reach every tab, and a
    // selected tab is scrolled into view.
    for (int i = 5; i <= 41; ++i) ASSERT_TRUE(CToolbarOperations().AddToolbarFromTabStrip(Format(L"Toolbar %d", i)));
    m_toolbar.RefreshToolbar(0);
    Resize(330);
    RECT strip{};
    ::GetClientRect(Tabs().hwnd(), &strip);
    const int room = strip.right - tabs::kArrowsWidth;
    std::set<int> reached;
    for (int click = 0; click < 60; ++click) {
        for (int i = 0; i < Tabs().TabCount(); ++i) {
            const RECT r = Tabs().TabRect(i);
            if (r.right > r.left && r.right <= room && Tabs().HitTest(POINT{(r.left + r.right) / 2, 5}) == i) {
                reached.insert(i);
            }
        }
        ::SendMessageW(Tabs().hwnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(strip.right - 3, 5));
    }
    EXPECT_EQ(reached.size(), static_cast<size_t>(Tabs().TabCount()));
    Tabs().SelectTab(3);
    EXPECT_LE(Tabs().TabRect(3).right, room);
}

TEST_F(TabStripTest, SignedOutThePseudoTabSignsIn)
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
}

} // namespace
