// The real MarlinToolbar.dll in the browser stand-in, created, sited, driven
// by browser events and closed exactly as the browser does.
#include "BrowserFrame.h"
#include "StandInDocument.h"
#include "StandInHtmlWindow.h"

#include "platform/ComTypes.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Strings.h"
#include "platform/UniqueHandle.h"
#include "platform/XmlDom.h"
#include "support/DropObjects.h"
#include "support/LocalHttpServer.h"
#include "support/Installation.h"

#include "MarlinToolbar_h.h"

#include <exdispid.h>
#include <shobjidl.h>

#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

using namespace marlin;
using namespace marlin::test;
using standin::BrowserFrame;
using standin::BrowserOptions;

namespace {

// A browser window on a thread of its own, as the browser runs its tabs: the
// thread pumps messages and runs what the test hands it.
class WindowThread {
public:
    explicit WindowThread(BrowserOptions options)
        : m_thread([this, options = std::move(options)]() mutable { Main(std::move(options)); })
    {
        ::WaitForSingleObject(m_done.get(), INFINITE);
    }
    ~WindowThread()
    {
        ::PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    bool opened() const { return m_opened; }

    // Runs `task` on the window's thread and waits for it.
    void Run(std::function<void(BrowserFrame&)> task)
    {
        m_task = std::move(task);
        ::PostThreadMessageW(m_threadId, kRunTask, 0, 0);
        ::WaitForSingleObject(m_done.get(), INFINITE);
    }

private:
    static constexpr UINT kRunTask = WM_APP + 7;

    void Main(BrowserOptions options)
    {
        ComInitScope com;
        BrowserFrame frame(std::move(options));
        m_opened = frame.Open();
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the queue exists before the thread is ready
        m_threadId = ::GetCurrentThreadId();
        ::SetEvent(m_done.get());
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (!message.hwnd && message.message == kRunTask) {
                m_task(frame);
                ::SetEvent(m_done.get());
                continue;
            }
            ::DispatchMessageW(&message);
        }
        frame.Close();
    }

    unique_handle m_done{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    std::function<void(BrowserFrame&)> m_task;
    DWORD m_threadId = 0;
    bool m_opened = false;
    std::thread m_thread; // last: starts once the rest is built
};

// Moves the real mouse (through the X server), with a button change when given.
void MouseTo(POINT at, DWORD button = 0)
{
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (at.x * 65536 + width - 1) / width;
    input.mi.dy = (at.y * 65536 + height - 1) / height;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
    ::SendInput(1, &input, sizeof(input));
}

// The drag source of a link dragged from another window with the mouse.
class LinkDragSource final : public ComObject<LinkDragSource, IDropSource> {
public:
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) noexcept override
    {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & MK_LBUTTON) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD) noexcept override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

constexpr wchar_t kBrowserKey[] = L"Software\\Microsoft\\Internet Explorer";

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

class BandTest : public InstallationFixture {
protected:
    void SetUp() override
    {
        InstallationFixture::SetUp();
        Install(true);
        SetSetting(L"btbho", L"0");
        SetIni(L"btbho", L"0");
        WriteTextFile(xmls + L"ApplicationSettings.xml",
                      "<MTRoot><Popup Status=\"1\"/><LogURL Yes=\"1\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"1\"/></MTRoot>");
        PopupManager(L"yes");

        // CoCreateInstance does not see the redirected HKCR under Wine, so the
        // DLL's own factory is registered for this process instead.
        m_module.reset(::LoadLibraryW(WinePath(MARLIN_DLL_PATH).c_str()));
        ASSERT_TRUE(m_module);
        ComPtr<IUnknown> factory;
        ASSERT_EQ(GetClassObject()(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&factory)), S_OK);
        ASSERT_EQ(::CoRegisterClassObject(CLSID_MarlinToolbarObj, factory.Get(), CLSCTX_INPROC_SERVER,
                                          REGCLS_MULTIPLEUSE, &m_registration),
                  S_OK);
    }

    void TearDown() override
    {
        m_windows.clear();
        ::CoRevokeClassObject(m_registration);
        m_module.reset();
        InstallationFixture::TearDown();
    }

    static void PopupManager(const wchar_t* value)
    {
        WriteRegistryString(CreateRegistryKey(HKEY_CURRENT_USER, kBrowserKey + std::wstring(L"\\New Windows"), KEY_ALL_ACCESS).get(),
                            L"PopupMgr", value);
    }

    BrowserFrame& Open(BrowserOptions options = {})
    {
        m_windows.push_back(std::make_unique<BrowserFrame>(std::move(options)));
        EXPECT_TRUE(m_windows.back()->Open());
        return *m_windows.back();
    }

    template <typename F>
    F Export(const char* name) const
    {
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m_module.get(), name)));
    }
    using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    GetClassObjectFunction GetClassObject() const { return Export<GetClassObjectFunction>("DllGetClassObject"); }
    HRESULT CanUnloadNow() const { return Export<HRESULT(WINAPI*)()>("DllCanUnloadNow")(); }

    // The DLL's own class factory, usable from any thread (a class object
    // registered with CoRegisterClassObject serves only its apartment).
    BrowserOptions FromTheDll() const
    {
        auto getClassObject = GetClassObject();
        BrowserOptions options;
        options.factory = [getClassObject](standin::ComponentRole, ComPtr<IUnknown>& instance) {
            ComPtr<IClassFactory> factory;
            const HRESULT hr = getClassObject(CLSID_MarlinToolbarObj, IID_PPV_ARGS(&factory));
            return FAILED(hr) ? hr : factory->CreateInstance(nullptr, IID_PPV_ARGS(&instance));
        };
        return options;
    }

    ComPtr<IDeskBand> Band(BrowserFrame& frame) const
    {
        ComPtr<IDeskBand> band;
        if (frame.Component().Band()) frame.Component().Band()->QueryInterface(IID_PPV_ARGS(&band));
        return band;
    }

    // The style of the component's rebar band, set to `style` first when given.
    static UINT BandStyle(BrowserFrame& frame, std::optional<UINT> style = {})
    {
        const auto index = ::SendMessageW(frame.Rebar(), RB_IDTOINDEX, BrowserFrame::kComponentBandId, 0);
        REBARBANDINFOW info{sizeof(info), RBBIM_STYLE};
        info.fStyle = style.value_or(0);
        if (style) ::SendMessageW(frame.Rebar(), RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
        ::SendMessageW(frame.Rebar(), RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&info));
        return info.fStyle;
    }
    static void LockToolbars()
    {
        unique_hkey toolbar = CreateRegistryKey(HKEY_CURRENT_USER, kBrowserKey + std::wstring(L"\\Toolbar"), KEY_ALL_ACCESS);
        const DWORD locked = 1;
        ::RegSetValueExW(toolbar.get(), L"Locked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&locked), sizeof(locked));
    }
    // Presses and releases the left button over the gripper of the component's
    // band (the gripper belongs to the rebar itself).
    static void ClickGripper(BrowserFrame& frame)
    {
        ::SetWindowPos(frame.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(frame.hwnd());
        const auto index = ::SendMessageW(frame.Rebar(), RB_IDTOINDEX, BrowserFrame::kComponentBandId, 0);
        RECT band{};
        ::SendMessageW(frame.Rebar(), RB_GETRECT, index, reinterpret_cast<LPARAM>(&band));
        POINT gripper{band.left + 3, (band.top + band.bottom) / 2};
        ::ClientToScreen(frame.Rebar(), &gripper);
        MouseTo(gripper, MOUSEEVENTF_LEFTDOWN);
        MouseTo(gripper, MOUSEEVENTF_LEFTUP);
    }

    // The toolbar's row of buttons, as the band's window holds it.
    HWND ButtonRow(BrowserFrame& frame) const
    {
        HWND control = nullptr;
        if (ComPtr<IDeskBand> band = Band(frame)) band->GetWindow(&control);
        return control ? ::FindWindowExW(control, nullptr, TOOLBARCLASSNAMEW, nullptr) : nullptr;
    }
    // The caption of the pop-up blocker's button (command 3 of the signed-in template).
    std::wstring BlockerCaption(BrowserFrame& frame) const
    {
        wchar_t text[128] = {};
        ::SendMessageW(ButtonRow(frame), TB_GETBUTTONTEXTW, 3, reinterpret_cast<LPARAM>(text));
        return text;
    }

    // Opens a window and offers one new window from the current page: true when it was refused.
    static bool PopupRefused(BrowserFrame& frame) { return frame.Browser().Events().NewWindow2(); }

    std::vector<std::wstring> LoggedVisits() const
    {
        auto document = XmlDocument::Create();
        std::vector<std::wstring> visits;
        if (!document->Load(xmls + L"LogURL.xml")) return visits;
        for (const XmlElement& visit : ChildElements(document->Root().Get())) visits.push_back(GetText(visit.Get()));
        return visits;
    }

    unique_hmodule m_module;
    DWORD m_registration = 0;
    std::vector<std::unique_ptr<BrowserFrame>> m_windows;
};

TEST_F(BandTest, TheBandLoadsIntoTheRebarAnswersBandInfoAndLeavesNothingBehind)
{
    BrowserFrame& frame = Open();
    const auto& loaded = frame.Component().Loaded();
    for (HRESULT hr : {loaded.bandSetSite, loaded.bandWindow, loaded.showBand}) EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(BandStyle(frame), 0x281u);
    EXPECT_EQ(frame.Browser().EventSinkCount(), 1u);
    EXPECT_TRUE(FileExists(xmls + L"MarlinToolbarLogin.xml")) << "signed in: the login document is made";
    EXPECT_EQ(CanUnloadNow(), S_FALSE);
    LockToolbars();
    ComPtr<IDeskBand> band = Band(frame);
    ASSERT_EQ(band->ShowDW(TRUE), S_OK);
    EXPECT_EQ(BandStyle(frame), 0x301u);

    EXPECT_EQ(band->GetBandInfo(7, 0, nullptr), S_OK);
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_BKCOLOR | DBIM_MODEFLAGS;
    info.ptActual.x = 333;
    ASSERT_EQ(band->GetBandInfo(7, 0, &info), S_OK);
    RECT client{};
    ::GetClientRect(frame.hwnd(), &client);
    EXPECT_EQ(info.ptMinSize.x, client.right - client.left) << "a whole row of the rebar";
    EXPECT_EQ(info.ptActual.x, 333) << "the band's width is the rebar's to choose";
    EXPECT_EQ(info.dwMask & (DBIM_BKCOLOR | DBIM_TITLE), static_cast<DWORD>(DBIM_TITLE));
    EXPECT_EQ(info.dwModeFlags, static_cast<DWORD>(DBIMF_USECHEVRON | DBIMF_BREAK));

    band.Reset();
    frame.Browser().Navigate(L"http://page.example/");
    frame.Close();
    EXPECT_EQ(frame.LeftAtClose().browser, 0u);
    EXPECT_EQ(frame.LeftAtClose().documents, 0u);
    EXPECT_EQ(frame.LeftAtClose().windows, 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(BandTest, TheHelperObjectChecksItsHostAndShowsTheBandOnce)
{
    auto bars = [](BrowserFrame& frame) {
        std::wstring calls;
        for (const auto& call : frame.Browser().BrowserBarCalls()) {
            calls += (call.show ? L"show " : L"hide ") + call.clsid + L";";
        }
        return calls;
    };
    const std::wstring band = L"{72D5F972-7F68-44FA-9029-CC178AEA3780};";
    BrowserFrame& foreign = Open(BrowserOptions{.fullName = L"C:\\Tools\\Other.exe"});
    EXPECT_EQ(bars(foreign), L"hide " + band);

    SetSetting(L"btbho", L"1");
    const BrowserOptions browser{.fullName = L"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE"};
    BrowserFrame& first = Open(browser);
    EXPECT_EQ(bars(first), L"hide " + band + L"show " + band);
    unique_hkey key = OpenRegistryKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\MarlinToolbar", KEY_READ);
    EXPECT_EQ(ReadRegistryString(key.get(), L"btbho", 10).value_or(L""), L"0");
    EXPECT_EQ(first.Browser().EventSinkCount(), 2u) << "the helper object listens too";

    BrowserFrame& second = Open(browser);
    EXPECT_EQ(bars(second), L"");
    first.Close();
    EXPECT_EQ(first.LeftAtClose().browser, 0u);
}

TEST_F(BandTest, DegradedSitesFailOrRunWithoutEvents)
{
    const std::tuple<const char*, standin::BandSiteOptions, HRESULT> cases[] = {
        {"no window", {.window = false}, E_FAIL},
        {"no input-object site", {.inputObjectSite = false}, E_FAIL},
        {"no command target", {.commandTarget = false}, S_OK},
        {"no browser service", {.browserService = false}, S_OK},
    };
    for (const auto& [name, site, expected] : cases) {
        BrowserFrame& frame = Open(BrowserOptions{.site = site});
        EXPECT_EQ(frame.Component().Loaded().bandSetSite, expected) << name;
        EXPECT_EQ(frame.Browser().EventSinkCount(), 0u) << name;
        frame.Close();
    }
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(BandTest, NavigationsAttachDocumentsAndScriptNavigationsKeepThem)
{
    BrowserFrame& frame = Open();
    standin::StandInBrowser& browser = frame.Browser();
    ASSERT_TRUE(browser.NavigateWithFrames(L"http://frames.example/", {L"http://a.example/", L"http://b.example/"}));
    ComPtr<standin::StandInDocument> page = browser.Document();
    ASSERT_EQ(browser.Frames().size(), 2u);
    ComPtr<standin::StandInBrowser> firstFrame = browser.Frames()[0];
    ComPtr<standin::StandInDocument> frameDocument = firstFrame->Document();
    auto sinks = [&] {
        return std::vector<size_t>{page->EventSinkCount(), page->Window().EventSinkCount(),
                                   frameDocument->EventSinkCount(), frameDocument->Window().EventSinkCount()};
    };
    EXPECT_EQ(sinks(), std::vector<size_t>(4, 1));

    // A script navigation keeps the entries (each holds its frame)...
    const ULONG held = References(firstFrame->AsDispatch());
    browser.Events().BeforeNavigate2(browser.AsDispatch(), L"JavaScript:void(0)");
    EXPECT_EQ(References(firstFrame->AsDispatch()), held);
    EXPECT_FALSE(PopupRefused(frame)) << "a script navigation's window opens";
    // ...and quitting undoes their connections.
    browser.Events().OnQuit();
    EXPECT_EQ(sinks(), std::vector<size_t>(4, 0));

    ASSERT_TRUE(browser.NavigateWithFrames(L"http://frames2.example/", {L"http://c.example/"}));
    ComPtr<standin::StandInBrowser> secondFrame = browser.Frames()[0];
    // An ordinary navigation lets every entry go: only this test holds the old frame.
    ASSERT_TRUE(browser.Navigate(L"http://one.example/"));
    EXPECT_EQ(References(secondFrame->AsDispatch()), 1u);
    EXPECT_EQ(browser.Document()->EventSinkCount(), 1u);
    EXPECT_EQ(LoggedVisits(), (std::vector<std::wstring>{L"http://frames.example/", L"http://frames2.example/",
                                                         L"http://one.example/"}))
        << "one visit per page, frames or not";
}

TEST_F(BandTest, EachDocumentHasOneSinkPairAndNoneOutlivesTheBand)
{
    using Browser = standin::StandInBrowser;
    const std::wstring page = L"http://page.example/";
    auto withFrames = [](Browser& browser) {
        return browser.NavigateWithFrames(L"http://frames.example/", {L"http://a.example/", L"http://b.example/"});
    };
    auto unsite = [](BrowserFrame& frame) {
        ComPtr<IObjectWithSite> band;
        frame.Component().Band()->QueryInterface(IID_PPV_ARGS(&band));
        ComPtr<IUnknown> site;
        return band->SetSite(nullptr) == S_OK && band->GetSite(IID_PPV_ARGS(&site)) == E_FAIL;
    };
    struct Scenario {
        const char* name;
        std::function<void(BrowserFrame&)> run;
        size_t sinks; // of each document and of its window, before closing
    };
    const Scenario scenarios[] = {
        {"a frame navigates", [&](BrowserFrame& f) {
             withFrames(f.Browser());
             f.Browser().NavigateFrame(0, L"http://c.example/");
         }, 1},
        {"a navigation is cancelled", [&](BrowserFrame& f) {
             f.Browser().Navigate(page);
             f.Browser().Events().BeforeNavigate2(f.Browser().AsDispatch(), L"http://elsewhere.example/");
         }, 1},
        {"a page completes six times", [&](BrowserFrame& f) {
             f.Browser().Navigate(page);
             for (int i = 0; i < 5; ++i) f.Browser().Events().DocumentComplete(f.Browser().AsDispatch(), page);
         }, 1},
        {"closed before the next page completes", [&](BrowserFrame& f) {
             f.Browser().Navigate(page);
             f.Browser().Events().BeforeNavigate2(f.Browser().AsDispatch(), L"http://next.example/");
             f.Browser().Events().NavigateComplete2(f.Browser().AsDispatch(), L"http://next.example/");
         }, 1},
        {"closed after the pages complete", [&](BrowserFrame& f) { withFrames(f.Browser()); }, 1},
        {"unsited twice, then completed", [&](BrowserFrame& f) {
             f.Browser().Navigate(page);
             IUnknown* site = static_cast<IOleWindow*>(&f.Site());
             const ULONG held = References(site);
             EXPECT_TRUE(unsite(f) && unsite(f));
             EXPECT_EQ(References(site), held - 1) << "the site is released once";
             f.Browser().Events().DocumentComplete(f.Browser().AsDispatch(), page);
         }, 0},
    };
    for (const Scenario& scenario : scenarios) {
        BrowserFrame& frame = Open();
        scenario.run(frame);
        std::vector<standin::StandInDocument*> documents{frame.Browser().Document()};
        for (const auto& child : frame.Browser().Frames()) documents.push_back(child->Document());
        for (standin::StandInDocument* document : documents) {
            ASSERT_TRUE(document) << scenario.name;
            EXPECT_EQ(document->EventSinkCount(), scenario.sinks) << scenario.name << " " << document->Url();
            EXPECT_EQ(document->Window().EventSinkCount(), scenario.sinks) << scenario.name << " " << document->Url();
        }
        frame.Close();
        EXPECT_EQ(frame.LeftAtClose().documents, 0u) << scenario.name;
        EXPECT_EQ(frame.LeftAtClose().windows, 0u) << scenario.name;
        EXPECT_EQ(CanUnloadNow(), S_OK) << scenario.name;
    }
}

// The allow list, the keys that let a pop-up through and the blocker's menu have tests of their own;
// here the band puts the blocker to work.
TEST_F(BandTest, PopupsAreRefusedAndCountedWhileTheBlockerIsOn)
{
    BrowserFrame& frame = Open();
    standin::StandInBrowser& browser = frame.Browser();
    EXPECT_FALSE(PopupRefused(frame)) << "no page yet: nothing to block";
    ASSERT_TRUE(browser.Navigate(L"http://ads.example/"));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(PopupRefused(frame)) << "empty allow list, blocker on";
    EXPECT_EQ(BlockerCaption(frame), L"(3) Blocked");

    PopupManager(L"no");
    BrowserFrame& off = Open();
    ASSERT_TRUE(off.Browser().Navigate(L"http://ads.example/"));
    EXPECT_FALSE(PopupRefused(off)) << "the blocker is off";
}

TEST_F(BandTest, TheBrowserMayCloseWhileAToolbarMenuIsOpen)
{
    BrowserFrame& frame = Open();
    HWND row = ButtonRow(frame);
    ASSERT_TRUE(row);
    HWND control = ::GetParent(row);
    TBBUTTON home{};
    ASSERT_TRUE(::SendMessageW(row, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&home)));
    // The window closes inside the home menu's loop; the choice still arrives afterwards.
    HRESULT unloadDuringMenu = E_FAIL;
    env().chooseMenuCommand = [&](HMENU) {
        frame.Close();
        unloadDuringMenu = CanUnloadNow();
        return 65007u; // "About": an entry with an address
    };
    NMTOOLBARW notice{{row, 0, static_cast<UINT>(TBN_DROPDOWN)}, home.idCommand};
    ::SendMessageW(control, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
    env().chooseMenuCommand = nullptr;
    EXPECT_EQ(unloadDuringMenu, S_FALSE) << "the band lives until the toolbar's handler has returned";
    EXPECT_FALSE(::IsWindow(control));
    EXPECT_EQ(frame.LeftAtClose().windows, 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(BandTest, SkinsPaintTheRealToolbarAndAMissingDatabaseIsToldOnce)
{
    // No skin database: every window starts with the built-in colours; the user hears of it once.
    Open();
    {
        WindowThread other(FromTheDll());
        ASSERT_TRUE(other.opened());
    }
    Open();
    size_t told = 0;
    for (const MessageBoxCall& box : env().messageBoxes) told += box.text == L"Failed to load Skin Database.";
    EXPECT_EQ(told, 1u);

    // A skin of pictures, as installed: the toolbar window paints its pattern.
    const std::wstring skins = MakeFolder(L"Data\\Skins");
    CopyFiles(WinePath(MARLIN_SKINS_DIR), L"*.xml", skins);
    CopyFiles(WinePath(MARLIN_SKINS_DIR "/2"), L"*.bmp", MakeFolder(L"Data\\Skins\\2"));
    WriteTextFile(xmls + L"ApplicationSettings.xml",
                  "<MTRoot><Popup Status=\"1\"/><LogURL Yes=\"1\"/><AutoUpdate Plugin=\"0\"/><Skin ID=\"2\"/></MTRoot>");
    BrowserFrame& frame = Open();
    HWND toolbar = ::GetParent(ButtonRow(frame));
    ASSERT_TRUE(toolbar);
    RECT client{};
    ::GetClientRect(toolbar, &client);
    WindowDC screen(nullptr);
    unique_hdc printed(::CreateCompatibleDC(screen.get())), pattern(::CreateCompatibleDC(screen.get()));
    unique_hbitmap canvas(::CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    unique_hbitmap picture(static_cast<HBITMAP>(::LoadImageW(nullptr, (skins + L"2\\ToolbarPattern.bmp").c_str(),
                                                             IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    SelectedObject intoCanvas(printed.get(), canvas.get()), intoPattern(pattern.get(), picture.get());
    ASSERT_TRUE(::PrintWindow(toolbar, printed.get(), 0));
    // Above the row of buttons, across the toolbar's width.
    for (int x : {0, 45, static_cast<int>(client.right) - 3}) {
        EXPECT_EQ(::GetPixel(printed.get(), x, 0), ::GetPixel(pattern.get(), x % 32, 0)) << "at " << x;
    }
    EXPECT_EQ(told, 1u);
}

TEST_F(BandTest, VisitsAreNotLoggedWhileSignedOut)
{
    SetSetting(L"IsLogin", L"0");
    ASSERT_TRUE(Open().Browser().Navigate(L"https://secure.example/"));
    EXPECT_FALSE(FileExists(xmls + L"LogURL.xml"));
}

TEST_F(BandTest, MalformedEventsAndEventsAfterUnsitingAreHarmless)
{
    BrowserFrame& frame = Open();
    standin::BrowserEvents& events = frame.Browser().Events();
    for (DISPID id : {DISPID_BEFORENAVIGATE2, DISPID_DOCUMENTCOMPLETE, DISPID_NEWWINDOW2, DISPID_NAVIGATECOMPLETE2,
                      DISPID_WINDOWSTATECHANGED, DISPID_COMMANDSTATECHANGE, DISPID_PROPERTYCHANGE, DISPID_ONQUIT}) {
        events.WithoutParameters(id);
        events.WithTooFewArguments(id, 1);
    }
    // A completed frame that has no document yet.
    ComPtr<standin::StandInBrowser> bare = standin::StandInBrowser::Make(nullptr, standin::StandInBrowser::Kind::Frame);
    events.DocumentComplete(bare->AsDispatch(), L"http://bare.example/");

    ComPtr<IDispatch> sink;
    ASSERT_EQ(frame.Component().Band()->QueryInterface(IID_PPV_ARGS(&sink)), S_OK);
    EXPECT_EQ(sink->Invoke(DISPID_ONQUIT, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    ComPtr<IObjectWithSite> band;
    ASSERT_EQ(sink.As(&band), S_OK);
    ASSERT_EQ(band->SetSite(nullptr), S_OK);
    EXPECT_EQ(frame.Browser().EventSinkCount(), 0u) << "an unsited band stops listening";
    DISPPARAMS none{};
    EXPECT_EQ(sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

TEST_F(BandTest, ASelectedTabTakesItsThreadsMouseHookAndCurrentToolbar)
{
    BrowserFrame& first = Open();
    BrowserFrame& second = Open();
    LockToolbars();

    // The first window's tab is selected; a click released on its rebar makes
    // the thread's current band apply its style again.
    first.Browser().Events().WindowStateChanged(OLECMDIDF_WINDOWSTATE_USERVISIBLE | OLECMDIDF_WINDOWSTATE_ENABLED,
                                                OLECMDIDF_WINDOWSTATE_USERVISIBLE | OLECMDIDF_WINDOWSTATE_ENABLED);
    ClickGripper(first);
    for (const DWORD until = ::GetTickCount() + 2000; BandStyle(first) != 0x301u && ::GetTickCount() < until;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    EXPECT_EQ(BandStyle(first), 0x301u);
    EXPECT_EQ(BandStyle(second), 0x281u);
}

TEST_F(BandTest, EachThreadsMouseHookReachesItsOwnToolbarOnly)
{
    LockToolbars();
    // A click released on `target`'s rebar makes its band apply its style
    // again (locked: 0x301); `other`'s band is left as it was.
    auto clickReapplies = [](WindowThread& target, WindowThread* other) {
        if (other) other->Run([](BrowserFrame& frame) { BandStyle(frame, 0x281); });
        target.Run([](BrowserFrame& frame) {
            BandStyle(frame, 0x281);
            ClickGripper(frame);
        });
        UINT style = 0;
        for (const DWORD until = ::GetTickCount() + 2000; style != 0x301u && ::GetTickCount() < until;) {
            ::Sleep(10);
            target.Run([&](BrowserFrame& frame) { style = BandStyle(frame); });
        }
        UINT otherStyle = 0x281;
        if (other) other->Run([&](BrowserFrame& frame) { otherStyle = BandStyle(frame); });
        return style == 0x301u && otherStyle == 0x281u;
    };
    for (const bool firstClosesFirst : {true, false}) {
        auto first = std::make_unique<WindowThread>(FromTheDll());
        auto second = std::make_unique<WindowThread>(FromTheDll());
        ASSERT_TRUE(first->opened() && second->opened());
        // Side by side, so that a click reaches the rebar it is aimed at.
        first->Run([](BrowserFrame& frame) { ::SetWindowPos(frame.hwnd(), nullptr, 0, 0, 900, 300, SWP_NOZORDER); });
        second->Run([](BrowserFrame& frame) { ::SetWindowPos(frame.hwnd(), nullptr, 0, 400, 900, 300, SWP_NOZORDER); });
        EXPECT_TRUE(clickReapplies(*first, second.get())) << "siting a band on another thread keeps this hook";
        EXPECT_TRUE(clickReapplies(*second, first.get()));
        std::unique_ptr<WindowThread>& survivor = firstClosesFirst ? second : first;
        (firstClosesFirst ? first : second).reset();
        EXPECT_TRUE(clickReapplies(*survivor, nullptr)) << "first closes first: " << firstClosesFirst;
        survivor.reset();
    }
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

// The browser gives the band its keys while the band says it has the focus
// (typed searches through the demo browser's loop are the end-to-end tests').
TEST_F(BandTest, TheSearchBoxTakesTheFocusAndTheBrowsersKeys)
{
    BrowserFrame& frame = Open();
    ComPtr<IInputObject> input;
    ASSERT_EQ(frame.Component().Band()->QueryInterface(IID_PPV_ARGS(&input)), S_OK);
    ::SetFocus(frame.Address().hwnd());
    EXPECT_EQ(input->HasFocusIO(), S_FALSE);
    ASSERT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
    const HWND edit = ::GetFocus();
    wchar_t name[64] = {};
    ::GetClassNameW(edit, name, 64);
    EXPECT_STREQ(name, L"MarlinSearchboxEdit");
    EXPECT_TRUE(frame.Site().BandHasFocus());
    EXPECT_EQ(input->HasFocusIO(), S_OK);

    // Keys aimed at the browser's own windows stay the browser's.
    MSG other{frame.Address().hwnd(), WM_KEYDOWN, VK_RETURN, 0};
    EXPECT_EQ(input->TranslateAcceleratorIO(&other), S_FALSE);
    ::SetFocus(frame.Address().hwnd());
    EXPECT_FALSE(frame.Site().BandHasFocus());
    EXPECT_EQ(input->HasFocusIO(), S_FALSE);

    // The history drop-down (its button is the search box's child 1) closes
    // on CommandStateChange once the mouse has moved over the toolbar, and on OnQuit.
    const HWND box = ::GetParent(edit);
    const auto openHistory = [&] {
        ::SendMessageW(::GetDlgItem(box, 1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        ::SendMessageW(::GetDlgItem(box, 1), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        return ::GetParent(::GetFocus());
    };
    const HWND dropDown = openHistory();
    ASSERT_TRUE(::IsWindowVisible(dropDown));
    frame.Browser().Events().CommandStateChange(1, true);
    EXPECT_TRUE(::IsWindowVisible(dropDown)) << "the mouse has not moved over the toolbar";
    ::SendMessageW(::GetParent(box), WM_MOUSEMOVE, 0, 0);
    frame.Browser().Events().CommandStateChange(1, true);
    EXPECT_FALSE(::IsWindowVisible(dropDown));
    EXPECT_EQ(openHistory(), dropDown);
    frame.Browser().Events().OnQuit();
    EXPECT_FALSE(::IsWindowVisible(dropDown));
}

// The registration itself: a link dragged by the mouse out of another window
// through OLE's own drag loop and let go over the toolbar becomes a button,
// whose favicon the DLL fetches from a local site.
TEST_F(BandTest, ALinkDraggedWithTheMouseOntoTheToolbarBecomesAButton)
{
    CopyFiles(WinePath(MARLIN_IMAGES_DIR), L"*.ico", data + L"Images");
    LocalHttpServer site;
    const std::string icon = *ReadFileBytes(data + L"Images\\Search.ico", 1 << 16);
    site.Serve("/favicon.ico", {icon});
    std::wstring offered;
    env().dialogScript = [&](HWND dialog) {
        wchar_t name[256] = {};
        ::GetDlgItemTextW(dialog, 1202, name, 256);
        offered = name;
        ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    };

    BrowserFrame& frame = Open();
    ::SetWindowPos(frame.hwnd(), HWND_TOP, 0, 0, 900, 300, SWP_SHOWWINDOW);
    HWND toolbar = ::GetParent(ButtonRow(frame));
    RECT target{};
    ::GetWindowRect(toolbar, &target);
    unique_hwnd source(::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"source", WS_POPUP | WS_VISIBLE | SS_NOTIFY, 300,
                                         500, 200, 100, nullptr, nullptr, nullptr, nullptr));
    const POINT from{400, 550};
    RECT shown{};
    RECT window{};
    ::GetWindowRect(frame.hwnd(), &window);
    ::IntersectRect(&shown, &target, &window);
    const POINT to{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};

    const HRESULT ole = ::OleInitialize(nullptr);
    // The drag starts as an application starts one: on the press it was given.
    MouseTo(from, MOUSEEVENTF_LEFTDOWN);
    MSG press{};
    for (int i = 0; i < 500 && press.message != WM_LBUTTONDOWN; ++i) {
        if (!::PeekMessageW(&press, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(10);
            continue;
        }
        if (press.message != WM_LBUTTONDOWN) ::DispatchMessageW(&press);
    }
    ASSERT_EQ(press.hwnd, source.get());
    std::thread mover([&] {
        ::Sleep(300);
        for (int step = 1; step <= 10; ++step) {
            MouseTo(POINT{from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10});
            ::Sleep(50);
        }
        ::Sleep(300);
        MouseTo(to, MOUSEEVENTF_LEFTUP);
    });
    const std::wstring address = L"http://" + site.Host() + L"/dragged/page";
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT dragged = ::DoDragDrop(TextObject(address).Get(), LinkDragSource::Make().Get(), DROPEFFECT_COPY, &effect);
    mover.join();
    if (SUCCEEDED(ole)) ::OleUninitialize();
    EXPECT_EQ(dragged, DRAGDROP_S_DROP);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));

    // The dialog runs from the toolbar's queue once the drag is over.
    const std::wstring iconFile = data + L"Images\\127.0.0.1_" + site.Host().substr(10) + L".ico";
    for (int i = 0; i < 3000 && ReadFileBytes(iconFile, 1 << 20).value_or("") != icon; ++i) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(10);
    }
    EXPECT_EQ(offered, site.Host());
    EXPECT_NE(ReadTextFile(xmls + L"MarlinToolbarLogin.xml").find(ToUtf8(address)), std::string::npos);
    EXPECT_TRUE(ReadFileBytes(iconFile, 1 << 20).value_or("") == icon) << "the favicon arrived";
    EXPECT_EQ(site.Requests(), std::vector<std::string>{"/favicon.ico"});
    frame.Close();
    EXPECT_EQ(CanUnloadNow(), S_OK) << "the drop target went with the window";
}

TEST_F(BandTest, APluginButtonsSettingsRunsTheSampleLibraryAndAFaultingOneLeavesTheBrowserRunning)
{
    const std::wstring library = MakeFolder(L"Data\\Plugins\\1") + L"EBay.dll";
    ASSERT_TRUE(::CopyFileW(WinePath(MARLIN_PLUGINS_DIR "/1/EBay.dll").c_str(), library.c_str(), FALSE));
    WriteTextFile(xmls + L"Plug-in.xml", "<PlugIns><PlugIn Name=\"EBay\"><ID>1</ID></PlugIn></PlugIns>");
    BrowserFrame& frame = Open();
    HWND row = ButtonRow(frame);
    ASSERT_TRUE(row);
    HWND control = ::GetParent(row);
    // Opens the EBay button's menu (command 4 of the signed-in template), choosing its last entry when asked.
    auto menu = [&](bool chooseLast) {
        int count = 0;
        env().chooseMenuCommand = [&](HMENU shown) {
            count = ::GetMenuItemCount(shown);
            return chooseLast ? ::GetMenuItemID(shown, count - 1) : 0u;
        };
        NMTOOLBARW notice{{row, 0, static_cast<UINT>(TBN_DROPDOWN)}, 4};
        ::SendMessageW(control, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
        env().chooseMenuCommand = nullptr;
        return count;
    };
    const std::wstring login = xmls + L"MarlinToolbarLogin.xml";
    EXPECT_EQ(menu(true), 1) << "Settings only";
    EXPECT_EQ(menu(false), 3) << "the sample's two entries, then Settings";
    const std::string stored = ReadTextFile(login);
    EXPECT_NE(stored.find("Ending soon"), std::string::npos);

    WriteTextFile(MakeFolder(L"Data\\Plugins\\1") + L"FetchData.txt", "#fault");
    row = ButtonRow(frame);
    menu(true);
    EXPECT_EQ(ReadTextFile(login), stored) << "the button's data stays";
    row = ButtonRow(frame);
    EXPECT_EQ(menu(false), 3);
}

} // namespace
