#include "StandInBrowser.h"

#include "VariantArgs.h"

#include "platform/UniqueHandle.h"

#include <exdisp.h>
#include <shlguid.h>

#include <string_view>
#include <utility>

namespace standin {

namespace {

HRESULT CopyOut(std::wstring_view text, BSTR* out) noexcept
{
    if (!out) return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

VARIANT_BOOL AsVariantBool(bool value) noexcept { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// Internet Explorer opens these in a new window instead of navigating this one.
bool OpensNewWindow(const NavigationRequest& request) noexcept
{
    return (request.flags & navOpenInNewWindow) != 0 || request.targetFrame == L"_blank";
}

} // namespace

StandInBrowser::StandInBrowser(HWND window, Kind kind) noexcept : m_window(window), m_kind(kind) {}

bool StandInBrowser::Navigate(const std::wstring& url) { return NavigateWithFrames(url, {}); }

bool StandInBrowser::NavigateWithFrames(const std::wstring& url, const std::vector<std::wstring>& frameUrls)
{
    const bool completed = Run(NavigationRequest{url}, frameUrls);
    RunQueued();
    return completed;
}

bool StandInBrowser::NavigateFrame(std::size_t index, const std::wstring& url)
{
    if (index >= m_frames.size()) return false;
    const marlin::ComPtr<StandInBrowser> frame = m_frames[index];
    if (m_events.BeforeNavigate2(frame->AsDispatch(), url)) return false;
    frame->LoadDocument(url);
    m_events.NavigateComplete2(frame->AsDispatch(), url);
    m_events.DocumentComplete(frame->AsDispatch(), url);
    return true;
}

bool StandInBrowser::Run(const NavigationRequest& request, const std::vector<std::wstring>& frameUrls)
{
    m_navigating = true;
    m_busy = true;
    marlin::ScopeExit idle([&] {
        m_navigating = false;
        m_busy = false;
    });
    if (m_events.BeforeNavigate2(AsDispatch(), request.url, request.flags, request.targetFrame, request.headers)) {
        return false;
    }
    m_readyState = READYSTATE_LOADING;
    LoadDocument(request.url);
    m_events.NavigateComplete2(AsDispatch(), m_url);
    m_readyState = READYSTATE_INTERACTIVE;

    for (const std::wstring& frameUrl : frameUrls) {
        marlin::ComPtr<StandInBrowser> frame = Make(m_window, Kind::Frame);
        if (m_events.BeforeNavigate2(frame->AsDispatch(), frameUrl)) continue;
        frame->LoadDocument(frameUrl);
        frame->m_readyState = READYSTATE_COMPLETE;
        m_frames.push_back(frame);
        m_events.NavigateComplete2(frame->AsDispatch(), frameUrl);
    }
    // A frame may be dropped by a sink's navigation; hold them for the loop.
    const std::vector<marlin::ComPtr<StandInBrowser>> frames = m_frames;
    for (const auto& frame : frames) m_events.DocumentComplete(frame->AsDispatch(), frame->m_url);

    // The page is complete when its own DocumentComplete arrives.
    m_readyState = READYSTATE_COMPLETE;
    m_busy = false;
    m_events.DocumentComplete(AsDispatch(), m_url);
    return true;
}

void StandInBrowser::RunQueued()
{
    while (!m_queued.empty()) {
        NavigationRequest next = std::move(m_queued.front());
        m_queued.erase(m_queued.begin());
        Run(next, {});
    }
}

HRESULT StandInBrowser::Request(NavigationRequest request)
{
    m_requests.push_back(request);
    // A frame records what it was asked; only the top-level browser navigates.
    if (IsFrame()) return S_OK;
    if (OpensNewWindow(request)) {
        if (onNewWindow) onNewWindow(request.url);
        return S_OK;
    }
    if (m_navigating) {
        m_queued.push_back(std::move(request));
        return S_OK;
    }
    Run(request, {});
    RunQueued();
    return S_OK;
}

void StandInBrowser::LoadDocument(const std::wstring& url)
{
    DropDocument();
    m_document = StandInDocument::Make(url);
    m_url = url;
}

void StandInBrowser::DropDocument() noexcept
{
    for (const auto& frame : m_frames) frame->Shutdown();
    m_frames.clear();
    if (m_document) m_document->Unload();
    m_document.Reset();
}

void StandInBrowser::Shutdown() noexcept
{
    m_point.DisconnectAll();
    DropDocument();
    m_properties.clear();
    m_queued.clear();
}

STDMETHODIMP StandInBrowser::Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                                      VARIANT* headers) noexcept
{
    if (!url) return E_INVALIDARG;
    return marlin::ComBoundary([&] {
        return Request({std::wstring(url, ::SysStringLen(url)), NumberArgument(flags).value_or(0),
                        TextArgument(targetFrame).value_or(L""), TextArgument(headers).value_or(L"")});
    });
}

STDMETHODIMP StandInBrowser::Navigate2(VARIANT* url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData,
                                       VARIANT* headers) noexcept
{
    return marlin::ComBoundary([&] {
        std::optional<std::wstring> address = TextArgument(url);
        if (!address) return E_INVALIDARG;
        return Request({*address, NumberArgument(flags).value_or(0), TextArgument(targetFrame).value_or(L""),
                        TextArgument(headers).value_or(L"")});
    });
}

STDMETHODIMP StandInBrowser::get_Document(IDispatch** document) noexcept
{
    if (!document) return E_POINTER;
    // Before the first navigation there is no document, and the call still succeeds.
    *document = nullptr;
    if (m_document) m_document->QueryInterface(IID_PPV_ARGS(document));
    return S_OK;
}

STDMETHODIMP StandInBrowser::get_TopLevelContainer(VARIANT_BOOL* topLevel) noexcept
{
    if (!topLevel) return E_POINTER;
    *topLevel = AsVariantBool(!IsFrame());
    return S_OK;
}

STDMETHODIMP StandInBrowser::get_LocationName(BSTR* name) noexcept
{
    return CopyOut(m_document ? std::wstring_view(m_document->Title()) : std::wstring_view(m_url), name);
}

STDMETHODIMP StandInBrowser::get_LocationURL(BSTR* url) noexcept { return CopyOut(m_url, url); }

STDMETHODIMP StandInBrowser::get_Busy(VARIANT_BOOL* busy) noexcept
{
    if (!busy) return E_POINTER;
    *busy = AsVariantBool(m_busy);
    return S_OK;
}

STDMETHODIMP StandInBrowser::PutProperty(BSTR name, VARIANT value) noexcept
{
    if (!name) return E_INVALIDARG;
    return marlin::ComBoundary([&] {
        marlin::Variant& slot = m_properties[std::wstring(name, ::SysStringLen(name))];
        return ::VariantCopy(slot.put(), &value);
    });
}

STDMETHODIMP StandInBrowser::GetProperty(BSTR name, VARIANT* value) noexcept
{
    if (!name || !value) return E_POINTER;
    ::VariantInit(value);
    return marlin::ComBoundary([&] {
        auto found = m_properties.find(std::wstring(name, ::SysStringLen(name)));
        // An unknown property is VT_EMPTY, not an error.
        return found == m_properties.end() ? S_OK : ::VariantCopy(value, &found->second.get());
    });
}

STDMETHODIMP StandInBrowser::get_HWND(SHANDLE_PTR* window) noexcept
{
    if (!window) return E_POINTER;
    *window = 0;
    if (IsFrame() || !m_window) return E_FAIL;
    *window = reinterpret_cast<SHANDLE_PTR>(m_window);
    return S_OK;
}

STDMETHODIMP StandInBrowser::get_FullName(BSTR* path) noexcept { return CopyOut(m_fullName, path); }

STDMETHODIMP StandInBrowser::get_Visible(VARIANT_BOOL* visible) noexcept
{
    if (!visible) return E_POINTER;
    *visible = AsVariantBool(m_window && ::IsWindowVisible(m_window));
    return S_OK;
}

STDMETHODIMP StandInBrowser::ShowBrowserBar(VARIANT* clsid, VARIANT* show, VARIANT* size) noexcept
{
    return marlin::ComBoundary([&] {
        std::optional<std::wstring> bar = TextArgument(clsid);
        if (!bar) return E_INVALIDARG;
        // Show is optional and defaults to showing the bar.
        m_browserBars.push_back({*bar, FlagArgument(show).value_or(true)});
        return S_OK;
    });
}

STDMETHODIMP StandInBrowser::get_ReadyState(READYSTATE* state) noexcept
{
    if (!state) return E_POINTER;
    *state = m_readyState;
    return S_OK;
}

STDMETHODIMP StandInBrowser::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept
{
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP StandInBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept
{
    return m_point.Find(iid, point);
}

STDMETHODIMP StandInBrowser::QueryService(REFGUID service, REFIID iid, void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    // The browser is both the web browser application and the top-level browser.
    if (service == SID_SWebBrowserApp || service == SID_STopLevelBrowser) return QueryInterface(iid, object);
    return E_NOINTERFACE;
}

} // namespace standin
