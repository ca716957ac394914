#include "BrowserFrame.h"

#include "platform/Strings.h"

#include <utility>

namespace standin {

namespace {

std::wstring Hex(HRESULT hr) { return marlin::Format(L"0x%08lX", static_cast<unsigned long>(hr)); }

} // namespace

BrowserFrame::BrowserFrame(BrowserOptions options)
    : m_options(std::move(options)), m_component(m_options.factory)
{
}

BrowserFrame::~BrowserFrame() { Close(); }

bool BrowserFrame::Open(const std::wstring& startAddress)
{
    RECT rect{80, 80, 80 + 960, 80 + 540};
    if (!Create(nullptr, rect, L"Marlin Toolbar - Demo Browser", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) return false;
    // WM_CREATE may have failed after the window existed (out of memory is
    // reported at the window procedure, not returned).
    if (!m_browser || !m_site) {
        Destroy();
        return false;
    }
    m_component.Load(m_browser->Identity(), *m_site.Get());
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hwnd());
    if (!startAddress.empty()) m_browser->Navigate(startAddress);
    return true;
}

void BrowserFrame::Close() noexcept
{
    Unload();
    Destroy();
}

void BrowserFrame::Unload() noexcept
{
    // Both are made in WM_CREATE; a failed creation may have left only the browser.
    if (!m_site) {
        if (m_browser) m_browser->Shutdown();
        m_browser.Reset();
        return;
    }
    if (!m_browser) return;
    try {
        m_browser->Events().OnQuit();
    } catch (...) {
        // Out of memory for the event's log line; the window closes all the same.
    }
    m_component.Unload(*m_site.Get());

    m_leftAtClose = {m_browser->EventSinkCount(), 0, 0};
    auto countDocument = [&](StandInDocument* document) {
        if (!document) return;
        m_leftAtClose.documents += document->EventSinkCount();
        m_leftAtClose.windows += document->Window().EventSinkCount();
    };
    countDocument(m_browser->Document());
    for (const auto& frame : m_browser->Frames()) countDocument(frame->Document());

    // The component may still hold the browser; it must no longer reach this frame.
    m_browser->Events().onFired = nullptr;
    m_browser->Shutdown();
    m_site->Detach();
    m_site.Reset();
    m_browser.Reset();
}

bool BrowserFrame::TranslateAccelerator(MSG& message) noexcept
{
    return m_site && m_component.TranslateAccelerator(message, *m_site.Get());
}

LRESULT BrowserFrame::OnCreate(WPARAM, LPARAM, bool&)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_rebar = ::CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                    RBS_BANDBORDERS | CCS_NODIVIDER,
                                0, 0, 0, 0, hwnd(), nullptr, marlin::ModuleInstance(), nullptr);
    if (!m_rebar) return -1;
    RECT addressRect{0, 0, 400, 22};
    if (!m_address.Create(m_rebar, addressRect, L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE)) {
        return -1;
    }
    m_address.onEnter = [this](const std::wstring& address) {
        if (m_browser) m_browser->Navigate(address);
    };
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_TEXT | RBBIM_STYLE | RBBIM_ID;
    band.fStyle = RBBS_CHILDEDGE | RBBS_BREAK;
    band.lpText = const_cast<wchar_t*>(L"Address");
    band.hwndChild = m_address.hwnd();
    band.cxMinChild = 200;
    band.cyMinChild = 22;
    band.wID = kAddressBandId;
    ::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));

    m_browser = StandInBrowser::Make(hwnd());
    m_browser->SetFullName(m_options.fullName);
    m_browser->Events().onFired = [this] { OnBrowserEvent(); };
    m_site = BandSite::Make(m_rebar, kComponentBandId, marlin::ComPtr<IWebBrowser2>(m_browser.Get()),
                            m_options.site);
    return 0;
}

void BrowserFrame::OnBrowserEvent()
{
    if (m_browser && m_browser->Url() != m_shownUrl) {
        m_shownUrl = m_browser->Url();
        m_address.SetText(m_shownUrl);
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

LRESULT BrowserFrame::OnSize(WPARAM, LPARAM, bool&)
{
    if (m_rebar) ::SendMessageW(m_rebar, WM_SIZE, 0, 0);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    return 0;
}

LRESULT BrowserFrame::OnNotify(WPARAM, LPARAM lParam, bool& handled)
{
    // The rebar grew or shrank (the band was added or resized): the page moves.
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    handled = header && header->hwndFrom == m_rebar && header->code == RBN_HEIGHTCHANGE;
    if (handled) ::InvalidateRect(hwnd(), nullptr, TRUE);
    return 0;
}

std::wstring BrowserFrame::PageText() const
{
    const LoadResults& loaded = m_component.Loaded();
    std::wstring text = L"Page: " + (m_browser ? m_browser->Url() : std::wstring()) + L"\n\n";
    text += L"Marlin Toolbar helper object: created " + Hex(loaded.createHelper) + L", SetSite " +
            Hex(loaded.helperSetSite) + L"\n";
    text += L"Marlin Toolbar band: created " + Hex(loaded.createBand) + L", SetSite " + Hex(loaded.bandSetSite) +
            L", window " + Hex(loaded.bandWindow) + L", band info " + Hex(loaded.bandInfo) + L", ShowDW " +
            Hex(loaded.showBand) + L"\n\nEvents fired:\n";
    if (m_browser) {
        for (const std::wstring& event : m_browser->Events().Recent()) text += L"    " + event + L"\n";
    }
    return text;
}

LRESULT BrowserFrame::OnPaint(WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd(), &paint);
    RECT page;
    ::GetClientRect(hwnd(), &page);
    RECT rebar{};
    if (m_rebar) ::GetWindowRect(m_rebar, &rebar);
    page.top += (rebar.bottom - rebar.top) + 16;
    page.left += 16;
    const std::wstring text = PageText();
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), -1, &page, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    ::EndPaint(hwnd(), &paint);
    return 0;
}

LRESULT BrowserFrame::OnDestroy(WPARAM, LPARAM, bool&)
{
    // Closed by the user: the component is unloaded while its window still exists.
    Unload();
    if (m_options.quitOnClose) ::PostQuitMessage(0);
    return 0;
}

} // namespace standin
