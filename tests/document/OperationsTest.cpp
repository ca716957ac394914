// Toolbar and button edits of the login document, as saved on disk.
#include "DocumentFixture.h"

#include "document/ButtonOperations.h"
#include "document/ToolbarOperations.h"
#include "platform/ComTypes.h"
#include "support/Processes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

const std::vector<std::wstring> kTabNames = {L"A", L"B", L"C", L"Add Toolbar"};

class OperationsTest : public DocumentTest {
protected:
    void SetUp() override
    {
        DocumentTest::SetUp();
        WriteLogin(Golden(L"three-toolbars.xml")); // A: Home, Two, Plug (p7); B: B1; C empty
    }
};

TEST_F(OperationsTest, AddingToolbarsFromTheMenuAndFromTheTabStrip)
{
    ASSERT_TRUE(::DeleteFileW(login().c_str())); // the template is edited
    CToolbarOperations toolbars;
    ASSERT_TRUE(toolbars.AddToolbarFromMenu(L"News", L""));
    ExpectGolden("toolbar-added-from-menu.xml", ReadTextFile(login()));
    EXPECT_EQ(SharedState().TabsChanged, 1);

    ASSERT_TRUE(toolbars.AddToolbarFromTabStrip(L"Work"));
    ExpectGolden("toolbar-added-from-tab-strip.xml", ReadTextFile(login())); // renumbered

    // After renumbering, the pseudo-toolbar and a menu-added toolbar share a number;
    // lookups find the real one first.
    ASSERT_TRUE(toolbars.AddToolbarFromMenu(L"Late", L""));
    ASSERT_TRUE(toolbars.RenameToolbar(4, L"Later"));
    EXPECT_EQ(Outline(), L"Marlin Toolbar:1/5[1,2,3,4,5] News:2/1[1] Work:3/1[1] Later:4/0[1] Add Toolbar:4/0[] ");
}

TEST_F(OperationsTest, ModifyRenameRemoveAndDefault)
{
    CToolbarOperations toolbars;
    ASSERT_TRUE(toolbars.ModifyToolbar(2, L"Bee", L"C:\\missing\\icon.ico"));
    ExpectGolden("toolbar-modified.xml", ReadTextFile(login())); // a missing icon becomes the default one

    // Nothing to change: nothing is written.
    const std::string before = ReadTextFile(login());
    EXPECT_FALSE(toolbars.RenameToolbar(9, L"Nobody"));
    EXPECT_FALSE(toolbars.RemoveToolbar(3)) << "the pseudo-toolbar stays";
    EXPECT_EQ(ReadTextFile(login()), before);

    SharedState().CurrentToolbar = 2;
    ASSERT_TRUE(toolbars.RemoveToolbarFromMenu(1));
    EXPECT_EQ(Outline(), L"A:1/3[1,2,3] C:2/0[] Add Toolbar:3/0[] ");
    EXPECT_EQ(AttributeText(Saved().Root().Get(), L"Default"), L"1") << "the removed toolbar was the default";
    EXPECT_EQ(SharedState().CurrentToolbar, 1) << "still showing C";

    ASSERT_TRUE(toolbars.SetAsDefault(1));
    EXPECT_EQ(AttributeText(Saved().Root().Get(), L"Default"), L"2");
    ASSERT_TRUE(toolbars.RemoveToolbar(1));
    EXPECT_EQ(AttributeText(Saved().Root().Get(), L"Default"), L"2") << "the tab strip leaves the default alone";
}

TEST_F(OperationsTest, ConfirmationsKeepTheirTwoBlanksAndOnlyYesProceeds)
{
    env().messageBoxAnswers = {IDNO, IDYES, IDYES};
    EXPECT_FALSE(CToolbarOperations::Confirm(nullptr, CToolbarOperations::RemoveTabQuestion(L"News")));
    EXPECT_TRUE(CToolbarOperations::Confirm(nullptr, CToolbarOperations::RemoveToolbarQuestion(L"News")));
    EXPECT_TRUE(CToolbarOperations::Confirm(nullptr, CToolbarOperations::RemoveButtonQuestion(L"Go")));
    ExpectGolden("confirmations.txt", MessageBoxes());
}

TEST_F(OperationsTest, AddingAndDeletingButtonsRenumbers)
{
    CButtonOperations buttons;
    ASSERT_TRUE(buttons.AddButton({L"a", 1}, 2, {L"New", L"n.ico", L"tip", L"http://n.example/"}));
    ExpectGolden("button-added.xml", ReadTextFile(login())); // numbered by position, never the provisional 111

    ASSERT_TRUE(buttons.AddButton({L"C", 3}, 1, {L"Only", L"", L"", L""}));
    EXPECT_EQ(Captions(Saved(), 2), std::vector<std::wstring>{L"Only"});

    // Built-in and plug-in buttons are never deleted, and a miss writes nothing.
    const std::string bytes = ReadTextFile(login());
    EXPECT_FALSE(buttons.DeleteButton({L"A", 1}, 1));
    EXPECT_FALSE(buttons.DeleteButton({L"A", 1}, 4));
    EXPECT_FALSE(buttons.DeleteButton({L"A", 2}, 2)) << "name and number must both match";
    EXPECT_EQ(ReadTextFile(login()), bytes);

    ASSERT_TRUE(buttons.DeleteButton({L"A", 1}, 3));
    EXPECT_EQ(Captions(Saved(), 0), (std::vector<std::wstring>{L"Home", L"New", L"Plug"}));
    EXPECT_EQ(Outline(), L"A:1/3[1,2,3] B:2/1[1] C:3/1[1] Add Toolbar:4/0[] ");
}

TEST_F(OperationsTest, MovingButtons)
{
    CButtonOperations buttons;
    ASSERT_TRUE(buttons.MoveButtonWithinToolbar({L"A", 1}, 1, 99));
    EXPECT_EQ(Captions(Saved(), 0), (std::vector<std::wstring>{L"Two", L"Plug", L"Home"}));
    ASSERT_TRUE(buttons.MoveButtonWithinToolbar({L"A", 1}, 3, 1));
    EXPECT_EQ(Captions(Saved(), 0), (std::vector<std::wstring>{L"Home", L"Two", L"Plug"}));

    ASSERT_TRUE(buttons.MoveButtonToToolbar({L"A", 1}, 2, 3, kTabNames));
    XmlDocument moved = Saved();
    EXPECT_EQ(Captions(moved, 0), (std::vector<std::wstring>{L"Home", L"Plug"}));
    EXPECT_EQ(Captions(moved, 2), std::vector<std::wstring>{L"Two"});
    EXPECT_EQ(SharedState().MoveToChanged, 1);

    // A built-in button stays where it is instead of being copied.
    const std::string bytes = ReadTextFile(login());
    EXPECT_FALSE(buttons.MoveButtonToToolbar({L"A", 1}, 1, 2, kTabNames));
    EXPECT_EQ(ReadTextFile(login()), bytes);

    // Out of range: logged, and the button is not lost on the way.
    EXPECT_FALSE(buttons.MoveButtonToToolbar({L"B", 2}, 1, 5, kTabNames));
    EXPECT_FALSE(buttons.InsertButtonIntoToolbar(0, TabElements(moved)[0].Get(), kTabNames));
    EXPECT_EQ(ReadTextFile(login()), bytes);
    EXPECT_NE(ReadTextFile(errorLog).find("[InsertButtonToSpecifiedTab][Out of bound]"), std::string::npos);

    auto source = XmlDocument::Create();
    ASSERT_TRUE(source->LoadXml(L"<Buttons ID=\"5\" PluginType=\"0\"><ButtDesc name=\"Ext\"/></Buttons>"));
    ASSERT_TRUE(buttons.InsertButtonIntoToolbar(2, source->Root().Get(), kTabNames));
    EXPECT_EQ(Captions(Saved(), 1), (std::vector<std::wstring>{L"B1", L"Ext"}));
}

TEST_F(OperationsTest, PropertiesIconAndPluginEntries)
{
    CButtonOperations buttons;
    ASSERT_TRUE(buttons.SetButtonProperties({L"A", 1}, 2, L"Renamed", L"http://r.example/?x=1&y=2", L"Tip"));
    ASSERT_TRUE(buttons.ChangeButtonIcon({L"A", 1}, 2, L"C:\\i\\new.ico"));
    PluginSubEntry sub{L"Deal & more", L"d.ico", L"t", L"http://d.example/?a=1&b=2", true, true, true, false, L"c1", L"k1"};
    PluginEntry entry{L"Deals", L"e.ico", L"tt", L"http://s.example/?q=%s&n=1", {sub}};
    ASSERT_TRUE(buttons.SetPluginData({L"A", 1}, L"p7", {entry}));
    ExpectGolden("properties-and-plugin-data.xml", ReadTextFile(login())); // old entries replaced

    EXPECT_FALSE(buttons.SetPluginData({L"A", 1}, L"", {entry})) << "an empty identifier matches no plug-in";
    EXPECT_FALSE(buttons.SetPluginData({L"A", 1}, L"nobody", {entry}));
}

TEST_F(OperationsTest, AnEditSeesChangesMadeOutsideThisWindow)
{
    CButtonOperations buttons;
    ASSERT_TRUE(buttons.AddButton({L"B", 2}, 1, {L"Mine", L"", L"", L""}));
    // Rewritten in place by someone else: same file, new content.
    WriteLogin(L"<Root><Tab Name=\"B\" TabID=\"1\"><Buttons ID=\"1\"><ButtDesc name=\"Theirs\"/></Buttons></Tab>"
               L"<Tab Name=\"Add\" type=\"0\"/></Root>");
    EXPECT_FALSE(buttons.AddButton({L"B", 2}, 1, {L"Again", L"", L"", L""})) << "B is no longer the second toolbar";
    ASSERT_TRUE(buttons.AddButton({L"B", 1}, 1, {L"Again", L"", L"", L""}));
    EXPECT_EQ(Captions(Saved(), 0), (std::vector<std::wstring>{L"Again", L"Theirs"}));
}

// Child: adds `count` buttons to the first toolbar of the login document in `folder`.
int AddButtonsChild(const std::vector<std::wstring>& args)
{
    if (args.size() < 3) return 3;
    ComInitScope com;
    g_ApplicationPath = WithTrailingBackslash(args[0]);
    SharedState().IsLoggedIn = 1;
    CButtonOperations buttons;
    for (int i = 0; i < ParseInt(args[2]); ++i) {
        if (!buttons.AddButton({L"A", 1}, 1, {args[1] + Format(L"%d", i), L"", L"", L"http://x.example/"})) return 1;
    }
    return 0;
}
ChildRegistration g_addButtons(L"add-buttons", &AddButtonsChild);

TEST_F(OperationsTest, TwoProcessesEditingAtOnceKeepEveryEdit)
{
    // No trailing backslash: it would escape the closing quote on the command line.
    const std::wstring folder = data.substr(0, data.size() - 1);
    void* first = StartChild(CurrentProgram(), L"add-buttons", L"\"" + folder + L"\" left 50");
    void* second = StartChild(CurrentProgram(), L"add-buttons", L"\"" + folder + L"\" right 50");
    // Meanwhile the file must load as a whole document at every moment.
    int wellFormedReads = 0;
    for (int i = 0; i < 40; ++i) {
        wellFormedReads += DocumentFileLoads(login()) ? 1 : 0;
        ::Sleep(5);
    }
    EXPECT_EQ(WaitChild(first), 0);
    EXPECT_EQ(WaitChild(second), 0);
    EXPECT_EQ(wellFormedReads, 40);
    XmlDocument result = Saved();
    EXPECT_EQ(Captions(result, 0).size(), 103u);
    EXPECT_EQ(AttributeText(TabElements(result)[0].Get(), L"IDGen"), L"103");
}

} // namespace
