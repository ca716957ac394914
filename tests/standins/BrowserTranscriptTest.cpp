// What a component sited by the browser stand-in sees, written as one
// transcript and compared with golden/Transcript.txt: the calls that load and
// close it, and every event with its arguments in the event's own order ("&":
// passed by reference). The DLL shrugs off layouts it does not expect, so only
// this test notices when the stand-in's events stop looking like the browser's.
#include "BrowserFrame.h"

#include "platform/ComTypes.h"
#include "platform/Strings.h"
#include "support/Golden.h"

#include <exdispid.h>
#include <mshtmdid.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace marlin;
using namespace marlin::test;
using namespace standin;

namespace {

std::wstring EventName(DISPID id)
{
    static const std::pair<DISPID, const wchar_t*> names[] = {
        {DISPID_BEFORENAVIGATE2, L"BeforeNavigate2"}, {DISPID_NEWWINDOW2, L"NewWindow2"},
        {DISPID_NAVIGATECOMPLETE2, L"NavigateComplete2"}, {DISPID_DOCUMENTCOMPLETE, L"DocumentComplete"},
        {DISPID_WINDOWSTATECHANGED, L"WindowStateChanged"}, {DISPID_COMMANDSTATECHANGE, L"CommandStateChange"},
        {DISPID_PROPERTYCHANGE, L"PropertyChange"}, {DISPID_ONQUIT, L"OnQuit"},
        {DISPID_HTMLWINDOWEVENTS2_ONRESIZE, L"onresize"}};
    for (const auto& [known, name] : names) {
        if (known == id) return name;
    }
    return std::to_wstring(id);
}

std::wstring Describe(const VARIANT& v)
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IHTMLEventObj> event;
    VARIANT_BOOL top = VARIANT_FALSE;
    UniqueBstr type;
    switch (v.vt) {
    case VT_EMPTY: return L"empty";
    case VT_I4: return std::to_wstring(v.lVal);
    case VT_BOOL: return v.boolVal ? L"true" : L"false";
    case VT_BSTR: return L"\"" + std::wstring(v.bstrVal ? v.bstrVal : L"") + L"\"";
    case VT_VARIANT | VT_BYREF: return L"&" + Describe(*v.pvarVal);
    case VT_BOOL | VT_BYREF: return *v.pboolVal ? L"&true" : L"&false";
    case VT_DISPATCH | VT_BYREF: return *v.ppdispVal ? L"&object" : L"&null";
    case VT_DISPATCH:
        if (SUCCEEDED(v.pdispVal->QueryInterface(IID_PPV_ARGS(&browser)))) {
            browser->get_TopLevelContainer(&top);
            return top ? L"browser" : L"frame";
        }
        if (SUCCEEDED(v.pdispVal->QueryInterface(IID_PPV_ARGS(&event))) && SUCCEEDED(event->get_type(type.put()))) {
            return L"event " + type.str();
        }
        return L"object";
    default: return Format(L"vt %u", v.vt);
    }
}

// In place of the DLL: as helper object or band, it writes what happens to it.
class Recorder final : public ComObject<Recorder, IDeskBand, IObjectWithSite, IDispatch> {
public:
    Recorder(std::wstring name, std::wstring& log) : m_name(std::move(name)), m_log(log) {}
    void* QueryExtraInterface(REFIID iid) noexcept
    {
        const bool window = iid == __uuidof(IOleWindow) || iid == __uuidof(IDockingWindow);
        return window ? static_cast<IDeskBand*>(this) : nullptr;
    }

    bool leaveOnQuit = false; // unadvises everything while OnQuit is delivered
    LONG height = 24;

    void Connect(IUnknown* source, REFIID events)
    {
        ComPtr<IConnectionPointContainer> container;
        ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
        if (SUCCEEDED(source->QueryInterface(IID_PPV_ARGS(&container))) &&
            SUCCEEDED(container->FindConnectionPoint(events, &point)) &&
            SUCCEEDED(point->Advise(static_cast<IDispatch*>(this), &cookie))) {
            m_connections.emplace_back(point, cookie);
        }
    }

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override
    {
        ComPtr<IOleWindow> siteWindow;
        HWND parent = nullptr;
        if (!site) {
            Log(L"SetSite(null)");
            Disconnect();
        } else if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&siteWindow))) &&
                   SUCCEEDED(siteWindow->GetWindow(&parent))) {
            Log(L"SetSite(band site)");
            m_window = ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD, 0, 0, 300, height, parent, nullptr, nullptr,
                                         nullptr);
        } else {
            Log(L"SetSite(browser)");
            Connect(site, DIID_DWebBrowserEvents2);
        }
        return S_OK;
    }
    STDMETHODIMP GetSite(REFIID, void**) noexcept override { return E_NOTIMPL; }
    // IOleWindow / IDockingWindow / IDeskBand
    STDMETHODIMP GetWindow(HWND* window) noexcept override { Log(L"GetWindow"); *window = m_window; return S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP ShowDW(BOOL show) noexcept override { Log(show ? L"ShowDW(TRUE)" : L"ShowDW(FALSE)"); return S_OK; }
    STDMETHODIMP CloseDW(DWORD) noexcept override { Log(L"CloseDW"); ::DestroyWindow(m_window); return S_OK; }
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) noexcept override
    {
        Log(Format(L"GetBandInfo(mask 0x%lX)", info->dwMask));
        info->ptMinSize = info->ptMaxSize = info->ptActual = {300, height};
        info->ptIntegral = {1, 1};
        return S_OK;
    }
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) noexcept override
    {
        if (!params) {
            Log(EventName(id) + L" without parameters");
            return S_OK;
        }
        std::wstring line = EventName(id) + L"(";
        for (UINT i = params->cArgs; i-- > 0;) line += Describe(params->rgvarg[i]) + (i ? L", " : L"");
        Log(line + L")");
        if (id == DISPID_DOCUMENTCOMPLETE && params->cArgs == 2 && Describe(params->rgvarg[1]) == L"browser") {
            AttachToPage(params->rgvarg[1].pdispVal);
        }
        if (id == DISPID_ONQUIT && leaveOnQuit) Disconnect();
        return S_OK;
    }

private:
    void Log(const std::wstring& line) { m_log += m_name + L": " + line + L"\n"; }
    // Sinks on the completed page's document and its window.
    void AttachToPage(IDispatch* page)
    {
        ComPtr<IWebBrowser2> browser;
        ComPtr<IDispatch> dispatch;
        ComPtr<IHTMLDocument2> document;
        ComPtr<IHTMLWindow2> window;
        if (FAILED(page->QueryInterface(IID_PPV_ARGS(&browser))) || FAILED(browser->get_Document(&dispatch)) ||
            !dispatch || FAILED(dispatch.As(&document))) {
            return;
        }
        Connect(document.Get(), DIID_HTMLDocumentEvents2);
        if (SUCCEEDED(document->get_parentWindow(&window))) Connect(window.Get(), DIID_HTMLWindowEvents2);
    }
    void Disconnect()
    {
        for (auto& [point, cookie] : std::exchange(m_connections, {})) point->Unadvise(cookie);
    }

    std::wstring m_name;
    std::wstring& m_log;
    HWND m_window = nullptr;
    std::vector<std::pair<ComPtr<IConnectionPoint>, DWORD>> m_connections;
};

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TEST(StandInBrowser, AComponentSeesTheBrowsersCallsAndEventsLaidOutAsTheBrowserLaysThemOut)
{
    std::wstring log;
    ComPtr<Recorder> helper = Recorder::Make(L"helper", log);
    ComPtr<Recorder> band = Recorder::Make(L"band", log);
    ComPtr<Recorder> other = Recorder::Make(L"other", log); // a sink that never leaves
    BrowserFrame frame(BrowserOptions{.factory = [&](ComponentRole role, ComPtr<IUnknown>& instance) {
        instance = (role == ComponentRole::HelperObject ? helper : band)->Identity();
        return S_OK;
    }});
    ASSERT_TRUE(frame.Open(L"http://start.example/"));
    StandInBrowser& browser = frame.Browser();
    ASSERT_TRUE(browser.NavigateWithFrames(L"http://frames.example/", {L"http://left.example/", L"http://right.example/"}));
    browser.Events().CommandStateChange(CSC_NAVIGATEBACK, true);
    browser.Events().WindowStateChanged(OLECMDIDF_WINDOWSTATE_USERVISIBLE, OLECMDIDF_WINDOWSTATE_USERVISIBLE);
    browser.Events().PropertyChange(L"name");
    EXPECT_FALSE(browser.Events().NewWindow2());
    browser.Events().WithoutParameters(DISPID_BEFORENAVIGATE2);
    browser.Events().WithTooFewArguments(DISPID_DOCUMENTCOMPLETE, 1);

    // The band grew: it tells its site, which asks again and resizes the rebar band.
    band->height = 40;
    ComPtr<IOleCommandTarget> commands;
    ASSERT_EQ(frame.Site().QueryInterface(IID_PPV_ARGS(&commands)), S_OK);
    ASSERT_EQ(commands->Exec(&CGID_DeskBand, DBID_BANDINFOCHANGED, 0, nullptr, nullptr), S_OK);
    REBARBANDINFOW rebarBand{sizeof(rebarBand), RBBIM_CHILDSIZE};
    const auto index = ::SendMessageW(frame.Rebar(), RB_IDTOINDEX, BrowserFrame::kComponentBandId, 0);
    ::SendMessageW(frame.Rebar(), RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&rebarBand));
    EXPECT_EQ(rebarBand.cyMinChild, 40u);

    other->Connect(browser.Identity(), DIID_DWebBrowserEvents2);
    ASSERT_TRUE(browser.Navigate(L"http://last.example/"));
    browser.Document()->Window().FireResize();
    // The helper leaves while OnQuit is delivered: the next sink still hears it.
    helper->leaveOnQuit = true;
    frame.Close();
    // The sinks left behind are counted, and the browser lets them go.
    EXPECT_EQ(frame.LeftAtClose().browser, 1u);
    EXPECT_EQ(frame.LeftAtClose().documents, 1u);
    EXPECT_EQ(frame.LeftAtClose().windows, 1u);
    for (Recorder* component : {helper.Get(), band.Get(), other.Get()}) EXPECT_EQ(References(component->Identity()), 1u);

    EXPECT_EQ(log, Golden(L"Transcript.txt"));
}

} // namespace
