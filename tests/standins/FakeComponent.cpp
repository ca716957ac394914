#include "FakeComponent.h"

#include "platform/ComTypes.h"

#include <exdispid.h>

#include <string>

namespace standin::test {

namespace {

ReceivedArg Describe(const VARIANT& argument)
{
    ReceivedArg arg;
    arg.vt = argument.vt;
    const VARIANT* value = &argument;
    if (argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal) {
        value = argument.pvarVal;
        arg.inner = value->vt;
    }
    if (value->vt == VT_BSTR && value->bstrVal) arg.text = value->bstrVal;
    if (value->vt == VT_I4) arg.text = std::to_wstring(value->lVal);
    if (value->vt == VT_BOOL) arg.text = value->boolVal ? L"true" : L"false";
    if (value->vt == VT_DISPATCH) {
        arg.object = value->pdispVal;
        // An HTML event object tells its type.
        marlin::ComPtr<IHTMLEventObj> event;
        marlin::UniqueBstr type;
        if (value->pdispVal && SUCCEEDED(value->pdispVal->QueryInterface(IID_PPV_ARGS(&event))) &&
            SUCCEEDED(event->get_type(type.put()))) {
            arg.text = type.str();
        }
    }
    return arg;
}

void SetCancel(DISPPARAMS* params, UINT expectedArgs)
{
    if (params && params->cArgs == expectedArgs && params->rgvarg[0].vt == (VT_BOOL | VT_BYREF)) {
        *params->rgvarg[0].pboolVal = VARIANT_TRUE;
    }
}

} // namespace

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

BrowserOptions Hosting(FakeComponent* helper, FakeComponent* band, BandSiteOptions site)
{
    BrowserOptions options;
    options.site = site;
    options.factory = [helper, band](ComponentRole role, marlin::ComPtr<IUnknown>& instance) {
        instance = role == ComponentRole::HelperObject ? helper->Identity() : band->Identity();
        return S_OK;
    };
    return options;
}

void* FakeComponent::QueryExtraInterface(REFIID iid) noexcept
{
    if (iid == __uuidof(IOleWindow) || iid == __uuidof(IDockingWindow)) return static_cast<IDeskBand*>(this);
    return nullptr;
}

std::vector<DISPID> FakeComponent::EventIds() const
{
    std::vector<DISPID> ids;
    for (const auto& event : events) ids.push_back(event.id);
    return ids;
}

std::vector<ReceivedEvent> FakeComponent::EventsWithId(DISPID id) const
{
    std::vector<ReceivedEvent> found;
    for (const auto& event : events) {
        if (event.id == id) found.push_back(event);
    }
    return found;
}

STDMETHODIMP FakeComponent::SetSite(IUnknown* site) noexcept
{
    if (!site) {
        calls.push_back(L"SetSite(null)");
        if (!leaveSinksAtClose) DisconnectAll();
        if (window) ::DestroyWindow(window);
        window = nullptr;
        m_browser.Reset();
        m_site.Reset();
        return S_OK;
    }
    m_site = site;
    marlin::ComPtr<IOleWindow> siteWindow;
    if (SUCCEEDED(site->QueryInterface(IID_PPV_ARGS(&siteWindow)))) {
        calls.push_back(L"SetSite(band site)");
        HWND parent = nullptr;
        HRESULT hr = siteWindow->GetWindow(&parent);
        if (FAILED(hr)) return hr;
        window = ::CreateWindowExW(0, L"STATIC", L"Fake band", WS_CHILD, 0, 0, 300, bandHeight, parent, nullptr,
                                   nullptr, nullptr);
        return window ? S_OK : E_FAIL;
    }
    calls.push_back(L"SetSite(browser)");
    HRESULT hr = site->QueryInterface(IID_PPV_ARGS(&m_browser));
    if (FAILED(hr)) return hr;
    Connect(site, DIID_DWebBrowserEvents2);
    return S_OK;
}

STDMETHODIMP FakeComponent::GetSite(REFIID iid, void** site) noexcept
{
    if (!site) return E_POINTER;
    *site = nullptr;
    return m_site ? m_site->QueryInterface(iid, site) : E_FAIL;
}

STDMETHODIMP FakeComponent::GetWindow(HWND* result) noexcept
{
    calls.push_back(L"GetWindow");
    *result = window;
    return window ? S_OK : E_FAIL;
}

STDMETHODIMP FakeComponent::ShowDW(BOOL show) noexcept
{
    calls.push_back(show ? L"ShowDW(TRUE)" : L"ShowDW(FALSE)");
    ::ShowWindow(window, show ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP FakeComponent::CloseDW(DWORD) noexcept
{
    calls.push_back(L"CloseDW");
    ::DestroyWindow(window);
    window = nullptr;
    return S_OK;
}

STDMETHODIMP FakeComponent::GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) noexcept
{
    calls.push_back(L"GetBandInfo");
    bandInfoMask = info->dwMask;
    info->ptMinSize = {80, bandHeight};
    info->ptMaxSize = {-1, bandHeight};
    info->ptIntegral = {1, 1};
    info->ptActual = {300, bandHeight};
    ::lstrcpynW(info->wszTitle, L"Fake", 256);
    info->dwModeFlags = DBIMF_NORMAL;
    return S_OK;
}

STDMETHODIMP FakeComponent::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) noexcept
{
    ReceivedEvent event{id, params != nullptr, {}};
    for (UINT i = 0; params && i < params->cArgs; ++i) event.args.push_back(Describe(params->rgvarg[i]));
    events.push_back(event);

    if (id == DISPID_BEFORENAVIGATE2 && cancelNavigation) SetCancel(params, 7);
    if (id == DISPID_NEWWINDOW2 && cancelNewWindow) SetCancel(params, 2);
    if (id == DISPID_NEWWINDOW2 && offerNewWindow && params && params->cArgs == 2) {
        AddRef();
        *params->rgvarg[1].ppdispVal = this;
    }
    if (id == DISPID_DOCUMENTCOMPLETE && m_browser && event.args.size() == 2 &&
        event.args[1].object == static_cast<IDispatch*>(m_browser.Get())) {
        OnPageComplete();
    }
    if (id == DISPID_ONQUIT && leaveOnQuit) DisconnectAll();
    return S_OK;
}

void FakeComponent::OnPageComplete()
{
    m_browser->get_ReadyState(&readyStateAtComplete);
    marlin::UniqueBstr url;
    m_browser->get_LocationURL(url.put());
    urlAtComplete = url.str();
    marlin::ComPtr<IDispatch> dispatch;
    marlin::ComPtr<IHTMLDocument2> document;
    marlin::UniqueBstr documentUrl;
    if (FAILED(m_browser->get_Document(&dispatch)) || !dispatch || FAILED(dispatch.As(&document))) return;
    document->get_URL(documentUrl.put());
    documentUrlAtComplete = documentUrl.str();
    if (!attachToDocuments) return;
    marlin::ComPtr<IHTMLWindow2> htmlWindow;
    Connect(document.Get(), DIID_HTMLDocumentEvents2);
    if (SUCCEEDED(document->get_parentWindow(&htmlWindow))) Connect(htmlWindow.Get(), DIID_HTMLWindowEvents2);
}

void FakeComponent::Connect(IUnknown* source, REFIID events)
{
    marlin::ComPtr<IConnectionPointContainer> container;
    Connection connection;
    if (FAILED(source->QueryInterface(IID_PPV_ARGS(&container))) ||
        FAILED(container->FindConnectionPoint(events, &connection.point)) ||
        FAILED(connection.point->Advise(static_cast<IDispatch*>(this), &connection.cookie))) {
        return;
    }
    m_connections.push_back(connection);
}

void FakeComponent::DisconnectAll()
{
    std::vector<Connection> leaving;
    leaving.swap(m_connections);
    for (auto& connection : leaving) connection.point->Unadvise(connection.cookie);
}

} // namespace standin::test
