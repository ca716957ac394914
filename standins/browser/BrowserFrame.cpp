#include "BrowserFrame.h"

#include "platform/Module.h"
#include "platform/Strings.h"

#include <algorithm>
#include <iterator>

#include <utility>

namespace standin {

namespace {

std::wstring Hex(HRESULT hr) { return marlin::Format(L"0x%08lX", static_cast<unsigned long>(hr)); }

} // namespace

BrowserFrame::BrowserFrame(BrowserOptions options)
    : m_options(std::move(options)), m_component(m_options.factory),
      m_page(PageHooks{[this](const std::wstring& url) {
                           if (m_browser) m_browser->Navigate(url);
                       },
                       [this](const std::wstring& url) { OpenPopup(url); }, [this] { return PageText(); }})
{
}

BrowserFrame::~BrowserFrame() { Close(); }

bool BrowserFrame::Open(const std::wstring& startAddress)
{
    const POINT at = m_options.position;
    RECT rect{at.x, at.y, at.x + 1120, at.y + 540};
    if (!Create(nullptr, rect, L"Marlin Demo Browser", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) return false;
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
    m_shownDocument = nullptr;
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
    if (!AddNavigationBand()) return -1;
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
    band.fStyle = RBBS_CHILDEDGE;
    band.lpText = const_cast<wchar_t*>(L"Address");
    band.hwndChild = m_address.hwnd();
    band.cxMinChild = 200;
    band.cyMinChild = 22;
    band.wID = kAddressBandId;
    ::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));

    RECT pageRect{0, 0, 0, 0};
    if (!m_page.Create(hwnd(), pageRect, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN)) return -1;

    m_browser = StandInBrowser::Make(hwnd());
    m_browser->SetFullName(m_options.fullName);
    m_browser->Events().onFired = [this] { OnBrowserEvent(); };
    m_browser->onNewWindow = [this](const std::wstring& url) {
        if (m_options.openWindow) m_options.openWindow(url);
    };
    m_site = BandSite::Make(m_rebar, kComponentBandId, marlin::ComPtr<IWebBrowser2>(m_browser.Get()),
                            m_options.site);
    return 0;
}

bool BrowserFrame::AddNavigationBand()
{
    m_navigation = ::CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                     WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE |
                                         CCS_NODIVIDER | CCS_NOPARENTALIGN,
                                     0, 0, 0, 0, m_rebar, nullptr, marlin::ModuleInstance(), nullptr);
    if (!m_navigation) return false;
    // The rebar would pass the buttons' commands on; they come straight to the frame.
    ::SendMessageW(m_navigation, TB_SETPARENT, reinterpret_cast<WPARAM>(hwnd()), 0);
    ::SendMessageW(m_navigation, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(m_navigation, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    TBBUTTON buttons[] = {
        {I_IMAGENONE, static_cast<int>(kBackId), 0, BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT, {},
         0, reinterpret_cast<INT_PTR>(L"Back")},
        {I_IMAGENONE, static_cast<int>(kForwardId), 0, BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT, {},
         0, reinterpret_cast<INT_PTR>(L"Forward")},
    };
    ::SendMessageW(m_navigation, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    SIZE size{};
    ::SendMessageW(m_navigation, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_STYLE | RBBIM_ID | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_NOGRIPPER;
    band.hwndChild = m_navigation;
    band.cxMinChild = size.cx > 0 ? size.cx : 120;
    band.cyMinChild = size.cy > 0 ? size.cy : 22;
    band.cx = band.cxMinChild;
    band.wID = kNavigationBandId;
    ::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    return true;
}

void BrowserFrame::OnBrowserEvent()
{
    if (m_browser && m_browser->Document() != m_shownDocument) ShowPage();
    if (m_page.hwnd()) ::InvalidateRect(m_page.hwnd(), nullptr, TRUE);
}

void BrowserFrame::ShowPage()
{
    m_shownDocument = m_browser->Document();
    m_shownUrl = m_browser->Url();
    m_address.SetText(m_shownUrl);
    if (m_travellingTo) {
        m_position = *m_travellingTo;
        m_travellingTo.reset();
    } else if (!m_shownDocument) {
        return;
    } else if (m_history.empty() || m_history[m_position] != m_shownUrl) {
        if (!m_history.empty()) m_history.resize(m_position + 1);
        m_history.push_back(m_shownUrl);
        m_position = m_history.size() - 1;
    }
    m_page.Show(m_shownUrl, m_shownDocument);
    const std::wstring& title = m_shownDocument ? m_shownDocument->Title() : m_shownUrl;
    const std::wstring caption = (title == m_shownUrl ? m_shownUrl : title + L" - " + m_shownUrl) + kTitleSuffix;
    ::SetWindowTextW(hwnd(), caption.c_str());
    UpdateNavigationButtons();
}

void BrowserFrame::UpdateNavigationButtons()
{
    ::SendMessageW(m_navigation, TB_ENABLEBUTTON, kBackId, MAKELPARAM(m_position > 0, 0));
    ::SendMessageW(m_navigation, TB_ENABLEBUTTON, kForwardId, MAKELPARAM(m_position + 1 < m_history.size(), 0));
}

bool BrowserFrame::GoBack()
{
    if (!m_browser || m_position == 0 || m_position >= m_history.size()) return false;
    m_travellingTo = m_position - 1;
    const bool done = m_browser->Navigate(m_history[m_position - 1]);
    m_travellingTo.reset();
    return done;
}

bool BrowserFrame::GoForward()
{
    if (!m_browser || m_position + 1 >= m_history.size()) return false;
    m_travellingTo = m_position + 1;
    const bool done = m_browser->Navigate(m_history[m_position + 1]);
    m_travellingTo.reset();
    return done;
}

void BrowserFrame::OpenPopup(const std::wstring& url)
{
    // A script's window.open: the sinks may refuse it (the pop-up blocker does).
    if (!m_browser || m_browser->Events().NewWindow2()) return;
    if (m_options.openWindow) m_options.openWindow(url);
}

void BrowserFrame::LayoutPage()
{
    if (!m_page.hwnd()) return;
    RECT client;
    ::GetClientRect(hwnd(), &client);
    RECT rebar{};
    if (m_rebar) ::GetWindowRect(m_rebar, &rebar);
    const int top = rebar.bottom - rebar.top;
    ::MoveWindow(m_page.hwnd(), 0, top, client.right, std::max<int>(0, client.bottom - top), TRUE);
}

LRESULT BrowserFrame::OnSize(WPARAM, LPARAM, bool&)
{
    if (m_rebar) ::SendMessageW(m_rebar, WM_SIZE, 0, 0);
    LayoutPage();
    return 0;
}

LRESULT BrowserFrame::OnNotify(WPARAM, LPARAM lParam, bool& handled)
{
    // The rebar grew or shrank (the band was added or resized): the page moves.
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    handled = header && header->hwndFrom == m_rebar && header->code == RBN_HEIGHTCHANGE;
    if (handled) LayoutPage();
    return 0;
}

std::wstring BrowserFrame::PageText() const
{
    const LoadResults& loaded = m_component.Loaded();
    std::wstring text;
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
    // The rebar and the page cover the client area.
    PAINTSTRUCT paint;
    ::BeginPaint(hwnd(), &paint);
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
