#include "BandSite.h"

#include <exdisp.h>
#include <shlguid.h>

#include <string>
#include <utility>

namespace standin {

namespace {

// Rebar band styles for the band's mode flags.
UINT RebarStyle(const DESKBANDINFO& info) noexcept
{
    UINT style = RBBS_CHILDEDGE | RBBS_BREAK;
    if (!(info.dwMask & DBIM_MODEFLAGS)) return style;
    const DWORD flags = info.dwModeFlags;
    if (flags & DBIMF_VARIABLEHEIGHT) style |= RBBS_VARIABLEHEIGHT;
    if (flags & DBIMF_FIXED) style |= RBBS_FIXEDSIZE;
    if (flags & DBIMF_USECHEVRON) style |= RBBS_USECHEVRON;
    if (flags & DBIMF_TOPALIGN) style |= RBBS_TOPALIGN;
    if (flags & DBIMF_NOGRIPPER) style |= RBBS_NOGRIPPER;
    if (flags & DBIMF_ALWAYSGRIPPER) style |= RBBS_GRIPPERALWAYS;
    return style;
}

} // namespace

BandSite::BandSite(HWND rebar, UINT bandId, marlin::ComPtr<IWebBrowser2> browser, BandSiteOptions options) noexcept
    : m_rebar(rebar), m_bandId(bandId), m_browser(std::move(browser)), m_options(options)
{
}

HRESULT BandSite::AddBand(IDeskBand* band, HWND window)
{
    if (!band || !window) return E_INVALIDARG;
    m_band = band;
    DESKBANDINFO info{};
    HRESULT hr = QueryBandInfo(info);
    if (FAILED(hr)) return hr;
    return ApplyToRebar(info, window);
}

void BandSite::RemoveBand() noexcept
{
    const LRESULT index = ::SendMessageW(m_rebar, RB_IDTOINDEX, m_bandId, 0);
    if (index >= 0) ::SendMessageW(m_rebar, RB_DELETEBAND, static_cast<WPARAM>(index), 0);
    m_band.Reset();
    m_bandHasFocus = false;
}

void BandSite::Detach() noexcept
{
    RemoveBand();
    m_browser.Reset();
}

HRESULT BandSite::QueryBandInfo(DESKBANDINFO& info) noexcept
{
    if (!m_band) return E_UNEXPECTED;
    info = DESKBANDINFO{};
    info.dwMask = kBandInfoMask;
    HRESULT hr = m_band->GetBandInfo(m_bandId, DBIF_VIEWMODE_NORMAL, &info);
    if (SUCCEEDED(hr)) m_lastInfo = info;
    return hr;
}

HRESULT BandSite::ApplyToRebar(const DESKBANDINFO& info, HWND window)
{
    REBARBANDINFOW band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE | RBBIM_TEXT;
    band.fStyle = RebarStyle(info);
    // Sizes the band did not report (it removed their bit from the mask) stay 0.
    if (info.dwMask & DBIM_MINSIZE) {
        band.cxMinChild = static_cast<UINT>(info.ptMinSize.x);
        band.cyMinChild = static_cast<UINT>(info.ptMinSize.y);
    }
    if (info.dwMask & DBIM_MAXSIZE) {
        // -1 means "no limit".
        band.cyMaxChild = info.ptMaxSize.y < 0 ? 0x7FFF : static_cast<UINT>(info.ptMaxSize.y);
    }
    if (info.dwMask & DBIM_INTEGRAL) band.cyIntegral = static_cast<UINT>(info.ptIntegral.y);
    if (info.dwMask & DBIM_ACTUAL) {
        band.cx = static_cast<UINT>(info.ptActual.x);
        band.cxIdeal = static_cast<UINT>(info.ptActual.x);
        band.cyChild = static_cast<UINT>(info.ptActual.y);
    }
    // A band without a title removes DBIM_TITLE from the mask.
    std::wstring title = (info.dwMask & DBIM_TITLE) ? std::wstring(info.wszTitle) : std::wstring();
    band.lpText = title.data();
    if ((info.dwMask & DBIM_BKCOLOR) && (info.dwMask & DBIM_MODEFLAGS) && (info.dwModeFlags & DBIMF_BKCOLOR)) {
        band.fMask |= RBBIM_COLORS;
        band.clrFore = CLR_DEFAULT;
        band.clrBack = info.crBkgnd;
    }

    const LRESULT index = ::SendMessageW(m_rebar, RB_IDTOINDEX, m_bandId, 0);
    if (index >= 0) {
        // A band that asks again changes its sizes; its style is its own
        // business from then on (it sets it through the rebar when shown).
        band.fMask &= ~static_cast<UINT>(RBBIM_STYLE | RBBIM_TEXT);
        return ::SendMessageW(m_rebar, RB_SETBANDINFOW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&band))
                   ? S_OK
                   : E_FAIL;
    }
    if (!window) return E_UNEXPECTED;
    band.fMask |= RBBIM_CHILD | RBBIM_ID;
    band.hwndChild = window;
    band.wID = m_bandId;
    return ::SendMessageW(m_rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band))
               ? S_OK
               : E_FAIL;
}

STDMETHODIMP BandSite::QueryInterface(REFIID iid, void** object) noexcept
{
    if ((iid == __uuidof(IInputObjectSite) && !m_options.inputObjectSite) ||
        (iid == __uuidof(IOleCommandTarget) && !m_options.commandTarget)) {
        if (object) *object = nullptr;
        return object ? E_NOINTERFACE : E_POINTER;
    }
    return Base::QueryInterface(iid, object);
}

STDMETHODIMP BandSite::GetWindow(HWND* window) noexcept
{
    if (!window) return E_POINTER;
    *window = m_options.window ? m_rebar : nullptr;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP BandSite::ContextSensitiveHelp(BOOL) noexcept { return E_NOTIMPL; }

STDMETHODIMP BandSite::OnFocusChangeIS(IUnknown*, BOOL focus) noexcept
{
    m_bandHasFocus = focus != FALSE;
    ++m_focusChanges;
    return S_OK;
}

STDMETHODIMP BandSite::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) noexcept { return E_NOTIMPL; }

STDMETHODIMP BandSite::Exec(const GUID* group, DWORD id, DWORD, VARIANT*, VARIANT*) noexcept
{
    if (!group || *group != CGID_DeskBand) return OLECMDERR_E_UNKNOWNGROUP;
    if (id != DBID_BANDINFOCHANGED) return OLECMDERR_E_NOTSUPPORTED;
    return marlin::ComBoundary([&] {
        DESKBANDINFO info{};
        HRESULT hr = QueryBandInfo(info);
        if (FAILED(hr)) return hr;
        return ApplyToRebar(info, nullptr);
    });
}

STDMETHODIMP BandSite::QueryService(REFGUID service, REFIID iid, void** object) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!m_options.browserService || !m_browser) return E_NOINTERFACE;
    // The band asks for the browser directly, or for the top-level browser first.
    if (service != SID_SWebBrowserApp && service != SID_STopLevelBrowser) return E_NOINTERFACE;
    marlin::ComPtr<IServiceProvider> browserServices;
    if (FAILED(m_browser.As(&browserServices))) return m_browser->QueryInterface(iid, object);
    return browserServices->QueryService(service, iid, object);
}

} // namespace standin
