#include "BrowserFrame.h"

#include "host/ClassIds.h"
#include "platform/Strings.h"

#include <shobjidl.h>

namespace standin {

namespace {
constexpr int kAddressBandId = 1;
}

bool BrowserFrame::Open(const std::wstring& startAddress)
{
    m_startAddress = startAddress;
    RECT rect{80, 80, 80 + 960, 80 + 540};
    if (!Create(nullptr, rect, L"Marlin Toolbar - Demo Browser", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)) return false;
    ::ShowWindow(hwnd(), SW_SHOWNORMAL);
    ::UpdateWindow(hwnd());
    return true;
}

LRESULT BrowserFrame::OnCreate(WPARAM, LPARAM, bool&)
{
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    m_rebar = ::CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                    RBS_BANDBORDERS | CCS_NODIVIDER,
                                0, 0, 0, 0, hwnd(), nullptr, marlin::ModuleInstance(), nullptr);
    m_address = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", m_startAddress.c_str(),
                                  WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 400, 22, m_rebar, nullptr,
                                  marlin::ModuleInstance(), nullptr);
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_TEXT | RBBIM_STYLE | RBBIM_ID;
    band.fStyle = RBBS_CHILDEDGE | RBBS_BREAK;
    band.lpText = const_cast<wchar_t*>(L"Address");
    band.hwndChild = m_address;
    band.cxMinChild = 200;
    band.cyMinChild = 22;
    band.wID = kAddressBandId;
    ::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
    CreateComponent();
    return 0;
}

void BrowserFrame::CreateComponent()
{
    // The browser creates the class twice per window: once as a helper object
    // and once as the band in its rebar.
    HRESULT helper = ::CoCreateInstance(CLSID_MarlinToolbarObj, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_PPV_ARGS(&m_helper));
    HRESULT band = ::CoCreateInstance(CLSID_MarlinToolbarObj, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(&m_band));
    marlin::ComPtr<IDeskBand> deskBand;
    if (m_band) m_band.As(&deskBand);
    m_status = marlin::Format(L"Marlin Toolbar component: helper object 0x%08lX, band 0x%08lX, IDeskBand %ls",
                              static_cast<unsigned long>(helper), static_cast<unsigned long>(band),
                              deskBand ? L"answered" : L"missing");
}

void BrowserFrame::ReleaseComponent() noexcept
{
    m_band.Reset();
    m_helper.Reset();
}

LRESULT BrowserFrame::OnSize(WPARAM, LPARAM lParam, bool&)
{
    if (m_rebar) ::SendMessageW(m_rebar, WM_SIZE, 0, 0);
    ::InvalidateRect(hwnd(), nullptr, TRUE);
    return 0;
}

LRESULT BrowserFrame::OnPaint(WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd(), &paint);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    RECT rebar{};
    if (m_rebar) ::GetWindowRect(m_rebar, &rebar);
    RECT page = client;
    page.top += (rebar.bottom - rebar.top) + 16;
    page.left += 16;
    std::wstring text = L"Page: " + m_startAddress + L"\n\n" + m_status;
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, text.c_str(), -1, &page, DT_LEFT | DT_TOP | DT_WORDBREAK);
    ::EndPaint(hwnd(), &paint);
    return 0;
}

LRESULT BrowserFrame::OnDestroy(WPARAM, LPARAM, bool&)
{
    ReleaseComponent();
    ::PostQuitMessage(0);
    return 0;
}

} // namespace standin
