// The band as the browser's DWebBrowserEvents2 sink: the eight events it
// acts on, the page sinks it keeps per completed document, the pop-up blocker
// and the visited-URL log. The band object itself is in MarlinToolbarObj.cpp.
#include "MarlinToolbarObj.h"

#include "BandThread.h"
#include "EventHandlers.h"
#include "config/ApplicationSettings.h"
#include "document/SharedInstanceState.h"
#include "monitors/VisitedUrlLog.h"
#include "platform/ComTypes.h"
#include "platform/Strings.h"

#include <exdispid.h>
#include <mshtml.h>

using namespace marlin;

namespace {

// The text of an event argument, whether passed directly or by reference.
std::wstring ArgumentText(const VARIANT& argument)
{
    if (argument.vt == VT_BSTR) return argument.bstrVal ? std::wstring(argument.bstrVal, ::SysStringLen(argument.bstrVal)) : L"";
    if (argument.vt == (VT_BYREF | VT_BSTR) && argument.pbstrVal && *argument.pbstrVal) {
        return std::wstring(*argument.pbstrVal, ::SysStringLen(*argument.pbstrVal));
    }
    if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal && argument.pvarVal->vt != (VT_BYREF | VT_VARIANT)) {
        return ArgumentText(*argument.pvarVal);
    }
    return {};
}

IDispatch* ArgumentDispatch(const VARIANT& argument)
{
    if (argument.vt == VT_DISPATCH) return argument.pdispVal;
    if (argument.vt == (VT_BYREF | VT_DISPATCH) && argument.ppdispVal) return *argument.ppdispVal;
    if (argument.vt == (VT_BYREF | VT_VARIANT) && argument.pvarVal && argument.pvarVal->vt == VT_DISPATCH) {
        return argument.pvarVal->pdispVal;
    }
    return nullptr;
}

// The document `frame` (a browser or one of its frames) shows now, as its
// identity; null when it shows none.
ComPtr<IUnknown> ShownDocument(IDispatch* frame) noexcept
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IDispatch> document;
    ComPtr<IUnknown> identity;
    if (!frame || FAILED(frame->QueryInterface(IID_PPV_ARGS(&browser))) || FAILED(browser->get_Document(&document)) ||
        !document || FAILED(document.As(&identity))) {
        return nullptr;
    }
    return identity;
}

} // namespace

// IDispatch

STDMETHODIMP CMarlinToolbarObj::GetTypeInfoCount(UINT*) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept { return E_NOTIMPL; }
STDMETHODIMP CMarlinToolbarObj::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept { return E_NOTIMPL; }

STDMETHODIMP CMarlinToolbarObj::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                       UINT*) noexcept
{
    ComBoundary([&] {
        // A band the browser has let go of has no windows left to act on.
        if (m_tornDown) return S_OK;
        // Letting go of a page's sinks may release the last reference to this object.
        const ComPtr<IUnknown> hold(Identity());
        switch (id) {
        case DISPID_COMMANDSTATECHANGE:
            if (CMarlinToolbarCtrl* toolbar = Toolbar(); toolbar && toolbar->MouseMoved()) {
                if (ISearchBoxInput* search = SearchInput(); search && search->DropDownExists()) search->HideDropDown();
            }
            break;
        case DISPID_PROPERTYCHANGE:
            if (ISearchBoxInput* search = SearchInput(); search && search->DropDownExists()) {
                if (CMarlinToolbarCtrl* toolbar = Toolbar()) toolbar->Repaint();
            }
            break;
        case DISPID_ONQUIT:
            OnQuit();
            break;
        default:
            if (!params) break;
            if (id == DISPID_WINDOWSTATECHANGED) OnWindowStateChanged();
            else if (id == DISPID_BEFORENAVIGATE2) OnBeforeNavigate2(*params);
            else if (id == DISPID_DOCUMENTCOMPLETE) OnDocumentComplete(*params);
            else if (id == DISPID_NEWWINDOW2) OnNewWindow2(*params);
            else if (id == DISPID_NAVIGATECOMPLETE2) m_scriptNavigation = 0;
            break;
        }
        return S_OK;
    });
    return DISP_E_MEMBERNOTFOUND;
}

void CMarlinToolbarObj::OnWindowStateChanged()
{
    // The selected tab's band takes its thread's hook and becomes its current band.
    m_thread.InstallMouseHook(&CMarlinToolbarObj::BandMouseHook, m_parentWindow);
    if (m_hiddenWindow.hwnd() && m_hiddenWindow.ToolbarExists()) {
        m_thread.MakeCurrent();
        ::InvalidateRect(m_hiddenWindow.Toolbar().hwnd(), nullptr, TRUE);
    }
}

void CMarlinToolbarObj::OnBeforeNavigate2(const DISPPARAMS& params)
{
    m_scriptNavigation = 0;
    if (params.cArgs < 7 || !params.rgvarg) return;
    const std::wstring url = ArgumentText(params.rgvarg[5]);
    if (EqualsNoCase(std::wstring_view(url).substr(0, 11), L"javascript:")) {
        m_scriptNavigation = 1;
    }
    // The attached documents stay until their frames show others (the next
    // DocumentComplete lets them go): a navigation may be cancelled or turn
    // out to be a download, and then the old document stays.
}

void CMarlinToolbarObj::OnDocumentComplete(const DISPPARAMS& params)
{
    m_scriptNavigation = 0;
    if (params.cArgs < 2 || !params.rgvarg) return;
    IDispatch* frame = ArgumentDispatch(params.rgvarg[1]);
    if (!frame) return;
    DropStalePages();
    AttachPage(frame);

    // One visit per page: frames of the page complete too, and would log the
    // same top-level address again.
    ComPtr<IUnknown> frameIdentity;
    ComPtr<IUnknown> browserIdentity;
    frame->QueryInterface(IID_PPV_ARGS(&frameIdentity));
    if (m_browser) m_browser.As(&browserIdentity);
    if (!browserIdentity || frameIdentity.Get() != browserIdentity.Get()) return;
    const std::wstring location = BrowserLocation();
    if (SharedState().IsLoggedIn && g_LogURL > 0) LogVisitedUrl(location);
}

void CMarlinToolbarObj::DropStalePages() noexcept
{
    // A frame that shows another document now, or none, has let the old one
    // go. Unadvised outside the list, since a release may call back.
    std::vector<PageConnection> stale;
    for (auto page = m_pages.begin(); page != m_pages.end();) {
        const ComPtr<IUnknown> shown = ShownDocument(page->frame.Get());
        if (shown && shown.Get() == page->document.Get()) {
            ++page;
            continue;
        }
        try {
            stale.push_back(std::move(*page));
        } catch (...) {
            // Out of memory for the list: the page's sinks are unadvised as it is erased.
        }
        page = m_pages.erase(page);
    }
}

void CMarlinToolbarObj::AttachPage(IDispatch* frame)
{
    ComPtr<IWebBrowser2> frameBrowser;
    ComPtr<IDispatch> documentDispatch;
    ComPtr<IUnknown> identity;
    ComPtr<IHTMLDocument2> document;
    ComPtr<IHTMLWindow2> window;
    if (FAILED(frame->QueryInterface(IID_PPV_ARGS(&frameBrowser))) ||
        FAILED(frameBrowser->get_Document(&documentDispatch)) || !documentDispatch ||
        FAILED(documentDispatch.As(&identity)) || FAILED(documentDispatch.As(&document)) ||
        FAILED(document->get_parentWindow(&window)) || !window) {
        return;
    }
    // A document completes again (a refresh, a repeated event): its sinks are there.
    for (const PageConnection& page : m_pages) {
        if (page.document.Get() == identity.Get()) return;
    }
    PageConnection page{frame, identity, {}, {}};
    ComPtr<CDocEventHandler> documentSink = CDocEventHandler::Make();
    documentSink->Attach(this, m_hiddenWindow.Toolbar().hwnd(), [this](const std::wstring& address, ULONGLONG startedAt) {
        CMarlinToolbarCtrl* toolbar = Toolbar();
        if (toolbar) toolbar->OfferPageLink(address, startedAt);
    });
    page.documentEvents =
        ConnectionPointConnection::Advise(document.Get(), DIID_HTMLDocumentEvents2, documentSink->Identity());
    ComPtr<CWindowEventHandler> windowSink = CWindowEventHandler::Make();
    windowSink->Attach(this);
    page.windowEvents = ConnectionPointConnection::Advise(window.Get(), DIID_HTMLWindowEvents2, windowSink->Identity());
    if (page.documentEvents || page.windowEvents) m_pages.push_back(std::move(page));
}

void CMarlinToolbarObj::OnNewWindow2(const DISPPARAMS& params)
{
    if (params.cArgs < 2 || !params.rgvarg) return;
    VARIANT& cancel = params.rgvarg[0];
    PopupBlockerDisplay display;
    display.setCaption = [this](const std::wstring& caption) {
        CMarlinToolbarCtrl* toolbar = Toolbar();
        return m_hiddenWindow.hwnd() && toolbar && toolbar->ButtonCount() > 0 && toolbar->SetPopupBlockerCaption(caption);
    };
    const bool refused = m_popupBlocker.OnNewWindow2(BrowserLocation(), m_scriptNavigation, display);
    if (refused && cancel.vt == (VT_BYREF | VT_BOOL) && cancel.pboolVal) *cancel.pboolVal = VARIANT_TRUE;
}

void CMarlinToolbarObj::OnQuit() noexcept
{
    // Each page's window sink, then its document sink, is unadvised as the list goes.
    std::vector<PageConnection> leaving = std::exchange(m_pages, {});
    if (ISearchBoxInput* search = SearchInput(); search && search->DropDownExists()) search->HideDropDown();
}

std::wstring CMarlinToolbarObj::BrowserLocation() const
{
    UniqueBstr location;
    if (!m_browser || FAILED(m_browser->get_LocationURL(location.put()))) return {};
    return location.str();
}
