// The toolbar document format, loading with its fallbacks, start-up, and the
// sign-in dialog as a real modal window with how windows follow the stored state.
#include "DocumentFixture.h"

#include "document/ButtonOperations.h"
#include "document/SignIn.h"
#include "support/Dialogs.h"
#include "support/LockProbes.h"

using namespace marlin;
using namespace marlin::test;

namespace {

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

} // namespace
