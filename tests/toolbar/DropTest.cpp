// Links and files dropped on the toolbar window through its registered OLE
// drop target, with data objects made here, the button dialog as a real
// window answered by the seam in each of its modes (also as the home menu's
// toolbar entries and the button context actions open it), and favicons
// served from 127.0.0.1.
#include "ToolbarFixture.h"

#include "config/ErrorLog.h"
#include "document/DocumentStore.h"
#include "support/DropObjects.h"
#include "support/LocalHttpServer.h"
#include "toolbar/DragDropButtonInfo.h"
#include "toolbar/FaviconDownload.h"

using namespace marlin;
using namespace marlin::test;

namespace {

// A button of the login document as "kind|name|img|tooltip|address".
std::wstring Describe(const XmlElement& buttons)
{
    XmlElement description = FirstChildNamed(buttons.Get(), L"ButtDesc");
    return AttributeText(buttons.Get(), L"PluginType") + L"|" + AttributeText(description.Get(), L"name") + L"|" +
           AttributeText(description.Get(), L"img") + L"|" + AttributeText(description.Get(), L"ToolTipText") + L"|" +
           AttributeText(description.Get(), L"UrlString");
}

class DropTest : public ToolbarFixture {
protected:
    void SetUp() override
    {
        ToolbarFixture::SetUp();
        WriteLogin(Golden(L"TwoToolbars.xml"));
        m_icon = *ReadFileBytes(m_data + L"Images\\Search.ico", 1 << 16);
        // The dialog is read and confirmed as proposed unless a test says otherwise.
        env().dialogScript = [this](HWND dialog) {
            m_seen.push_back(WindowText(dialog) + L"|" + ItemText(dialog, IDC_DRAGDROP_NAME) + L"|" +
                             ItemText(dialog, IDC_DRAGDROP_MIDDLE) + L"|" + ItemText(dialog, IDC_DRAGDROP_URL) +
                             (Shown(dialog, IDC_DRAGDROP_URL) ? L" url" : L"") +
                             (Shown(dialog, IDC_DRAGDROP_BROWSE) ? L" browse" : L""));
            if (m_answer) {
                m_answer(dialog);
            } else {
                Press(dialog, IDOK);
            }
        };
        Create();
    }
    void TearDown() override
    {
        WaitForDownloads();
        SetFaviconServiceHost(L"");
        ToolbarFixture::TearDown();
    }

    // Drags `object` over the toolbar and lets it go; the dialog runs inside the drop.
    DWORD Drop(IDataObject* object, POINTL at = {40, 10})
    {
        IDropTarget* target = m_toolbar.DropTarget();
        DWORD effect = DROPEFFECT_COPY;
        if (!target || target->DragEnter(object, MK_LBUTTON, at, &effect) != S_OK) return DROPEFFECT_NONE;
        DWORD over = DROPEFFECT_COPY;
        target->DragOver(MK_LBUTTON, at, &over);
        EXPECT_EQ(over, effect) << "DragOver answers what DragEnter did";
        effect = DROPEFFECT_COPY;
        target->Drop(object, 0, at, &effect);
        return effect;
    }
    // Tests wait for the background downloads (no time is asserted).
    static void WaitForDownloads()
    {
        for (int i = 0; i < 6000 && RunningFaviconDownloads() > 0; ++i) {
            Pump();
            ::Sleep(10);
        }
        Pump();
    }
    std::vector<std::wstring> MainButtons() const
    {
        std::vector<std::wstring> buttons;
        auto document = LoadToolbarDocument(LoginPath());
        if (!document) return buttons;
        for (const XmlElement& child : ChildElements(TabElements(*document)[0].Get())) buttons.push_back(Describe(child));
        return buttons;
    }
    std::wstring LastMainButton() const
    {
        auto buttons = MainButtons();
        return buttons.empty() ? L"" : buttons.back();
    }
    std::string ErrorLog() const { return ReadTextFile(m_data + L"XMLS\\MarlinToolbarErrorLog.xml"); }

    std::string m_icon;
    std::vector<std::wstring> m_seen; // each dialog as "title|name|tooltip|address", the fields shown
    std::function<void(HWND)> m_answer;
};

TEST_F(DropTest, ALinkProposesItsHostAndTakesTheFaviconOfTheSitesRoot)
{
    LocalHttpServer site;
    site.Serve("/favicon.ico", {m_icon});
    const std::wstring host = site.Host();
    const std::wstring address = L"http://" + host + L"/deep/page.html?q=1";
    const int buttons = Count();
    const LONG changes = SharedState().ButtonsChanged;

    EXPECT_EQ(Drop(TextObject(address).Get(), {123, 7}), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(m_toolbar.LastDropCursor().x, 123);
    // The host alone names it; the tooltip holds the whole address.
    EXPECT_EQ(m_seen, std::vector<std::wstring>{L"Add Drag and Drop Button|" + host + L"|" + address + L"|" + address + L" url"});

    // The button is there at once; its icon file is its own, named after the host.
    const std::wstring iconName = L"127.0.0.1_" + host.substr(10) + L".ico";
    EXPECT_EQ(LastMainButton(), L"0|" + host + L"|" + iconName + L"|" + address + L"|" + address);
    EXPECT_EQ(Count(), buttons + 1);
    EXPECT_GT(SharedState().ButtonsChanged, changes) << "every window follows";
    WaitForDownloads();
    EXPECT_EQ(site.Requests(), std::vector<std::string>{"/favicon.ico"}) << "from the root, not the page's path";
    EXPECT_EQ(ReadFileBytes(m_data + L"Images\\" + iconName, 1 << 20), m_icon);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(DropTest, AFailedOrHostileFaviconIsLoggedAndTheButtonStaysWithTheBuiltInIcon)
{
    using Behaviour = LocalHttpServer::Behaviour;
    const struct {
        const char* name;
        LocalHttpServer::Response response;
    } cases[] = {
        {"missing", {"", 404}},
        {"HTML", {"<html><body>Not an icon</body></html>"}},
        {"empty", {""}},
        {"10 MB", {std::string(10 << 20, 'x')}},
        {"endless", {"", 200, Behaviour::Endless}},
        {"silent", {"", 200, Behaviour::Silent}},
    };
    for (const auto& test : cases) {
        LocalHttpServer site;
        site.Serve("/favicon.ico", test.response);
        const std::wstring address = L"http://" + site.Host() + L"/";
        ASSERT_TRUE(m_toolbar.AddLinkButton(address, CMarlinToolbarCtrl::LinkOrigin::Toolbar)) << test.name;
        // The window thread is back while the silent site keeps the download waiting.
        if (test.response.behaviour == Behaviour::Silent) {
            EXPECT_EQ(RunningFaviconDownloads(), 1);
        }
        WaitForDownloads();
        const std::wstring icon = m_data + L"Images\\127.0.0.1_" + site.Host().substr(10) + L".ico";
        EXPECT_EQ(ReadFileBytes(icon, 1 << 20), std::string()) << test.name << ": the reserved file stays empty";
        EXPECT_NE(ErrorLog().find(ToUtf8(ErrorMessages::kDropFaviconFailed)), std::string::npos) << test.name;
        ::DeleteFileW(ErrorLogPath().c_str());
    }
    EXPECT_EQ(MainButtons().size(), 4u + std::size(cases));
    // Nothing but the reserved files was written into the image folder.
    for (const std::wstring& file : FilesIn(m_data + L"Images")) {
        EXPECT_TRUE(file.ends_with(L".ico")) << ToUtf8(file);
    }
}

TEST_F(DropTest, ALinkOutOfAPageFallsBackToTheFaviconServiceWhosePngBecomesAnIcon)
{
    LocalHttpServer site;
    LocalHttpServer service;
    const std::string png = ReadTextFile(GoldenPath(L"favicon.png"));
    service.Serve("/s2/favicons?domain=" + ToUtf8(site.Host()), {png});
    SetFaviconServiceHost(service.Host());
    ASSERT_TRUE(m_toolbar.AddLinkButton(L"http://" + site.Host() + L"/a", CMarlinToolbarCtrl::LinkOrigin::Page));
    WaitForDownloads();
    EXPECT_EQ(site.Requests(), std::vector<std::string>{"/favicon.ico"});
    const std::wstring file = m_data + L"Images\\127.0.0.1_" + site.Host().substr(10) + L".ico";
    const std::string icon = ReadFileBytes(file, 1 << 20).value_or("");
    EXPECT_EQ(icon.substr(0, 4), std::string("\0\0\1\0", 4));
    EXPECT_EQ(icon.substr(22), png) << "the picture in an icon directory";
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(DropTest, APageDragTheDropTargetTookIsNotOfferedAgain)
{
    const ULONGLONG started = ::GetTickCount64();
    Drop(TextObject(L"http://twice.google.example/").Get());
    const size_t buttons = MainButtons().size();
    EXPECT_FALSE(m_toolbar.OfferPageLink(L"http://twice.google.example/", started));
    EXPECT_EQ(MainButtons().size(), buttons);
    EXPECT_TRUE(m_toolbar.OfferPageLink(L"http://once.google.example/", ::GetTickCount64() + 1))
        << "a drag the drop target never saw (a page of another integrity level)";
}

TEST_F(DropTest, GoogleNeverDownloadsAndTextThatIsNoAddressAddsNothing)
{
    Drop(TextObject(L"https://www.google.com/search?q=marlin").Get());
    EXPECT_EQ(LastMainButton(), L"0|www.google.com|DefGoogle.ico|https://www.google.com/search?q=marlin|"
                                L"https://www.google.com/search?q=marlin");
    EXPECT_EQ(RunningFaviconDownloads(), 0);

    // A drop arriving while a dialog is open runs after it.
    bool nested = false;
    m_answer = [&](HWND dialog) {
        if (!std::exchange(nested, true)) Drop(TextObject(L"http://second.google.example/").Get());
        Press(dialog, IDOK);
    };
    Drop(TextObject(L"http://first.google.example/").Get());
    m_answer = nullptr;
    const std::vector<std::wstring> added = MainButtons();
    ASSERT_EQ(added.size(), 7u);
    EXPECT_EQ(added[5].substr(0, 22) + added[6].substr(0, 23), L"0|first.google.example0|second.google.example");

    // Unicode text is preferred to ANSI text.
    auto both = TestDataObject::Make();
    both->Add(CF_TEXT, "http://ansi.google.example/");
    both->Add(CF_UNICODETEXT, UnicodeBytes(L"http://unicode.google.example/"));
    Drop(both.Get());
    EXPECT_EQ(m_seen.back().substr(0, 48), L"Add Drag and Drop Button|unicode.google.example|");

    const std::vector<std::wstring> before = MainButtons();
    const std::vector<std::wstring> images = FilesIn(m_data + L"Images");
    auto unterminated = TestDataObject::Make();
    unterminated->Add(CF_UNICODETEXT, UnicodeBytes(L"plain words that run on", false));
    auto empty = TestDataObject::Make();
    empty->Add(CF_TEXT, "");
    auto nothing = TestDataObject::Make();
    const std::pair<const char*, ComPtr<IDataObject>> cases[] = {
        {"plain words", TextObject(L"marlin toolbar")},
        {"a word", TextObject(L"marlin")},
        {"100 KB", TextObject(std::wstring(100 * 1024, L'a') + L".example")},
        {"1 MB address", TextObject(L"http://" + std::wstring(1 << 20, L'a') + L".example/")},
        {"javascript", TextObject(L"javascript:alert(document.cookie)")},
        {"file", TextObject(L"file:///C:/Windows/win.ini")},
        {"ftp", TextObject(L"ftp://files.example/")},
        {"two lines", TextObject(L"http://a.example/\r\nhttp://b.example/")},
        {"user in host", TextObject(L"http://evil@a.example/")},
        {"unterminated words", unterminated},
        {"empty", empty},
        {"no format", nothing},
    };
    for (const auto& [name, object] : cases) {
        EXPECT_EQ(Drop(object.Get()), static_cast<DWORD>(DROPEFFECT_NONE)) << name;
    }
    EXPECT_EQ(m_seen.size(), 4u) << "no dialog for any of them";
    EXPECT_EQ(MainButtons(), before);
    EXPECT_EQ(FilesIn(m_data + L"Images"), images);
    EXPECT_EQ(RunningFaviconDownloads(), 0);
}

TEST_F(DropTest, FilesAndFoldersBecomeButtonsThatOpenThem)
{
    const std::wstring folder = MakeFolder(L"Dropped folder");
    const std::wstring file = folder + L"notes.txt";
    WriteTextFile(file, "notes");
    const std::wstring folderPath = folder.substr(0, folder.size() - 1);
    EXPECT_EQ(Drop(FilesObject({folderPath, file}).Get()), static_cast<DWORD>(DROPEFFECT_COPY));
    const std::wstring title = L"Add Drag and Drop Button|";
    EXPECT_EQ(m_seen, (std::vector<std::wstring>{title + L"Dropped folder|" + folderPath + L"|" + folderPath + L" url",
                                                 title + L"notes.txt|" + file + L"|" + file + L" url"}));
    auto buttons = MainButtons();
    ASSERT_EQ(buttons.size(), 6u);
    EXPECT_EQ(buttons[4], L"3|Dropped folder|DropFolder.ico|" + folderPath + L"|" + folderPath);
    EXPECT_EQ(buttons[5], L"3|notes.txt|DropFile.ico|" + file + L"|" + file);

    // The folder's button opens it with the shell.
    Click(5);
    ASSERT_EQ(env().shellExecutes.size(), 1u);
    EXPECT_EQ(env().shellExecutes[0].file, folderPath);

    // A thousand files ask a bounded number of times; cancelled, they add nothing.
    // A path far longer than any address is not offered.
    m_seen.clear();
    m_answer = [](HWND dialog) { Press(dialog, IDCANCEL); };
    std::vector<std::wstring> many(1000, file);
    many[0] = L"C:\\" + std::wstring(32000, L'x');
    Drop(FilesObject(many).Get());
    EXPECT_EQ(m_seen.size(), kMaxDroppedFiles);
    EXPECT_EQ(MainButtons(), buttons);

    // A list whose offset points outside its memory reads nothing.
    auto broken = TestDataObject::Make();
    DROPFILES header{0x7FFFFFF0, {}, FALSE, TRUE};
    broken->Add(CF_HDROP, std::string(reinterpret_cast<const char*>(&header), sizeof(header)));
    EXPECT_EQ(Drop(broken.Get()), static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(DropTest, SignedOutNothingHappens)
{
    SetSignedIn(false);
    EXPECT_EQ(Drop(TextObject(L"http://a.example/").Get()), static_cast<DWORD>(DROPEFFECT_NONE));
    EXPECT_FALSE(m_toolbar.AddLinkButton(L"http://a.example/", CMarlinToolbarCtrl::LinkOrigin::Page));
    EXPECT_TRUE(m_seen.empty());
    EXPECT_EQ(MainButtons().size(), 4u);
}

TEST_F(DropTest, TypedNamesNeverMakeFilesOutsideTheImageFolder)
{
    LocalHttpServer site; // answers 404: only the reserved files are written
    // Each typed name, the button it made ("SITE" the site's host) and whether its icon file is there.
    const std::wstring address = L"http://" + site.Host() + L"/";
    ExpectGoldenTable("TypedNames.txt", [&](const std::wstring& typed) {
        m_answer = [&](HWND dialog) {
            ::SetDlgItemTextW(dialog, IDC_DRAGDROP_NAME, typed.c_str());
            Press(dialog, IDOK);
        };
        EXPECT_TRUE(m_toolbar.AddLinkButton(address, CMarlinToolbarCtrl::LinkOrigin::Toolbar));
        const std::wstring button = LastMainButton(), named = button.substr(0, button.find(L"|http://"));
        const bool file = FileExists(m_data + L"Images\\" + named.substr(named.rfind(L'|') + 1));
        return ReplaceAll(button, site.Host(), L"SITE") + (file ? L" (file)" : L" (no file)");
    });
    WaitForDownloads();
    EXPECT_EQ(FilesIn(scratch()), std::vector<std::wstring>{}) << "nothing beside the data folder";
    EXPECT_EQ(FilesIn(m_data), std::vector<std::wstring>{});
    EXPECT_EQ(ReadFileBytes(m_data + L"Images\\Search.ico", 1 << 16), m_icon) << "the product's icon is untouched";
}

// The same dialog in the modes the toolbar's own entries open.
class ButtonDialogTest : public DropTest {
protected:
    // Runs `steps` inside the next dialog; records its title and which fields it showed.
    void Script(std::function<void(HWND)> steps)
    {
        env().dialogScript = [this, steps](HWND dialog) {
            m_log += WindowText(dialog) + L": " + ItemText(dialog, IDC_DRAGDROP_NAME_LABEL) + L", " +
                     ItemText(dialog, IDC_DRAGDROP_MID_LABEL) + (Shown(dialog, IDC_DRAGDROP_BROWSE) ? L" ..." : L"") +
                     (Shown(dialog, IDC_DRAGDROP_URL) ? L", " + ItemText(dialog, IDC_DRAGDROP_URL_LABEL) : L"") + L"\r\n";
            steps(dialog);
        };
    }
    // Presses OK with `id` empty: notes whether the focus went to that field.
    void Refused(HWND dialog, int id)
    {
        const std::wstring kept = ItemText(dialog, id);
        ::SetDlgItemTextW(dialog, id, L"   ");
        Press(dialog, IDOK);
        const bool focused = ::GetFocus() == ::GetDlgItem(dialog, id);
        ::SetDlgItemTextW(dialog, id, kept.c_str());
        m_log += Format(L"refused %d%ls\r\n", id, focused ? L" (focus)" : L"");
    }
    std::string Login() const { return ReadTextFile(LoginPath()); }

    std::wstring m_log; // the dialogs shown and the refusals
};

TEST_F(ButtonDialogTest, EachModeShowsItsFieldsChecksThemAndWritesWhatWasEntered)
{
    const std::wstring icon = m_data + L"Images\\DefToolbar.ico";

    // Mode 1 from the home menu's pseudo entry: "..." fills the image path.
    env().openFileAnswer = icon;
    Script([&](HWND dialog) {
        Refused(dialog, IDC_DRAGDROP_NAME);
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_NAME, L"  New one  ");
        Press(dialog, IDC_DRAGDROP_BROWSE);
        EXPECT_EQ(ItemText(dialog, IDC_DRAGDROP_MIDDLE), icon);
        Press(dialog, IDOK);
    });
    ChooseHomeEntry(L"Add Toolbar");
    EXPECT_NE(Login().find(ToUtf8(L"<Tab Name=\"New one\" img=\"" + icon + L"\" TabID=\"3\"")), std::string::npos);
    EXPECT_EQ(env().openFileFilters, std::vector<std::wstring>{L"Icon Files(*.ico)|*.ico (must exist)"});

    // Mode 2 from "Modify", on the toolbar's own name; typing stops at 20 characters.
    Script([&](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_DRAGDROP_NAME), L"Second");
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_NAME, L"");
        ::SendMessageW(::GetDlgItem(dialog, IDC_DRAGDROP_NAME), EM_REPLACESEL, FALSE,
                       reinterpret_cast<LPARAM>(L"Twenty-five characters!!!"));
        Press(dialog, IDOK);
    });
    ChooseHomeEntry(L"Modify", L"Second");
    EXPECT_NE(Login().find("<Tab Name=\"Twenty-five characte\""), std::string::npos);

    // Mode 4 from "Properties": each empty field is asked for, with the focus on it.
    Script([&](HWND dialog) {
        EXPECT_EQ(ItemText(dialog, IDC_DRAGDROP_NAME) + L"|" + ItemText(dialog, IDC_DRAGDROP_URL),
                  L"Fourth|http://fourth.example/");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(dialog, IDC_DRAGDROP_MIDDLE)) << "the empty tooltip wants filling";
        ::SetDlgItemTextW(dialog, IDC_DRAGDROP_MIDDLE, L" Tip ");
        for (int id : {IDC_DRAGDROP_NAME, IDC_DRAGDROP_MIDDLE, IDC_DRAGDROP_URL}) Refused(dialog, id);
        Press(dialog, IDOK);
    });
    RightClick(4, kContextProperties);
    EXPECT_NE(Login().find("<ButtDesc name=\"Fourth\" UrlString=\"http://fourth.example/\" ToolTipText=\"Tip\""),
              std::string::npos);

    // Cancel in any mode writes nothing.
    const std::string before = Login();
    Script([](HWND dialog) { Press(dialog, IDCANCEL); });
    ChooseHomeEntry(L"Add Toolbar");
    RightClick(4, kContextProperties);
    EXPECT_EQ(Login(), before);

    // Each mode's fields; each refusal a message with the focus on its field.
    ExpectGolden("ButtonDialog.txt", ToUtf8(m_log) + MessageBoxes());
}

TEST_F(ButtonDialogTest, ChangeIconAndDeleteActOnTheRightClickedButton)
{
    const std::wstring icon = m_data + L"Images\\YouTube.ico";
    env().openFileAnswer = icon;
    const unsigned builds = m_toolbar.RowBuilds();
    RightClick(4, kContextChangeIcon);
    EXPECT_NE(Login().find(ToUtf8(L"<ButtDesc name=\"Fourth\" UrlString=\"http://fourth.example/\" img=\"" + icon)),
              std::string::npos);
    EXPECT_EQ(m_toolbar.RowBuilds(), builds + 1) << "the row was rebuilt";

    const std::string before = Login();
    env().openFileAnswer.clear();
    RightClick(4, kContextChangeIcon);
    env().messageBoxAnswers = {IDNO};
    RightClick(4, kContextDelete);
    EXPECT_EQ(Login(), before) << "cancelled and refused";

    env().messageBoxAnswers = {IDYES};
    RightClick(4, kContextDelete);
    EXPECT_EQ(env().messageBoxes.back().text, L"Are you sure you want to delete  Fourth Button?");
    EXPECT_EQ(Login().find("Fourth"), std::string::npos);
}

} // namespace
