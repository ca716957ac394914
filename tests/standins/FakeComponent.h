#pragma once
// A component written for these tests, in place of the real DLL: it records
// what the browser stand-in does to it (site calls, band calls, the events it
// receives with their argument layout) and reacts the way a test asks.
#include "BrowserFrame.h"

#include "platform/ComObject.h"

#include <exdisp.h>
#include <mshtml.h>
#include <ocidl.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace standin::test {

// One argument as the sink received it.
struct ReceivedArg {
    VARTYPE vt = VT_EMPTY;
    VARTYPE inner = VT_EMPTY;     // the type behind VT_VARIANT | VT_BYREF
    std::wstring text;            // a string or number, directly or behind the reference
    const void* object = nullptr; // a VT_DISPATCH argument, only to compare addresses
};

struct ReceivedEvent {
    DISPID id = 0;
    bool withParams = false;
    std::vector<ReceivedArg> args; // rgvarg order: the event's last argument first
};

class FakeComponent final : public marlin::ComObject<FakeComponent, IDeskBand, IObjectWithSite, IDispatch> {
public:
    void* QueryExtraInterface(REFIID iid) noexcept;

    // How it behaves.
    bool cancelNavigation = false;
    bool cancelNewWindow = false;
    bool offerNewWindow = false;     // supplies itself as the new window's browser
    bool leaveSinksAtClose = false;  // forgets to unadvise in SetSite(nullptr)
    bool attachToDocuments = false;  // advises on the page's document and window when it completes
    bool leaveOnQuit = false;        // unadvises itself while OnQuit is being fired
    LONG bandHeight = 24;

    // What happened to it.
    std::vector<std::wstring> calls;
    std::vector<ReceivedEvent> events;
    DWORD bandInfoMask = 0;
    HWND window = nullptr;
    // What the browser answered while the page's DocumentComplete was delivered.
    READYSTATE readyStateAtComplete = READYSTATE_UNINITIALIZED;
    std::wstring urlAtComplete;
    std::wstring documentUrlAtComplete;

    std::vector<DISPID> EventIds() const;
    std::vector<ReceivedEvent> EventsWithId(DISPID id) const;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) noexcept override;
    STDMETHODIMP GetSite(REFIID iid, void** site) noexcept override;
    // IOleWindow / IDockingWindow / IDeskBand
    STDMETHODIMP GetWindow(HWND* result) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP ShowDW(BOOL show) noexcept override;
    STDMETHODIMP CloseDW(DWORD reserved) noexcept override;
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) noexcept override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) noexcept override;

private:
    struct Connection {
        marlin::ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
    };
    void Connect(IUnknown* source, REFIID events);
    void DisconnectAll();
    void OnPageComplete();

    marlin::ComPtr<IUnknown> m_site;
    marlin::ComPtr<IWebBrowser2> m_browser;
    std::vector<Connection> m_connections;
};

// The object's reference count, read without changing it.
ULONG References(IUnknown* object);

// Options for a browser window whose component is the two fakes. The test
// owns them: the window must hold them only while it uses them.
BrowserOptions Hosting(FakeComponent* helper, FakeComponent* band, BandSiteOptions site = {});

} // namespace standin::test
