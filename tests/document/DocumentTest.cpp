// The toolbar document format, loading with its fallbacks, start-up, the
// sign-in dialog as a real modal window with how windows follow the stored
// state, and toolbar and button edits of the login document, as saved on disk.
#include "document/ButtonOperations.h"
#include "document/DocumentStore.h"
#include "document/SharedInstanceState.h"
#include "document/SignIn.h"
#include "document/ToolbarDocument.h"
#include "document/ToolbarOperations.h"
#include "platform/ComTypes.h"
#include "support/Dialogs.h"
#include "support/Installation.h"
#include "support/LockProbes.h"
#include "support/Processes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

// A signed-in installation, the login document, and helpers to read a saved document back.
class DocumentTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        ResetSharedState();
        SharedState().IsLoggedIn = 1;
    }
    void TearDown() override
    {
        ResetSharedState();
        InstallationFixture::TearDown();
    }

    std::wstring login() const { return LoginDocumentPath(); }
    void WriteLogin(const std::wstring& xml) { ASSERT_TRUE(WriteTextFile(login(), ToUtf8(xml))); }

    XmlDocument Saved() const
    {
        auto document = XmlDocument::Create();
        EXPECT_TRUE(document && document->Load(login()));
        return std::move(*document);
    }

    // "Name:TabID/IDGen[ID,ID,...]" per toolbar, to compare whole structures at once.
    static std::wstring Outline(const XmlDocument& document)
    {
        std::wstring text;
        for (const XmlElement& tab : TabElements(document)) {
            text += AttributeText(tab.Get(), L"Name") + L":" + AttributeText(tab.Get(), L"TabID") + L"/" +
                    AttributeText(tab.Get(), L"IDGen") + L"[";
            for (const XmlElement& child : ChildElements(tab.Get())) text += AttributeText(child.Get(), L"ID") + L",";
            if (text.back() == L',') text.pop_back();
            text += L"] ";
        }
        return text;
    }
    std::wstring Outline() const { return Outline(Saved()); }

    // Captions of the Buttons of toolbar `index`, in order.
    static std::vector<std::wstring> Captions(const XmlDocument& document, size_t index)
    {
        std::vector<std::wstring> captions;
        auto tabs = TabElements(document);
        for (const XmlElement& child : index < tabs.size() ? ChildElements(tabs[index].Get()) : std::vector<XmlElement>{}) {
            if (NodeName(child.Get()) == L"Buttons") {
                captions.push_back(AttributeText(FirstChildNamed(child.Get(), L"ButtDesc").Get(), L"name"));
            }
        }
        return captions;
    }

    // Every field of an entry on one line, to compare whole entries at once.
    static std::wstring Describe(const EntryRecord& r)
    {
        return r.caption + L"|" + r.iconPath + (r.iconExists ? L"(exists)|" : L"|") + r.toolTip + L"|" + r.url + L"|" +
               r.keywordSearchUrl + L"|" + r.command + L"|" + r.cid + L"|" + r.catId +
               Format(L"|new=%d slider=%d popup=%d enabled=%d", r.newWindow, r.sliderWindow, r.popup, r.enabled);
    }
};

TEST_F(DocumentTest, OneReaderForButtonsAndEntries)
{
    WriteTextFile(data + L"Images\\x.ico", "icon");
    auto document = XmlDocument::Create();
    ASSERT_TRUE(document->LoadXml(Golden(L"entries.xml")));
    auto tab = TabElements(*document).front();
    XmlElement description = FirstChildNamed(FirstChildNamed(tab.Get(), L"Buttons").Get(), L"ButtDesc");

    // Slide-out panels are for menu entries only; an unknown value keeps the default.
    SearchAddressTarget search;
    EXPECT_EQ(Describe(ReadEntry(description.Get(), EntryKind::Button, data + L"Images\\", &search)),
              L"Search the web|" + data + L"Images\\x.ico(exists)||http://a.example/?q=1&r=2|||||new=0 slider=0 popup=1 enabled=1");
    EXPECT_EQ(search.searchAddress, L"http://a.example/?q=1&r=2");
    auto items = MenuItems(description.Get());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(Describe(ReadEntry(items[0].Get(), EntryKind::Menu, data + L"Images\\")),
              L"One|C:\\icons\\one.ico|||k?a=1&b=2|run&go|7|8|new=1 slider=1 popup=0 enabled=0");
    EXPECT_EQ(Describe(ReadEntry(items[1].Get(), EntryKind::Menu, L"")), L"Two||||||||new=0 slider=0 popup=0 enabled=1");

    // A toolbar that already knows its search address keeps it.
    SearchAddressTarget known{true, L"kept"};
    ReadEntry(description.Get(), EntryKind::Button, L"", &known);
    EXPECT_EQ(known.searchAddress, L"kept");

    std::wstring xml = L"<ButtDesc name=\"b\">";
    for (int i = 1; i <= 25; ++i) xml += Format(L"<Item caption=\"%d\"/>", i);
    ASSERT_TRUE(document->LoadXml(xml + L"</ButtDesc>"));
    items = MenuItems(document->Root().Get());
    ASSERT_EQ(items.size(), 20u) << "menus look at the first twenty children only";
    EXPECT_EQ(AttributeText(items.back().Get(), L"caption"), L"20");
}

TEST_F(DocumentTest, RenumberingGivesPositionsAndStopsAfterThePseudoToolbar)
{
    auto document = XmlDocument::Create();
    ASSERT_TRUE(document->LoadXml(Golden(L"renumbering.xml")));
    RenumberDocument(*document);
    EXPECT_EQ(Outline(*document), L"A:1/4[1,2,x,3,4] B:2/0[] Add:3/0[] Stray:42/[] ");
}

TEST_F(DocumentTest, TemplatesAreTheBuiltInDocuments)
{
    for (bool signedIn : {false, true}) {
        SharedState().IsLoggedIn = signedIn ? 1 : 0;
        ASSERT_TRUE(CreateDocumentFile(xmls + L"template.xml"));
        ExpectGolden(signedIn ? "template-signed-in.xml" : "template-signed-out.xml", ReadTextFile(xmls + L"template.xml"));
        // The installation starts with the same documents.
        const std::wstring seed = WinePath(MARLIN_INSTALLER_SEED_DIR) +
                                  (signedIn ? L"\\MarlinToolbarLogin.xml" : L"\\MarlinToolbarBasic.xml");
        EXPECT_EQ(ReadTextFile(seed), ReadTextFile(xmls + L"template.xml"));
    }
}

TEST_F(DocumentTest, AmpersandsReadBackAsWritten)
{
    WriteLogin(L"<Root><Tab Name=\"T\" TabID=\"1\"><Buttons ID=\"1\"><ButtDesc name=\"hand\""
               L" UrlString=\"http://h.example/?a=1&amp;b=2\"/></Buttons></Tab><Tab Name=\"Add\" type=\"0\"/></Root>");
    ASSERT_TRUE(CButtonOperations().AddButton({L"t", 1}, 9, {L"sys", L"", L"", L"http://s.example/?a=1&b=2"}));
    const std::string bytes = ReadTextFile(login());
    EXPECT_NE(bytes.find("a=1&amp;amp;b=2"), std::string::npos) << "the system escapes once more";

    XmlDocument document = Saved();
    std::vector<std::wstring> urls;
    for (const XmlElement& button : ChildElements(TabElements(document).front().Get())) {
        urls.push_back(ReadEntry(FirstChildNamed(button.Get(), L"ButtDesc").Get(), EntryKind::Button, L"").url);
    }
    EXPECT_EQ(urls, (std::vector<std::wstring>{L"http://h.example/?a=1&b=2", L"http://s.example/?a=1&b=2"}));
}

TEST_F(DocumentTest, MissingOrBrokenFilesLoadAsTheTemplateAndAreKeptBesideAnEdit)
{
    SharedState().IsLoggedIn = 0;
    auto missing = LoadToolbarDocument(login());
    ASSERT_TRUE(missing);
    EXPECT_EQ(Captions(*missing, 0), (std::vector<std::wstring>{L"MarlinToolbar", L"Features"}));
    EXPECT_FALSE(FileExists(login())) << "loading never writes";

    SharedState().IsLoggedIn = 1;
    const std::string broken = "<Root><Tab Name=\"Mine\"><Buttons";
    ASSERT_TRUE(WriteTextFile(login(), broken));
    auto fallback = LoadToolbarDocument(login());
    ASSERT_TRUE(fallback);
    EXPECT_EQ(Captions(*fallback, 0).size(), 4u);
    EXPECT_EQ(ReadTextFile(login()), broken);
    EXPECT_EQ(GetDefaultToolbar(), 0) << "the signed-in template's Default is 1";

    // An edit over a broken file keeps the user's bytes beside it.
    ASSERT_TRUE(SetDefaultToolbar(2));

    EXPECT_EQ(AttributeText(Saved().Root().Get(), L"Default"), L"2");
    EXPECT_EQ(ReadTextFile(login() + L".broken-20090305-140709"), broken);
}

TEST_F(DocumentTest, HostileDocumentsNeitherCrashNorHang)
{
    std::string deep;
    for (int i = 0; i < 20000; ++i) deep += "<Tab>";
    ASSERT_TRUE(WriteTextFile(login(), "<Root>" + deep));
    EXPECT_TRUE(LoadToolbarDocument(login()));

    std::string wide = "<Root><Tab Name=\"" + std::string(4 * 1024 * 1024, 'n') + "\" TabID=\"1\">";
    for (int i = 0; i < 3000; ++i) wide += "<Buttons ID=\"1\"><ButtDesc name=\"b\"/></Buttons>";
    wide += "</Tab><Tab Name=\"Add\" type=\"0\"/></Root>";
    ASSERT_TRUE(WriteTextFile(login(), wide));
    auto document = LoadToolbarDocument(login());
    ASSERT_TRUE(document);
    RenumberDocument(*document);
    EXPECT_EQ(AttributeText(TabElements(*document).front().Get(), L"IDGen"), L"3000");
}

TEST_F(DocumentTest, StartUpCreatesOnlyTheCurrentDocumentAndPicksTheDefaultToolbar)
{
    SharedState().IsLoggedIn = 0;
    Install(true);
    RemoveTree(xmls);

    DocumentStartup startup = InitializeToolbarDocuments(nullptr);
    EXPECT_TRUE(startup.pathFound);
    EXPECT_TRUE(startup.loginDocument);
    EXPECT_EQ(SharedState().IsLoggedIn, 1);
    EXPECT_TRUE(FileExists(login()));
    EXPECT_FALSE(FileExists(BasicDocumentPath()));
    EXPECT_TRUE(FolderExists(data + L"Images"));
    EXPECT_TRUE(env().messageBoxes.empty());

    // No default keeps the shared toolbar; one out of range is the first.
    for (auto [defaultIndex, current] : {std::pair{-1, 5}, {1, 1}, {3, 0}}) {
        SharedState().CurrentToolbar = 5;
        ApplyDefaultToolbar(defaultIndex, 3);
        EXPECT_EQ(SharedState().CurrentToolbar, current) << defaultIndex;
    }

    WriteLogin(L"<Root Default=\"\"><Tab Name=\"A\"/></Root>");
    EXPECT_EQ(GetDefaultToolbar(), -1);
    WriteLogin(L"<Root Default=\"2\"><Tab Name=\"A\"/></Root>");
    EXPECT_EQ(GetDefaultToolbar(), 1);
}

TEST_F(DocumentTest, StartUpProblemsAreToldToTheUser)
{
    // A folder where the file should be: no file can be written there.
    ASSERT_TRUE(EnsureFolder(login()));
    EXPECT_FALSE(EnsureCurrentDocument(nullptr));
    g_ApplicationPath = std::wstring();
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_ALL_ACCESS);
    EXPECT_FALSE(InitializeToolbarDocuments(nullptr).pathFound);
    ExpectGolden("start-up-messages.txt", MessageBoxes());
}

TEST_F(DocumentTest, AnEditTellsTheHostAfterItsLockAndWritesNothingWithoutIt)
{
    ASSERT_TRUE(CreateDocumentFile(login()));
    g_bProtectedMode = 1;
    {
        FakeApiHost host(login());
        ASSERT_TRUE(SetDefaultToolbar(2));
        EXPECT_TRUE(host.SentOnlyWithTheLockFree());
    }
    CrossProcessLock::SetDefaultTimeoutMs(20);
    const std::string before = ReadTextFile(login());
    HeldLock held(login());
    EXPECT_FALSE(SetDefaultToolbar(3));
    EXPECT_EQ(ReadTextFile(login()), before);
    EXPECT_NE(ReadTextFile(errorLog).find("not saved: MarlinToolbarLogin.xml"), std::string::npos);
}

using SignInTest = DocumentTest;

TEST_F(SignInTest, LoginChecksFieldsInOrderAndAcceptsTheAccountInAnyCase)
{
    std::vector<std::wstring> seen;
    env().dialogScript = [&](HWND dialog) {
        seen.push_back(ItemText(dialog, IDC_SIGNIN_USERID) + L"|" + ItemText(dialog, IDC_SIGNIN_PASSWORD));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_USERID, L"");
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_PASSWORD, L"");
        ClickButton(dialog, IDOK);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_SIGNIN_USERID));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_USERID, L" \tKELPORA ");
        ClickButton(dialog, IDOK);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_SIGNIN_PASSWORD));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_PASSWORD, L"wrong");
        ClickButton(dialog, IDOK);
        seen.push_back(ItemText(dialog, IDC_SIGNIN_USERID) + L"|" + ItemText(dialog, IDC_SIGNIN_PASSWORD));
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_USERID, L"  KelPora ");
        ::SetDlgItemTextW(dialog, IDC_SIGNIN_PASSWORD, L"kelpora\t");
        ClickButton(dialog, IDOK);
    };
    POINT below{40, 60};
    CSignIn dialog(below);
    EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"kelpora|kelpora", L"|"}));
    ExpectGolden("sign-in-messages.txt", MessageBoxes());
}

TEST_F(SignInTest, CancelAndCloseChangeNothing)
{
    RECT placed{};
    HWND shown = nullptr;
    env().dialogScript = [&](HWND dialog) {
        ::GetWindowRect(shown = dialog, &placed);
        ClickButton(dialog, IDC_SIGNIN_CANCEL);
    };
    CSignIn signIn(POINT{123, 77});
    EXPECT_EQ(signIn.DoModal(nullptr), 720);
    EXPECT_EQ(placed.left, 123);
    EXPECT_EQ(placed.top, 77);
    EXPECT_FALSE(::IsWindow(shown));
    EXPECT_EQ(signIn.hwnd(), nullptr) << "the dialog object lets go of its window";

    env().dialogScript = [](HWND dialog) { ::SendMessageW(dialog, WM_CLOSE, 0, 0); };
    EXPECT_EQ(CSignIn().DoModal(nullptr), 0);
    EXPECT_TRUE(env().messageBoxes.empty());
}

TEST_F(SignInTest, WindowsFollowTheStoredState)
{
    // A pass of one window a line: the stored value ("already": another window switched the shared state first;
    // "fails": the document does not load) => the switch, the shared state, the document shown and the one loaded.
    bool showsLogin = false;
    SharedState().IsLoggedIn = 0;
    ExpectGoldenTable("follow-stored-state.txt", [&](const std::wstring& pass) {
        if (pass.ends_with(L"already")) SharedState().IsLoggedIn = 1;
        std::wstring loaded = L"nothing";
        auto load = [&](const std::wstring& path) {
            loaded = path;
            return !pass.ends_with(L"fails");
        };
        const SignInSwitch result = FollowStoredSignInState(pass.substr(0, pass.find(L' ')), showsLogin, load);
        return Format(L"switch %d, shared %d, shows %ls, loaded %ls", static_cast<int>(result), SharedState().IsLoggedIn,
                      showsLogin ? L"login" : L"basic", loaded.c_str());
    }, scratch());
}

TEST_F(SignInTest, TheStoredStateIsWrittenToBothStores)
{
    EXPECT_FALSE(StoreSignInState(true)) << "nowhere to store it";
    Install(false);
    EXPECT_TRUE(StoreSignInState(true));
    EXPECT_EQ(StoredSignInState(), L"1");
    EXPECT_EQ(Ini(L"IsLogin"), L"1");
    EXPECT_TRUE(StoreSignInState(false));
    EXPECT_EQ(StoredSignInState(), L"0");
    EXPECT_EQ(Setting(L"IsLogin"), L"0");
}

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
