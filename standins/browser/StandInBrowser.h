#pragma once
// The browser as the component sees it: IWebBrowser2 with the calls the
// component makes, the DWebBrowserEvents2 connection point it advises on, and
// the service that leads from a site to the browser. Navigation fires the
// events Internet Explorer fires, synchronously, and makes a new document
// (and one child frame per frame of the page).
#include "BrowserEvents.h"
#include "ConnectionPoint.h"
#include "StandInDocument.h"
#include "WebBrowserStubs.h"

#include "platform/ComTypes.h"

#include <servprov.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace standin {

// A navigation the component asked for through Navigate or Navigate2.
struct NavigationRequest {
    std::wstring url;
    long flags = 0;
    std::wstring targetFrame;
    std::wstring headers;
};

// One IWebBrowser2::ShowBrowserBar call.
struct BrowserBarCall {
    std::wstring clsid;
    bool show = true;
};

class StandInBrowser final : public WebBrowserStubs<StandInBrowser, IConnectionPointContainer, IServiceProvider> {
public:
    enum class Kind { TopLevel, Frame };
    static constexpr const wchar_t* kDefaultFullName = L"C:\\Program Files\\Internet Explorer\\iexplore.exe";

    // `window` is the browser window get_HWND answers; a frame answers none.
    explicit StandInBrowser(HWND window, Kind kind = Kind::TopLevel) noexcept;

    // Navigates as the user does: BeforeNavigate2 (a sink may cancel: answers
    // false and nothing changes), a new document, NavigateComplete2 and
    // DocumentComplete, all with pDisp = this browser.
    bool Navigate(const std::wstring& url);
    // The same for a frameset page: after the page's NavigateComplete2, each
    // frame gets BeforeNavigate2 and NavigateComplete2 with pDisp = the frame;
    // then DocumentComplete fires for each frame, and last for the page.
    bool NavigateWithFrames(const std::wstring& url, const std::vector<std::wstring>& frameUrls);
    // One frame of the page navigates by itself (a link inside the frame):
    // BeforeNavigate2 (a sink may cancel), a new document for the frame, then
    // NavigateComplete2 and DocumentComplete, all with pDisp = the frame.
    bool NavigateFrame(std::size_t index, const std::wstring& url);

    BrowserEvents& Events() noexcept { return m_events; }
    std::size_t EventSinkCount() const noexcept { return m_point.SinkCount(); }
    IDispatch* AsDispatch() noexcept { return static_cast<IWebBrowser2*>(this); }

    bool IsFrame() const noexcept { return m_kind == Kind::Frame; }
    const std::wstring& Url() const noexcept { return m_url; }
    // Null before the first navigation and after Shutdown.
    StandInDocument* Document() const noexcept { return m_document.Get(); }
    const std::vector<marlin::ComPtr<StandInBrowser>>& Frames() const noexcept { return m_frames; }
    const std::vector<NavigationRequest>& NavigationRequests() const noexcept { return m_requests; }
    const std::vector<BrowserBarCall>& BrowserBarCalls() const noexcept { return m_browserBars; }
    void SetFullName(std::wstring path) { m_fullName = std::move(path); }
    // Called with the address of a navigation asked for in a new window
    // (recorded all the same); the browser window decides what opens.
    std::function<void(const std::wstring& url)> onNewWindow;

    // The window is closing: the sinks, the documents and the frames go.
    void Shutdown() noexcept;

    // IWebBrowser
    STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                          VARIANT* headers) noexcept override;
    STDMETHODIMP get_Document(IDispatch** document) noexcept override;
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL* topLevel) noexcept override;
    STDMETHODIMP get_LocationName(BSTR* name) noexcept override;
    STDMETHODIMP get_LocationURL(BSTR* url) noexcept override;
    STDMETHODIMP get_Busy(VARIANT_BOOL* busy) noexcept override;
    // IWebBrowserApp
    STDMETHODIMP PutProperty(BSTR name, VARIANT value) noexcept override;
    STDMETHODIMP GetProperty(BSTR name, VARIANT* value) noexcept override;
    STDMETHODIMP get_HWND(SHANDLE_PTR* window) noexcept override;
    STDMETHODIMP get_FullName(BSTR* path) noexcept override;
    STDMETHODIMP get_Visible(VARIANT_BOOL* visible) noexcept override;
    // IWebBrowser2
    STDMETHODIMP Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                           VARIANT* headers) noexcept override;
    STDMETHODIMP ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size) noexcept override;
    STDMETHODIMP get_ReadyState(READYSTATE* state) noexcept override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) noexcept override;

private:
    HRESULT Request(NavigationRequest request);
    bool Run(const NavigationRequest& request, const std::vector<std::wstring>& frameUrls);
    void RunQueued();
    void LoadDocument(const std::wstring& url);
    void DropDocument() noexcept;

    HWND m_window;
    Kind m_kind;
    std::wstring m_fullName = kDefaultFullName;
    std::wstring m_url;
    marlin::ComPtr<StandInDocument> m_document;
    std::vector<marlin::ComPtr<StandInBrowser>> m_frames;
    READYSTATE m_readyState = READYSTATE_UNINITIALIZED;
    bool m_busy = false;
    bool m_navigating = false;
    // Navigate2 calls made while a navigation's events run wait for it to end.
    std::vector<NavigationRequest> m_queued;
    std::vector<NavigationRequest> m_requests;
    std::vector<BrowserBarCall> m_browserBars;
    std::map<std::wstring, marlin::Variant> m_properties;
    ConnectionPoint m_point{*this, DIID_DWebBrowserEvents2};
    BrowserEvents m_events{m_point};
};

} // namespace standin
